#include "examples/ExamplePieces.h"

#include <array>
#include <cstdint>

namespace tonalbox::examples {

namespace {

using midigen::MidiFileWriter;

constexpr int kTicks = 480;  // per quarter note
constexpr uint32_t kBar = 4 * kTicks;

uint32_t At(int bar, double beat) {
    return static_cast<uint32_t>(bar) * kBar + static_cast<uint32_t>(beat * kTicks);
}

uint32_t Beats(double beats) { return static_cast<uint32_t>(beats * kTicks); }

// A chord as the root's key and the two keys above it.
struct Chord {
    int root;
    int third;
    int fifth;
};

// General MIDI programs and drum keys used below.
constexpr int kAcousticGrandPiano = 0;
constexpr int kElectricPiano = 4;
constexpr int kFingeredBass = 33;
constexpr int kStringEnsemble = 48;
constexpr int kAltoSax = 65;
constexpr int kDrumChannel = 9;
constexpr int kKick = 36;
constexpr int kSnare = 38;
constexpr int kClosedHat = 42;
constexpr int kOpenHat = 46;
constexpr int kCrash = 49;
constexpr int kHighTom = 50;
constexpr int kMidTom = 47;
constexpr int kLowTom = 45;

// One melody note: start beat within the bar, length in beats, key (0 = rest).
struct Note {
    double beat;
    double length;
    int key;
};

}  // namespace

MidiFileWriter PianoPiece() {
    MidiFileWriter w(1, kTicks);
    w.TrackName(0, 0, "Tonalbox example: piano");
    w.TimeSignature(0, 0, 4, 2);
    w.TempoBpm(0, 0, 96.0);
    const int right = 1, left = 2;
    w.TrackName(right, 0, "Right hand");
    w.TrackName(left, 0, "Left hand");
    w.ProgramChange(right, 0, 0, kAcousticGrandPiano);
    w.ControlChange(right, 0, 0, 91, 40);  // a little reverb

    // C  Am  F  G | C  Em  F  G | Am  F  C  G | F  G  C  C
    const std::array<Chord, 16> chords = {{
        {48, 52, 55}, {45, 48, 52}, {41, 45, 48}, {43, 47, 50},
        {48, 52, 55}, {40, 43, 47}, {41, 45, 48}, {43, 47, 50},
        {45, 48, 52}, {41, 45, 48}, {48, 52, 55}, {43, 47, 50},
        {41, 45, 48}, {43, 47, 50}, {48, 52, 55}, {48, 52, 55},
    }};
    const std::array<std::array<Note, 6>, 16> melody = {{
        {{{0, 1, 76}, {1, 1, 79}, {2, 1.5, 77}, {3.5, 0.5, 76}, {0, 0, 0}, {0, 0, 0}}},
        {{{0, 1, 72}, {1, 1, 76}, {2, 2, 74}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
        {{{0, 1, 72}, {1, 0.5, 74}, {1.5, 0.5, 72}, {2, 1, 69}, {3, 1, 72}, {0, 0, 0}}},
        {{{0, 2, 71}, {2, 1, 74}, {3, 1, 79}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
        {{{0, 1, 79}, {1, 1, 84}, {2, 1.5, 83}, {3.5, 0.5, 81}, {0, 0, 0}, {0, 0, 0}}},
        {{{0, 1, 79}, {1, 1, 76}, {2, 2, 71}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
        {{{0, 1, 72}, {1, 1, 77}, {2, 1, 81}, {3, 1, 77}, {0, 0, 0}, {0, 0, 0}}},
        {{{0, 3, 79}, {3, 0.5, 77}, {3.5, 0.5, 74}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
        {{{0, 1.5, 76}, {1.5, 0.5, 72}, {2, 1, 69}, {3, 1, 72}, {0, 0, 0}, {0, 0, 0}}},
        {{{0, 1, 77}, {1, 1, 81}, {2, 2, 84}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
        {{{0, 1, 84}, {1, 0.5, 83}, {1.5, 0.5, 81}, {2, 1, 79}, {3, 1, 76}, {0, 0, 0}}},
        {{{0, 2, 74}, {2, 1, 71}, {3, 1, 74}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
        {{{0, 1, 72}, {1, 1, 77}, {2, 1, 81}, {3, 1, 84}, {0, 0, 0}, {0, 0, 0}}},
        {{{0, 1.5, 83}, {1.5, 0.5, 81}, {2, 1, 79}, {3, 1, 74}, {0, 0, 0}, {0, 0, 0}}},
        {{{0, 2, 76}, {2, 1, 79}, {3, 1, 74}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
        {{{0, 4, 72}, {0, 4, 76}, {0, 4, 79}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
    }};

    for (int bar = 0; bar < 16; ++bar) {
        for (const Note& n : melody[static_cast<size_t>(bar)]) {
            if (n.key == 0) continue;
            const int velocity = (n.beat == 0 || n.beat == 2) ? 88 : 76;
            w.Note(right, At(bar, n.beat), Beats(n.length) - 20, 0, n.key, velocity);
        }
        const Chord& c = chords[static_cast<size_t>(bar)];
        if (bar == 15) {
            // The last bar: one held chord.
            for (int key : {c.root - 12, c.root, c.fifth}) w.Note(left, At(bar, 0), Beats(4), 0, key, 70);
            continue;
        }
        // Broken chord in eighths: root, fifth, third, fifth, twice.
        const std::array<int, 8> pattern = {c.root, c.fifth, c.third, c.fifth,
                                            c.root, c.fifth, c.third, c.fifth};
        for (int i = 0; i < 8; ++i) {
            w.Note(left, At(bar, i * 0.5), Beats(0.5) - 10, 0, pattern[static_cast<size_t>(i)],
                   i % 4 == 0 ? 66 : 54);
        }
        // Sustain pedal changed with every bar.
        w.ControlChange(left, At(bar, 0), 0, 64, 0);
        w.ControlChange(left, At(bar, 0) + 10, 0, 64, 127);
    }
    w.ControlChange(left, At(16, 0) + Beats(1), 0, 64, 0);
    w.EndOfTrack(0, At(16, 0) + Beats(1));
    return w;
}

MidiFileWriter BandPiece() {
    MidiFileWriter w(1, kTicks);
    w.TrackName(0, 0, "Tonalbox example: band");
    w.TimeSignature(0, 0, 4, 2);
    w.TempoBpm(0, 0, 120.0);
    const int drums = 1, bass = 2, keys = 3, strings = 4, lead = 5;
    w.TrackName(drums, 0, "Drums");
    w.TrackName(bass, 0, "Bass");
    w.TrackName(keys, 0, "Electric piano");
    w.TrackName(strings, 0, "Strings");
    w.TrackName(lead, 0, "Saxophone");
    w.ProgramChange(bass, 0, 1, kFingeredBass);
    w.ProgramChange(keys, 0, 2, kElectricPiano);
    w.ProgramChange(strings, 0, 3, kStringEnsemble);
    w.ProgramChange(lead, 0, 4, kAltoSax);
    w.ControlChange(keys, 0, 2, 10, 40);     // pan left
    w.ControlChange(strings, 0, 3, 10, 88);  // pan right
    w.ControlChange(strings, 0, 3, 7, 70);   // strings in the background
    w.ControlChange(lead, 0, 4, 91, 50);

    // Am  F  C  G, four times.
    const std::array<Chord, 4> chords = {{{45, 48, 52}, {41, 45, 48}, {48, 52, 55}, {43, 47, 50}}};

    for (int bar = 0; bar < 16; ++bar) {
        const Chord& c = chords[static_cast<size_t>(bar % 4)];
        const bool fill = bar == 7 || bar == 15;

        // Drums: kick on 1 and 3 (and the "and" of 3), snare on 2 and 4,
        // closed hi-hat in eighths, a crash on every fourth bar, tom fills.
        if (bar % 4 == 0) w.Note(drums, At(bar, 0), Beats(1), kDrumChannel, kCrash, 100);
        for (int i = 0; i < 8; ++i) {
            if (fill && i >= 4) break;
            const int hat = (i == 7) ? kOpenHat : kClosedHat;
            w.Note(drums, At(bar, i * 0.5), Beats(0.25), kDrumChannel, hat, i % 2 ? 60 : 80);
        }
        w.Note(drums, At(bar, 0), Beats(0.5), kDrumChannel, kKick, 110);
        w.Note(drums, At(bar, 2), Beats(0.5), kDrumChannel, kKick, 100);
        w.Note(drums, At(bar, 2.5), Beats(0.5), kDrumChannel, kKick, 80);
        w.Note(drums, At(bar, 1), Beats(0.5), kDrumChannel, kSnare, 100);
        if (fill) {
            const std::array<int, 8> toms = {kSnare, kSnare, kHighTom, kHighTom,
                                             kMidTom, kMidTom, kLowTom, kLowTom};
            for (int i = 0; i < 8; ++i)
                w.Note(drums, At(bar, 2 + i * 0.25), Beats(0.25), kDrumChannel,
                       toms[static_cast<size_t>(i)], 80 + i * 4);
        } else {
            w.Note(drums, At(bar, 3), Beats(0.5), kDrumChannel, kSnare, 100);
        }

        // Bass: root in eighths with an octave jump and a fifth at the end.
        const std::array<int, 8> line = {c.root - 12, c.root - 12, c.root, c.root - 12,
                                         c.root - 12, c.root - 12, c.fifth - 12, c.root - 12};
        for (int i = 0; i < 8; ++i)
            w.Note(bass, At(bar, i * 0.5), Beats(0.5) - 30, 1, line[static_cast<size_t>(i)], 96);

        // Electric piano: off-beat chord stabs.
        for (double beat : {0.5, 1.5, 2.5, 3.5}) {
            for (int key : {c.root + 12, c.third + 12, c.fifth + 12})
                w.Note(keys, At(bar, beat), Beats(0.35), 2, key, 70);
        }

        // Strings: the chord held for the bar from the second half on.
        if (bar >= 8) {
            for (int key : {c.root, c.third, c.fifth + 12}) w.Note(strings, At(bar, 0), Beats(4) - 10, 3, key, 64);
        }
    }

    // Saxophone: a phrase over bars 4-7, played again over bars 12-15.
    const std::array<Note, 14> phrase = {{
        {0, 1.5, 76}, {1.5, 0.5, 74}, {2, 1, 72}, {3, 1, 69},
        {4, 1, 72}, {5, 1, 74}, {6, 2, 77},
        {8, 1.5, 79}, {9.5, 0.5, 77}, {10, 1, 76}, {11, 1, 72},
        {12, 1, 74}, {13, 1, 71}, {14, 2, 69},
    }};
    for (int start : {4, 12}) {
        for (const Note& n : phrase) w.Note(lead, At(start, n.beat), Beats(n.length) - 30, 4, n.key, 96);
    }

    // Ending: a last crash and kick on the downbeat after the last bar.
    w.Note(drums, At(16, 0), Beats(2), kDrumChannel, kCrash, 110);
    w.Note(drums, At(16, 0), Beats(0.5), kDrumChannel, kKick, 110);
    w.Note(bass, At(16, 0), Beats(2), 1, 45 - 12, 100);
    for (int key : {57, 60, 64}) w.Note(keys, At(16, 0), Beats(2), 2, key, 80);
    w.EndOfTrack(0, At(16, 0) + Beats(2));
    return w;
}

}  // namespace tonalbox::examples
