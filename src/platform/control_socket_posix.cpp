#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/control_socket.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"

namespace dvdsp::platform {

namespace {
// FNV-1a of the state file's path: a short, stable socket name for each virtual unit.
std::string Hash(const std::string& text) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
    char b[17];
    std::snprintf(b, sizeof b, "%016llx", static_cast<unsigned long long>(h));
    return b;
}
}  // namespace

std::string ControlSocketPath(const std::string& stateFile, std::string* error) {
    const std::string forced = EnvironmentValue("DVDSP_CONTROL_SOCKET");
    if (!forced.empty()) return forced;
    const std::string folder = InstanceLockFolder(error);
    if (folder.empty()) return {};
    if (stateFile.empty()) return folder + "/control-" + InstanceMutexName();
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::weakly_canonical(std::filesystem::absolute(stateFile), ec);
    return folder + "/control-virtual-" + Hash(ec ? stateFile : full.string());
}

ControlClient::~ControlClient() { Close(); }

void ControlClient::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    buffer_.clear();
}

bool ControlClient::Connect(const std::string& path, std::string* why) {
    Close();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) {
        if (why) *why = "no usable socket path";
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0 || ::connect(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        if (why) *why = std::strerror(errno);
        Close();
        return false;
    }
    return true;
}

bool ControlClient::WriteLine(const std::string& line) {
    if (fd_ < 0) return false;
    const std::string data = line + "\n";
    for (size_t done = 0; done < data.size();) {
        const ssize_t n = ::send(fd_, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ControlClient::ReadLine(std::string& line, size_t maxBytes) {
    for (;;) {
        const size_t end = buffer_.find('\n');
        if (end != std::string::npos) {
            line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return true;
        }
        if (fd_ < 0 || buffer_.size() > maxBytes) return false;
        char chunk[4096];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        buffer_.append(chunk, static_cast<size_t>(n));
    }
}

}  // namespace dvdsp::platform
