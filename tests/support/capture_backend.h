#pragma once
// A HID backend that records every report written and answers nothing.

#include <mutex>
#include <vector>

#include "link/hid_transport.h"

namespace dvdsp::testing {

class CaptureBackend final : public link::HidBackend {
  public:
    struct Handle final : link::HidHandle {
        explicit Handle(CaptureBackend& b) : owner(b) {}
        int GetString(link::HidString, std::wstring& out) override {
            out = L"test";
            return 0;
        }
        int SetNonblocking(bool) override { return 0; }
        int Write(const uint8_t* data, size_t len) override {
            std::lock_guard lock(owner.mutex);
            owner.reports.emplace_back(data, data + len);
            return static_cast<int>(len);
        }
        int ReadTimeout(uint8_t*, size_t, int) override { return 0; }
        std::wstring Error() override { return L""; }
        CaptureBackend& owner;
    };
    int Init() override { return 0; }
    std::shared_ptr<link::HidHandle> Open(uint16_t, uint16_t) override {
        return std::make_shared<Handle>(*this);
    }
    // Data bytes of the last command written (after type, command and operation).
    std::vector<uint8_t> LastData() {
        std::lock_guard lock(mutex);
        if (reports.empty()) return {};
        const auto& r = reports.back();
        size_t n = r[3] - 3u;
        return std::vector<uint8_t>(r.begin() + 7, r.begin() + 7 + static_cast<long>(n));
    }
    std::vector<uint8_t> LastHeader() {  // type, command, operation
        std::lock_guard lock(mutex);
        if (reports.empty()) return {};
        return {reports.back()[4], reports.back()[5], reports.back()[6]};
    }
    size_t Count() {
        std::lock_guard lock(mutex);
        return reports.size();
    }
    std::mutex mutex;
    std::vector<std::vector<uint8_t>> reports;
};

}  // namespace dvdsp::testing
