#pragma once
// An output written under a hidden name of its own next to the output
// (PartialOutputPrefix + six random characters, created exclusively) and
// renamed over the output only when it is complete. Until then the
// output's name is left alone: a file already there stays as it was.
// The file is locked while it is written (platform::HoldAsWritten), so a
// clean-up of leftovers never takes it.

#include <string>

#include "platform/Result.h"

namespace tonalbox {

class PartialOutputFile {
public:
    PartialOutputFile() = default;
    // Removes the partial file unless it was committed.
    ~PartialOutputFile();
    PartialOutputFile(const PartialOutputFile&) = delete;
    PartialOutputFile& operator=(const PartialOutputFile&) = delete;

    // Creates the empty partial file for output. Fails when it cannot be
    // created (folder missing or read-only, name too long).
    platform::Result Create(const std::string& output);

    // Where to write the output's bytes.
    const std::string& Path() const { return m_strPath; }
    // The output it is renamed to.
    const std::string& Output() const { return m_strOutput; }
    // The partial file, open for reading and writing until Commit.
    int Descriptor() const { return m_fd; }

    // Flushes the written bytes to the disk and renames the partial file
    // over the output. Fails (and the partial file is removed) when either
    // fails.
    platform::Result Commit();

    // Removes the partial file.
    void Discard();

private:
    std::string m_strPath;
    std::string m_strOutput;
    int m_fd = -1;
};

}  // namespace tonalbox
