#include "midigen/GmTestPiece.h"

#include <array>
#include <cstdint>

namespace tonalbox::midigen {

namespace {
constexpr int kPpq = 480;
constexpr uint32_t kBeat = kPpq;
constexpr uint32_t kBar = 4 * kBeat;

// A fixed pseudo-random sequence, so the piece is the same every time.
struct Lcg {
    uint32_t state = 12345;
    int Next(int range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 16) % static_cast<uint32_t>(range));
    }
};
}  // namespace

MidiFileWriter GmTestPiece::Build(int seconds, bool dense) {
    MidiFileWriter w(1, kPpq);
    const int bars = seconds / 2;  // 2 s per bar at 120 bpm
    w.TrackName(0, 0, "Test piece");
    w.TempoBpm(0, 0, 120);
    w.TimeSignature(0, 0, 4, 2);

    // Programs: piano, bass, strings, brass, lead, arpeggio (harp), pad.
    const std::array<int, 7> programs{0, 33, 48, 61, 80, 46, 89};
    for (int ch = 0; ch < 7; ++ch) {
        w.ProgramChange(ch + 1, 0, ch, programs[static_cast<size_t>(ch)]);
        w.ControlChange(ch + 1, 0, ch, 7, dense ? 110 : 100);
        w.ControlChange(ch + 1, 0, ch, 10, 20 + 14 * ch);
        w.ControlChange(ch + 1, 0, ch, 91, 60);
        w.ControlChange(ch + 1, 0, ch, 93, 30);
    }
    w.ControlChange(8, 0, 9, 7, dense ? 120 : 100);
    const int soft = dense ? 0 : 25;  // velocity taken off in the plainer piece

    const std::array<int, 4> roots{48, 45, 41, 43};  // C, A, F, G
    Lcg rng;
    for (int bar = 0; bar < bars; ++bar) {
        const uint32_t t0 = static_cast<uint32_t>(bar) * kBar;
        const int root = roots[static_cast<size_t>(bar % 4)];
        const bool minor = bar % 4 == 1;
        const std::array<int, 3> chord{root, root + (minor ? 3 : 4), root + 7};

        // Piano chords on every beat with the sustain pedal per bar.
        w.ControlChange(1, t0, 0, 64, 127);
        for (int beat = 0; beat < 4; ++beat)
            for (int n : chord) w.Note(1, t0 + beat * kBeat, kBeat - 40, 0, n + 12, 80 - soft + rng.Next(30));
        w.ControlChange(1, t0 + kBar - 10, 0, 64, 0);

        // Bass in eighths.
        for (int e = 0; e < 8; ++e)
            w.Note(2, t0 + e * kBeat / 2, kBeat / 2 - 20, 1, root - 12 + (e % 2) * 7, 100 - soft);

        // String pad, whole notes.
        for (int n : chord) w.Note(3, t0, kBar - 10, 2, n + 12, 90 - soft);
        if (dense) {
            for (int n : chord) w.Note(7, t0, kBar - 10, 6, n + 24, 70);
            // Brass stabs on beats 2 and 4.
            for (int beat : {1, 3})
                for (int n : chord) w.Note(4, t0 + beat * kBeat, kBeat / 2, 3, n + 12, 95);
        }

        // Lead melody in eighths and quarters.
        uint32_t t = t0;
        while (t < t0 + kBar) {
            const uint32_t len = rng.Next(2) ? kBeat / 2 : kBeat;
            const int n = chord[static_cast<size_t>(rng.Next(3))] + 24 + (rng.Next(2) ? 12 : 0);
            w.Note(5, t, len - 10, 4, n, 100 - soft + rng.Next(20));
            t += len;
        }

        // Arpeggio in sixteenths.
        for (int s = 0; s < (dense ? 16 : 0); ++s)
            w.Note(6, t0 + s * kBeat / 4, kBeat / 4, 5, chord[static_cast<size_t>(s % 3)] + 24 + 12 * (s / 8), 85);

        // Drums: kick, snare, closed hats in eighths, crash every 4 bars.
        for (int beat = 0; beat < 4; ++beat) {
            w.Note(8, t0 + beat * kBeat, 100, 9, beat % 2 == 0 ? 36 : 38, 115 - soft);
        }
        for (int e = 0; e < 8; ++e) w.Note(8, t0 + e * kBeat / 2, 60, 9, 42, 90 - soft + rng.Next(20));
        if (bar % 4 == 0) w.Note(8, t0, kBeat, 9, 49, 110 - soft);
    }
    return w;
}

}  // namespace tonalbox::midigen
