#pragma once
// The float samples of one piece: written once, then read back from the
// start or from any sample. They are kept in memory up to a budget; past
// it they all move to a temporary file, created next to a given path (in
// the same folder), which has no name in the folder from the moment it
// exists, so nothing is left behind whatever ends the program; its space
// is freed when it is closed. Where they are kept changes nothing of
// what is read back.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "platform/ReservedMemory.h"
#include "platform/Result.h"

namespace tonalbox::audio {

class SampleSpillFile {
public:
    // Bytes of samples kept in memory before they go to the file: over
    // three minutes of stereo at 44.1 kHz, most pieces of a batch.
    static constexpr uint64_t kDefaultMemoryBudget = 64u * 1024u * 1024u;

    explicit SampleSpillFile(uint64_t memoryBudgetBytes = kDefaultMemoryBudget)
        : m_budgetSamples(memoryBudgetBytes / sizeof(float)) {}
    ~SampleSpillFile() { Close(); }
    SampleSpillFile(const SampleSpillFile&) = delete;
    SampleSpillFile& operator=(const SampleSpillFile&) = delete;

    // Starts an empty piece whose file, if it needs one, goes into the
    // folder of `nearPath`.
    platform::Result Create(const std::string& nearPath);
    // Appends `count` samples; false once a write has failed (kCannotOpen
    // logged when no file can be made for samples past the budget).
    bool Write(const float* samples, size_t count);
    // Back to the first sample for reading; false when that fails.
    bool Rewind();
    // To sample `index` for reading; false when that fails.
    bool Seek(uint64_t index);
    // Reads up to `count` samples; fewer at the end or on a read error.
    size_t Read(float* samples, size_t count);
    // Reads the whole piece back from its first sample at `gain` as 16-bit
    // samples, rounded as the render buffer rounds, block by block (whole
    // frames of `channels`) to `write`, which returns false to stop.
    // kWriteFault when the samples can not be read back whole or `write`
    // stopped.
    using PcmWriter = std::function<bool(int16_t* samples, size_t count)>;
    platform::Result ReplayPcm16(float gain, size_t channels, const PcmWriter& write);
    void Close();

    bool IsOpen() const { return m_open; }
    bool Failed() const { return m_failed; }
    uint64_t Written() const { return m_written; }
    // Whether the piece went past the budget into the file.
    bool Spilled() const { return m_file != nullptr; }

private:
    bool MoveToFile();
    float* Memory() const { return static_cast<float*>(m_room.Data()); }

    const uint64_t m_budgetSamples;
    std::string m_nearPath;
    bool m_open = false;
    // Below the budget the samples are here (m_inMemory of them). The
    // room stays reserved from piece to piece, so that its pages are not
    // faulted in again.
    platform::ReservedMemory m_room;
    uint64_t m_inMemory = 0;
    uint64_t m_readAt = 0;  // in memory, the next sample Read gives
    std::FILE* m_file = nullptr;
    bool m_failed = false;
    uint64_t m_written = 0;
};

}  // namespace tonalbox::audio
