// The CPU time the loudness normaliser takes on pieces the converter
// rendered without it (16-bit WAV files, fed to it as floats the way the
// render buffer does), with its samples kept in memory and with all of
// them in its temporary file (a budget of 0). Thread CPU time, so the
// load of a shared machine weighs far less than on wall times; each
// figure is the least of ROUNDS rounds.
//
// Usage: bench_normalizer [--rounds N] FILE.wav...

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audioprobe/WavFile.h"
#include "platform/audio/LoudnessNormalizer.h"

namespace {

using tonalbox::audio::LoudnessNormalizer;
using tonalbox::audio::SampleSpillFile;

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Piece {
    std::string path;
    int channels = 0;
    int rate = 0;
    std::vector<float> samples;
};

// CPU milliseconds of one normalisation of every piece, one normaliser
// for all (as a run keeps one), its samples past `budget` in a file.
double NormaliseAll(const std::vector<Piece>& pieces, uint64_t budget, const std::string& nearPath) {
    LoudnessNormalizer normalizer(budget);
    constexpr size_t kBlockFrames = 512;  // what the render buffer hands over
    const double start = CpuMs();
    for (const Piece& piece : pieces) {
        if (!normalizer.Begin(nearPath, piece.channels, piece.rate).ok()) return -1.0;
        const size_t block = kBlockFrames * static_cast<size_t>(piece.channels);
        for (size_t at = 0; at < piece.samples.size(); at += block) {
            const size_t n = std::min(block, piece.samples.size() - at);
            normalizer.Add(piece.samples.data() + at, n / static_cast<size_t>(piece.channels));
        }
        const double gain = LoudnessNormalizer::GainFor(normalizer.Measure(-16.0), -16.0);
        if (!normalizer.Replay(gain, [](int16_t*, size_t) { return true; }).ok()) return -1.0;
        normalizer.End();
    }
    return CpuMs() - start;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 5;
    std::vector<Piece> pieces;
    double seconds = 0.0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
            continue;
        }
        tonalbox::audioprobe::WavFile wav;
        if (!wav.Read(arg) || (wav.channels != 1 && wav.channels != 2)) {
            std::fprintf(stderr, "Can not read %s: %s\n", arg.c_str(), wav.Error().c_str());
            return 1;
        }
        Piece piece{arg, wav.channels, static_cast<int>(wav.sampleRate), {}};
        piece.samples.reserve(wav.samples.size());
        for (const int16_t s : wav.samples) piece.samples.push_back(s / 32768.0f);
        seconds += wav.Seconds();
        pieces.push_back(std::move(piece));
    }
    if (pieces.empty()) {
        std::fprintf(stderr, "usage: %s [--rounds N] FILE.wav...\n", argv[0]);
        return 2;
    }
    const std::string nearPath = pieces.front().path;
    double inMemory = 1e300, inFile = 1e300;
    for (int round = 0; round < rounds; ++round) {
        inMemory = std::min(inMemory, NormaliseAll(pieces, SampleSpillFile::kDefaultMemoryBudget, nearPath));
        inFile = std::min(inFile, NormaliseAll(pieces, 0, nearPath));
    }
    if (inMemory < 0.0 || inFile < 0.0) {
        std::fprintf(stderr, "The normaliser failed.\n");
        return 1;
    }
    std::printf("%zu pieces, %.1f s of audio: normalising %.0f ms CPU in memory, %.0f ms in the file\n",
                pieces.size(), seconds, inMemory, inFile);
    return 0;
}
