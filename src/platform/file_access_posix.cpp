#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/file_access.h"

namespace dvdsp::platform {
namespace {

std::string Reason(const std::string& what, int err) {
    return what + ": " + std::strerror(err);
}

void Say(std::string* error, const std::string& text) {
    if (error) *error = text;
}

}  // namespace

ReadStatus ReadRegularFile(const std::string& path, size_t maxBytes, std::string* out,
                           std::string* error) {
    out->clear();
    // Not blocking: opening a FIFO with no writer would wait for one.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int err = errno;
        Say(error, Reason("cannot read " + path, err));
        return err == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Say(error, path + " is not a regular file; it was not read");
        return ReadStatus::NotRegular;
    }
    char buf[65536];
    while (out->size() <= maxBytes) {
        const size_t want = std::min(sizeof buf, maxBytes + 1 - out->size());
        const ssize_t n = ::read(fd, buf, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            out->clear();
            Say(error, Reason("cannot read " + path, err));
            return ReadStatus::Failed;
        }
        if (n == 0) break;
        out->append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    if (out->size() > maxBytes) {
        out->clear();
        Say(error, path + " is larger than " + std::to_string(maxBytes) + " bytes; it was not read");
        return ReadStatus::TooLarge;
    }
    return ReadStatus::Ok;
}

std::string ResolveSymbolicLinks(const std::string& path, std::string* refusal) {
    std::string at = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        // One planted by someone else (in a shared folder) would lead our write to a file of
        // their choosing.
        if (st.st_uid != ::geteuid() && st.st_uid != 0) {
            Say(refusal, at + " is a symbolic link of another user; it is not followed");
            return at;
        }
        std::string target(4096, '\0');
        const ssize_t n = ::readlink(at.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<size_t>(n) >= target.size()) break;
        target.resize(static_cast<size_t>(n));
        if (target[0] != '/') {
            const size_t slash = at.rfind('/');
            if (slash != std::string::npos) target = at.substr(0, slash + 1) + target;
        }
        at = target;
    }
    return at;
}

bool MakePrivateFolder(const std::string& parent, const std::string& prefix, std::string* made,
                       std::string* error) {
    std::string name = (parent.empty() ? std::string(".") : parent) + "/" + prefix + "XXXXXX";
    if (!::mkdtemp(name.data())) {  // made 0700, never over anything that exists
        Say(error, Reason("cannot make a folder in " + parent, errno));
        return false;
    }
    *made = name;
    return true;
}

void RemovePrivateFolder(const std::string& folder) {
    if (folder.empty()) return;
    // remove_all removes links themselves and never descends through one.
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(folder), ec);
}

std::FILE* OpenLogFile(const std::string& path, std::string* error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC |
                                            O_NOCTTY, 0644);
    if (fd < 0) {
        const int err = errno;
        Say(error, err == ELOOP ? path + " is a symbolic link; it was not opened" : Reason("cannot open " + path, err));
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        Say(error, path + " is not a regular file of this user; it was not opened");
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "ab");
    if (!f) {
        Say(error, Reason("cannot open " + path, errno));
        ::close(fd);
    }
    return f;
}

void TreatFileSizeLimitAsWriteError() {
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace dvdsp::platform
