#pragma once
// Arrivals and removals of HID interfaces, as the device-change handling of the main
// window expects them: an event code and the interface's device path.

#include <functional>
#include <memory>
#include <string>

namespace dvdsp::platform {

// Event codes of a device-change broadcast.
inline constexpr int DBT_DEVNODES_CHANGED = 0x0007;
inline constexpr int DBT_DEVICEARRIVAL = 0x8000;
inline constexpr int DBT_DEVICEREMOVECOMPLETE = 0x8004;

struct DeviceChange {
    int event = 0;
    bool interfaceKind = true;  // DBT_DEVTYP_DEVICEINTERFACE
    std::string path;           // interface path, e.g. "\\?\HID#VID_0483&PID_5750#hidraw3"
};

// The change a udev event of the hidraw subsystem stands for: "add" an arrival, "remove"
// a removal, anything else a change of the device nodes; the path is the interface path
// of the kernel device path, or that path itself when it names no HID device.
DeviceChange DeviceChangeOf(const char* action, const char* kernelDevPath);

// Watches the hidraw subsystem and calls `onChange` on its own thread for every hidraw
// device added or removed. Destruction stops the watch and waits for the thread.
class HotplugMonitor {
public:
    using Callback = std::function<void(const DeviceChange&)>;
    virtual ~HotplugMonitor() = default;
};

// Null when the system refuses the registration (no udev, no monitor socket).
std::unique_ptr<HotplugMonitor> RegisterDeviceNotification(HotplugMonitor::Callback onChange);

}  // namespace dvdsp::platform
