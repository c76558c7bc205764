// The wave capture effect in its normalising mode, at its edges: silence
// and pieces too short to measure keep their level (never an infinite or
// undefined gain), and audio that cannot be kept fails the capture.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audioprobe/WavFile.h"
#include "platform/audio/AudioErrors.h"
#include "platform/audio/RenderBuffer.h"
#include "platform/wavecapture/WaveCaptureFx.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/TempDir.h"

namespace tonalbox::wavecapture {
namespace {

using testsupport::TempDir;
using audioprobe::WavFile;

constexpr int kRate = 22050;

WaveFormatEx Stereo() {
    WaveFormatEx f;
    f.wFormatTag = 1;
    f.nChannels = 2;
    f.nSamplesPerSec = kRate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 4;
    f.nAvgBytesPerSec = kRate * 4;
    return f;
}

std::vector<float> Sine(double seconds, float amplitude) {
    std::vector<float> samples(static_cast<size_t>(seconds * kRate) * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = amplitude * static_cast<float>(std::sin(2.0 * M_PI * 1000.0 * static_cast<double>(i / 2) / kRate));
    return samples;
}

// Captures `samples` through a normalising capture into `path`.
HResult Capture(const std::string& path, const std::vector<float>& samples) {
    WaveCaptureFx fx;
    const WaveFormatEx format = Stereo();
    fx.SetFormat(format);
    fx.SetLoudness(true, -16.0);
    if (fx.StartCapture(path.c_str(), &format) != audio::kOk) return audio::kCannotOpen;
    EXPECT_TRUE(fx.TakesFloat());
    for (size_t at = 0; at < samples.size(); at += 2048)
        fx.ProcessFloat(samples.data() + at, std::min<size_t>(2048, samples.size() - at) / 2);
    return fx.StopCapture();
}

TEST(NormalisingCaptureTest, SilenceAndPiecesShorterThanAGatingBlockKeepTheirLevel) {
    TempDir dir;
    const std::vector<float> silence(2 * kRate * 2, 0.0f);
    const std::vector<float> shortTone = Sine(0.3, 0.05f);
    for (const auto* samples : {&silence, &shortTone}) {
        ASSERT_EQ(Capture(dir.File("a.wav"), *samples), audio::kOk);
        WavFile wav;
        ASSERT_TRUE(wav.Read(dir.File("a.wav"))) << wav.Error();
        ASSERT_EQ(wav.samples.size(), samples->size());
        for (size_t i = 0; i < samples->size(); ++i)
            ASSERT_EQ(wav.samples[i], audio::RenderBuffer::ToPcm16((*samples)[i])) << i;
    }
}

// What a failed capture leaves behind is the run's to remove (its
// temporary WAV and partial output): the conversion run tests look at that.
TEST(NormalisingCaptureTest, AudioThatCannotBeKeptFailsTheCapture) {
    TempDir dir;
    HResult hr;
    {
        testsupport::ScopedFileSizeLimit limit(100 * 1024);
        ASSERT_TRUE(limit.Active());
        hr = Capture(dir.File("a.wav"), Sine(2.0, 0.1f));  // 350 KB of floats
    }
    EXPECT_EQ(hr, audio::kWriteFault);
}

}  // namespace
}  // namespace tonalbox::wavecapture
