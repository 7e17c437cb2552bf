#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "base/identity.h"
#include "platform/instance_lock.h"

namespace dvdsp::platform {

std::string RuntimeFolder() {
    if (const char* r = std::getenv("XDG_RUNTIME_DIR"); r && *r) {
        struct stat st {};
        if (::stat(r, &st) == 0 && S_ISDIR(st.st_mode)) return r;
    }
    std::string dir = "/tmp/dvdsp-" + std::to_string(::getuid());
    ::mkdir(dir.c_str(), 0700);
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
    std::string path = RuntimeFolder() + "/" + name + ".lock";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        alreadyExists_ = (errno == EWOULDBLOCK);
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
