#pragma once
// A fresh folder with a small tmpfs mounted on it, so that a test can fill
// a filesystem for real. Mounting needs the right to (root, as in CI); a
// test checks Mounted() and injects its fault another way when it is false.

#include <cstdint>
#include <string>

#include "tests/support/TempDir.h"

namespace tonalbox::testsupport {

class TmpfsMount {
public:
    explicit TmpfsMount(uint64_t bytes);
    // Unmounts, then the folder is removed.
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool Mounted() const { return m_mounted; }
    // The folder, without a trailing separator.
    const std::string& Path() const { return m_dir.Path(); }
    std::string File(const std::string& name) const { return m_dir.File(name); }

private:
    TempDir m_dir{"tonalbox-tmpfs"};
    bool m_mounted = false;
};

}  // namespace tonalbox::testsupport
