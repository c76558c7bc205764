// Measures WAV files (16-bit PCM, as the converter writes them) with
// libebur128 and prints, one line a file: integrated loudness (LUFS), true
// peak (dBTP), sample peak (dBFS) and length. MP3 files can be measured
// after decoding them to WAV (e.g. with mpg123 -w).
//
// Usage: bench_loudness FILE.wav...
//        bench_loudness --write-pieces FOLDER   (the level test pieces as
//        soft-note.mid, piano-line.mid and dense-16.mid, to convert first)

#include <cmath>
#include <cstdio>
#include <string>

#include "audioprobe/LoudnessProbe.h"
#include "audioprobe/WavFile.h"
#include "midigen/LevelTestPieces.h"

int main(int argc, char** argv) {
    using namespace tonalbox::audioprobe;
    using tonalbox::midigen::LevelTestPieces;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.wav... | --write-pieces FOLDER\n", argv[0]);
        return 2;
    }
    if (std::string(argv[1]) == "--write-pieces" && argc == 3) {
        const std::string dir = std::string(argv[2]) + "/";
        const bool ok = LevelTestPieces::SoftNote().Write(dir + "soft-note.mid") &&
                        LevelTestPieces::PianoLine(20).Write(dir + "piano-line.mid") &&
                        LevelTestPieces::DenseArrangement(20).Write(dir + "dense-16.mid");
        return ok ? 0 : 1;
    }
    int status = 0;
    std::printf("%-40s %9s %9s %9s %8s\n", "file", "LUFS", "dBTP", "dBFS", "seconds");
    for (int a = 1; a < argc; ++a) {
        WavFile wav;
        if (!wav.Read(argv[a]) || wav.bitsPerSample != 16 || wav.channels < 1 || wav.channels > 2) {
            std::fprintf(stderr, "%s: not a 16-bit WAV file\n", argv[a]);
            status = 1;
            continue;
        }
        const Loudness l = MeasureLoudness(wav);
        const double samplePeakDb = l.peakAbs > 0 ? 20.0 * std::log10(l.peakAbs / 32768.0) : -INFINITY;
        std::printf("%-40s %9.2f %9.2f %9.2f %8.1f\n", argv[a], l.lufs, l.truePeakDb, samplePeakDb, wav.Seconds());
    }
    return status;
}
