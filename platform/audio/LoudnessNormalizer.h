#pragma once
// Loudness normalisation of one piece: the audio is kept in floating point
// (in memory, past a budget in a temporary file: SampleSpillFile) while
// its integrated loudness (ITU-R BS.1770 with
// EBU R128 gating) is measured by libebur128; once the piece is complete
// one gain is chosen and the audio is read back at that gain as 16-bit
// samples. The gain is plain arithmetic on the measurement, so the same
// audio always gives the same samples.
//
// The true peak (libebur128's 4x oversampled one) is measured only where
// it can reach the ceiling at the chosen gain: blocks whose sample peak is
// at least half the ceiling. libebur128's interpolation raises no peak by
// more than a factor of 1.9, so elsewhere it cannot; measuring there
// would cost most of the time of the whole normalisation.

#include <ebur128.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Result.h"
#include "platform/audio/SampleSpillFile.h"

namespace tonalbox::audio {

class LoudnessNormalizer {
public:
    static constexpr double kDefaultTargetLufs = -16.0;
    static constexpr double kCeilingDbtp = -1.0;
    static constexpr double kMaxGainDb = 40.0;
    // Shorter pieces have no gating block to measure and keep their level.
    static constexpr double kMinSeconds = 0.4;
    // Frames per block of the sample peak list.
    static constexpr size_t kPeakBlockFrames = 1024;

    struct Measurement {
        double loudnessLufs = 0.0;  // -infinity when nothing passes the gates
        double peak = 0.0;          // linear: the larger of sample and true peak
        double seconds = 0.0;
    };

    // Bytes of samples a piece keeps in memory before it goes to its
    // temporary file.
    explicit LoudnessNormalizer(uint64_t memoryBudgetBytes = SampleSpillFile::kDefaultMemoryBudget)
        : m_spill(memoryBudgetBytes) {}
    ~LoudnessNormalizer();
    LoudnessNormalizer(const LoudnessNormalizer&) = delete;
    LoudnessNormalizer& operator=(const LoudnessNormalizer&) = delete;

    // Starts a piece of 1 or 2 channels; samples past the memory budget
    // go to a temporary file in the folder of `nearPath`.
    platform::Result Begin(const std::string& nearPath, int channels, int sampleRate);
    // Interleaved samples of the piece, in order.
    void Add(const float* samples, size_t frames);
    // Whether some audio could not be kept or measured.
    bool Failed() const { return m_failed || m_spill.Failed(); }
    bool Active() const { return m_state != nullptr; }
    // Whether the piece went past the memory budget into its file.
    bool Spilled() const { return m_spill.Spilled(); }

    // The piece's loudness and length, and its peak where it matters for
    // normalising to `targetLufs` (elsewhere its sample peak).
    Measurement Measure(double targetLufs);
    // The gain that brings the piece to `targetLufs`, lowered so that its
    // peak stays at or below kCeilingDbtp and at most kMaxGainDb; 1 for a
    // piece shorter than kMinSeconds, silent, or not measurable.
    static double GainFor(const Measurement& measurement, double targetLufs);

    // Reads the piece back at `gain` as 16-bit samples, block by block, to
    // `write` (which returns false to stop); without a piece, nothing.
    // kWriteFault when the audio cannot be read back whole or `write` fails.
    using BlockWriter = std::function<bool(int16_t* samples, size_t frames)>;
    platform::Result Replay(double gain, const BlockWriter& write);
    // Drops the piece and its temporary file.
    void End();

private:
    // The largest true peak of the blocks whose sample peak passes `floor`.
    double TruePeakAbove(float floor);

    ebur128_state* m_state = nullptr;
    SampleSpillFile m_spill;
    int m_channels = 0;
    int m_sampleRate = 0;
    uint64_t m_frames = 0;
    std::vector<float> m_blockPeaks;
    bool m_failed = false;
};

}  // namespace tonalbox::audio
