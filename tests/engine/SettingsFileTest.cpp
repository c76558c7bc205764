#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "engine/ConversionSettings.h"
#include "engine/SettingsFile.h"
#include "platform/InstallLayout.h"

namespace fs = std::filesystem;
using tonalbox::ConversionSettings;

namespace {

using Bytes = std::vector<unsigned char>;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(tmp_.Path().empty()); }

    Bytes ReadFile(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    void WriteFile(const std::string& p, const Bytes& b) {
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }

    tonalbox::testsupport::TempDir tmp_{"settings-test"};
    fs::path dir_{tmp_.Path()};
    std::string path_{tmp_.File("Option.dat")};
};

// Independent encoder of the file format, written from the format table.
struct Expected {
    Bytes b;
    void I(int32_t v) {
        auto u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(u >> (8 * i)));
    }
    void S(const std::string& s) {
        if (s.size() < 255) {
            b.push_back(static_cast<unsigned char>(s.size()));
        } else if (s.size() <= 65533) {
            b.push_back(0xFF);
            b.push_back(static_cast<unsigned char>(s.size()));
            b.push_back(static_cast<unsigned char>(s.size() >> 8));
        } else {
            b.insert(b.end(), {0xFF, 0xFF, 0xFF});
            I(static_cast<int32_t>(s.size()));
        }
        b.insert(b.end(), s.begin(), s.end());
    }
};

Bytes FormatOf(const ConversionSettings& s) {
    Expected e;
    e.I(s.m_bSameAsSource); e.I(s.m_bUseTempFolder); e.I(s.m_bOverwrite);
    e.I(s.m_tag.m_nGenre); e.S(s.m_tag.m_strAlbum); e.S(s.m_tag.m_strArtist);
    e.S(s.m_tag.m_strComment); e.S(s.m_tag.m_strTitle); e.I(s.m_tag.m_nTrack);
    e.S(s.m_tag.m_strYear); e.I(static_cast<int>(s.m_nOutputFormat)); e.S(s.m_strOutputFolder);
    e.I(s.m_mp3.m_nBitrate); e.I(s.m_mp3.m_nChannelMode); e.I(s.m_mp3.m_nInSampleRate);
    e.I(s.m_mp3.m_nInChannels); e.I(s.m_mp3.m_nPreset); e.I(s.m_mp3.m_nOutSampleRate);
    e.I(s.m_mp3.m_nSampleRateIndex); e.I(s.m_mp3.m_nBitrateIndex);
    e.I(s.m_nWavChannels); e.I(s.m_nWavSampleRate); e.I(s.m_nWavSampleRateIndex);
    e.I(s.m_mp3.m_bCopyright); e.I(s.m_mp3.m_bPrivate); e.I(s.m_mp3.m_bOriginal);
    e.I(s.m_mp3.m_nEncodeMode); e.I(s.m_mp3.m_nVbrQuality); e.I(s.m_nPortIndex);
    e.I(s.m_bBurnToCD);
    return e.b;
}

ConversionSettings Unusual() {
    ConversionSettings s = ConversionSettings::Defaults();
    s.m_bSameAsSource = 1; s.m_bUseTempFolder = 0; s.m_bOverwrite = 0;
    s.m_tag.m_nGenre = 147; s.m_tag.m_strAlbum = "Album"; s.m_tag.m_strArtist = "Artist";
    s.m_tag.m_strComment = "Comment"; s.m_tag.m_strTitle = "Title"; s.m_tag.m_nTrack = 300;
    s.m_tag.m_strYear = "1999"; s.m_nOutputFormat = tonalbox::OutputFormat::Wav; s.m_strOutputFolder = "/music/out/";
    s.m_mp3 = {44100, 44100, 3, 2, 320, 22, 3, 9, 1, 1, 1, 3, 13};
    s.m_nWavChannels = 1; s.m_nWavSampleRate = 44100; s.m_nWavSampleRateIndex = 2;
    s.m_nPortIndex = 5; s.m_bBurnToCD = 1;
    return s;
}

void ExpectSame(const ConversionSettings& a, const ConversionSettings& b) {
    EXPECT_EQ(FormatOf(a), FormatOf(b));
}

TEST_F(SettingsFileTest, DefaultsAreWrittenByteForByteInTheStoredOrder) {
    const ConversionSettings defaults = ConversionSettings::Defaults();
    ASSERT_EQ(tonalbox::SaveSettings(path_, defaults), 1);
    const Bytes written = ReadFile(path_);
    EXPECT_EQ(written, FormatOf(defaults));

    // The defaults themselves: temp folder with a trailing separator,
    // MP3 CBR 128 joint stereo, WAV 22050 stereo.
    EXPECT_EQ(defaults.m_strOutputFolder.back(), '/');
    EXPECT_EQ(defaults.m_strProgramFolder.back(), '/');
    EXPECT_EQ(defaults.m_tag.m_strAlbum, "MARLOVEN");
    EXPECT_EQ(defaults.m_tag.m_strYear, "2006");
    EXPECT_EQ(defaults.m_nWavSampleRate, 22050);
    EXPECT_EQ(defaults.m_mp3.m_nBitrateIndex, 8);
    // The default title and comment reach the tag whole.
    EXPECT_LE(defaults.m_tag.m_strTitle.size(), 30u);
    EXPECT_LE(defaults.m_tag.m_strComment.size(), 28u);
}

TEST_F(SettingsFileTest, EmptyTextsGiveA102ByteFile) {
    ConversionSettings s;
    ASSERT_EQ(tonalbox::SaveSettings(path_, s), 1);
    EXPECT_EQ(fs::file_size(path_), 102u);
}

TEST_F(SettingsFileTest, EveryValueRoundTrips) {
    const ConversionSettings original = Unusual();
    ASSERT_EQ(tonalbox::SaveSettings(path_, original), 1);
    ConversionSettings loaded;
    ASSERT_EQ(tonalbox::LoadSettings(path_, loaded), 1);
    ExpectSame(loaded, original);
    EXPECT_EQ(loaded.m_mp3.m_nBitrateIndex, 13);
    EXPECT_EQ(loaded.m_tag.m_nTrack, 300);
}

TEST_F(SettingsFileTest, StringPrefixesFollowTheLength) {
    struct Case { size_t length; Bytes prefix; };
    const std::vector<Case> cases = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        ConversionSettings s;
        s.m_tag.m_strAlbum = std::string(c.length, 'a');  // value 5, after 16 bytes
        ASSERT_EQ(tonalbox::SaveSettings(path_, s), 1);
        const Bytes b = ReadFile(path_);
        ASSERT_GE(b.size(), 16 + c.prefix.size() + c.length);
        EXPECT_EQ(Bytes(b.begin() + 16, b.begin() + 16 + static_cast<long>(c.prefix.size())),
                  c.prefix)
            << "length " << c.length;
        ConversionSettings back;
        ASSERT_EQ(tonalbox::LoadSettings(path_, back), 1);
        EXPECT_EQ(back.m_tag.m_strAlbum.size(), c.length);
        EXPECT_EQ(back.m_tag.m_strArtist, "");
    }
}

TEST_F(SettingsFileTest, Utf16StringsAreReadAndConverted) {
    ConversionSettings s;
    s.m_tag.m_strArtist = "X";
    Bytes b = FormatOf(s);
    // Replace the album (empty, one byte at offset 16) with the wide form
    // of "Für ♪": marker 0xFF 0xFE 0xFF, then 5 characters.
    const Bytes wide = {0xFF, 0xFE, 0xFF, 5,    'F', 0,    0xFC, 0x00,
                        'r',  0,    ' ',  0,    0x6A, 0x26};
    b.erase(b.begin() + 16);
    b.insert(b.begin() + 16, wide.begin(), wide.end());
    WriteFile(path_, b);

    ConversionSettings back;
    ASSERT_EQ(tonalbox::LoadSettings(path_, back), 1);
    EXPECT_EQ(back.m_tag.m_strAlbum, "F\xC3\xBCr \xE2\x99\xAA");
    EXPECT_EQ(back.m_tag.m_strArtist, "X");
}

TEST_F(SettingsFileTest, DamagedFilesLeaveEverySettingAsItWas) {
    const ConversionSettings stored = Unusual();
    ASSERT_EQ(tonalbox::SaveSettings(path_, stored), 1);
    const Bytes whole = ReadFile(path_);
    const ConversionSettings defaults = ConversionSettings::Defaults();

    // Every truncation point: nothing half-loaded.
    for (size_t cut = 0; cut < whole.size(); cut += 3) {
        WriteFile(path_, Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
        ConversionSettings s = defaults;
        tonalbox::LoadSettings(path_, s);
        ExpectSame(s, defaults);
    }
    // A prefix announcing 4 GiB in a small file is refused without allocating it.
    Bytes huge = whole;
    const Bytes bigPrefix = {0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF};
    huge.erase(huge.begin() + 16);
    huge.insert(huge.begin() + 16, bigPrefix.begin(), bigPrefix.end());
    WriteFile(path_, huge);
    ConversionSettings s = defaults;
    EXPECT_EQ(tonalbox::LoadSettings(path_, s), 1);
    ExpectSame(s, defaults);
}

TEST_F(SettingsFileTest, ValuesOutsideTheOptionListsLoadAsTheirDefaults) {
    using Field = int& (*)(ConversionSettings&);
    struct Case {
        const char* name;
        Field field;
        int bad;
    };
    const std::vector<Case> cases = {
        {"WAV rate", [](ConversionSettings& s) -> int& { return s.m_nWavSampleRate; }, 48000},
        {"WAV rate position", [](ConversionSettings& s) -> int& { return s.m_nWavSampleRateIndex; }, 3},
        {"WAV channels", [](ConversionSettings& s) -> int& { return s.m_nWavChannels; }, 0},
        {"MP3 rate", [](ConversionSettings& s) -> int& { return s.m_mp3.m_nOutSampleRate; }, 7},
        {"MP3 rate position", [](ConversionSettings& s) -> int& { return s.m_mp3.m_nSampleRateIndex; }, -1},
        {"channel mode", [](ConversionSettings& s) -> int& { return s.m_mp3.m_nChannelMode; }, 4},
        {"bitrate", [](ConversionSettings& s) -> int& { return s.m_mp3.m_nBitrate; }, 129},
        {"bitrate position", [](ConversionSettings& s) -> int& { return s.m_mp3.m_nBitrateIndex; }, 14},
        {"encode mode", [](ConversionSettings& s) -> int& { return s.m_mp3.m_nEncodeMode; }, 9},
        {"VBR quality", [](ConversionSettings& s) -> int& { return s.m_mp3.m_nVbrQuality; }, 10},
    };
    ConversionSettings defaults;
    for (const auto& c : cases) {
        ConversionSettings stored = Unusual();
        c.field(stored) = c.bad;
        ASSERT_EQ(tonalbox::SaveSettings(path_, stored), 1);
        ConversionSettings loaded = ConversionSettings::Defaults();
        ASSERT_EQ(tonalbox::LoadSettings(path_, loaded), 1);
        EXPECT_EQ(c.field(loaded), c.field(defaults)) << c.name;
        c.field(loaded) = c.bad;
        ExpectSame(loaded, stored);  // every other field as stored
    }
    // A format only the command line writes loads as WAV, as any code but
    // MP3 has always been written: the window's list holds WAV and MP3.
    ConversionSettings stored = Unusual();
    stored.m_nOutputFormat = tonalbox::OutputFormat::Flac;
    ASSERT_EQ(tonalbox::SaveSettings(path_, stored), 1);
    ConversionSettings loaded = ConversionSettings::Defaults();
    ASSERT_EQ(tonalbox::LoadSettings(path_, loaded), 1);
    EXPECT_EQ(loaded.m_nOutputFormat, tonalbox::OutputFormat::Wav);
}

TEST_F(SettingsFileTest, MissingFileLoadsNothingAndBurnFlagIsKeptAsStored) {
    ConversionSettings s = ConversionSettings::Defaults();
    EXPECT_EQ(tonalbox::LoadSettings((dir_ / "none.dat").string(), s), 0);
    ExpectSame(s, ConversionSettings::Defaults());
    EXPECT_EQ(tonalbox::LoadSettings(dir_.string(), s), 0);  // a folder is no file
}

TEST_F(SettingsFileTest, FailedSaveKeepsTheOldFile) {
    ASSERT_EQ(tonalbox::SaveSettings(path_, Unusual()), 1);
    const Bytes before = ReadFile(path_);
    if (::geteuid() != 0) {
        fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(tonalbox::SaveSettings(path_, ConversionSettings()), 0);
        fs::permissions(dir_, fs::perms::owner_all);
    }
    // A save into a path whose folder is a file fails as well.
    const std::string blocked = path_ + "/Option.dat";
    EXPECT_EQ(tonalbox::SaveSettings(blocked, ConversionSettings()), 0);
    EXPECT_EQ(ReadFile(path_), before);
    // No temporary files are left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(SettingsFileTest, SettingsLiveNextToAWritableProgramElseInTheConfigFolder) {
    const std::string program = (dir_ / "bin").string() + "/";
    const std::string config = (dir_ / "config" / "tonalbox").string();
    fs::create_directories(program);
    EXPECT_EQ(tonalbox::SettingsFilePathFor(program, config, "Option.dat"), program + "Option.dat");
    // A program folder that does not exist (or cannot be written) falls
    // back to the configuration folder, which saving creates.
    const std::string elsewhere =
        tonalbox::SettingsFilePathFor((dir_ / "missing").string() + "/", config, "Option.dat");
    EXPECT_EQ(elsewhere, config + "/Option.dat");
    // So does the bin/ folder of an installed tree, writable or not.
    fs::create_directories(program + tonalbox::platform::kInstalledDataFolder);
    EXPECT_EQ(tonalbox::SettingsFilePathFor(program, config, "Option.dat"), elsewhere);
    ASSERT_EQ(tonalbox::SaveSettings(elsewhere, Unusual()), 1);
    ConversionSettings back;
    ASSERT_EQ(tonalbox::LoadSettings(elsewhere, back), 1);
    ExpectSame(back, Unusual());
}

}  // namespace
