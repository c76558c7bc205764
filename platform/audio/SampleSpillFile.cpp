#include "platform/audio/SampleSpillFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/audio/AudioErrors.h"

namespace tonalbox::audio {

namespace {

platform::Result CannotCreate(const std::string& pattern) {
    return platform::Result::Fail(kCannotOpen,
                                  "can not create the sample file " + pattern + ": " + std::strerror(errno));
}

}  // namespace

platform::Result SampleSpillFile::Create(const std::string& nearPath) {
    Close();
    const size_t slash = nearPath.find_last_of('/');
    std::string pattern = (slash == std::string::npos ? std::string() : nearPath.substr(0, slash + 1)) +
                          ".samples-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) return CannotCreate(pattern);
    unlink(name.data());
    m_file = fdopen(fd, "w+b");
    if (m_file == nullptr) {
        const platform::Result failed = CannotCreate(pattern);
        close(fd);
        return failed;
    }
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
    m_failed = false;
    m_written = 0;
    return platform::Result::Ok();
}

bool SampleSpillFile::Write(const float* samples, size_t count) {
    if (m_file == nullptr || m_failed) return false;
    const size_t written = std::fwrite(samples, sizeof(float), count, m_file);
    m_written += written;
    if (written != count) m_failed = true;
    return !m_failed;
}

bool SampleSpillFile::Rewind() { return Seek(0); }

bool SampleSpillFile::Seek(uint64_t index) {
    if (m_file == nullptr || index > m_written) return false;
    if (std::fflush(m_file) != 0) m_failed = true;
    return fseeko(m_file, static_cast<off_t>(index * sizeof(float)), SEEK_SET) == 0 && !m_failed;
}

size_t SampleSpillFile::Read(float* samples, size_t count) {
    if (m_file == nullptr) return 0;
    return std::fread(samples, sizeof(float), count, m_file);
}

void SampleSpillFile::Close() {
    if (m_file != nullptr) std::fclose(m_file);
    m_file = nullptr;
}

}  // namespace tonalbox::audio
