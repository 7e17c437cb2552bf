#pragma once
// The direct road of a firmware upgrade: UpgradeStart checks the image the file name
// selects, switches the unit into upgrade mode (waiting for it to come back when it
// reboots into its loader) and sends the start command; UpgradeStep then sends the
// payload block by block, driven by the unit's acknowledgements, and finishes.
//
// The acknowledgements are decoded by the device link's reply decoders, which update the
// upgrade status (link::UpgradeStatus) that this object shares. Time comes from the
// link's clock, so the reboot wait runs at once under a manual clock.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "firmware/firmware_images.h"
#include "link/clock.h"

namespace dvdsp::link {
class DspDevice;
}

namespace dvdsp::fw {

// Results of UpgradeStart besides those of the image checks.
inline constexpr int kUpgradeRefused = 4;
// UpgradeStep's results at the end of a transfer.
inline constexpr int kUpgradeStepDone = 101;
inline constexpr int kUpgradeStepFailed = 255;

inline constexpr int kUpgradeReplyTimeoutMs = 10000;
inline constexpr uint32_t kRebootWaitMs = 8000;
inline constexpr int kReopenTries = 10;
inline constexpr uint32_t kReopenPauseMs = 500;
// Reads in a row that bring no acknowledgement of the block in flight before the transfer
// counts as failed (a unit that went silent must not keep the step waiting for ever).
inline constexpr int kAckReadsPerBlock = 4;

// How a restarting unit is waited for: a first pause, then up to `tries` attempts to open
// it, `pauseMs` apart.
struct RestartWait {
    uint32_t firstMs;
    int tries;
    uint32_t pauseMs;
};
// The unit's restart into its loader at the start of an upgrade.
inline constexpr RestartWait kIntoLoader{kRebootWaitMs, kReopenTries, kReopenPauseMs};
// Waits for a restarting unit and opens it again, on the link's clock; true when the link
// is open.
bool AwaitRestartedUnit(link::DspDevice& device, link::Clock& clock, const RestartWait& wait);

class UpgradeTransfer final : private UpgradeLink {
  public:
    explicit UpgradeTransfer(link::DspDevice& device, link::Clock& clock = link::DefaultClock());

    // 0 started (or a download batch file accepted: nothing is sent), 2 no image kind fits
    // the name, 3 no unit, 4 the unit did not enter upgrade mode or refused the start,
    // else the result of the image check. `path` is UTF-8 text (platform/paths.h), any
    // characters allowed; the wide form is the same name in wide characters.
    int UpgradeStart(const std::string& path, bool erase);
    int UpgradeStart(const std::wstring& path, bool erase);
    // One step: the progress 0 to 100 while the transfer runs, 101 when it has ended well
    // and 255 when it has failed.
    int UpgradeStep();

    // Called (on the caller's thread) when UpgradeStart begins to wait for the unit's
    // restart into its loader (kRebootWaitMs and the reopening after it).
    void SetRestartNotice(std::function<void()> notice) { restartNotice_ = std::move(notice); }

    FirmwareImages& Images() { return images_; }
    int32_t Phase() const;
    size_t SentCount() const { return sent_; }
    // True when the started transfer is a download batch file's (nothing to send).
    bool BatchFileAccepted() const { return batch_; }

  private:
    bool IsConnected() const override;
    void ResetReceiveRing() override;
    int Fail(int result);
    int Progress() const;
    void StepMcu(bool bootloader);
    void StepFlash();
    int Stop();

    link::DspDevice& device_;
    link::Clock& clock_;
    FirmwareImages images_;
    size_t sent_ = 0;
    bool batch_ = false;
    int ackReads_ = 0;
    std::function<void()> restartNotice_;
};

}  // namespace dvdsp::fw
