#include "engine/PartialOutputFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "engine/OutputNaming.h"
#include "platform/ProgramPaths.h"

namespace tonalbox {

namespace {

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

bool PartialOutputFile::Create(const std::string& output) {
    Discard();
    const std::string pattern = PartialOutputPrefix(output) + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return false;
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
    return true;
}

bool PartialOutputFile::Commit() {
    if (m_fd < 0) return false;
    bool ok = ::fsync(m_fd) == 0;
    if (::close(m_fd) != 0) ok = false;
    m_fd = -1;
    if (ok && std::rename(m_strPath.c_str(), m_strOutput.c_str()) == 0) {
        m_strPath.clear();
        return true;
    }
    Discard();
    return false;
}

void PartialOutputFile::Discard() {
    platform::CloseAndRemove(m_fd, m_strPath);
}

}  // namespace tonalbox
