#include <hidapi/hidapi.h>

#include <mutex>

#include "link/hid_transport.h"

namespace dvdsp::link {

namespace {

class HidapiHandle final : public HidHandle {
  public:
    explicit HidapiHandle(hid_device* dev) : dev_(dev) {}
    ~HidapiHandle() override { hid_close(dev_); }

    int GetString(HidString which, std::wstring& out) override {
        wchar_t buf[256] = {};
        int r = -1;
        switch (which) {
            case HidString::Manufacturer:
                r = hid_get_manufacturer_string(dev_, buf, 255);
                break;
            case HidString::Product:
                r = hid_get_product_string(dev_, buf, 255);
                break;
            case HidString::Serial:
                r = hid_get_serial_number_string(dev_, buf, 255);
                break;
            case HidString::Indexed1:
                r = hid_get_indexed_string(dev_, 1, buf, 255);
                break;
        }
        if (r < 0) return -1;
        out = buf;
        return 0;
    }
    int SetNonblocking(bool on) override { return hid_set_nonblocking(dev_, on ? 1 : 0); }
    int Write(const uint8_t* data, size_t len) override { return hid_write(dev_, data, len); }
    int ReadTimeout(uint8_t* data, size_t len, int timeoutMs) override {
        return hid_read_timeout(dev_, data, len, timeoutMs);
    }
    std::wstring Error() override {
        const wchar_t* e = hid_error(dev_);
        return e ? std::wstring(e) : std::wstring();
    }

  private:
    hid_device* dev_;
};

class HidapiBackend final : public HidBackend {
  public:
    int Init() override { return hid_init(); }
    std::shared_ptr<HidHandle> Open(uint16_t vendorId, uint16_t productId) override {
        hid_device* dev = hid_open(vendorId, productId, nullptr);
        if (!dev) return nullptr;
        return std::make_shared<HidapiHandle>(dev);
    }
};

}  // namespace

std::unique_ptr<HidBackend> MakeHidapiBackend() {
    return std::make_unique<HidapiBackend>();
}

}  // namespace dvdsp::link
