// The encoder driver with the real lame_enc.so next to the test program:
// rendered-style WAV files in, decodable MP3 files out.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "audioprobe/Mp3Probe.h"
#include "audioprobe/WavTestWriter.h"
#include "engine/CMp3Encoder.h"

namespace tonalbox {
namespace {

using audioprobe::Mp3Facts;
using audioprobe::Mp3Probe;
using audioprobe::WavTestWriter;
namespace fs = std::filesystem;

class RecordingFrontEnd : public IConvertFrontEnd {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void EntryStarted(int, int, const std::string&) override {}
    void Progress(int pos) override {
        positions.push_back(pos);
        if (cancelAt > 0 && static_cast<int>(positions.size()) == cancelAt) cancel->store(1);
    }
    std::atomic<int>& CancelFlag() override { return *cancel; }
    std::atomic<int>& SuccessCounter() override { return success; }
    bool AskOverwrite(const std::string&) override { return false; }
    void RunEnded() override {}

    std::vector<std::string> messages;
    std::vector<int> positions;
    int cancelAt = 0;
    std::atomic<int>* cancel = nullptr;
    std::atomic<int> success{0};
};

class CMp3EncoderLameTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tonalbox_mp3lame_" + std::to_string(::getpid()) + "_" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
        wav = (folder / "mmm1980.wav").string();
        mp3 = (folder / "song.mp3").string();
        frontEnd.cancel = &cancel;
    }
    void TearDown() override { fs::remove_all(folder); }

    // Encodes `seconds` of the test signal through EncodeFile, which finds
    // lame_enc.so in the test program's folder.
    Mp3Facts EncodeSignal(const Mp3EncoderSettings& s, double seconds, int channels) {
        const auto samples = WavTestWriter::TestSignal(s.m_nInSampleRate, channels, seconds);
        inputFrames = static_cast<long long>(samples.size()) / channels;
        EXPECT_TRUE(WavTestWriter::Write(wav, s.m_nInSampleRate, channels, samples));
        EXPECT_EQ(CMp3Encoder().EncodeFile(wav, mp3, s, &frontEnd, 75, 100, cancel), 1);
        EXPECT_TRUE(frontEnd.messages.empty());
        return Mp3Probe::Read(mp3);
    }

    fs::path folder;
    std::string wav, mp3;
    long long inputFrames = 0;
    std::atomic<int> cancel{0};
    RecordingFrontEnd frontEnd;
};

TEST_F(CMp3EncoderLameTest, DefaultSettingsGiveA128kCbrMp3OfTheSameLength) {
    const Mp3Facts mp3Facts = EncodeSignal(Mp3EncoderSettings{}, 3.0, 2);
    ASSERT_TRUE(mp3Facts.decoded);
    EXPECT_EQ(mp3Facts.sampleRate, 22050);
    EXPECT_EQ(mp3Facts.channels, 2);
    EXPECT_EQ(mp3Facts.mpegVersion, 2);
    EXPECT_EQ(mp3Facts.channelMode, 1);  // joint stereo
    EXPECT_NEAR(mp3Facts.samples, inputFrames, 576);
    EXPECT_EQ(mp3Facts.bitrates, (std::set<int>{128}));
    EXPECT_EQ(mp3Facts.infoTag, "Info");
    EXPECT_GT(mp3Facts.rms, 0.05);  // music, not silence
    // The bar climbs to just below its end.
    ASSERT_FALSE(frontEnd.positions.empty());
    EXPECT_TRUE(std::is_sorted(frontEnd.positions.begin(), frontEnd.positions.end()));
    EXPECT_EQ(frontEnd.positions.back(), 99);
}

TEST_F(CMp3EncoderLameTest, MonoModeAndResamplingTo44100) {
    Mp3EncoderSettings s;
    s.m_nChannelMode = 3;
    Mp3Facts facts = EncodeSignal(s, 2.0, 1);
    ASSERT_TRUE(facts.decoded);
    EXPECT_EQ(facts.channels, 1);
    EXPECT_EQ(facts.channelMode, 3);
    EXPECT_NEAR(facts.samples, inputFrames, 576);

    s = Mp3EncoderSettings{};
    s.m_nOutSampleRate = 44100;
    s.m_nSampleRateIndex = 1;
    facts = EncodeSignal(s, 2.0, 2);
    ASSERT_TRUE(facts.decoded);
    EXPECT_EQ(facts.sampleRate, 44100);
    EXPECT_EQ(facts.mpegVersion, 1);
    EXPECT_NEAR(facts.samples, 2 * inputFrames, 1152);
    EXPECT_EQ(facts.bitrates, (std::set<int>{128}));
}

TEST_F(CMp3EncoderLameTest, VbrAndRatesAboveWhatMpeg2Allows) {
    Mp3EncoderSettings s;
    s.m_nEncodeMode = 2;
    s.m_nVbrQuality = 2;
    Mp3Facts facts = EncodeSignal(s, 3.0, 2);
    ASSERT_TRUE(facts.decoded);
    EXPECT_EQ(facts.infoTag, "Xing");
    EXPECT_TRUE(facts.vbrStream);
    EXPECT_GT(facts.bitrates.size(), 1u);
    EXPECT_NEAR(facts.samples, inputFrames, 576);

    // 256 kbit/s CBR and the "Studio" preset at 22050 Hz: LAME lowers
    // both to 160, the most MPEG-2 allows.
    s = Mp3EncoderSettings{};
    s.m_nBitrate = 256;
    EXPECT_EQ(EncodeSignal(s, 1.0, 2).bitrates, (std::set<int>{160}));
    s = Mp3EncoderSettings{};
    s.m_nEncodeMode = 3;
    s.m_nPreset = 22;
    facts = EncodeSignal(s, 1.0, 2);
    EXPECT_EQ(facts.bitrates, (std::set<int>{160}));
    EXPECT_EQ(facts.infoTag, "Info");
}

TEST_F(CMp3EncoderLameTest, CancelledEncodeIsAFinishedShorterFile) {
    frontEnd.cancelAt = 50;
    const Mp3Facts facts = EncodeSignal(Mp3EncoderSettings{}, 5.0, 2);
    ASSERT_TRUE(facts.decoded);
    EXPECT_EQ(frontEnd.positions.size(), 50u);
    EXPECT_EQ(facts.infoTag, "Info");
    // 50 chunks of 576 samples per channel were encoded.
    EXPECT_NEAR(facts.samples, 50 * 576, 576);
}

}  // namespace
}  // namespace tonalbox
