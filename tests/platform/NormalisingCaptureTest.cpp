// The wave capture effect in its normalising mode, at its edges: silence
// and pieces too short to measure keep their level (never an infinite or
// undefined gain), and audio that cannot be kept fails the capture. The
// normaliser gives the same samples whether it kept the piece in memory
// or in its file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "audioprobe/WavFile.h"
#include "platform/audio/AudioErrors.h"
#include "platform/audio/LoudnessNormalizer.h"
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

struct Normalised {
    bool ok = false;
    bool spilled = false;
    std::vector<int16_t> samples;
};

// Normalises stereo `samples` keeping at most `budget` bytes of them in
// memory; the file, if any, goes next to `nearPath`.
Normalised Normalise(const std::string& nearPath, const std::vector<float>& samples, uint64_t budget) {
    audio::LoudnessNormalizer normalizer(budget);
    Normalised out;
    if (!normalizer.Begin(nearPath, 2, kRate).ok()) return out;
    for (size_t at = 0; at < samples.size(); at += 2048)
        normalizer.Add(samples.data() + at, std::min<size_t>(2048, samples.size() - at) / 2);
    out.spilled = normalizer.Spilled();
    const double gain = audio::LoudnessNormalizer::GainFor(normalizer.Measure(-16.0), -16.0);
    out.ok = normalizer
                 .Replay(gain,
                         [&out](int16_t* pcm, size_t frames) {
                             out.samples.insert(out.samples.end(), pcm, pcm + 2 * frames);
                             return true;
                         })
                 .ok();
    return out;
}

TEST(NormalisingCaptureTest, SamplesKeptInMemoryOrInTheFileGiveTheSameOutput) {
    // A quiet tone with a loud burst: the gain is held back by the burst's
    // true peak, which is measured by reading the samples back there.
    std::vector<float> samples = Sine(3.0, 0.02f);
    const std::vector<float> burst = Sine(0.2, 0.9f);
    std::copy(burst.begin(), burst.end(), samples.begin() + 2 * kRate);
    TempDir dir;
    const Normalised inMemory = Normalise(dir.File("a.wav"), samples, audio::SampleSpillFile::kDefaultMemoryBudget);
    ASSERT_TRUE(inMemory.ok);
    EXPECT_FALSE(inMemory.spilled);
    ASSERT_EQ(inMemory.samples.size(), samples.size());
    EXPECT_LT(*std::max_element(inMemory.samples.begin(), inMemory.samples.end()),
              audio::RenderBuffer::ToPcm16(0.9f)) << "the burst's peak lowered the gain";
    // Past the budget half-way through, and from the first sample on.
    for (const uint64_t budget : {uint64_t{samples.size() * sizeof(float) / 2}, uint64_t{0}}) {
        const Normalised spilled = Normalise(dir.File("a.wav"), samples, budget);
        ASSERT_TRUE(spilled.ok) << budget;
        EXPECT_TRUE(spilled.spilled) << budget;
        EXPECT_EQ(spilled.samples, inMemory.samples) << budget;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << "no sample file left";

    // A piece that fits in memory needs no room in the folder; one that
    // goes to its file fails when the file cannot hold it.
    testsupport::ScopedFileSizeLimit limit(64 * 1024);
    ASSERT_TRUE(limit.Active());
    EXPECT_TRUE(Normalise(dir.File("a.wav"), samples, audio::SampleSpillFile::kDefaultMemoryBudget).ok);
    EXPECT_FALSE(Normalise(dir.File("a.wav"), samples, 0).ok);
}

}  // namespace
}  // namespace tonalbox::wavecapture
