// Builds without libudev, and the Windows build: no plug events; the link still notices a
// lost unit. On Windows the notices are the window's own (its registration for the HID
// interface class and WM_DEVICECHANGE) and come with a Windows build of the window, behind
// this same RegisterDeviceNotification.
#include "platform/hotplug.h"

namespace dvdsp::platform {

std::unique_ptr<HotplugMonitor> RegisterDeviceNotification(HotplugMonitor::Callback onChange) {
    (void)onChange;
    return nullptr;
}

}  // namespace dvdsp::platform
