#include "engine/CId3Writer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "engine/Utf8Text.h"
#include "platform/PositionalIo.h"
#include "platform/ProgramPaths.h"

namespace tonalbox {

namespace {

// ID3v1 readers take the texts as ISO-8859-1, while ours are UTF-8: each
// character becomes its one ISO-8859-1 byte, or '?' when it has none. A
// byte that starts no well-formed UTF-8 sequence is kept as it is (a text
// that is ISO-8859-1 already).
std::string Latin1FromUtf8(const std::string& text) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char lead = p[i];
        const size_t length = Utf8SequenceLength(text, i);
        if (length <= 1) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        const unsigned codePoint = length == 2 ? ((lead & 0x1Fu) << 6) | (p[i + 1] & 0x3Fu) : 0x100u;
        out += codePoint <= 0xFF ? static_cast<char>(codePoint) : '?';
        i += length;
    }
    return out;
}

// Converted first, so that cutting to the field never splits a character.
void PutText(unsigned char* field, size_t fieldLength, const std::string& utf8) {
    const std::string text = Latin1FromUtf8(utf8);
    std::memcpy(field, text.data(), std::min(fieldLength, text.size()));
}

// True when the 128 bytes start with "TAG" in any letter case (the bytes
// up to the first zero, at most three of them).
bool StartsWithTag(const unsigned char* last) {
    char head[4] = {};
    for (int i = 0; i < 3 && last[i] != 0; ++i)
        head[i] = static_cast<char>(std::toupper(last[i]));
    return std::strcmp(head, "TAG") == 0;
}

}  // namespace

void CId3Writer::BuildBlock(const TagRecord& tag, unsigned char (&block)[kTagSize]) {
    std::memset(block, 0, sizeof block);
    std::memcpy(block, "TAG", 3);
    PutText(block + 3, 30, tag.m_strTitle);
    PutText(block + 33, 30, tag.m_strArtist);
    PutText(block + 63, 30, tag.m_strAlbum);
    PutText(block + 93, 4, tag.m_strYear);
    PutText(block + 97, 28, tag.m_strComment);
    block[125] = 0;
    block[126] = static_cast<unsigned char>(tag.m_nTrack & 0xFF);
    block[127] = static_cast<unsigned char>(tag.m_nGenre & 0xFF);
}

int CId3Writer::WriteTag(const std::string& mp3Path, TagRecord& tag) {
    const int fd = ::open(mp3Path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return 0;
    // Nobody else may hold the file while its end is rewritten.
    const bool written = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && WriteTag(fd, mp3Path, tag) == 1;
    const bool closed = ::close(fd) == 0;
    return written && closed ? 1 : 0;
}

int CId3Writer::WriteTag(int fd, const std::string& mp3Path, TagRecord& tag) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    const off_t length = st.st_size;

    // A file shorter than a block cannot end with one: append.
    off_t writeAt = length;
    if (length >= kTagSize) {
        unsigned char last[kTagSize] = {};
        if (::pread(fd, last, kTagSize, length - kTagSize) == kTagSize && StartsWithTag(last))
            writeAt = length - kTagSize;
    }

    if (tag.m_strArtist.empty()) tag.m_strArtist = platform::FileNameOf(mp3Path);

    unsigned char block[kTagSize];
    BuildBlock(tag, block);
    return platform::WriteAllAt(fd, block, kTagSize, writeAt) ? 1 : 0;
}

}  // namespace tonalbox
