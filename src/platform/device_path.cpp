#include "platform/device_path.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/hotplug.h"

namespace dvdsp::platform {

std::string Hex4(uint16_t value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", static_cast<unsigned>(value));
    return buf;
}

bool IsUnitDevicePath(std::string_view path, uint16_t vendorId, uint16_t productId) {
    const std::string vid = Hex4(vendorId), pid = Hex4(productId);
    return path.find("HID") != std::string_view::npos && path.find(pid) != std::string_view::npos &&
           path.find(vid) != std::string_view::npos;
}

namespace {

bool IsHex(std::string_view s) {
    for (char c : s)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return !s.empty();
}

// "BBBB:VVVV:PPPP.NNNN" (bus, vendor, product, instance; upper-case hex as the kernel
// writes them).
bool ParseHidDeviceName(std::string_view name, std::string* vid, std::string* pid) {
    if (name.size() < 16 || name[4] != ':' || name[9] != ':' || name[14] != '.') return false;
    if (!IsHex(name.substr(0, 4)) || !IsHex(name.substr(5, 4)) || !IsHex(name.substr(10, 4)) ||
        !IsHex(name.substr(15)))
        return false;
    *vid = std::string(name.substr(5, 4));
    *pid = std::string(name.substr(10, 4));
    return true;
}

}  // namespace

std::string HidInterfacePath(std::string_view devPath) {
    std::string vid, pid, hidName;
    std::string_view leaf;
    size_t pos = 0;
    while (pos <= devPath.size()) {
        size_t slash = devPath.find('/', pos);
        if (slash == std::string_view::npos) slash = devPath.size();
        std::string_view part = devPath.substr(pos, slash - pos);
        std::string v, p;
        if (ParseHidDeviceName(part, &v, &p)) {
            vid = v;
            pid = p;
        }
        if (!part.empty()) leaf = part;
        pos = slash + 1;
    }
    if (vid.empty()) return std::string();
    return "\\\\?\\HID#VID_" + vid + "&PID_" + pid + "#" + std::string(leaf);
}

DeviceChange DeviceChangeOf(const char* action, const char* kernelDevPath) {
    DeviceChange change;
    if (action && std::strcmp(action, "add") == 0) change.event = DBT_DEVICEARRIVAL;
    else if (action && std::strcmp(action, "remove") == 0) change.event = DBT_DEVICEREMOVECOMPLETE;
    else change.event = DBT_DEVNODES_CHANGED;
    change.path = HidInterfacePath(kernelDevPath ? kernelDevPath : "");
    if (change.path.empty() && kernelDevPath) change.path = kernelDevPath;
    return change;
}

}  // namespace dvdsp::platform
