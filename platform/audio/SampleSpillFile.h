#pragma once
// A temporary file of float samples: written once, then read back from the
// start. It is created next to a given path (in the same folder) and has
// no name in the folder from the moment it exists, so nothing is left
// behind whatever ends the program; its space is freed when it is closed.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/Result.h"

namespace tonalbox::audio {

class SampleSpillFile {
public:
    SampleSpillFile() = default;
    ~SampleSpillFile() { Close(); }
    SampleSpillFile(const SampleSpillFile&) = delete;
    SampleSpillFile& operator=(const SampleSpillFile&) = delete;

    // Creates an empty file in the folder of `nearPath`; kCannotOpen when
    // none can be made there.
    platform::Result Create(const std::string& nearPath);
    // Appends `count` samples; false once a write has failed.
    bool Write(const float* samples, size_t count);
    // Back to the first sample for reading; false when that fails.
    bool Rewind();
    // To sample `index` for reading; false when that fails.
    bool Seek(uint64_t index);
    // Reads up to `count` samples; fewer at the end or on a read error.
    size_t Read(float* samples, size_t count);
    void Close();

    bool IsOpen() const { return m_file != nullptr; }
    bool Failed() const { return m_failed; }
    uint64_t Written() const { return m_written; }

private:
    std::FILE* m_file = nullptr;
    bool m_failed = false;
    uint64_t m_written = 0;
};

}  // namespace tonalbox::audio
