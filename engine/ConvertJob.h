#pragma once
// What one conversion run works on, owned by the run for its whole length:
// its own copy of the settings (the tag included), the list of files, and
// the front end it reports to. The window and the command line both build
// one per run; nothing else is shared with the thread that runs it.

#include <memory>

#include "engine/ConversionSettings.h"
#include "engine/IConvertFrontEnd.h"
#include "engine/IPathList.h"
#include "engine/LoudnessOptions.h"
#include "engine/SndFileOptions.h"
#include "engine/SynthOptions.h"

namespace tonalbox {

struct ConvertJob {
    // Read by the run; it writes the input rate and channels of the MP3
    // block here before every encode.
    ConversionSettings settings;
    // The files, claimed and read by count and index on the run's thread.
    std::shared_ptr<IPathList> paths;
    // Every call from the run returns once the front end has carried it out.
    IConvertFrontEnd* frontEnd = nullptr;
    // The level of the outputs; not stored with the settings.
    LoudnessOptions loudness = {};
    // How FLAC, Opus and Ogg Vorbis are written; not stored either.
    SndFileOptions sndFile = {};
    // The synthesizer's effects and bank select; not stored either.
    SynthOptions synth = {};
    // Beside each output, one file per MIDI channel that plays a note and
    // their description (command line only; not stored either).
    bool stems = false;
};

}  // namespace tonalbox
