#include <gtest/gtest.h>

#include "engine/OutputNaming.h"

namespace tonalbox {
namespace {

TEST(OutputNaming, ReplacesWhatFollowsTheLastDotOfTheFileName) {
    EXPECT_EQ(ReplaceExtension("/m/song.mid", "mp3"), "/m/song.mp3");
    EXPECT_EQ(ReplaceExtension("/m/a.midi", "mp3"), "/m/a.mp3");
    EXPECT_EQ(ReplaceExtension("/m/a.b.kar", "wav"), "/m/a.b.wav");
    EXPECT_EQ(ReplaceExtension("/m/x.", "wav"), "/m/x.wav");
    EXPECT_EQ(ReplaceExtension("a.MID", "mp3"), "a.mp3");
}

TEST(OutputNaming, NameWithoutExtensionGetsOneAppended) {
    EXPECT_EQ(ReplaceExtension("/m/tune", "mp3"), "/m/tune.mp3");
    // A dot in a folder name is not the file's extension.
    EXPECT_EQ(ReplaceExtension("/m/v1.2/tune", "wav"), "/m/v1.2/tune.wav");
    EXPECT_EQ(ReplaceExtension("tune", "wav"), "tune.wav");
}

TEST(OutputNaming, OutputFolderOrSameAsSource) {
    ConversionSettings s;
    s.m_strOutputFolder = "/out/";
    s.m_nOutputFormat = tonalbox::OutputFormat::Mp3;
    s.m_bSameAsSource = 0;
    EXPECT_EQ(OutputPathFor("/x/tune.mid", s), "/out/tune.mp3");
    s.m_nOutputFormat = tonalbox::OutputFormat::Wav;
    EXPECT_EQ(OutputPathFor("/x/tune.mid", s), "/out/tune.wav");
    s.m_bSameAsSource = 1;
    EXPECT_EQ(OutputPathFor("/x/tune.mid", s), "/x/tune.wav");
    s.m_nOutputFormat = tonalbox::OutputFormat::Mp3;
    EXPECT_EQ(OutputPathFor("/x/tune.mid", s), "/x/tune.mp3");
}

TEST(OutputNaming, StemsAndTheirDescriptionSitBesideTheOutput) {
    EXPECT_EQ(StemPathFor("/o/a.b.mp3", 1), "/o/a.b.ch01.mp3");
    EXPECT_EQ(StemPathFor("/o/a.wav", 16), "/o/a.ch16.wav");
    EXPECT_EQ(StemPathFor("/o/v1.2/tune", 10), "/o/v1.2/tune.ch10");
    EXPECT_EQ(StemSidecarPathFor("/o/a.b.mp3"), "/o/a.b.json");
}

}  // namespace
}  // namespace tonalbox
