#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <cstring>
#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/file_access.h"

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

// The temporary files of this program: "<name>.dvdsp-tmp-<pid>-XXXXXX" beside the file.
constexpr const char* kTempMark = ".dvdsp-tmp-";
// A temporary file older than this whose writer is gone is a leftover of a killed run.
constexpr time_t kStaleAfterSeconds = 10 * 60;

// Removes what killed runs of this program left in `folder`: temporary files of its own
// pattern, regular files of this user, whose writing process is no longer alive here and
// which were not touched for some minutes (a writer on another machine sharing the folder
// is still writing to a fresh one).
void RemoveStaleTemporaries(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const time_t now = ::time(nullptr);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const size_t mark = name.rfind(kTempMark);
        if (mark == std::string::npos || mark == 0) continue;
        const std::string rest = name.substr(mark + std::strlen(kTempMark));  // "<pid>-XXXXXX"
        const size_t dash = rest.find('-');
        if (dash == std::string::npos || dash == 0 || dash > 10 || rest.size() != dash + 7) continue;
        long long pid = 0;
        bool digits = true;
        for (size_t i = 0; i < dash; ++i) {
            if (rest[i] < '0' || rest[i] > '9') digits = false;
            else pid = pid * 10 + (rest[i] - '0');
        }
        if (!digits || pid <= 0 || pid > 0x7fffffff) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;  // its writer lives
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
            now - st.st_mtime < kStaleAfterSeconds)
            continue;
        ::unlink(it->path().c_str());
    }
}

// Why the file at `target` (links already followed) may not be replaced, or empty. `mode`
// receives its permissions, which the new content keeps.
std::string RefusalToReplace(const std::string& shown, const std::string& target, mode_t* mode) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return {};  // no file yet (or none we can see)
    if (S_ISDIR(st.st_mode)) return "cannot write " + shown + ": " + std::strerror(EISDIR);
    if (!S_ISREG(st.st_mode)) return shown + " is not a regular file; it was left as it is";
    // Another name of the same file would keep the old content once this name is replaced.
    if (st.st_nlink > 1)
        return shown + " has " + std::to_string(st.st_nlink) +
               " names (hard links) and replacing it would part them; it was left as it is "
               "(keep one name, or use a symbolic link)";
    const bool writable = st.st_uid == ::geteuid() ? (st.st_mode & S_IWUSR) != 0
                                                   : ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
    if (!writable) return shown + " is read-only; it was left as it is";
    *mode = st.st_mode & 07777;
    return {};
}

// Writes `data` beside `path` and renames it over `path`. With `lockedFd` the new file is
// locked before the rename and stays open, its descriptor handed back. With `exists` the
// file takes the name only when no file has it (a hard link, then the temporary name goes).
// A symbolic link is followed: the file it leads to is replaced, the link stays. A file that
// is read-only, has other names (hard links) or is no regular file is refused.
bool Replace(const std::string& shownPath, std::string_view data, int* lockedFd, bool* exists,
             std::string* error) {
    namespace fs = std::filesystem;
    std::string refusal;
    const std::string path = ResolveSymbolicLinks(shownPath, &refusal);
    if (!refusal.empty()) {
        if (error) *error = refusal;
        return false;
    }
    const fs::path target(path);
    if (target.filename().empty()) return FailWrite(error, "cannot write " + shownPath, EISDIR);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

    // mkstemp creates the file for its owner only; give it what a new file would get, or
    // the mode of the file it replaces.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode_t mode = 0666 & ~mask;
    if (!exists) {
        if (std::string why = RefusalToReplace(shownPath, path, &mode); !why.empty()) {
            if (error) *error = why;
            return false;
        }
    }
    RemoveStaleTemporaries(folder);

    std::string tmp = path + kTempMark + std::to_string(::getpid()) + "-XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) return FailWrite(error, "cannot create a file beside " + shownPath, errno);
    ::fchmod(fd, mode);

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
        return FailWrite(error, "cannot write " + shownPath, err);
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
