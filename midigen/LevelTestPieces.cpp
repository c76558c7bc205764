#include "midigen/LevelTestPieces.h"

#include <array>

namespace tonalbox::midigen {

namespace {
constexpr int kPpq = 480;
constexpr uint32_t kBeat = kPpq;  // 0.5 s at 120 bpm
}  // namespace

MidiFileWriter LevelTestPieces::SoftNote(int velocity) {
    MidiFileWriter w(0, kPpq);
    w.TempoBpm(0, 0, 120);
    w.ProgramChange(0, 0, 0, 0);
    w.Note(0, 0, 4 * kBeat, 0, 60, velocity);
    return w;
}

MidiFileWriter LevelTestPieces::PianoLine(int seconds) {
    MidiFileWriter w(0, kPpq);
    w.TempoBpm(0, 0, 120);
    w.ProgramChange(0, 0, 0, 0);
    const std::array<int, 8> scale{60, 62, 64, 65, 67, 69, 71, 72};
    const uint32_t end = static_cast<uint32_t>(seconds) * 2 * kBeat;
    uint32_t t = 0;
    for (int i = 0; t < end; ++i) {
        const uint32_t length = i % 3 == 2 ? kBeat : kBeat / 2;
        w.Note(0, t, length - 20, 0, scale[static_cast<size_t>((i * 5) % 8)], 50 + (i * 7) % 40);
        t += length;
    }
    return w;
}

MidiFileWriter LevelTestPieces::DenseArrangement(int seconds) {
    MidiFileWriter w(1, kPpq);
    w.TempoBpm(0, 0, 120);
    const std::array<int, 16> programs{0, 33, 48, 61, 80, 46, 89, 30, 56, 19, 65, 24, 52, 71, 50, 0};
    const std::array<int, 4> roots{48, 45, 41, 43};
    const uint32_t end = static_cast<uint32_t>(seconds) * 2 * kBeat;
    for (int ch = 0; ch < 16; ++ch) {
        const int track = ch + 1;
        if (ch != 9) w.ProgramChange(track, 0, ch, programs[static_cast<size_t>(ch)]);
        w.ControlChange(track, 0, ch, 7, 127);
        w.ControlChange(track, 0, ch, 10, (ch * 37) % 128);
        for (uint32_t t = 0; t < end; t += kBeat / 2) {
            const int root = roots[(t / (8 * kBeat)) % 4];
            if (ch == 9) {
                w.Note(track, t, kBeat / 4, 9, (t / (kBeat / 2)) % 2 ? 38 : 36, 127);
                w.Note(track, t, kBeat / 4, 9, 42, 110);
                continue;
            }
            const int key = root + 12 * (ch % 4) + (ch % 3) * 4;
            w.Note(track, t, kBeat / 2 - 10, ch, key, 110 + ch % 18);
        }
    }
    return w;
}

}  // namespace tonalbox::midigen
