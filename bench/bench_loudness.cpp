// Measures WAV files (16-bit PCM, as the converter writes them) with
// libebur128 and prints, one line a file: integrated loudness (LUFS),
// true peak (dBTP), sample peak (dBFS) and length. MP3 files can be
// measured after decoding them to WAV (e.g. with mpg123 -w).
//
// Usage: bench_loudness FILE.wav...
//        bench_loudness --write-pieces FOLDER   (the level test pieces as
//        soft-note.mid, piano-line.mid and dense-16.mid, to convert first)

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <string>

#include "tests/support/LevelTestPieces.h"
#include "tests/support/WavFile.h"

namespace {

double Db(double linear) { return linear > 0 ? 20.0 * std::log10(linear) : -INFINITY; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.wav...\n", argv[0]);
        return 2;
    }
    if (std::string(argv[1]) == "--write-pieces" && argc == 3) {
        using tonalbox::testsupport::LevelTestPieces;
        const std::string dir = std::string(argv[2]) + "/";
        const bool ok = LevelTestPieces::SoftNote().Write(dir + "soft-note.mid") &&
                        LevelTestPieces::PianoLine(20).Write(dir + "piano-line.mid") &&
                        LevelTestPieces::DenseArrangement(20).Write(dir + "dense-16.mid");
        return ok ? 0 : 1;
    }
    int status = 0;
    std::printf("%-40s %9s %9s %9s %8s\n", "file", "LUFS", "dBTP", "dBFS", "seconds");
    for (int a = 1; a < argc; ++a) {
        tonalbox::testsupport::WavFile wav;
        if (!wav.Read(argv[a]) || wav.bitsPerSample != 16 || wav.channels < 1 || wav.channels > 2) {
            std::fprintf(stderr, "%s: not a 16-bit WAV file\n", argv[a]);
            status = 1;
            continue;
        }
        ebur128_state* st = ebur128_init(wav.channels, wav.sampleRate,
                                         EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK | EBUR128_MODE_SAMPLE_PEAK);
        if (wav.channels == 1) ebur128_set_channel(st, 0, EBUR128_DUAL_MONO);
        ebur128_add_frames_short(st, wav.samples.data(), wav.Frames());
        double lufs = 0, truePeak = 0, samplePeak = 0;
        ebur128_loudness_global(st, &lufs);
        for (unsigned c = 0; c < wav.channels; ++c) {
            double tp = 0, sp = 0;
            ebur128_true_peak(st, c, &tp);
            ebur128_sample_peak(st, c, &sp);
            truePeak = std::max(truePeak, tp);
            samplePeak = std::max(samplePeak, sp);
        }
        ebur128_destroy(&st);
        std::printf("%-40s %9.2f %9.2f %9.2f %8.1f\n", argv[a], lufs, Db(truePeak), Db(samplePeak), wav.Seconds());
    }
    return status;
}
