#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/atomic_file.h"

namespace dvdsp::platform {
namespace {

bool FailWrite(std::string* error, const std::string& what, int err) {
    if (error) *error = what + ": " + std::strerror(err);
    return false;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Writes `data` beside `path` and renames it over `path`. With `lockedFd` the new file is
// locked before the rename and stays open, its descriptor handed back. With `exists` the
// file takes the name only when no file has it (a hard link, then the temporary name goes).
bool Replace(const std::string& path, std::string_view data, int* lockedFd, bool* exists,
             std::string* error) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    if (target.filename().empty()) return FailWrite(error, "cannot write " + path, EISDIR);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

    std::string tmp = path + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) return FailWrite(error, "cannot create a file beside " + path, errno);
    // mkstemp creates the file for its owner only; give it what a new file would get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);

    int err = 0;
    if (lockedFd && ::flock(fd, LOCK_EX) != 0) err = errno;
    if (!err && !WriteAll(fd, data)) err = errno;
    if (!err && ::fsync(fd) != 0) err = errno;
    if (!lockedFd && ::close(fd) != 0 && !err) err = errno;
    if (!err && !exists && ::rename(tmp.c_str(), path.c_str()) != 0) err = errno;
    if (!err && exists) {
        *exists = false;
        if (::link(tmp.c_str(), path.c_str()) == 0) {
            ::unlink(tmp.c_str());
        } else if (errno == EEXIST) {
            *exists = true;
            err = EEXIST;
        } else if (errno == EPERM || errno == ENOTSUP || errno == EOPNOTSUPP) {
            // A file system without hard links: a rename, which may replace a file made
            // meanwhile by someone else; the caller checks that the name is still its own.
            if (::rename(tmp.c_str(), path.c_str()) != 0) err = errno;
        } else {
            err = errno;
        }
    }
    if (err) {
        ::unlink(tmp.c_str());
        if (lockedFd) ::close(fd);
        return FailWrite(error, "cannot write " + path, err);
    }
    if (lockedFd) *lockedFd = fd;
    // The rename itself lasts once the folder is on the disk.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* error) {
    return Replace(path, data, nullptr, nullptr, error);
}

bool WriteFileAtomicallyLocked(const std::string& path, std::string_view data, int* lockedFd,
                               std::string* error) {
    return Replace(path, data, lockedFd, nullptr, error);
}

bool CreateFileAtomicallyLocked(const std::string& path, std::string_view data, int* lockedFd,
                                bool* exists, std::string* error) {
    return Replace(path, data, lockedFd, exists, error);
}

}  // namespace dvdsp::platform
