#pragma once
// The values behind the positions of the Options dialog's lists: the
// dialog stores position and value together, the command line accepts
// either.

#include <array>
#include <cstddef>

namespace tonalbox {

inline constexpr std::array<int, 3> kWavSampleRates = {11025, 22050, 44100};
// Position 0 is "Same as input".
inline constexpr std::array<int, 4> kMp3SampleRates = {0, 11025, 22050, 44100};
inline constexpr std::array<int, 14> kBitrates = {32,  40,  48,  56,  64,  80,  96,
                                                  112, 128, 160, 192, 224, 256, 320};
inline constexpr int kVbrQualityMin = 0;
inline constexpr int kVbrQualityMax = 9;
// Stereo, joint stereo, dual channel, mono.
inline constexpr int kMp3ChannelModeCount = 4;
// CBR, ABR, VBR, preset.
inline constexpr int kEncodeModeCount = 4;

// The value at a list position; 0 for a position outside the list.
template <std::size_t N>
constexpr int ValueAt(const std::array<int, N>& table, int position) {
    return position >= 0 && static_cast<std::size_t>(position) < N
               ? table[static_cast<std::size_t>(position)]
               : 0;
}

}  // namespace tonalbox
