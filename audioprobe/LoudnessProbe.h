#pragma once
// Measures a 16-bit WAV file as a loudness meter would, with libebur128:
// integrated loudness (a mono file counted as played on both speakers),
// true peak and the largest sample.

#include "audioprobe/WavFile.h"

namespace tonalbox::audioprobe {

struct Loudness {
    double lufs = 0.0;        // -infinity for silence
    double truePeakDb = 0.0;  // dBTP
    int peakAbs = 0;          // largest absolute sample
};

Loudness MeasureLoudness(const WavFile& wav);

}  // namespace tonalbox::audioprobe
