#pragma once
// The running program's control interface as another process of the user reaches it: the
// socket's path and a client that writes and reads lines of it. On Linux a Unix-domain
// socket in the user's own folder (InstanceLockFolder, 0700); on Windows the client is not
// available yet.

#include <string>

namespace dvdsp::platform {

// Where the program serves its control interface: DVDSP_CONTROL_SOCKET when it is set, else
// "control-<name>" in InstanceLockFolder(), named for the real unit, or for a virtual
// unit's state file when `stateFile` is given (each holder of a unit has its own). Empty,
// with the reason in `error`, when the folder cannot be used.
std::string ControlSocketPath(const std::string& stateFile = {}, std::string* error = nullptr);

class ControlClient {
  public:
    ControlClient() = default;
    ~ControlClient();
    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    // Connects to the socket at `path`; false with the reason (nobody serves there).
    bool Connect(const std::string& path, std::string* why);
    // Writes `line` and a newline; false when the connection is gone.
    bool WriteLine(const std::string& line);
    // The next line without its newline; false when the connection closed first or a line
    // grew beyond `maxBytes`.
    bool ReadLine(std::string& line, size_t maxBytes = size_t{1} << 24);
    void Close();

  private:
#ifdef _WIN32
    void* pipe_ = nullptr;
#else
    int fd_ = -1;
#endif
    std::string buffer_;
};

}  // namespace dvdsp::platform
