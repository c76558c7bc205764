#pragma once
// Makes writes past `bytes` fail with EFBIG in this process (RLIMIT_FSIZE,
// with SIGXFSZ ignored so the failure is an error, not a kill), as a full
// disk would, until the object goes away.

#include <sys/resource.h>

#include <csignal>
#include <cstdint>

namespace tonalbox::testsupport {

class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(uint64_t bytes);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

    // False when the limit could not be set.
    bool Active() const { return m_active; }

private:
    rlimit m_old{};
    struct sigaction m_oldAction {};
    bool m_active = false;
};

}  // namespace tonalbox::testsupport
