#pragma once
// One firmware upgrade over the direct road, as the update windows and `dvdsp-cli firmware
// upgrade` both run it: the start (with the unit's restart into its loader), the blocks with
// their progress, the version the sent image carries, the unit's return with its new
// firmware and the factory reset of a forced update. Every wait is on the link's clock.

#include <functional>
#include <string>

#include "firmware/upgrade_transfer.h"
#include "link/clock.h"

namespace dvdsp::link {
class DspDevice;
}

namespace dvdsp::core {

struct UpgradeEvents {
    std::function<void()> restarting;           // the unit restarts and is waited for
    std::function<void(int percent)> progress;  // 0-100, each value once, in order
};

class UpgradeRun {
public:
    explicit UpgradeRun(link::DspDevice& device, link::Clock& clock = link::DefaultClock());

    // UpgradeStart's result: 0 started, else why not (firmware/upgrade_transfer.h).
    int Start(const std::string& path, bool erase, const UpgradeEvents& events);
    // True when the start accepted a download batch file (the vendor's tool sends).
    bool BatchFileAccepted() const { return transfer_.BatchFileAccepted(); }
    // Sends the blocks to the end; true when the transfer ended well.
    bool Transfer(const UpgradeEvents& events);
    // The firmware version of the MCU image sent (main, sub), -1 for other images.
    int SentMain() const { return sentMain_; }
    int SentSub() const { return sentSub_; }
    // After the transfer the unit restarts with its new firmware: waits for it, opens it
    // and shakes hands. False when it did not come back.
    bool AwaitReturn();
    // The factory reset after a forced update: the pause the restarted unit needs, then the
    // reset.
    void FactoryReset();

private:
    link::DspDevice& device_;
    link::Clock& clock_;
    fw::UpgradeTransfer transfer_;
    int sentMain_ = -1, sentSub_ = -1;
};

}  // namespace dvdsp::core
