#include "engine/PartialOutputFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "engine/OutputNaming.h"
#include "platform/ProgramPaths.h"

namespace tonalbox {

namespace {

constexpr int kCreateAttempts = 3;

// The mode a file created with 0666 gets under the process's umask. Read
// once: umask can only be read by setting it.
mode_t NewFileMode() {
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

}  // namespace

PartialOutputFile::~PartialOutputFile() { Discard(); }

platform::Result PartialOutputFile::Create(const std::string& output) {
    Discard();
    const std::string pattern = PartialOutputPrefix(output) + "XXXXXX";
    std::vector<char> name;
    int fd = -1;
    // Held while it is written: another command cleaning up the folder
    // leaves it alone. Its clean-up may take the name in the moment
    // before the lock; then another name is made.
    for (int attempt = 0; fd < 0 && attempt < kCreateAttempts; ++attempt) {
        name.assign(pattern.begin(), pattern.end());
        name.push_back('\0');
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) return platform::SystemFailure("partial output: can not create " + pattern);
        if (!platform::HoldAsWritten(fd)) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0) return platform::Result::Fail(EAGAIN, "partial output: no name of " + pattern + " could be held");
    // mkostemp makes the file private; the output gets the mode of the
    // file it replaces, or that of a new file.
    struct stat st {};
    const mode_t mode = ::stat(output.c_str(), &st) == 0 && S_ISREG(st.st_mode)
                            ? static_cast<mode_t>(st.st_mode & 07777)
                            : NewFileMode();
    ::fchmod(fd, mode);
    m_fd = fd;
    m_strPath.assign(name.data());
    m_strOutput = output;
    return platform::Result::Ok();
}

platform::Result PartialOutputFile::Commit() {
    if (m_fd < 0) return platform::Result::Fail(EBADF, "partial output: nothing to commit");
    // Renamed while still open and locked: until it has its name, the
    // file must not look like a leftover to anyone's clean-up.
    platform::Result result;
    if (::fsync(m_fd) != 0)
        result = platform::SystemFailure("partial output: can not flush " + m_strPath);
    else if (std::rename(m_strPath.c_str(), m_strOutput.c_str()) != 0)
        result = platform::SystemFailure("partial output: can not rename " + m_strPath + " to " + m_strOutput);
    if (result.ok()) m_strPath.clear();
    if (::close(m_fd) != 0 && result.ok()) result = platform::SystemFailure("partial output: can not close " + m_strOutput);
    m_fd = -1;
    if (!result.ok()) Discard();
    return result;
}

void PartialOutputFile::Discard() {
    platform::CloseAndRemove(m_fd, m_strPath);
}

}  // namespace tonalbox
