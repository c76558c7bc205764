// The render buffer: its format, its effect chain and the 16-bit
// conversion; and the look-ahead limiter in front of it.

#include "platform/audio/RenderBuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/audio/AudioErrors.h"
#include "platform/audio/AudioPath.h"
#include "platform/audio/EffectRegistry.h"
#include "platform/audio/LookAheadLimiter.h"
#include "platform/wavecapture/IWaveCaptureFx.h"

namespace tonalbox::audio {
namespace {

// {0B5E1C2A-...}: an effect that counts the frames it sees.
constexpr Guid kCountingFx{0x0B5E1C2A, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr Guid kCountingIid{0x0B5E1C2B, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr Guid kMissingFx{0x0B5E1C2C, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};

struct CountingFx : IAudioEffect {
    static inline size_t framesSeen = 0;
    platform::Result SetFormat(const WaveFormatEx& f) override {
        return f.nChannels ? platform::Result::Ok() : platform::Result::Fail(kBadFormat, "no channels");
    }
    void Process(int16_t*, size_t frames) override { framesSeen += frames; }
    void* GetInterface(const Guid& iid) override { return iid == kCountingIid ? this : nullptr; }
};

class RenderBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        EffectRegistry::Instance().Register(kCountingFx, [] { return std::make_unique<CountingFx>(); });
        CountingFx::framesSeen = 0;
        ASSERT_TRUE(Performance::Create(22050, performance).ok());
    }
    void TearDown() override { EffectRegistry::Instance().Unregister(kCountingFx); }
    std::unique_ptr<Performance> performance;
};

TEST_F(RenderBufferTest, FormatFollowsThePathType) {
    std::unique_ptr<AudioPath> mono, stereo, bad;
    ASSERT_EQ(AudioPath::CreateStandard(*performance, kPathDynamicMono, false, mono).code, kOk);
    ASSERT_EQ(AudioPath::CreateStandard(*performance, kPathDynamicStereo, false, stereo).code, kOk);
    EXPECT_EQ(AudioPath::CreateStandard(*performance, 2, false, bad).code, kInvalidArg);
    EXPECT_EQ(bad, nullptr);
    RenderBuffer* buffer = &mono->Buffer();
    EXPECT_EQ(+buffer->Format().nChannels, 1);
    EXPECT_EQ(+buffer->Format().nBlockAlign, 2);
    EXPECT_EQ(+buffer->Format().nAvgBytesPerSec, 44100u);
    const WaveFormatEx& f = stereo->Buffer().Format();
    EXPECT_EQ(+f.nChannels, 2);
    EXPECT_EQ(+f.nSamplesPerSec, 22050u);
    EXPECT_EQ(+f.cbSize, 0);
}

TEST_F(RenderBufferTest, EffectsSeeTheAudioOnlyOnceThePathIsActive) {
    std::unique_ptr<AudioPath> path;
    ASSERT_EQ(AudioPath::CreateStandard(*performance, kPathDynamicStereo, false, path).code, kOk);
    RenderBuffer* buffer = &path->Buffer();
    int result = -1;
    ASSERT_EQ(buffer->SetFX(1, &kCountingFx, &result).code, kOk);
    EXPECT_EQ(result, kFxrLocSoftware);
    buffer->Render(1000);
    EXPECT_EQ(CountingFx::framesSeen, 0u);
    path->Activate(true);
    buffer->Render(3000);
    EXPECT_EQ(CountingFx::framesSeen, 3000u);
    EXPECT_EQ(buffer->FramesRendered(), 4000u);
}

TEST_F(RenderBufferTest, SetFxIsAllOrNothing) {
    std::unique_ptr<AudioPath> path;
    ASSERT_EQ(AudioPath::CreateStandard(*performance, kPathDynamicStereo, true, path).code, kOk);
    RenderBuffer* buffer = &path->Buffer();
    ASSERT_EQ(buffer->SetFX(1, &kCountingFx, nullptr).code, kOk);
    const Guid both[2] = {kCountingFx, kMissingFx};
    int results[2] = {-1, -1};
    EXPECT_EQ(buffer->SetFX(2, both, results).code, kNoClass);
    EXPECT_EQ(results[0], kFxrUnallocated);
    EXPECT_EQ(results[1], kFxrUnknown);
    EXPECT_EQ(buffer->EffectCount(), 0u);
    ASSERT_EQ(buffer->SetFX(0, nullptr, nullptr).code, kOk);
    EXPECT_EQ(buffer->SetFX(1, nullptr, nullptr).code, kInvalidArg);
}

TEST_F(RenderBufferTest, GetObjectInPathFindsTheEffectAndItsInterface) {
    std::unique_ptr<AudioPath> path;
    ASSERT_EQ(AudioPath::CreateStandard(*performance, kPathDynamicMono, false, path).code, kOk);
    RenderBuffer* buffer = &path->Buffer();
    const Guid chain[3] = {kCountingFx, wavecapture::CLSID_WaveCaptureFx, kCountingFx};
    ASSERT_EQ(buffer->SetFX(3, chain, nullptr).code, kOk);
    void* first = nullptr;
    void* second = nullptr;
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(buffer->GetObjectInPath(kCountingFx, 0, kCountingIid, first).code, kOk);
    EXPECT_EQ(buffer->GetObjectInPath(kCountingFx, 1, kCountingIid, second).code, kOk);
    EXPECT_NE(first, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(buffer->GetObjectInPath(kCountingFx, 2, kCountingIid, object).code, kNotFound);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(buffer->GetObjectInPath(kCountingFx, 0, wavecapture::IID_IWaveCaptureFx, object).code, kNoInterface);
    EXPECT_EQ(buffer->GetObjectInPath(wavecapture::CLSID_WaveCaptureFx, 0, wavecapture::IID_IWaveCaptureFx, object).code,
              kOk);
    EXPECT_NE(object, nullptr);
}

TEST(RenderBufferConversionTest, RoundsAndClipsTo16Bits) {
    EXPECT_EQ(RenderBuffer::ToPcm16(0.0f), 0);
    EXPECT_EQ(RenderBuffer::ToPcm16(0.5f), 16384);
    EXPECT_EQ(RenderBuffer::ToPcm16(-0.5f), -16384);
    EXPECT_EQ(RenderBuffer::ToPcm16(1.0f / 32768 * 0.6f), 1);
    EXPECT_EQ(RenderBuffer::ToPcm16(1.0f), 32767);
    EXPECT_EQ(RenderBuffer::ToPcm16(3.0f), 32767);
    EXPECT_EQ(RenderBuffer::ToPcm16(-1.0f), -32768);
    EXPECT_EQ(RenderBuffer::ToPcm16(-7.0f), -32768);
    EXPECT_EQ(RenderBuffer::ToPcm16(std::numeric_limits<float>::quiet_NaN()), -32768);
    EXPECT_EQ(RenderBuffer::ToPcm16(std::numeric_limits<float>::infinity()), 32767);
}

// A square-wave burst at twice full scale between quiet sine passages: the
// burst comes out at the ceiling, with the gain ramping down over the
// look-ahead instead of dropping in one sample; the quiet audio comes out
// as it went in, only delayed; both channels get the same gain.
TEST(LookAheadLimiterTest, SquareWaveBurstRampsWithoutAGainStep) {
    constexpr int kRate = 44100;
    LookAheadLimiter limiter(kRate);
    const size_t delay = limiter.DelayFrames();
    ASSERT_GT(delay, 100u);
    std::vector<float> left(20000), right(20000);
    for (size_t i = 0; i < left.size(); ++i) {
        const bool burst = i >= 5000 && i < 10000;
        left[i] = burst ? ((i / 25) % 2 ? 2.0f : -2.0f) : 0.3f * std::sin(0.05f * static_cast<float>(i));
        right[i] = -0.5f * left[i];
    }
    std::vector<float> outL = left, outR = right;
    limiter.Process(outL.data(), outR.data(), 7000);  // in two blocks
    limiter.Process(outL.data() + 7000, outR.data() + 7000, outL.size() - 7000);

    float peak = 0.0f, largestStep = 0.0f, previousGain = 1.0f;
    for (size_t i = delay; i < outL.size(); ++i) {
        const float in = left[i - delay];
        peak = std::max({peak, std::fabs(outL[i]), std::fabs(outR[i])});
        if (std::fabs(in) < 0.01f) continue;
        const float gain = outL[i] / in;
        EXPECT_NEAR(outR[i], -0.5f * in * gain, 1e-5f) << i;
        largestStep = std::max(largestStep, std::fabs(gain - previousGain));
        previousGain = gain;
        if (i < 5000) {
            EXPECT_EQ(outL[i], in) << i;
        }
    }
    EXPECT_LE(peak, LookAheadLimiter::kCeiling);
    EXPECT_GT(peak, 0.99f * LookAheadLimiter::kCeiling);
    EXPECT_NEAR(limiter.MinimumGain(), LookAheadLimiter::kCeiling / 2.0f, 0.01f);
    EXPECT_LT(largestStep, 0.01f);  // an instant limiter steps by 0.55 here
    for (size_t i = 0; i < delay; ++i) ASSERT_EQ(outL[i], 0.0f);

    // The same input after Reset gives the same output.
    limiter.Reset();
    std::vector<float> againL = left, againR = right;
    limiter.Process(againL.data(), againR.data(), againL.size());
    EXPECT_EQ(againL, outL);
    EXPECT_EQ(againR, outR);
}

}  // namespace
}  // namespace tonalbox::audio
