#pragma once
// The MIDI channels a capture keeps apart from its mix ("stems"): each
// channel's audio is kept in floating point (a SampleSpillFile: in memory,
// the stems sharing one budget, past its share in a file next to its WAV
// file) until the capture stops, because only then is the mix's gain
// known; then each is written at that gain into its own WAV file (the
// capture's 56-byte header, 16-bit samples) and its integrated loudness as
// written is measured.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/Result.h"
#include "platform/audio/AudioTypes.h"
#include "platform/audio/SampleSpillFile.h"

namespace tonalbox::wavecapture {

class StemCapture {
public:
    // The memory the stems of one capture keep their samples in, between
    // them, so that a capture with stems holds at most this besides its
    // normaliser's; each of n stems goes to its file past StoreBudget(n).
    // Eight stems of a minute at 44.1 kHz fit: writing them to a file and
    // reading them back would cost a tenth of the mix's rendering.
    static constexpr uint64_t kMemoryBudget = 4 * audio::SampleSpillFile::kDefaultMemoryBudget;
    static constexpr uint64_t StoreBudget(int stems) { return stems > 1 ? kMemoryBudget / stems : kMemoryBudget; }

    StemCapture() = default;
    ~StemCapture() { Clear(); }
    StemCapture(const StemCapture&) = delete;
    StemCapture& operator=(const StemCapture&) = delete;

    // Keeps channel `channel` (0..15) for a WAV file at `path`, created now,
    // in `format` (16-bit PCM). kCannotOpen when the file or the store of
    // its samples cannot be made. Asked before the audio comes: the
    // budget is shared anew among the channels kept.
    platform::Result Add(int channel, const std::string& path, const audio::WaveFormatEx& format);
    // The channels kept (bit c for channel c).
    uint32_t Channels() const { return m_channels; }
    // Interleaved samples of channel `channel`, in order.
    void Process(int channel, const float* samples, size_t frames);
    // Writes every channel's file at `gain` and closes it; the channels are
    // then no longer kept. kWriteFault when some audio could not be kept
    // or written (the other files are still written).
    platform::Result Finish(double gain);
    // The integrated loudness (LUFS, -infinity when silent) of channel's
    // file as the last Finish wrote it; false when it wrote none.
    bool Loudness(int channel, double* lufs) const;
    // Drops the channels kept (their files stay as far as they were written).
    void Clear();

private:
    struct Stem {
        int channel = 0;
        std::string path;
        std::FILE* file = nullptr;
        std::unique_ptr<audio::SampleSpillFile> samples;
    };
    platform::Result ShareBudget();
    platform::Result Write(Stem& stem, float gain);

    audio::WaveFormatEx m_format{};
    std::vector<std::unique_ptr<Stem>> m_stems;
    uint32_t m_channels = 0;
    std::vector<std::pair<int, double>> m_loudness;
};

}  // namespace tonalbox::wavecapture
