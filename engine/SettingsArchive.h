#pragma once
// Sequential reader or writer of the settings file's values over one open
// file descriptor, buffered in blocks of 512 bytes.
//
// int32: 4 bytes little-endian. String: a length prefix (one byte below
// 255; 0xFF + 16 bits up to 65533; 0xFF 0xFFFF + 32 bits beyond), then the
// bytes. Reading also accepts 0xFF 0xFFFE + length + UTF-16LE characters.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tonalbox {

class SettingsArchive {
public:
    enum class Mode { Load, Store };
    static constexpr size_t kBufferSize = 512;

    // The archive does not own the descriptor. For loading, `sizeLimit` is
    // how many bytes the file holds; no string longer than what is left is
    // ever allocated.
    SettingsArchive(int fd, Mode mode, uint64_t sizeLimit = 0);
    ~SettingsArchive();
    SettingsArchive(const SettingsArchive&) = delete;
    SettingsArchive& operator=(const SettingsArchive&) = delete;

    bool IsStoring() const { return m_mode == Mode::Store; }

    bool WriteInt(int32_t value);
    bool WriteString(const std::string& text);
    bool ReadInt(int32_t& value);
    bool ReadString(std::string& text);
    // Writes what is buffered.
    bool Flush();

    // Reads or writes, as the direction says.
    bool Serialize(int32_t& value) { return IsStoring() ? WriteInt(value) : ReadInt(value); }
    bool Serialize(std::string& text) { return IsStoring() ? WriteString(text) : ReadString(text); }

private:
    bool WriteBytes(const void* data, size_t size);
    bool ReadBytes(void* data, size_t size);
    bool ReadLength(uint32_t& length, bool& wide);
    uint64_t Remaining() const;

    int m_fd;
    Mode m_mode;
    uint64_t m_sizeLimit;
    uint64_t m_consumed = 0;  // bytes handed out to the caller (loading)
    unsigned char m_buffer[kBufferSize];
    size_t m_bufferUsed = 0;  // storing: bytes waiting; loading: bytes in buffer
    size_t m_bufferPos = 0;   // loading: next byte to hand out
    // False once a read ran past the end, a prefix was damaged or a write
    // failed; every later call fails too.
    bool m_good = true;
};

}  // namespace tonalbox
