#include "engine/OggStreamSerial.h"

#include <ogg/ogg.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/PositionalIo.h"

namespace tonalbox {

namespace {

using platform::Result;

// An Ogg page header: "OggS", version, flags, granule position (8), serial
// number (4) at 14, page number (4), checksum (4) at 22, segment count at
// 26, then the segment table.
constexpr size_t kFixedHeader = 27;
constexpr size_t kSerialAt = 14;
constexpr size_t kSegmentCountAt = 26;

}  // namespace

Result SetOggStreamSerial(int fd, uint32_t serial) {
    std::vector<unsigned char> page;
    off_t at = 0;
    for (;;) {
        unsigned char fixed[kFixedHeader];
        const ssize_t first = ::pread(fd, fixed, 1, at);
        if (first == 0) return Result::Ok();  // the end of the last page
        if (first < 0 || !platform::ReadAllAt(fd, fixed, kFixedHeader, at) || std::memcmp(fixed, "OggS", 4) != 0)
            return Result::Fail(EIO, "ogg: no page where one was expected");
        const size_t segments = fixed[kSegmentCountAt];
        page.assign(fixed, fixed + kFixedHeader);
        page.resize(kFixedHeader + segments);
        if (!platform::ReadAllAt(fd, page.data() + kFixedHeader, segments, at + static_cast<off_t>(kFixedHeader)))
            return Result::Fail(EIO, "ogg: a page header ends early");
        size_t bodyLength = 0;
        for (size_t i = 0; i < segments; ++i) bodyLength += page[kFixedHeader + i];
        const size_t headerLength = page.size();
        page.resize(headerLength + bodyLength);
        if (!platform::ReadAllAt(fd, page.data() + headerLength, bodyLength, at + static_cast<off_t>(headerLength)))
            return Result::Fail(EIO, "ogg: a page ends early");
        for (size_t i = 0; i < 4; ++i) page[kSerialAt + i] = static_cast<unsigned char>(serial >> (8 * i));
        ogg_page og{page.data(), static_cast<long>(headerLength), page.data() + headerLength,
                    static_cast<long>(bodyLength)};
        ogg_page_checksum_set(&og);
        // Only the header changed: the body stays where it is.
        if (!platform::WriteAllAt(fd, page.data(), headerLength, at)) return platform::SystemFailure("ogg: can not write a page header");
        at += static_cast<off_t>(headerLength + bodyLength);
    }
}

uint32_t OggSerialFor(const std::string& name) {
    uint32_t hash = 2166136261u;
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

}  // namespace tonalbox
