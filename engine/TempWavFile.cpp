#include "engine/TempWavFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/ProgramPaths.h"

namespace tonalbox {

namespace {
constexpr int kSuffixLength = 4;  // ".wav"
constexpr size_t kRandomLength = 6;
}

TempWavFile::~TempWavFile() { Remove(); }

platform::Result TempWavFile::Create(const std::string& folder) {
    Remove();
    std::string pattern = folder + kPrefix + "XXXXXX.wav";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // mkstemps opens with O_CREAT | O_EXCL: an existing name, a link
    // included, is never opened.
    const int fd = ::mkstemps(buffer.data(), kSuffixLength);
    if (fd < 0) return platform::SystemFailure("temporary WAV: can not create " + pattern);
    // Held while the file is ours: RemoveStale leaves it alone.
    if (!platform::HoldAsWritten(fd)) {
        const platform::Result failed = platform::SystemFailure("temporary WAV: can not hold " + pattern);
        ::close(fd);
        return failed;
    }
    m_fd = fd;
    m_strPath.assign(buffer.data());
    return platform::Result::Ok();
}

void TempWavFile::RemoveStale(const std::string& folder) {
    const size_t length = std::strlen(kPrefix) + kRandomLength + kSuffixLength;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != length || name.rfind(kPrefix, 0) != 0 ||
            name.compare(length - kSuffixLength, kSuffixLength, ".wav") != 0)
            continue;
        platform::RemoveUnlessHeld(folder + name);
    }
}

platform::Result TempWavFile::Truncate() {
    if (m_fd < 0) return platform::Result::Fail(EBADF, "temporary WAV: no file to empty");
    int rc;
    do {
        rc = ::ftruncate(m_fd, 0);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) return platform::SystemFailure("temporary WAV: can not empty " + m_strPath);
    return platform::Result::Ok();
}

void TempWavFile::Remove() {
    platform::CloseAndRemove(m_fd, m_strPath);
}

}  // namespace tonalbox
