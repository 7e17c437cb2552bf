// Builds without libudev: no plug events; the link still notices a lost unit.
#include "platform/hotplug.h"

namespace dvdsp::platform {

std::unique_ptr<HotplugMonitor> RegisterDeviceNotification(HotplugMonitor::Callback onChange) {
    (void)onChange;
    return nullptr;
}

}  // namespace dvdsp::platform
