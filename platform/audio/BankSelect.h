#pragma once
// How the synthesizer reads Bank Select controllers: FluidSynth's modes
// (synth.midi-bank-select), its own default, or a choice made per file
// from the reset message the file starts with.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/audio/MidiSequence.h"

namespace tonalbox::audio {

enum class BankSelect { Default, Gm, Gs, Xg, Mma, Auto };

struct BankSelectName {
    BankSelect mode;
    std::string_view name;  // FluidSynth's name of the mode; "auto" for Auto
};

// The modes a user may name, in the order the help lists them.
const std::vector<BankSelectName>& BankSelectNames();

// FluidSynth's name of a mode; empty for Default and Auto, which are no
// mode of FluidSynth's.
std::string_view FluidSynthName(BankSelect mode);

// The mode a file asks for by its first SysEx message: Xg for an XG System
// On, Gs for a GS Reset, Default for anything else or none. Files written
// for one of those sound modules start with its reset, and their bank
// selects only find the right instruments read that module's way.
BankSelect BankSelectOfFirstSysEx(const MidiSequence& sequence);

}  // namespace tonalbox::audio
