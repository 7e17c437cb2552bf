#pragma once
// Device paths of HID interface arrivals and removals, and the test that tells whether
// one of them is the unit.

#include <cstdint>
#include <string>
#include <string_view>

namespace dvdsp::platform {

// True when `path` names the unit: it holds "HID" and the vendor and product IDs as four
// lower-case hexadecimal digits each ("0483", "5750"), every one a case-sensitive
// substring anywhere in the path.
bool IsUnitDevicePath(std::string_view path, uint16_t vendorId, uint16_t productId);

// Four lower-case hexadecimal digits.
std::string Hex4(uint16_t value);

// The interface path of a hidraw device from its kernel device path, written the way the
// HID interface class names its members:
//   "\\?\HID#VID_0483&PID_5750#hidraw3"
// The IDs come from the parent HID device's name ("0003:0483:5750.0007") inside the
// device path. Empty when the path holds no such name.
std::string HidInterfacePath(std::string_view kernelDevPath);

}  // namespace dvdsp::platform
