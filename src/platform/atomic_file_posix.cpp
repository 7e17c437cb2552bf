#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/atomic_file.h"

namespace dvdsp::platform {
namespace {

bool Fail(std::string* error, const std::string& what, int err) {
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

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* error) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    if (target.filename().empty()) return Fail(error, "cannot write " + path, EISDIR);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

    std::string tmp = path + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) return Fail(error, "cannot create a file beside " + path, errno);
    // mkstemp creates the file for its owner only; give it what a new file would get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);

    int err = 0;
    if (!WriteAll(fd, data)) err = errno;
    if (!err && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    if (!err && ::rename(tmp.c_str(), path.c_str()) != 0) err = errno;
    if (err) {
        ::unlink(tmp.c_str());
        return Fail(error, "cannot write " + path, err);
    }
    // The rename itself lasts once the folder is on the disk.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace dvdsp::platform
