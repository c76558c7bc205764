#include "platform/audio/SampleSpillFile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/audio/AudioErrors.h"
#include "platform/audio/RenderBuffer.h"

namespace tonalbox::audio {

namespace {

platform::Result CannotCreate(const std::string& pattern) {
    return platform::Result::Fail(kCannotOpen,
                                  "can not create the sample file " + pattern + ": " + std::strerror(errno));
}

}  // namespace

platform::Result SampleSpillFile::Create(const std::string& nearPath) {
    Close();
    m_nearPath = nearPath;
    m_open = true;
    m_failed = false;
    m_written = 0;
    m_inMemory = 0;
    m_readAt = 0;
    return platform::Result::Ok();
}

// Everything written so far goes to a new file, and the rest follows it.
bool SampleSpillFile::MoveToFile() {
    const size_t slash = m_nearPath.find_last_of('/');
    std::string pattern =
        (slash == std::string::npos ? std::string() : m_nearPath.substr(0, slash + 1)) + ".samples-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        CannotCreate(pattern);
        return false;
    }
    unlink(name.data());
    m_file = fdopen(fd, "w+b");
    if (m_file == nullptr) {
        CannotCreate(pattern);
        close(fd);
        return false;
    }
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
    // With a budget of nothing the memory never held a sample, and its
    // room may not exist, which fwrite must not be given.
    const bool moved = m_inMemory == 0 || std::fwrite(Memory(), sizeof(float), m_inMemory, m_file) == m_inMemory;
    m_inMemory = 0;
    return moved;
}

bool SampleSpillFile::Write(const float* samples, size_t count) {
    if (!m_open || m_failed) return false;
    if (m_file == nullptr && m_written + count <= m_budgetSamples) {
        // Without room (no addresses to be had) the samples go to the file.
        if (m_room.Empty()) m_room = platform::ReservedMemory(static_cast<size_t>(m_budgetSamples * sizeof(float)));
        if (!m_room.Empty()) {
            std::copy_n(samples, count, Memory() + m_inMemory);
            m_inMemory += count;
            m_written += count;
            return true;
        }
    }
    if (m_file == nullptr && !MoveToFile()) {
        m_failed = true;
        return false;
    }
    const size_t written = std::fwrite(samples, sizeof(float), count, m_file);
    m_written += written;
    if (written != count) m_failed = true;
    return !m_failed;
}

bool SampleSpillFile::Rewind() { return Seek(0); }

bool SampleSpillFile::Seek(uint64_t index) {
    if (!m_open || index > m_written) return false;
    if (m_file == nullptr) {
        m_readAt = index;
        return !m_failed;
    }
    if (std::fflush(m_file) != 0) m_failed = true;
    return fseeko(m_file, static_cast<off_t>(index * sizeof(float)), SEEK_SET) == 0 && !m_failed;
}

size_t SampleSpillFile::Read(float* samples, size_t count) {
    if (!m_open) return 0;
    if (m_file != nullptr) return std::fread(samples, sizeof(float), count, m_file);
    const size_t n = static_cast<size_t>(std::min<uint64_t>(count, m_inMemory - m_readAt));
    std::copy_n(Memory() + m_readAt, n, samples);
    m_readAt += n;
    return n;
}

platform::Result SampleSpillFile::ReplayPcm16(float gain, size_t channels, const PcmWriter& write) {
    constexpr size_t kReplayFrames = 4096;
    if (!Rewind()) return platform::Result::Fail(kWriteFault, "samples: can not be read back");
    std::vector<float> block(kReplayFrames * channels);
    std::vector<int16_t> pcm(block.size());
    for (uint64_t left = m_written; left > 0;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
        if (Read(block.data(), want) != want) return platform::Result::Fail(kWriteFault, "samples: the store ends early");
        for (size_t i = 0; i < want; ++i) pcm[i] = RenderBuffer::ToPcm16(block[i] * gain);
        if (!write(pcm.data(), want)) return platform::Result::Fail(kWriteFault, "samples: could not be written");
        left -= want;
    }
    return platform::Result::Ok();
}

void SampleSpillFile::Close() {
    if (m_file != nullptr) std::fclose(m_file);
    m_file = nullptr;
    m_inMemory = 0;
    m_open = false;
}

}  // namespace tonalbox::audio
