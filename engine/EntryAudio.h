#pragma once
// What an entry's output is and how its audio was rendered: the run tells
// it with the entry's result, and a report writes it down as it is.

#include <optional>
#include <string>

#include "engine/OptionRegistry.h"

namespace tonalbox {

struct EntryAudio {
    // The output's format, rate and channels (0 until the entry's audio was
    // set up), and the SoundFont it is rendered with. No format: no run
    // took the entry.
    std::optional<OutputFormat> format;
    int sampleRate = 0;
    int channels = 0;
    std::string soundFont;
    // The render's integrated loudness and peak before normalisation, and
    // the gain it was written at; empty when it was not normalised (or,
    // for the first two, when there was nothing to measure). The output's
    // own are these plus the gain.
    std::optional<double> loudnessLufs;
    std::optional<double> truePeakDbtp;
    std::optional<double> gainDb;
};

}  // namespace tonalbox
