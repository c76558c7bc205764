#pragma once
// What each MIDI channel of a piece plays: how many notes, and with which
// programs. Read from the loaded sequence, without rendering anything.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/audio/MidiSequence.h"

namespace tonalbox::audio {

// MIDI channels of a piece and of the synthesizer.
inline constexpr int kMidiChannels = 16;

struct ChannelUse {
    // Note-ons with a velocity above 0.
    uint64_t notes = 0;
    // The programs (0..127) the notes are played with, in the order they
    // are first played; a channel's program is 0 until it is changed.
    std::vector<int> programs;
};

using ChannelUses = std::array<ChannelUse, kMidiChannels>;

ChannelUses ChannelUseOf(const MidiSequence& sequence);

}  // namespace tonalbox::audio
