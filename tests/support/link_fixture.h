#pragma once
// A DspDevice wired to a virtual unit through the HID seam, with a manual clock and a
// sink that records every posted message.

#include <memory>
#include <mutex>
#include <vector>

#include "emulator/virtual_transport.h"
#include "emulator/virtual_unit.h"
#include "link/clock.h"
#include "link/dsp_device.h"
#include "link/messages.h"

namespace dvdsp::testing {

class RecordingSink final : public link::MessageSink {
  public:
    void Post(link::Message m) override {
        std::lock_guard lock(mutex_);
        messages.push_back(std::move(m));
    }
    std::vector<link::Message> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(messages, {});
    }
    size_t Count() {
        std::lock_guard lock(mutex_);
        return messages.size();
    }
    std::vector<link::Message> messages;

  private:
    std::mutex mutex_;
};

struct LinkFixture {
    explicit LinkFixture(link::Clock* c = nullptr)
        : clock(c ? c : &manual), backend(unit, *clock), device(backend, *clock) {
        device.SetDeviceProfile(98, 10, 8, 1, 0);
        for (int t = 0; t < link::kTargetCount; ++t)
            device.SetTarget(static_cast<link::Target>(t), &sink);
    }
    ~LinkFixture() {
        if (device.IsConnected()) device.CloseHIDDevice(false);
    }
    bool Connect() {
        device.OpenHIDDevice();
        if (!device.IsConnected()) return false;
        device.PC_Connect(1);
        device.Hand_Connect();
        return device.HandshakeOk();
    }

    link::ManualClock manual;
    link::Clock* clock;
    emu::VirtualUnit unit;
    emu::VirtualHidBackend backend;
    link::DspDevice device;
    RecordingSink sink;
};

}  // namespace dvdsp::testing
