#include "platform/audio/ChannelUse.h"

#include <algorithm>

namespace tonalbox::audio {

ChannelUses ChannelUseOf(const MidiSequence& sequence) {
    ChannelUses uses;
    std::array<int, kMidiChannels> program{};
    for (const MidiEvent& e : sequence.Events()) {
        if (e.status < 0x80 || e.status >= 0xF0) continue;
        const size_t channel = e.status & 0x0Fu;
        const int kind = e.status & 0xF0;
        if (kind == 0xC0) program[channel] = e.data1 & 0x7F;
        if (kind != 0x90 || e.data2 == 0) continue;
        ChannelUse& use = uses[channel];
        ++use.notes;
        if (std::find(use.programs.begin(), use.programs.end(), program[channel]) == use.programs.end())
            use.programs.push_back(program[channel]);
    }
    return uses;
}

}  // namespace tonalbox::audio
