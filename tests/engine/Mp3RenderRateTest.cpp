// What MP3 output is rendered at, and what the encoded files then hold.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "RecordingFrontEnd.h"
#include "RunTestSupport.h"
#include "audioprobe/Mp3Probe.h"
#include "engine/ConvertThreadProc.h"
#include "engine/Mp3RenderRate.h"
#include "midigen/MidiFileWriter.h"
#include "tests/support/TempDir.h"

namespace tonalbox {
namespace {

using audioprobe::Mp3Probe;

Mp3EncoderSettings Mp3(int mode, int bitrate, int outRate) {
    Mp3EncoderSettings s;
    s.m_nEncodeMode = mode;
    s.m_nBitrate = bitrate;
    s.m_nOutSampleRate = outRate;
    return s;
}

TEST(Mp3RenderRate, FollowsTheMp3RateAndTheHighestBitrateTheModeAllows) {
    struct Case {
        int mode, bitrate, outRate, rendered;
    };
    for (const Case& c : std::initializer_list<Case>{
             {0, 128, 0, 22050},       {0, 160, 0, 22050},   {0, 192, 0, 44100},
             {1, 320, 0, 44100},       {1, 64, 0, 22050},    {2, 32, 0, 44100},
             {3, 32, 0, 44100},        {0, 32, 44100, 44100}, {0, 320, 22050, 22050},
             {2, 320, 11025, 22050}}) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.bitrate << " " << c.outRate);
        EXPECT_EQ(Mp3RenderSampleRate(Mp3(c.mode, c.bitrate, c.outRate)), c.rendered);
    }
}

// Three seconds of crash, ride and open hi-hat on the drum channel.
bool WriteCymbals(const std::string& path) {
    midigen::MidiFileWriter writer(0, 480);
    writer.TempoBpm(0, 0, 120.0);
    for (uint32_t beat = 0; beat < 6; ++beat)
        for (int key : {49, 51, 46}) writer.Note(0, beat * 480, 400, 9, key, 120);
    writer.EndOfTrack(0, 6 * 480);
    return writer.Write(path);
}

class Mp3Output : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::UseTestSoundFont(); }

    // Converts the cymbal piece with the MP3 settings `mp3`; returns what
    // the file holds and, through `rendered`, the rate the run reports.
    audioprobe::Mp3Facts Convert(const Mp3EncoderSettings& mp3, int* rendered) {
        const std::string source = m_dir.File("cymbals.mid");
        EXPECT_TRUE(WriteCymbals(source));
        testsupport::VectorPathList paths({source});
        testsupport::RecordingFrontEnd frontEnd;
        ConvertJob job{.settings = testsupport::TestSettings(m_dir.Path(), OutputFormat::Mp3),
                       .paths = std::shared_ptr<IPathList>(&paths, [](IPathList*) {}),
                       .frontEnd = &frontEnd};
        job.settings.m_mp3 = mp3;
        EXPECT_EQ(RunConversion(job), 0);
        EXPECT_EQ(frontEnd.SuccessCounter().load(), 1);
        *rendered = job.settings.m_mp3.m_nInSampleRate;
        return Mp3Probe::Read(m_dir.File("cymbals.mp3"), 11500.0);
    }

    testsupport::TempDir m_dir{"tonalbox-mp3rate"};
    testsupport::ScopedTempFolder m_temp;
};

TEST_F(Mp3Output, HoldsTheChosenBitrateAndBandwidth) {
    struct Case {
        Mp3EncoderSettings mp3;
        long fileRate;
        std::set<int> bitrates;
        bool highs;  // energy above 11.5 kHz
    };
    const Mp3EncoderSettings defaults;
    for (const Case& c : std::initializer_list<Case>{
             {defaults, 22050, {128}, false},
             {Mp3(0, 320, 0), 44100, {320}, true},
             {Mp3(0, 128, 44100), 44100, {128}, true}}) {
        SCOPED_TRACE(testing::Message() << c.mp3.m_nBitrate << " " << c.mp3.m_nOutSampleRate);
        int rendered = 0;
        const auto facts = Convert(c.mp3, &rendered);
        ASSERT_TRUE(facts.decoded);
        EXPECT_EQ(facts.sampleRate, c.fileRate);
        EXPECT_EQ(rendered, c.fileRate);  // a 44100 Hz file is never upsampled
        EXPECT_EQ(facts.bitrates, c.bitrates);
        // A 22050 Hz file holds nothing to look for up there.
        if (c.highs) {
            EXPECT_GT(facts.shareAbove, 1e-3);
        }
    }
}

}  // namespace
}  // namespace tonalbox
