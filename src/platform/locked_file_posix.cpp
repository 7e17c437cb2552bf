#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/file_access.h"
#include "platform/locked_file.h"

namespace dvdsp::platform {

namespace {

bool Fail(std::string* error, const std::string& what, int err) {
    if (error) *error = what + ": " + std::strerror(err);
    return false;
}

// True when `path` names the file open as `fd` (it was not replaced or moved meanwhile).
bool StillNamed(const std::string& path, int fd) {
    struct stat byName {}, byFd {};
    return ::stat(path.c_str(), &byName) == 0 && ::fstat(fd, &byFd) == 0 &&
           byName.st_dev == byFd.st_dev && byName.st_ino == byFd.st_ino;
}

}  // namespace

LockedFile::~LockedFile() {
    Release();
}

LockedFile::Result LockedFile::Acquire(const std::string& givenPath, std::string_view initial,
                                      bool* created, std::string* error) {
    Release();
    if (created) *created = false;
    // Through a symbolic link the file it leads to is held and replaced; the link stays.
    std::string refusal;
    const std::string path = ResolveSymbolicLinks(givenPath, &refusal);
    if (!refusal.empty()) {
        if (error) *error = refusal;
        return Result::Failed;
    }
    // Another process may replace or create the file between the open and the lock; the
    // lock counts only when the name still leads to the locked file.
    for (int attempt = 0; attempt < 16; ++attempt) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) {
            bool exists = false;
            if (CreateFileAtomicallyLocked(path, initial, &fd, &exists, error)) {
                if (!StillNamed(path, fd)) {
                    ::close(fd);
                    continue;
                }
                fd_ = fd;
                path_ = path;
                if (created) *created = true;
                return Result::Locked;
            }
            if (exists) continue;  // made by someone else meanwhile: take that one
            return Result::Failed;
        }
        if (fd < 0) {
            Fail(error, "cannot open " + path, errno);
            return Result::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            ::close(fd);
            if (err == EWOULDBLOCK) return Result::InUse;
            Fail(error, "cannot lock " + path, err);
            return Result::Failed;
        }
        if (!StillNamed(path, fd)) {
            ::close(fd);
            continue;
        }
        // Replacing a file with other names would leave them with the old content.
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_nlink > 1) {
            ::close(fd);
            if (error)
                *error = givenPath + " has " + std::to_string(st.st_nlink) +
                         " names (hard links), which its replacement would part; it was left as it is "
                         "(keep one name, or use a symbolic link)";
            return Result::Failed;
        }
        fd_ = fd;
        path_ = path;
        return Result::Locked;
    }
    if (error) *error = path + " keeps changing; it could not be locked";
    return Result::Failed;
}

bool LockedFile::Read(std::string* out, std::string* error, size_t maxBytes) const {
    out->clear();
    if (fd_ < 0) return Fail(error, "cannot read " + path_, EBADF);
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = path_ + " is not a regular file; it was not read";
        return false;
    }
    char buf[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd_, buf, sizeof buf, at);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(error, "cannot read " + path_, errno);
        }
        if (n == 0) return true;
        out->append(buf, static_cast<size_t>(n));
        if (out->size() > maxBytes) {
            out->clear();
            if (error) *error = path_ + " is larger than " + std::to_string(maxBytes) + " bytes; it was not read";
            return false;
        }
        at += n;
    }
}

bool LockedFile::Replace(std::string_view data, std::string* error) {
    if (fd_ < 0) return Fail(error, "cannot write " + path_, EBADF);
    int fresh = -1;
    if (!WriteFileAtomicallyLocked(path_, data, &fresh, error)) return false;
    ::close(fd_);  // lets go of the old content's lock; the new content is already locked
    fd_ = fresh;
    return true;
}

bool LockedFile::MoveAside(const std::string& aside, std::string* error) {
    if (fd_ < 0) return Fail(error, "cannot move " + path_, EBADF);
    if (std::rename(path_.c_str(), aside.c_str()) != 0)
        return Fail(error, path_ + " could not be moved to " + aside, errno);
    return true;
}

void LockedFile::Release() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    path_.clear();
}

}  // namespace dvdsp::platform
