#include "platform/audio/BankSelect.h"

#include <algorithm>
#include <array>

namespace tonalbox::audio {

namespace {

// The messages' bodies (without F0 and F7). The second byte is the device
// number, 0x10 to 0x1F: the scheduler hands messages for any of them to
// the synthesizer as its own, so each counts here too.
constexpr std::array<uint8_t, 7> kXgSystemOn = {0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00};
constexpr std::array<uint8_t, 9> kGsReset = {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41};

template <size_t N>
bool IsMessage(const uint8_t* body, uint32_t size, const std::array<uint8_t, N>& message) {
    if (size != N || body[0] != message[0] || (body[1] & 0xF0) != 0x10) return false;
    return std::equal(message.begin() + 2, message.end(), body + 2);
}

}  // namespace

const std::vector<BankSelectName>& BankSelectNames() {
    static const std::vector<BankSelectName> names = {
        {BankSelect::Gm, "gm"}, {BankSelect::Gs, "gs"},     {BankSelect::Xg, "xg"},
        {BankSelect::Mma, "mma"}, {BankSelect::Auto, "auto"},
    };
    return names;
}

std::string_view FluidSynthName(BankSelect mode) {
    if (mode == BankSelect::Default || mode == BankSelect::Auto) return {};
    for (const BankSelectName& n : BankSelectNames())
        if (n.mode == mode) return n.name;
    return {};
}

BankSelect BankSelectOfFirstSysEx(const MidiSequence& sequence) {
    for (const MidiEvent& e : sequence.Events()) {
        if (e.status != MidiSequence::kSysEx) continue;
        const uint8_t* body = sequence.SysExData().data() + e.offset;
        if (IsMessage(body, e.size, kXgSystemOn)) return BankSelect::Xg;
        if (IsMessage(body, e.size, kGsReset)) return BankSelect::Gs;
        return BankSelect::Default;
    }
    return BankSelect::Default;
}

}  // namespace tonalbox::audio
