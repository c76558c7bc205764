#pragma once
// An output written under a hidden name of its own next to the output
// (PartialOutputPrefix + six random characters, created exclusively) and
// renamed over the output only when it is complete. Until then the
// output's name is left alone: a file already there stays as it was.

#include <string>

namespace tonalbox {

class PartialOutputFile {
public:
    PartialOutputFile() = default;
    // Removes the partial file unless it was committed.
    ~PartialOutputFile();
    PartialOutputFile(const PartialOutputFile&) = delete;
    PartialOutputFile& operator=(const PartialOutputFile&) = delete;

    // Creates the empty partial file for output. False when it cannot be
    // created (folder missing or read-only, name too long).
    bool Create(const std::string& output);

    // Where to write the output's bytes.
    const std::string& Path() const { return m_strPath; }

    // Flushes the written bytes to the disk and renames the partial file
    // over the output. False (and the partial file removed) when either
    // fails.
    bool Commit();

    // Removes the partial file.
    void Discard();

private:
    std::string m_strPath;
    std::string m_strOutput;
    int m_fd = -1;
};

}  // namespace tonalbox
