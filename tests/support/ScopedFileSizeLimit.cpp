#include "tests/support/ScopedFileSizeLimit.h"

namespace tonalbox::testsupport {

ScopedFileSizeLimit::ScopedFileSizeLimit(uint64_t bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &m_oldAction);
    if (::getrlimit(RLIMIT_FSIZE, &m_old) != 0) return;
    rlimit limit = m_old;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    m_active = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
    if (m_active) ::setrlimit(RLIMIT_FSIZE, &m_old);
    ::sigaction(SIGXFSZ, &m_oldAction, nullptr);
}

}  // namespace tonalbox::testsupport
