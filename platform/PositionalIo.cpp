#include "platform/PositionalIo.h"

#include <unistd.h>

#include <cerrno>

namespace tonalbox::platform {

bool ReadAllAt(int fd, unsigned char* data, size_t size, off_t at) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data + done, size - done, at + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool WriteAllAt(int fd, const unsigned char* data, size_t size, off_t at) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, at + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace tonalbox::platform
