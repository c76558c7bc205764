#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "cli/ConvertCommand.h"
#include "midigen/MidiFileWriter.h"
#include "platform/audio/SoundFontCatalog.h"
#include "tests/support/TempDir.h"

namespace tonalbox::cli {
namespace {

std::string TextOf(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
    return text;
}

// Without any SoundFont the converter says how to install one.
class NoSoundFont : public ::testing::Test {
protected:
    void SetUp() override {
        audio::SoundFontCatalog::SetSearchFolders({m_dir.File("fonts")});
        audio::SoundFontCatalog::SetPreferredSoundFont("");
        m_io.out = std::tmpfile();
        m_io.err = std::tmpfile();
        m_io.in = nullptr;
    }
    void TearDown() override {
        audio::SoundFontCatalog::ResetSearchFolders();
        std::fclose(m_io.out);
        std::fclose(m_io.err);
    }

    testsupport::TempDir m_dir{"tonalbox-nofont"};
    ConsoleIo m_io;
    std::atomic<int> m_cancel{0};
};

TEST_F(NoSoundFont, ConversionIsRefusedBeforeAnyWorkWithTheInstallHint) {
    midigen::MidiFileWriter writer;
    writer.Note(0, 0, 480, 0, 60);
    ASSERT_TRUE(writer.Write(m_dir.File("a.mid")));
    const int code = RunConvertCommand({"-q", "-o", m_dir.File("out"), m_dir.File("a.mid")},
                                       "tonalbox-convert", m_io, m_cancel);
    EXPECT_EQ(code, 2);
    EXPECT_EQ(TextOf(m_io.out), "");
    EXPECT_EQ(TextOf(m_io.err), "Can not load SoundFont: " + audio::SoundFontCatalog::DefaultSoundFont() +
                                    ".\n" + kSoundFontHint + "\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("out")));
}

TEST_F(NoSoundFont, ListPortsSaysHowToInstallOne) {
    const int code = RunConvertCommand({"--list-ports"}, "tonalbox-convert", m_io, m_cancel);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(TextOf(m_io.out), "");
    EXPECT_NE(TextOf(m_io.err).find(kSoundFontHint), std::string::npos);
}

}  // namespace
}  // namespace tonalbox::cli
