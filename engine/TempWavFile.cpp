#include "engine/TempWavFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace tonalbox {

namespace {
constexpr int kSuffixLength = 4;  // ".wav"
}

TempWavFile::~TempWavFile() { Remove(); }

bool TempWavFile::Create(const std::string& folder) {
    Remove();
    std::string pattern = folder + kPrefix + "XXXXXX.wav";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // mkstemps opens with O_CREAT | O_EXCL: an existing name, a link
    // included, is never opened.
    const int fd = ::mkstemps(buffer.data(), kSuffixLength);
    if (fd < 0) return false;
    m_fd = fd;
    m_strPath.assign(buffer.data());
    return true;
}

bool TempWavFile::Truncate() {
    if (m_fd < 0) return false;
    int rc;
    do {
        rc = ::ftruncate(m_fd, 0);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

void TempWavFile::Remove() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_strPath.empty()) {
        ::unlink(m_strPath.c_str());
        m_strPath.clear();
    }
}

}  // namespace tonalbox
