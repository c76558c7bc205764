#include "engine/FileCopy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace tonalbox {

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

platform::Result CopyFileContents(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return platform::SystemFailure("copy: can not open " + from);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
        const platform::Result failed = platform::SystemFailure("copy: can not create " + to);
        ::close(in);
        return failed;
    }
    std::vector<char> buffer(1 << 16);
    platform::Result result;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            result = platform::SystemFailure("copy: can not read " + from);
            break;
        }
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(n))) {
            result = platform::SystemFailure("copy: can not write " + to);
            break;
        }
    }
    ::close(in);
    if (::close(out) != 0 && result.ok()) result = platform::SystemFailure("copy: can not close " + to);
    return result;
}

}  // namespace tonalbox
