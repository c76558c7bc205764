#include "audioprobe/LoudnessProbe.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>

namespace tonalbox::audioprobe {

Loudness MeasureLoudness(const WavFile& wav) {
    Loudness result;
    ebur128_state* st = ebur128_init(wav.channels, wav.sampleRate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    if (st == nullptr) return result;
    if (wav.channels == 1) ebur128_set_channel(st, 0, EBUR128_DUAL_MONO);
    ebur128_add_frames_short(st, wav.samples.data(), wav.Frames());
    ebur128_loudness_global(st, &result.lufs);
    double truePeak = 0.0;
    for (unsigned c = 0; c < wav.channels; ++c) {
        double peak = 0.0;
        ebur128_true_peak(st, c, &peak);
        truePeak = std::max(truePeak, peak);
    }
    ebur128_destroy(&st);
    result.truePeakDb = truePeak > 0.0 ? 20.0 * std::log10(truePeak) : -INFINITY;
    result.peakAbs = wav.PeakAbs();
    return result;
}

}  // namespace tonalbox::audioprobe
