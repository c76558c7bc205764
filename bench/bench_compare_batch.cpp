// Writes the batches of MIDI files that bench/compare converts both ways:
//   bench_compare_batch FOLDER [COUNT [SECONDS]]
//   bench_compare_batch FOLDER --uneven
// COUNT files (default 8) of SECONDS seconds of music each (default 30):
// four to six instruments and drums, each file with its own instruments,
// tempo and key, so that the batch resembles a folder of songs.
// The uneven batch has ten files from 10 s to 150 s, three of them dense
// (three times the notes, held longer), in the order of their length: a
// folder whose longest pieces come last in the list.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "midigen/MidiFileWriter.h"

namespace {

using tonalbox::midigen::MidiFileWriter;

constexpr int kTicks = 480;

// A small deterministic generator, so the batch is the same on every run.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : m_state(seed * 2654435761u + 1) {}
    int Next(int bound) {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<int>((m_state >> 8) % static_cast<uint32_t>(bound));
    }

private:
    uint32_t m_state;
};

// Dense songs: the lead in sixteenths, a six-note pad struck on every
// beat and the counter melody on every beat, all sounding longer.
MidiFileWriter Song(int index, int seconds, bool dense = false) {
    Lcg rng(static_cast<uint32_t>(index + 1));
    MidiFileWriter w(1, kTicks);
    const int bpm = 90 + rng.Next(60);
    w.TempoBpm(0, 0, bpm);
    const int beats = seconds * bpm / 60;
    const int key = 57 + rng.Next(8);
    static const int scale[] = {0, 2, 3, 5, 7, 8, 10, 12};
    static const int progression[] = {0, 5, 3, 4};  // degrees of the scale
    static const int melodic[] = {0, 4, 19, 24, 40, 56, 65, 71, 73, 81};
    static const int pads[] = {48, 49, 50, 52, 88, 89};
    static const int basses[] = {32, 33, 34, 38};

    const int lead = 1, pad = 2, bass = 3, drums = 4, counter = 5;
    w.ProgramChange(lead, 0, 0, melodic[rng.Next(10)]);
    w.ProgramChange(pad, 0, 1, pads[rng.Next(6)]);
    w.ProgramChange(bass, 0, 2, basses[rng.Next(4)]);
    w.ProgramChange(counter, 0, 3, melodic[rng.Next(10)]);
    w.ControlChange(pad, 0, 1, 7, 70);

    for (int beat = 0; beat < beats; ++beat) {
        const uint32_t t = static_cast<uint32_t>(beat * kTicks);
        const int degree = progression[(beat / 4) % 4];
        const int root = key - 12 + scale[degree];
        // Lead: eighths from the scale (sixteenths held for an eighth, dense).
        const int leadNotes = dense ? 4 : 2;
        const uint32_t step = static_cast<uint32_t>(kTicks / leadNotes);
        for (int k = 0; k < leadNotes; ++k) {
            const int note = key + 12 + scale[rng.Next(8)];
            if (rng.Next(5) > 0)
                w.Note(lead, t + static_cast<uint32_t>(k) * step, dense ? kTicks / 2 : step - 20, 0, note,
                       70 + rng.Next(40));
        }
        // Pad: a chord every bar (six notes on every beat, dense).
        if (dense || beat % 4 == 0) {
            for (int k : {0, 2, 4}) {
                const int note = root + 12 + scale[(degree + k) % 7];
                w.Note(pad, t, 4 * kTicks - 10, 1, note, 60);
                if (dense) w.Note(pad, t, 4 * kTicks - 10, 1, note + 12, 50);
            }
        }
        // Bass: root on every beat.
        w.Note(bass, t, kTicks - 40, 2, root - 12, 95);
        // Counter melody: quarter notes, every other beat (every beat, dense).
        if (dense || beat % 2 == 1) w.Note(counter, t, kTicks - 30, 3, key + scale[rng.Next(8)], 75);
        // Drums: kick, snare, hats.
        w.Note(drums, t, kTicks / 4, 9, beat % 2 == 0 ? 36 : 38, 100);
        w.Note(drums, t, kTicks / 4, 9, 42, 70);
        w.Note(drums, t + kTicks / 2, kTicks / 4, 9, 42, 55);
        if (beat % 16 == 0) w.Note(drums, t, kTicks, 9, 49, 100);
    }
    return w;
}

struct Piece {
    int seconds;
    bool dense;
};

// Ten pieces from 10 s to 150 s, shortest first; three dense, the longest too.
std::vector<Piece> UnevenBatch() {
    return {{10, false}, {25, false}, {40, true},  {55, false},  {70, false},
            {85, true},  {100, false}, {115, false}, {130, false}, {150, true}};
}

bool WriteSong(const std::string& folder, int index, const Piece& piece) {
    char name[32];
    std::snprintf(name, sizeof name, "song%02d.mid", index + 1);
    const std::string path = folder + "/" + name;
    if (Song(index, piece.seconds, piece.dense).Write(path)) return true;
    std::fprintf(stderr, "Can not write file: %s.\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "Usage: %s FOLDER [COUNT [SECONDS]]\n       %s FOLDER --uneven\n", argv[0], argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::vector<Piece> pieces;
    if (argc == 3 && std::string(argv[2]) == "--uneven") {
        pieces = UnevenBatch();
    } else {
        const int count = argc > 2 ? std::atoi(argv[2]) : 8;
        const int seconds = argc > 3 ? std::atoi(argv[3]) : 30;
        if (count < 1 || count > 1000 || seconds < 1 || seconds > 3600) {
            std::fprintf(stderr, "COUNT must be 1..1000 and SECONDS 1..3600\n");
            return 2;
        }
        pieces.assign(static_cast<size_t>(count), Piece{seconds, false});
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (!WriteSong(folder, static_cast<int>(i), pieces[i])) return 1;
    }
    return 0;
}
