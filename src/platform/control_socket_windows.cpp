#include "platform/control_socket.h"

namespace dvdsp::platform {

// The program serves no control interface on Windows yet: nothing to reach.
std::string ControlSocketPath(const std::string&, std::string* error) {
    if (error) *error = "the control interface is not available on Windows";
    return {};
}

ControlClient::~ControlClient() { Close(); }

void ControlClient::Close() { buffer_.clear(); }

bool ControlClient::Connect(const std::string&, std::string* why) {
    if (why) *why = "the control interface is not available on Windows";
    return false;
}

bool ControlClient::WriteLine(const std::string&) { return false; }

bool ControlClient::ReadLine(std::string&, size_t) { return false; }

}  // namespace dvdsp::platform
