// Arbitrary bytes as "Option.dat" and as an MP3 file whose end gets a tag.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/CId3Writer.h"
#include "engine/ConversionSettings.h"
#include "engine/SettingsFile.h"

namespace {

std::string WriteToMemFile(const char* name, const uint8_t* data, size_t size) {
    const int fd = ::memfd_create(name, 0);
    if (fd < 0) std::abort();
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += static_cast<size_t>(n);
    }
    // The descriptor stays open for the path to stay valid; it is closed by
    // the caller after use.
    return "/proc/self/fd/" + std::to_string(fd);
}

void CloseMemFile(const std::string& path) {
    ::close(std::atoi(path.c_str() + std::string("/proc/self/fd/").size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        const std::string path = WriteToMemFile("settings", data, size);
        tonalbox::ConversionSettings s;
        tonalbox::LoadSettings(path, s);
        CloseMemFile(path);
    }
    {
        const std::string path = WriteToMemFile("song.mp3", data, size);
        tonalbox::TagRecord tag;
        tag.m_strTitle.assign(reinterpret_cast<const char*>(data), size % 64);
        tag.m_nTrack = static_cast<int>(size);
        if (tonalbox::CId3Writer().WriteTag(path, tag) != 1) std::abort();
        // The file either grew by one block or kept its length.
        const off_t end = ::lseek(std::atoi(path.c_str() + 14), 0, SEEK_END);
        if (end != static_cast<off_t>(size) && end != static_cast<off_t>(size + 128)) std::abort();
        CloseMemFile(path);
    }
    return 0;
}
