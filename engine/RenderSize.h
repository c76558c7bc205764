#pragma once
// How big a piece's temporary WAV file gets, known before it is rendered.

#include <cstdint>

#include "platform/audio/AudioTypes.h"

namespace tonalbox {

class RenderSize {
public:
    // Header bytes of the temporary WAV file, before its samples.
    static constexpr uint64_t kHeaderBytes = 56;
    // Most sample bytes a WAV file can hold: its RIFF size field, which
    // counts them with the rest of the header, is 32 bits.
    static constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - (kHeaderBytes - 8);

    // Bytes of the temporary WAV for musicSeconds of music in format:
    // the header, the music, then what the run renders after the end (up
    // to one poll and the tail). UINT64_MAX when beyond counting.
    static uint64_t TempWavBytes(double musicSeconds, const audio::WaveFormatEx& format);

    // True when a temporary WAV of that many bytes is a WAV file the sizes
    // of which can be written.
    static bool FitsInWav(uint64_t tempWavBytes);
};

}  // namespace tonalbox
