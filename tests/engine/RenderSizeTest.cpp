// The size of a piece's temporary WAV, known before rendering.

#include "engine/RenderSize.h"

#include <gtest/gtest.h>

namespace tonalbox {
namespace {

audio::WaveFormatEx Pcm16(int channels, int rate) {
    audio::WaveFormatEx f;
    f.wFormatTag = 1;
    f.nChannels = static_cast<uint16_t>(channels);
    f.nSamplesPerSec = static_cast<uint32_t>(rate);
    f.wBitsPerSample = 16;
    f.nBlockAlign = static_cast<uint16_t>(2 * channels);
    return f;
}

TEST(RenderSize, TheWavLimitDependsOnTheRunsRateAndChannels) {
    const double hour = 3600.0;
    // 4 GiB of 96 kHz stereo is 3.1 hours; of 22050 Hz stereo 13.5 hours.
    EXPECT_TRUE(RenderSize::FitsInWav(RenderSize::TempWavBytes(3.0 * hour, Pcm16(2, 96000))));
    EXPECT_FALSE(RenderSize::FitsInWav(RenderSize::TempWavBytes(3.2 * hour, Pcm16(2, 96000))));
    EXPECT_TRUE(RenderSize::FitsInWav(RenderSize::TempWavBytes(3.2 * hour, Pcm16(2, 22050))));
    EXPECT_TRUE(RenderSize::FitsInWav(RenderSize::TempWavBytes(13.0 * hour, Pcm16(2, 22050))));
    EXPECT_FALSE(RenderSize::FitsInWav(RenderSize::TempWavBytes(14.0 * hour, Pcm16(2, 22050))));
    EXPECT_FALSE(RenderSize::FitsInWav(RenderSize::TempWavBytes(1e30, Pcm16(1, 8000))));
}

TEST(RenderSize, ThePieceIsFollowedByTheTailAndAPoll) {
    // One second at 10000 Hz mono is 20000 bytes; 1.1 s more follow it.
    EXPECT_EQ(RenderSize::TempWavBytes(1.0, Pcm16(1, 10000)), 56u + 2 * 21000);
    EXPECT_EQ(RenderSize::TempWavBytes(0.0, Pcm16(2, 10000)), 56u + 4 * 11000);
}

}  // namespace
}  // namespace tonalbox
