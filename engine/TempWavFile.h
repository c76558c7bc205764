#pragma once
// The run's temporary WAV file: a name of its own, created exclusively in
// the temporary folder, so that two runs (or two copies of the program)
// never share it and a link planted under its name cannot redirect the
// capture. The file stays in place for the whole run and is removed when
// the object goes away.

#include <string>

#include "platform/Result.h"

namespace tonalbox {

class TempWavFile {
public:
    // The start of every name we create: "mmm1980XXXXXX.wav".
    static constexpr const char* kPrefix = "mmm1980";

    TempWavFile() = default;
    ~TempWavFile();
    TempWavFile(const TempWavFile&) = delete;
    TempWavFile& operator=(const TempWavFile&) = delete;

    // Creates a new empty file in folder (which ends with a separator).
    // Fails when no file could be created.
    platform::Result Create(const std::string& folder);

    // Empties the file for the next capture; the name stays ours.
    platform::Result Truncate();

    // Removes the file (a file already gone is no error).
    void Remove();

    // Removes the files of our names in folder (ending with a separator)
    // that no live TempWavFile holds: the leftovers of a killed run.
    static void RemoveStale(const std::string& folder);

    const std::string& Path() const { return m_strPath; }
    bool IsCreated() const { return !m_strPath.empty(); }

private:
    std::string m_strPath;
    int m_fd = -1;
};

}  // namespace tonalbox
