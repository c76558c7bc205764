// One capture serves piece after piece, as a job's does: each stem of
// each piece is written at the gain with exactly its own samples.

#include <gtest/gtest.h>

#include <vector>

#include "audioprobe/WavFile.h"
#include "platform/audio/RenderBuffer.h"
#include "platform/wavecapture/StemCapture.h"
#include "tests/support/TempDir.h"

namespace tonalbox::wavecapture {
namespace {

TEST(StemCapture, StemsOfSuccessivePiecesHoldTheirOwnSamples) {
    audio::WaveFormatEx format{};
    format.wFormatTag = audio::kWaveFormatPcm;
    format.nChannels = 2;
    format.nSamplesPerSec = 22050;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 22050 * 4;
    struct Piece {
        std::vector<int> channels;
        size_t frames;
    };
    // Many stems, then one short one, then a few sharing the budget anew.
    const Piece pieces[] = {{{0, 3, 9, 15}, 30000}, {{5}, 700}, {{1, 2}, 20000}};
    testsupport::TempDir dir;
    StemCapture capture;
    const float gain = 0.5f;
    int round = 0;
    for (const Piece& piece : pieces) {
        ++round;
        // A signal of its own for each channel and piece.
        const auto sample = [round](int channel, size_t i) {
            return static_cast<float>((i * 7 + channel * 131 + round * 17) % 2000) / 2000.0f - 0.5f;
        };
        for (int channel : piece.channels)
            ASSERT_TRUE(capture.Add(channel, dir.File(std::to_string(channel) + ".wav"), format).ok());
        std::vector<float> block(2 * 512);
        for (size_t at = 0; at < piece.frames; at += 512) {
            const size_t n = std::min<size_t>(512, piece.frames - at);
            for (int channel : piece.channels) {
                for (size_t i = 0; i < 2 * n; ++i) block[i] = sample(channel, 2 * at + i);
                capture.Process(channel, block.data(), n);
            }
        }
        ASSERT_TRUE(capture.Finish(gain).ok()) << "piece " << round;
        for (int channel : piece.channels) {
            SCOPED_TRACE("piece " + std::to_string(round) + ", channel " + std::to_string(channel));
            audioprobe::WavFile wav;
            ASSERT_TRUE(wav.Read(dir.File(std::to_string(channel) + ".wav")));
            ASSERT_EQ(wav.Frames(), piece.frames);
            size_t wrong = 0;
            for (size_t i = 0; i < wav.samples.size(); ++i)
                wrong += wav.samples[i] != audio::RenderBuffer::ToPcm16(sample(channel, i) * gain);
            EXPECT_EQ(wrong, 0u);
            double lufs = 0.0;
            EXPECT_TRUE(capture.Loudness(channel, &lufs));
        }
    }
}

}  // namespace
}  // namespace tonalbox::wavecapture
