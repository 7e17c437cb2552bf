#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/hotplug.h"

namespace dvdsp::platform {
namespace {

class UdevMonitor final : public HotplugMonitor {
public:
    UdevMonitor(udev* u, udev_monitor* mon, int stopFd, Callback cb)
        : udev_(u), mon_(mon), stopFd_(stopFd), callback_(std::move(cb)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~UdevMonitor() override {
        uint64_t one = 1;
        ssize_t n = ::write(stopFd_, &one, sizeof one);
        (void)n;
        if (thread_.joinable()) thread_.join();
        udev_monitor_unref(mon_);
        udev_unref(udev_);
        ::close(stopFd_);
    }

private:
    void Run() {
        pollfd fds[2] = {{udev_monitor_get_fd(mon_), POLLIN, 0}, {stopFd_, POLLIN, 0}};
        for (;;) {
            int r = ::poll(fds, 2, -1);
            if (r < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents) return;
            if (!(fds[0].revents & POLLIN)) continue;
            udev_device* dev = udev_monitor_receive_device(mon_);
            if (!dev) continue;
            DeviceChange change = DeviceChangeOf(udev_device_get_action(dev), udev_device_get_devpath(dev));
            udev_device_unref(dev);
            callback_(change);
        }
    }

    udev* udev_;
    udev_monitor* mon_;
    int stopFd_;
    Callback callback_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<HotplugMonitor> RegisterDeviceNotification(HotplugMonitor::Callback onChange) {
    udev* u = udev_new();
    if (!u) return nullptr;
    udev_monitor* mon = udev_monitor_new_from_netlink(u, "udev");
    if (!mon || udev_monitor_filter_add_match_subsystem_devtype(mon, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(mon) < 0) {
        if (mon) udev_monitor_unref(mon);
        udev_unref(u);
        return nullptr;
    }
    int stopFd = ::eventfd(0, EFD_CLOEXEC);
    if (stopFd < 0) {
        udev_monitor_unref(mon);
        udev_unref(u);
        return nullptr;
    }
    return std::make_unique<UdevMonitor>(u, mon, stopFd, std::move(onChange));
}

}  // namespace dvdsp::platform
