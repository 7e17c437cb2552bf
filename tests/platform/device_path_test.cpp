// Which device-change paths concern the unit, and the interface paths built from the
// kernel's device paths of hidraw nodes.
#include <gtest/gtest.h>

#include "platform/device_path.h"
#include "platform/hotplug.h"

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

TEST(DevicePathFilter, RegistrationEitherWorksOrReportsNull) {
    // Containers often have no udev socket; both outcomes are valid, neither may crash,
    // and destruction must stop the watch thread.
    auto monitor = dvdsp::platform::RegisterDeviceNotification([](const dvdsp::platform::DeviceChange&) {});
    monitor.reset();
    SUCCEED();
}
