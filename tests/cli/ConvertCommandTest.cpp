#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "RunProgram.h"
#include "engine/SettingsFile.h"
#include "tests/support/LevelTestPieces.h"
#include "tests/support/LoudnessProbe.h"
#include "tests/support/MidiFileWriter.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavFile.h"

namespace tonalbox {
namespace {

namespace fs = std::filesystem;
using testsupport::ProgramResult;
using testsupport::TempDir;

const std::string kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WritePiece(const std::string& path, int seconds) {
    testsupport::MidiFileWriter writer(1, 480);
    writer.TempoBpm(0, 0, 120.0);
    for (int i = 0; i < seconds * 2; ++i) {
        writer.Note(1, static_cast<uint32_t>(i * 480), 400, 0, 60 + (i % 5) * 2, 100);
    }
    return writer.Write(path);
}

// Runs a copy of tonalbox-convert (and lame_enc.so) from a folder of the
// test's own, so that "Option.dat" next to the program is the test's, and
// with the configuration and temporary folders inside the test folder.
class ConvertCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_dir.Path().empty());
        for (const char* sub : {"bin", "config", "tmp", "src", "out"}) {
            fs::create_directories(m_dir.File(sub));
        }
        const std::string binDir = TONALBOX_BIN_DIR;
        fs::copy_file(binDir + "/tonalbox-convert", Program());
        if (fs::exists(binDir + "/lame_enc.so"))
            fs::copy_file(binDir + "/lame_enc.so", m_dir.File("bin/lame_enc.so"));
    }

    std::string Program() const { return m_dir.File("bin/tonalbox-convert"); }
    std::string SettingsPath() const { return m_dir.File("bin/Option.dat"); }
    std::string Src(const std::string& name) const { return m_dir.File("src/" + name); }
    std::string Out(const std::string& name) const { return m_dir.File("out/" + name); }

    std::string Piece(const std::string& name, int seconds = 1) {
        EXPECT_TRUE(WritePiece(Src(name), seconds));
        return Src(name);
    }

    ProgramResult Convert(std::vector<std::string> args,
                          const std::function<void(const std::string&, int)>& onErr = {}) {
        // Every run renders with the small test SoundFont unless told otherwise.
        args.insert(args.begin(), {"--soundfont", kTestSoundFont});
        return testsupport::RunProgram(
            Program(), args,
            {"XDG_CONFIG_HOME=" + m_dir.File("config"), "TMPDIR=" + m_dir.File("tmp")}, onErr);
    }

    bool NoCaptureFilesLeft() const {
        for (const auto& entry : fs::directory_iterator(m_dir.File("tmp"))) {
            if (entry.path().filename().string().rfind("mmm1980", 0) == 0) return false;
        }
        return true;
    }

    TempDir m_dir{"tonalbox-cli"};
};

TEST_F(ConvertCommand, ConvertsEveryFileAndExitsZero) {
    const auto result = Convert({"-o", Out(""), Piece("a.mid"), Piece("b.midi")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Total files: 2, converted: 2\n");
    EXPECT_NE(result.err.find("1/2 a.mid..."), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("2/2 b.midi..."), std::string::npos) << result.err;
    for (const char* name : {"a.mp3", "b.mp3"}) {
        const std::string mp3 = ReadText(Out(name));
        ASSERT_GT(mp3.size(), 1000u) << name;
        EXPECT_EQ(mp3.substr(mp3.size() - 128, 3), "TAG") << name;
    }
    EXPECT_TRUE(NoCaptureFilesLeft());
    EXPECT_FALSE(fs::exists(SettingsPath())) << "settings are written only when asked";
}

TEST_F(ConvertCommand, FileNotConvertedGivesExitOneAndTheMessage) {
    const std::string missing = Src("missing.mid");
    const auto result = Convert({"-q", "-f", "wav", "-o", Out(""), Piece("a.mid"), missing});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Total files: 2, converted: 1\n");
    EXPECT_NE(result.err.find("Can not find file: " + missing + ".\n"), std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("1/2"), std::string::npos) << "quiet shows no progress";
    testsupport::WavFile wav;
    EXPECT_TRUE(wav.Read(Out("a.wav"))) << wav.Error();
}

TEST_F(ConvertCommand, OverwriteQuestionWithoutATerminalIsAnsweredNo) {
    { std::ofstream(Out("a.wav")) << "precious"; }
    const auto result =
        Convert({"--no-overwrite", "-f", "wav", "-o", Out(""), Piece("a.mid"), Piece("b.mid")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "Total files: 2, converted: 1\n");
    EXPECT_NE(result.err.find("the file: " + Out("a.wav") + " have exist. writeover it? [y/N] n\n"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(ReadText(Out("a.wav")), "precious");
    EXPECT_TRUE(fs::exists(Out("b.wav")));
}

TEST_F(ConvertCommand, UsageErrorsExitTwoWithoutConverting) {
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{}, "no MIDI files given"},
        {{"--bitrate", "100", Piece("a.mid")}, "\"128k\""},
        {{"--mp3-channels", "quad", Piece("a.mid")}, "\"Joint stereo\""},
        {{"--wav-rate", "48000", Piece("a.mid")}, "\"44100 Hz\""},
        {{"--genre", "no such genre", Piece("a.mid")}, "--genre"},
        {{"--frobnicate", Piece("a.mid")}, "unknown option: --frobnicate"},
        {{"-j", "0", Piece("a.mid")}, "--jobs"},
        {{"--loudness", "-9", Piece("a.mid")}, "from -30 to -10"},
        {{"--loudness", "loud", Piece("a.mid")}, "--loudness"},
    };
    for (const auto& c : cases) {
        const auto result = testsupport::RunProgram(
            Program(), c.args, {"XDG_CONFIG_HOME=" + m_dir.File("config")});
        EXPECT_EQ(result.exitCode, 2) << c.expected;
        EXPECT_NE(result.err.find(c.expected), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("--help"), std::string::npos);
        EXPECT_EQ(result.out, "") << "no summary after a usage error";
    }
    const auto noFont = testsupport::RunProgram(Program(), {"--soundfont", Src("none.sf2"), "x.mid"});
    EXPECT_EQ(noFont.exitCode, 2);
    EXPECT_TRUE(fs::is_empty(Out("")));
}

TEST_F(ConvertCommand, HelpAndVersion) {
    auto result = testsupport::RunProgram(Program(), {"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.rfind("Usage: tonalbox-convert [OPTIONS] FILE...", 0), 0u) << result.out;
    EXPECT_NE(result.out.find("\"Fast extreme\""), std::string::npos);
    result = testsupport::RunProgram(Program(), {"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "tonalbox-convert (Tonalbox) 2.3\n");
}

TEST_F(ConvertCommand, SaveSettingsWritesAnOptionFileThatLoadsBack) {
    auto result = testsupport::RunProgram(
        Program(),
        {"--save-settings", "-f", "wav", "--wav-rate", "11025", "--wav-channels", "mono",
         "--bitrate", "256", "--preset", "studio", "--mode", "vbr", "--vbr-quality", "2",
         "--mp3-rate", "44100", "--title", "Saved", "--genre", "Jazz", "--no-overwrite",
         "-o", Out("")},
        {"XDG_CONFIG_HOME=" + m_dir.File("config")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_TRUE(fs::exists(SettingsPath()));

    ConversionSettings loaded = ConversionSettings::Defaults();
    ASSERT_EQ(LoadSettings(SettingsPath(), loaded), 1);
    EXPECT_EQ(loaded.m_nOutputFormat, 0);
    EXPECT_EQ(loaded.m_nWavSampleRate, 11025);
    EXPECT_EQ(loaded.m_nWavSampleRateIndex, 0);
    EXPECT_EQ(loaded.m_nWavChannels, 1);
    EXPECT_EQ(loaded.m_mp3.m_nBitrate, 256);
    EXPECT_EQ(loaded.m_mp3.m_nBitrateIndex, 12);
    EXPECT_EQ(loaded.m_mp3.m_nPreset, 22);
    EXPECT_EQ(loaded.m_mp3.m_nEncodeMode, 2);
    EXPECT_EQ(loaded.m_mp3.m_nVbrQuality, 2);
    EXPECT_EQ(loaded.m_mp3.m_nOutSampleRate, 44100);
    EXPECT_EQ(loaded.m_mp3.m_nSampleRateIndex, 3);
    EXPECT_EQ(loaded.m_tag.m_strTitle, "Saved");
    EXPECT_EQ(loaded.m_tag.m_nGenre, 8);
    EXPECT_EQ(loaded.m_bOverwrite, 0);
    EXPECT_EQ(loaded.m_strOutputFolder, Out(""));
    EXPECT_EQ(loaded.m_bSameAsSource, 0);

    // The next start begins from the saved settings: WAV into the saved folder.
    result = Convert({Piece("next.mid")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    testsupport::WavFile wav;
    ASSERT_TRUE(wav.Read(Out("next.wav"))) << wav.Error();
    EXPECT_EQ(wav.sampleRate, 11025u);
    EXPECT_EQ(wav.channels, 1u);
}

TEST_F(ConvertCommand, SoundFontOptionDoesNotChangeTheSavedPortChoice) {
    ConversionSettings start = ConversionSettings::Defaults();
    start.m_nPortIndex = 1;
    ASSERT_EQ(SaveSettings(SettingsPath(), start), 1);
    const auto result = Convert({"--save-settings", "--artist", "Someone"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ConversionSettings loaded;
    ASSERT_EQ(LoadSettings(SettingsPath(), loaded), 1);
    EXPECT_EQ(loaded.m_tag.m_strArtist, "Someone");
    EXPECT_EQ(loaded.m_nPortIndex, 1);
}

TEST_F(ConvertCommand, ParallelJobsConvertAFolderInFull) {
    // Built by appending: GCC 12 at -O3 warns falsely about "p" + a
    // temporary string (its -Warray-bounds and -Wrestrict checks).
    auto numbered = [](const char* before, int i, const char* after) {
        std::string name(before);
        name += std::to_string(i);
        name += after;
        return name;
    };
    fs::create_directories(Src("set"));
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(WritePiece(Src(numbered("set/p", i, ".mid")), 1 + i % 2));
    { std::ofstream(Src("set/readme.txt")) << "not music"; }
    const auto result = Convert({"-j", "2", "-f", "wav", "-o", Out(""), Src("set")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Total files: 5, converted: 5\n");
    for (int i = 0; i < 5; ++i) {
        testsupport::WavFile wav;
        ASSERT_TRUE(wav.Read(Out(numbered("p", i, ".wav")))) << i << wav.Error();
        EXPECT_NEAR(wav.Seconds(), 1 + i % 2 + 1.0, 0.3) << i;
    }
    for (int i = 1; i <= 5; ++i) {
        EXPECT_NE(result.err.find(std::to_string(i) + "/5 "), std::string::npos) << result.err;
    }
    EXPECT_TRUE(NoCaptureFilesLeft());
}

TEST_F(ConvertCommand, ParallelJobsNeverWriteOneOutputTwiceAtOnce) {
    // Two pieces of one name in different folders and a common output
    // folder: the second finds the first's output and is asked about it.
    fs::create_directories(Src("x"));
    fs::create_directories(Src("y"));
    ASSERT_TRUE(WritePiece(Src("x/a.mid"), 2));
    ASSERT_TRUE(WritePiece(Src("y/a.mid"), 2));
    const auto result = Convert({"-j", "2", "--no-overwrite", "-f", "wav", "-o", Out(""),
                                 Src("x/a.mid"), Src("y/a.mid")});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.out, "Total files: 2, converted: 1\n");
    EXPECT_NE(result.err.find("the file: " + Out("a.wav") + " have exist. writeover it? [y/N] n\n"),
              std::string::npos)
        << result.err;
    testsupport::WavFile wav;
    EXPECT_TRUE(wav.Read(Out("a.wav"))) << wav.Error();
    EXPECT_TRUE(NoCaptureFilesLeft());
}

TEST_F(ConvertCommand, InterruptCancelsLikeTheCancelButton) {
    bool sent = false;
    const auto result = Convert({"-o", Out(""), Piece("long.mid", 600), Piece("next.mid")},
                                [&](const std::string& err, int pid) {
                                    if (!sent && err.find("1/2 long.mid...") != std::string::npos) {
                                        sent = true;
                                        ::kill(pid, SIGINT);
                                    }
                                });
    EXPECT_TRUE(sent);
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.out, "Total files: 2, converted: 0\n");
    EXPECT_FALSE(fs::exists(Out("long.mp3")));
    EXPECT_FALSE(fs::exists(Out("next.mp3")));
    EXPECT_EQ(result.err.find("2/2"), std::string::npos);
    EXPECT_TRUE(NoCaptureFilesLeft());
}

TEST_F(ConvertCommand, ListPortsNamesTheChosenSoundFont) {
    const auto result = testsupport::RunProgram(
        Program(), {"--soundfont", kTestSoundFont, "--list-ports"},
        {"XDG_CONFIG_HOME=" + m_dir.File("config")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind("0: TimGM6mb", 0), 0u) << "the chosen SoundFont comes first";
    EXPECT_NE(result.out.find("(chosen)"), std::string::npos) << result.out;
}

// The loudness options reach every output of the run: a target of its
// own, or the synthesizer's fixed level (held under -1 dBFS) without
// normalisation.
TEST_F(ConvertCommand, LoudnessOptionsSetTheLevelOfTheOutputs) {
    ASSERT_TRUE(testsupport::LevelTestPieces::DenseArrangement(3).Write(Src("dense.mid")));
    auto result = Convert({"-q", "-f", "wav", "-o", Out(""), "--loudness", "-20", Src("dense.mid")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    testsupport::WavFile wav;
    ASSERT_TRUE(wav.Read(Out("dense.wav")));
    EXPECT_NEAR(testsupport::MeasureLoudness(wav).lufs, -20.0, 1.0);

    result = Convert({"-q", "-f", "wav", "-o", Out(""), "--overwrite", "--no-normalize", Src("dense.mid")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_TRUE(wav.Read(Out("dense.wav")));
    const testsupport::Loudness raw = testsupport::MeasureLoudness(wav);
    EXPECT_GT(raw.lufs, -14.0);
    EXPECT_LE(raw.peakAbs, 29205);  // -1 dBFS
    EXPECT_NE(testsupport::RunProgram(Program(), {"--help"}).out.find("--loudness LUFS"), std::string::npos);
}

}  // namespace
}  // namespace tonalbox
