// Writes the batch of MIDI files that bench/compare converts both ways:
//   bench_compare_batch FOLDER [COUNT [SECONDS]]
// COUNT files (default 8) of SECONDS seconds of music each (default 30):
// four to six instruments and drums, each file with its own instruments,
// tempo and key, so that the batch resembles a folder of songs.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

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

MidiFileWriter Song(int index, int seconds) {
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
        // Lead: eighths from the scale.
        for (int half = 0; half < 2; ++half) {
            const int note = key + 12 + scale[rng.Next(8)];
            if (rng.Next(5) > 0)
                w.Note(lead, t + static_cast<uint32_t>(half * kTicks / 2), kTicks / 2 - 20, 0, note,
                       70 + rng.Next(40));
        }
        // Pad: a chord every bar.
        if (beat % 4 == 0) {
            for (int k : {0, 2, 4}) {
                w.Note(pad, t, 4 * kTicks - 10, 1, root + 12 + scale[(degree + k) % 7], 60);
            }
        }
        // Bass: root on every beat.
        w.Note(bass, t, kTicks - 40, 2, root - 12, 95);
        // Counter melody: quarter notes, every other beat.
        if (beat % 2 == 1) w.Note(counter, t, kTicks - 30, 3, key + scale[rng.Next(8)], 75);
        // Drums: kick, snare, hats.
        w.Note(drums, t, kTicks / 4, 9, beat % 2 == 0 ? 36 : 38, 100);
        w.Note(drums, t, kTicks / 4, 9, 42, 70);
        w.Note(drums, t + kTicks / 2, kTicks / 4, 9, 42, 55);
        if (beat % 16 == 0) w.Note(drums, t, kTicks, 9, 49, 100);
    }
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "Usage: %s FOLDER [COUNT [SECONDS]]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 8;
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 30;
    if (count < 1 || count > 1000 || seconds < 1 || seconds > 3600) {
        std::fprintf(stderr, "COUNT must be 1..1000 and SECONDS 1..3600\n");
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "song%02d.mid", i + 1);
        const std::string path = folder + "/" + name;
        if (!Song(i, seconds).Write(path)) {
            std::fprintf(stderr, "Can not write file: %s.\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
