#include "engine/SettingsArchive.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace tonalbox {

namespace {

// UTF-16LE code units to UTF-8, with unpaired surrogates as U+FFFD.
std::string Utf16ToUtf8(const std::u16string& in) {
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        uint32_t cp = in[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
            in[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

}  // namespace

SettingsArchive::SettingsArchive(int fd, Mode mode, uint64_t sizeLimit)
    : m_fd(fd), m_mode(mode), m_sizeLimit(sizeLimit) {}

SettingsArchive::~SettingsArchive() {
    if (IsStoring()) Flush();
}

uint64_t SettingsArchive::Remaining() const {
    return m_sizeLimit > m_consumed ? m_sizeLimit - m_consumed : 0;
}

bool SettingsArchive::Flush() {
    if (!IsStoring() || !m_good) return m_good;
    size_t done = 0;
    while (done < m_bufferUsed) {
        const ssize_t n = ::write(m_fd, m_buffer + done, m_bufferUsed - done);
        if (n <= 0) {
            m_good = false;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    m_bufferUsed = 0;
    return true;
}

bool SettingsArchive::WriteBytes(const void* data, size_t size) {
    if (!IsStoring() || !m_good) return m_good = false;
    auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        if (m_bufferUsed == kBufferSize && !Flush()) return false;
        const size_t n = std::min(size, kBufferSize - m_bufferUsed);
        std::memcpy(m_buffer + m_bufferUsed, p, n);
        m_bufferUsed += n;
        p += n;
        size -= n;
    }
    return true;
}

bool SettingsArchive::ReadBytes(void* data, size_t size) {
    if (IsStoring() || !m_good) return m_good = false;
    if (size > Remaining()) return m_good = false;
    auto* p = static_cast<unsigned char*>(data);
    while (size > 0) {
        if (m_bufferPos == m_bufferUsed) {
            const ssize_t n = ::read(m_fd, m_buffer, kBufferSize);
            if (n <= 0) return m_good = false;
            m_bufferUsed = static_cast<size_t>(n);
            m_bufferPos = 0;
        }
        const size_t n = std::min(size, m_bufferUsed - m_bufferPos);
        std::memcpy(p, m_buffer + m_bufferPos, n);
        m_bufferPos += n;
        m_consumed += n;
        p += n;
        size -= n;
    }
    return true;
}

bool SettingsArchive::WriteInt(int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    const unsigned char bytes[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                                    static_cast<unsigned char>(u >> 16),
                                    static_cast<unsigned char>(u >> 24)};
    return WriteBytes(bytes, 4);
}

bool SettingsArchive::ReadInt(int32_t& value) {
    unsigned char b[4];
    if (!ReadBytes(b, 4)) return false;
    value = static_cast<int32_t>(static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                                 (static_cast<uint32_t>(b[2]) << 16) |
                                 (static_cast<uint32_t>(b[3]) << 24));
    return true;
}

bool SettingsArchive::WriteString(const std::string& text) {
    const uint64_t length = text.size();
    if (length > 0xFFFFFFFFu) return m_good = false;
    if (length < 0xFF) {
        const unsigned char b = static_cast<unsigned char>(length);
        if (!WriteBytes(&b, 1)) return false;
    } else if (length < 0xFFFE) {
        const unsigned char b[3] = {0xFF, static_cast<unsigned char>(length),
                                    static_cast<unsigned char>(length >> 8)};
        if (!WriteBytes(b, 3)) return false;
    } else {
        const unsigned char b[3] = {0xFF, 0xFF, 0xFF};
        if (!WriteBytes(b, 3) || !WriteInt(static_cast<int32_t>(static_cast<uint32_t>(length))))
            return false;
    }
    return WriteBytes(text.data(), text.size());
}

// Reads one length prefix. `wide` tells that a 0xFFFE marker came first:
// the length then counts 16-bit characters.
bool SettingsArchive::ReadLength(uint32_t& length, bool& wide) {
    wide = false;
    for (;;) {
        unsigned char b;
        if (!ReadBytes(&b, 1)) return false;
        if (b < 0xFF) {
            length = b;
            return true;
        }
        unsigned char w[2];
        if (!ReadBytes(w, 2)) return false;
        const uint16_t word = static_cast<uint16_t>(w[0] | (w[1] << 8));
        if (word == 0xFFFE) {
            if (wide) return m_good = false;  // a marker may come only once
            wide = true;
            continue;
        }
        if (word == 0xFFFF) {
            int32_t v;
            if (!ReadInt(v)) return false;
            length = static_cast<uint32_t>(v);
            return true;
        }
        length = word;
        return true;
    }
}

bool SettingsArchive::ReadString(std::string& text) {
    uint32_t length = 0;
    bool wide = false;
    if (!ReadLength(length, wide)) return false;
    const uint64_t bytes = wide ? uint64_t{length} * 2 : length;
    if (bytes > Remaining()) return m_good = false;
    if (!wide) {
        std::string s(length, '\0');
        if (!ReadBytes(s.data(), s.size())) return false;
        text = std::move(s);
        return true;
    }
    std::u16string units(length, u'\0');
    for (auto& u : units) {
        unsigned char b[2];
        if (!ReadBytes(b, 2)) return false;
        u = static_cast<char16_t>(b[0] | (b[1] << 8));
    }
    text = Utf16ToUtf8(units);
    return true;
}

}  // namespace tonalbox
