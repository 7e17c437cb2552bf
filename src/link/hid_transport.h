#pragma once
// The seam under DspDevice: the few HID calls the link makes. One implementation talks
// to hidapi (hidraw), the other to the virtual unit; DspDevice cannot tell them apart.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace dvdsp::link {

enum class HidString { Manufacturer, Product, Serial, Indexed1 };

class HidHandle {
  public:
    // Destruction closes the device (hid_close).
    virtual ~HidHandle() = default;
    // Reads one of the device strings into `out`; returns 0 on success, -1 on failure.
    virtual int GetString(HidString which, std::wstring& out) = 0;
    virtual int SetNonblocking(bool on) = 0;
    // Writes one output report (report ID first). Returns bytes written or -1.
    virtual int Write(const uint8_t* data, size_t len) = 0;
    // Reads one input report; returns its length, 0 on time-out, -1 on error.
    virtual int ReadTimeout(uint8_t* data, size_t len, int timeoutMs) = 0;
    virtual std::wstring Error() = 0;
    // Called when the link lets go of the handle, so a read in progress on another thread
    // can return early. The handle itself is destroyed when its last user is done.
    virtual void Interrupt() {}
};

class HidBackend {
  public:
    virtual ~HidBackend() = default;
    // hid_init: 0 on success.
    virtual int Init() = 0;
    // hid_open by vendor and product ID; null when no such device is present.
    virtual std::shared_ptr<HidHandle> Open(uint16_t vendorId, uint16_t productId) = 0;
};

// hidapi over hidraw.
std::unique_ptr<HidBackend> MakeHidapiBackend();

}  // namespace dvdsp::link
