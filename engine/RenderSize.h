#pragma once
// How big a piece's temporary WAV file gets, known before it is rendered.

#include <cstdint>

#include "platform/audio/AudioTypes.h"

namespace tonalbox {

class RenderSize {
public:
    // Bytes of the temporary WAV for musicSeconds of music in format:
    // the header, the music, then what the run renders after the end (up
    // to one poll and the tail). UINT64_MAX when beyond counting.
    static uint64_t TempWavBytes(double musicSeconds, const audio::WaveFormatEx& format);

    // Room the temporary folder needs while such a WAV is made: the WAV
    // itself and, when the run normalises the level, the float samples
    // (twice the WAV's sample bytes) kept until it is written, when they
    // are more than the normaliser keeps in memory (then all of them go
    // to the folder); and for each of `stems` channels written apart, a
    // WAV of the same size, and its float samples (always kept until the
    // mix's gain is known) when they are more than its part of the stems'
    // memory budget.
    static uint64_t TempFolderBytes(uint64_t tempWavBytes, bool normalize, int stems = 0);

    // True when a temporary WAV of that many bytes is a WAV file the sizes
    // of which can be written.
    static bool FitsInWav(uint64_t tempWavBytes);
};

}  // namespace tonalbox
