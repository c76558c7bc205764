#include <gtest/gtest.h>

#include <thread>

#include <cctype>

#include "cli/CommandLine.h"
#include "cli/OptionTables.h"
#include "engine/GenreNames.h"

namespace tonalbox::cli {
namespace {

struct Parsed {
    bool ok;
    ConversionSettings settings;
    CommandLine commandLine;
    std::string error;
};

Parsed Parse(const std::vector<std::string>& args) {
    Parsed p{false, ConversionSettings{}, {}, {}};
    p.ok = ParseCommandLine(args, p.settings, p.commandLine, p.error);
    return p;
}

TEST(CommandLine, ListValuesByLabelAnyCaseOrByNumberSetValueAndIndex) {
    auto p = Parse({"--bitrate", "192", "--mp3-rate", "44100", "--wav-rate", "11025 Hz",
                    "--wav-channels", "MONO", "--preset", "studio", "--mp3-channels", "mono",
                    "--mode", "preset"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.settings.m_mp3.m_nBitrate, 192);
    EXPECT_EQ(p.settings.m_mp3.m_nBitrateIndex, 10);
    EXPECT_EQ(p.settings.m_mp3.m_nOutSampleRate, 44100);
    EXPECT_EQ(p.settings.m_mp3.m_nSampleRateIndex, 3);
    EXPECT_EQ(p.settings.m_nWavSampleRate, 11025);
    EXPECT_EQ(p.settings.m_nWavSampleRateIndex, 0);
    EXPECT_EQ(p.settings.m_nWavChannels, 1);
    EXPECT_EQ(p.settings.m_mp3.m_nPreset, 22);
    EXPECT_EQ(p.settings.m_mp3.m_nChannelMode, 3);
    EXPECT_EQ(p.settings.m_mp3.m_nEncodeMode, 3);

    p = Parse({"--mp3-rate=same", "--bitrate=32k", "--preset", "Voice (new)", "--mp3-channels",
               "joint-stereo", "--wav-channels", "2", "--preset", "very-high"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.settings.m_mp3.m_nOutSampleRate, 0);
    EXPECT_EQ(p.settings.m_mp3.m_nSampleRateIndex, 0);
    EXPECT_EQ(p.settings.m_mp3.m_nBitrate, 32);
    EXPECT_EQ(p.settings.m_mp3.m_nBitrateIndex, 0);
    EXPECT_EQ(p.settings.m_mp3.m_nChannelMode, 1);
    EXPECT_EQ(p.settings.m_nWavChannels, 2);
    EXPECT_EQ(p.settings.m_mp3.m_nPreset, 5) << "the last of repeated options wins";
}

TEST(CommandLine, BadValueIsAUsageErrorNamingTheValidOnes) {
    auto p = Parse({"--bitrate", "100"});
    EXPECT_FALSE(p.ok);
    EXPECT_NE(p.error.find("'100'"), std::string::npos) << p.error;
    EXPECT_NE(p.error.find("\"128k\""), std::string::npos) << p.error;
    EXPECT_NE(p.error.find("\"320k\""), std::string::npos) << p.error;

    p = Parse({"--preset", "loud"});
    EXPECT_FALSE(p.ok);
    EXPECT_NE(p.error.find("\"Fast extreme\""), std::string::npos) << p.error;

    p = Parse({"--mp3-rate", "48000"});
    EXPECT_FALSE(p.ok);
    EXPECT_NE(p.error.find("\"Same as input\""), std::string::npos) << p.error;

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"-f", "aac"}, {"--wav-rate", "48000"}, {"--mode", "fast"},
             {"--vbr-quality", "10"}, {"--vbr-quality", "5x"}, {"--track", "256"},
             {"--jobs", "0"}, {"--genre", "Polka Metal"}, {"--mp3-channels", "2"},
             {"--bank-select", "gs2"}}) {
        EXPECT_FALSE(Parse(args).ok) << args[0] << " " << args[1];
    }
}

TEST(CommandLine, SndFileFormatsTakeTheirOwnOptions) {
    auto p = Parse({"-f", "flac", "--rate", "22050", "--bits", "24"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.settings.m_nOutputFormat, tonalbox::OutputFormat::Flac);
    EXPECT_EQ(p.commandLine.sndFile.sampleRate, 22050);
    EXPECT_EQ(p.commandLine.sndFile.bits, 24);
    p = Parse({"--format", "Ogg Vorbis", "--quality", "10"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.settings.m_nOutputFormat, tonalbox::OutputFormat::Ogg);
    EXPECT_EQ(p.commandLine.sndFile.quality, 10);
    p = Parse({"--rate", "48000", "-f", "opus"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.settings.m_nOutputFormat, tonalbox::OutputFormat::Opus);

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--rate", "32000"}, {"--bits", "20"}, {"--quality", "11"}, {"--quality", "-1"},
             {"--rate", "44100", "-f", "opus"}}) {
        p = Parse(args);
        EXPECT_FALSE(p.ok) << args[0] << " " << args[1];
        EXPECT_NE(p.error.find(args[0] == "--rate" && args.size() > 2 ? "48000 Hz only" : args[0]),
                  std::string::npos) << p.error;
    }
}

TEST(CommandLine, UnknownOptionsAndMissingValuesAreUsageErrors) {
    auto p = Parse({"--frobnicate"});
    EXPECT_FALSE(p.ok);
    EXPECT_NE(p.error.find("--frobnicate"), std::string::npos);
    p = Parse({"-x"});
    EXPECT_FALSE(p.ok);
    p = Parse({"a.mid", "--bitrate"});
    EXPECT_FALSE(p.ok);
    EXPECT_NE(p.error.find("needs a value"), std::string::npos);
    p = Parse({"--quiet=yes"});
    EXPECT_FALSE(p.ok);
}

TEST(CommandLine, FilesFlagsAndShortForms) {
    auto p = Parse({"a.mid", "-fwav", "-j", "2", "-q", "--no-overwrite", "--copyright",
                    "--original", "--private", "--", "-odd.mid"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.commandLine.inputs, (std::vector<std::string>{"a.mid", "-odd.mid"}));
    EXPECT_EQ(p.settings.m_nOutputFormat, tonalbox::OutputFormat::Wav);
    EXPECT_EQ(p.commandLine.jobs, 2);
    EXPECT_TRUE(p.commandLine.quiet);
    EXPECT_EQ(p.settings.m_bOverwrite, 0);
    EXPECT_EQ(p.settings.m_mp3.m_bCopyright, 1);
    EXPECT_EQ(p.settings.m_mp3.m_bOriginal, 1);
    EXPECT_EQ(p.settings.m_mp3.m_bPrivate, 1);

    p = Parse({"-o", "/tmp/x/../y", "--same-as-source"});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.settings.m_strOutputFolder, "/tmp/y/");
    EXPECT_EQ(p.settings.m_bSameAsSource, 1) << "the later option wins";
    p = Parse({"--same-as-source", "--output-dir", "rel"});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.settings.m_bSameAsSource, 0);
    EXPECT_EQ(p.settings.m_bUseTempFolder, 0);
    EXPECT_EQ(p.settings.m_strOutputFolder.front(), '/') << "made absolute";
    EXPECT_EQ(p.settings.m_strOutputFolder.back(), '/');

    p = Parse({"-r0", "--shard", "2/5", "--files-from", "-", "--skip-existing"});
    ASSERT_FALSE(p.ok) << "short flags do not combine";
    p = Parse({"-r", "-0", "--shard=2/5", "--files-from", "-", "--skip-existing", "--report", "r"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.commandLine.recursive && p.commandLine.nulSeparated && p.commandLine.skipExisting);
    EXPECT_EQ(p.commandLine.shardIndex, 2);
    EXPECT_EQ(p.commandLine.shardCount, 5);
    EXPECT_EQ(p.commandLine.filesFrom, "-");
    EXPECT_EQ(p.commandLine.reportPath, "r");
    EXPECT_EQ(p.commandLine.jobs, static_cast<int>(std::thread::hardware_concurrency()))
        << "one job per core unless given";
}

TEST(CommandLine, TagOptions) {
    auto p = Parse({"--title", "T", "--artist", "A", "--album", "B", "--year", "1999",
                    "--comment", "C", "--track", "7", "--genre", "classical"});
    ASSERT_TRUE(p.ok) << p.error;
    const auto& tag = p.settings.m_tag;
    EXPECT_EQ(tag.m_strTitle, "T");
    EXPECT_EQ(tag.m_strArtist, "A");
    EXPECT_EQ(tag.m_strAlbum, "B");
    EXPECT_EQ(tag.m_strYear, "1999");
    EXPECT_EQ(tag.m_strComment, "C");
    EXPECT_EQ(tag.m_nTrack, 7);
    EXPECT_EQ(tag.m_nGenre, 32);
    EXPECT_EQ(FindGenre("147"), 147);
    EXPECT_EQ(FindGenre("hip hop"), 7);
    EXPECT_EQ(FindGenre("Rock & Roll"), 78);
    EXPECT_EQ(FindGenre("148"), -1);
}

TEST(CommandLine, GenreNamesStayApartWhenNormalised) {
    // Every genre is reached by its own name, whatever the case.
    for (int i = 0; i < kGenreCount; ++i) {
        std::string upper = GenreNames[i];
        for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(FindGenre(GenreNames[i]), i) << GenreNames[i];
        EXPECT_EQ(FindGenre(upper), i) << upper;
    }
}

}  // namespace
}  // namespace tonalbox::cli
