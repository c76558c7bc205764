#pragma once
// The level of a run's outputs: each file normalised to one integrated
// loudness (with its true peak at or below -1 dBTP), or written at the
// synthesizer's fixed level. Not part of the stored settings: the window
// always uses the defaults.

#include "platform/audio/LoudnessNormalizer.h"

namespace tonalbox {

struct LoudnessOptions {
    static constexpr double kDefaultTargetLufs = audio::LoudnessNormalizer::kDefaultTargetLufs;
    static constexpr double kMinTargetLufs = -30.0;
    static constexpr double kMaxTargetLufs = -10.0;

    bool normalize = true;
    double targetLufs = kDefaultTargetLufs;
};

}  // namespace tonalbox
