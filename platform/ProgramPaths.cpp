#include "platform/ProgramPaths.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace tonalbox::platform {

std::string ProgramFilePath() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

std::string FolderOf(const std::string& programPath) {
    const auto cut = programPath.find_last_of(kPathSeparator);
    if (cut == std::string::npos) return {};
    return programPath.substr(0, cut + 1);
}

std::string ProgramFolder() { return FolderOf(ProgramFilePath()); }

std::string WithTrailingSeparator(std::string folder) {
    if (folder.empty() || folder.back() != kPathSeparator) folder.push_back(kPathSeparator);
    return folder;
}

std::string TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = (tmp && *tmp) ? tmp : "/tmp";
    // Drop redundant trailing separators before adding exactly one.
    while (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
    return WithTrailingSeparator(folder);
}

std::string FileNameOf(const std::string& path) {
    const auto cut = path.find_last_of(kPathSeparator);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

uint64_t FreeSpace(const std::string& folder) {
    struct statvfs vfs {};
    if (folder.empty() || ::statvfs(folder.c_str(), &vfs) != 0) return UINT64_MAX;
    // Blocks kept for the superuser count when we are the superuser.
    const uint64_t blocks = ::geteuid() == 0 ? vfs.f_bfree : vfs.f_bavail;
    return blocks * vfs.f_frsize;
}

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::string ResolvedPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, ec);
    return ec ? absolute.lexically_normal().string() : canonical.string();
}

bool HoldAsWritten(int fd) {
    // Waits out a clean-up that has the file locked for a moment: it
    // removes the name, and the link count then tells.
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    struct stat st {};
    return rc == 0 && ::fstat(fd, &st) == 0 && st.st_nlink > 0;
}

bool RemoveUnlessHeld(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    const bool removed = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                         ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(path.c_str()) == 0;
    ::close(fd);
    return removed;
}

bool IsWritableFolder(const std::string& folder) {
    return IsDirectory(folder) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool MakeFolder(const std::string& folder) {
    if (folder.empty()) return false;
    if (IsDirectory(folder)) return true;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return IsDirectory(folder);
}

std::string UserConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/tmp") + "/.config";
    }
    while (base.size() > 1 && base.back() == kPathSeparator) base.pop_back();
    return base + "/tonalbox";
}

void CloseAndRemove(int& fd, std::string& path) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    if (!path.empty()) {
        ::unlink(path.c_str());
        path.clear();
    }
}

}  // namespace tonalbox::platform
