// Which device-change paths concern the unit, and the interface paths built from the
// kernel's device paths of hidraw nodes.
#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

#include "platform/device_path.h"
#include "platform/hotplug.h"

using dvdsp::platform::DeviceChange;
using dvdsp::platform::DeviceChangeOf;
using dvdsp::platform::HidInterfacePath;
using dvdsp::platform::IsUnitDevicePath;

namespace {
constexpr uint16_t kVid = 0x0483, kPid = 0x5750;
}

TEST(DevicePathFilter, AcceptsTheUnitAndDropsEverythingElse) {
    const char* usual = "\\\\?\\HID#VID_0483&PID_5750#7&2a1c5f3&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    EXPECT_TRUE(IsUnitDevicePath(usual, kVid, kPid));
    // "HID" is case-sensitive.
    EXPECT_FALSE(IsUnitDevicePath("\\\\?\\hid#VID_0483&PID_5750#7&2a1c5f3", kVid, kPid));
    EXPECT_FALSE(IsUnitDevicePath("\\\\?\\Hid#VID_0483&PID_5750", kVid, kPid));
    // Either ID missing.
    EXPECT_FALSE(IsUnitDevicePath("\\\\?\\HID#VID_0483&PID_5751#x", kVid, kPid));
    EXPECT_FALSE(IsUnitDevicePath("\\\\?\\HID#VID_0484&PID_5750#x", kVid, kPid));
    EXPECT_FALSE(IsUnitDevicePath("", kVid, kPid));
    // Substrings anywhere, in any order, count.
    EXPECT_TRUE(IsUnitDevicePath("57500483HID", kVid, kPid));
    // The IDs are written as lower-case hex: a product ID with letters must appear so.
    EXPECT_TRUE(IsUnitDevicePath("HID#VID_046d&PID_c52b", 0x046D, 0xC52B));
    EXPECT_FALSE(IsUnitDevicePath("HID#VID_046D&PID_C52B", 0x046D, 0xC52B));
}

TEST(DevicePathFilter, KernelPathsBecomeInterfacePathsTheFilterAccepts) {
    std::string p = HidInterfacePath(
        "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:0483:5750.0007/hidraw/hidraw3");
    EXPECT_EQ(p, "\\\\?\\HID#VID_0483&PID_5750#hidraw3");
    EXPECT_TRUE(IsUnitDevicePath(p, kVid, kPid));

    std::string other = HidInterfacePath("/devices/x/0003:046D:C52B.0001/hidraw/hidraw0");
    EXPECT_EQ(other, "\\\\?\\HID#VID_046D&PID_C52B#hidraw0");
    EXPECT_FALSE(IsUnitDevicePath(other, kVid, kPid));

    // No HID device name in the path: nothing to report.
    EXPECT_EQ(HidInterfacePath("/devices/virtual/misc/uhid"), "");
    EXPECT_EQ(HidInterfacePath("/devices/x/0003:0483:57.0007/hidraw/hidraw3"), "");
    EXPECT_EQ(HidInterfacePath(""), "");
}

TEST(DevicePathFilter, UdevEventsBecomeChangesOnlyTheUnitsPassTheFilter) {
    const char* unit = "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:0483:5750.0007/hidraw/hidraw3";
    const char* mouse = "/devices/pci0000:00/usb1/1-3/1-3:1.0/0003:046D:C52B.0001/hidraw/hidraw0";

    DeviceChange arrival = DeviceChangeOf("add", unit);
    EXPECT_EQ(arrival.event, dvdsp::platform::DBT_DEVICEARRIVAL);
    EXPECT_TRUE(arrival.interfaceKind);
    EXPECT_EQ(arrival.path, "\\\\?\\HID#VID_0483&PID_5750#hidraw3");
    EXPECT_TRUE(IsUnitDevicePath(arrival.path, kVid, kPid));

    DeviceChange removal = DeviceChangeOf("remove", unit);
    EXPECT_EQ(removal.event, dvdsp::platform::DBT_DEVICEREMOVECOMPLETE);
    EXPECT_EQ(removal.path, arrival.path);

    DeviceChange other = DeviceChangeOf("add", mouse);
    EXPECT_EQ(other.event, dvdsp::platform::DBT_DEVICEARRIVAL);
    EXPECT_FALSE(IsUnitDevicePath(other.path, kVid, kPid));

    // Any other action is a change of the device nodes; a path without a HID device
    // name is passed on as it is, and the filter drops it.
    DeviceChange bind = DeviceChangeOf("bind", "/devices/virtual/misc/uhid");
    EXPECT_EQ(bind.event, dvdsp::platform::DBT_DEVNODES_CHANGED);
    EXPECT_EQ(bind.path, "/devices/virtual/misc/uhid");
    EXPECT_FALSE(IsUnitDevicePath(bind.path, kVid, kPid));
    DeviceChange none = DeviceChangeOf(nullptr, nullptr);
    EXPECT_EQ(none.event, dvdsp::platform::DBT_DEVNODES_CHANGED);
    EXPECT_EQ(none.path, "");
}

TEST(DevicePathFilter, RegistrationGivesAWatchThatStopsOrNothing) {
    // Containers often have no udev socket, so the registration may be refused. Refused,
    // there is no watch and nothing is ever delivered; granted, whatever arrives comes on
    // the watch's own thread as a known change, and destruction stops that thread.
    std::mutex m;
    std::vector<DeviceChange> delivered;
    bool onOtherThread = true;
    const std::thread::id self = std::this_thread::get_id();
    auto monitor = dvdsp::platform::RegisterDeviceNotification([&](const DeviceChange& c) {
        std::lock_guard lock(m);
        delivered.push_back(c);
        if (std::this_thread::get_id() == self) onOtherThread = false;
    });
    const bool granted = monitor != nullptr;
    monitor.reset();  // returns only once the watch thread has ended
    std::lock_guard lock(m);
    if (!granted) {
        EXPECT_TRUE(delivered.empty());
    }
    EXPECT_TRUE(onOtherThread);
    for (const DeviceChange& c : delivered) {
        EXPECT_TRUE(c.event == dvdsp::platform::DBT_DEVICEARRIVAL ||
                    c.event == dvdsp::platform::DBT_DEVICEREMOVECOMPLETE ||
                    c.event == dvdsp::platform::DBT_DEVNODES_CHANGED);
        EXPECT_FALSE(c.path.empty());
    }
}
