#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/identity.h"
#include "platform/instance_lock.h"

namespace dvdsp::platform {

std::string InstanceLockFolder(std::string* error) {
    // A fixed place, not one from the environment: a program started with another
    // XDG_RUNTIME_DIR (or none) meets the same lock.
    const std::string dir = "/tmp/dvdsp-" + std::to_string(::geteuid());
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        if (error) *error = "cannot make " + dir + ": " + std::strerror(errno);
        return {};
    }
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & 077) != 0) {
        if (error) *error = dir + " is not a private folder of this user (a link, another's, or open to others)";
        return {};
    }
    return dir;
}

std::string InstanceMutexName() {
    return std::string("DRAVIKUNIT_") + kModelName;
}

NamedMutex::~NamedMutex() {
    Release();
}

bool NamedMutex::Acquire(const std::string& name) {
    Release();
    alreadyExists_ = false;
    error_.clear();
    const std::string folder = InstanceLockFolder(&error_);
    if (folder.empty()) return false;
    const std::string path = folder + "/" + name + ".lock";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error_ = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        alreadyExists_ = (errno == EWOULDBLOCK);
        if (!alreadyExists_) error_ = "cannot lock " + path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void NamedMutex::Release() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace dvdsp::platform
