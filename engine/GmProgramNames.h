#pragma once
// The names General MIDI gives its 128 programs, and the drum kits of
// channel 10 by their program numbers (the GS / General MIDI Level 2 kits).

#include <string>

namespace tonalbox {

// The instrument of `program` (0..127); empty outside that.
std::string GmProgramName(int program);
// The drum kit of `program` on the drum channel: a named kit, or "Drum Kit"
// for the numbers that name none.
std::string GmDrumKitName(int program);
// General MIDI's drum channel, counted from 0 (channel 10).
inline constexpr int kGmDrumChannel = 9;

}  // namespace tonalbox
