#pragma once
// How the synthesizer plays a run's files: with or without its reverb and
// chorus, and how it reads Bank Select. Not part of the stored settings:
// the window always plays with FluidSynth's defaults.

#include "platform/audio/BankSelect.h"

namespace tonalbox {

struct SynthOptions {
    bool reverb = true;
    bool chorus = true;
    audio::BankSelect bankSelect = audio::BankSelect::Default;
};

}  // namespace tonalbox
