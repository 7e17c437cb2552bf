#include "core/upgrade_run.h"

#include "base/log.h"
#include "link/dsp_device.h"
#include "link/exchange.h"

namespace dvdsp::core {
namespace {

// The unit's first sign of life after an upgrade may take a while: it checks and copies
// the new image before it starts it.
constexpr fw::RestartWait kBackFromUpgrade{fw::kReopenPauseMs, 40, fw::kReopenPauseMs};
// A unit that has just come back needs a moment before it takes a factory reset.
constexpr uint32_t kFactoryResetPauseMs = 1000;

}  // namespace

UpgradeRun::UpgradeRun(link::DspDevice& device, link::Clock& clock)
    : device_(device), clock_(clock), transfer_(device, clock) {}

int UpgradeRun::Start(const std::string& path, bool erase, const UpgradeEvents& events) {
    sentMain_ = sentSub_ = -1;
    transfer_.SetRestartNotice(events.restarting);
    return transfer_.UpgradeStart(path, erase);
}

bool UpgradeRun::Transfer(const UpgradeEvents& events) {
    int step = 0, last = -1;
    while (step != fw::kUpgradeStepDone && step != fw::kUpgradeStepFailed) {
        step = transfer_.UpgradeStep();
        if (step <= 100 && step != last) {
            last = step;
            if (events.progress) events.progress(step);
        }
    }
    if (step != fw::kUpgradeStepDone) return false;
    if (transfer_.Images().UpgDeviceValue() == fw::UPG_DEVICE_MCU) {
        const auto& header = transfer_.Images().McuImageHeader();
        sentMain_ = header[0];
        sentSub_ = header[1];
    }
    return true;
}

bool UpgradeRun::AwaitReturn() {
    device_.CloseHIDDevice(false);
    if (!fw::AwaitRestartedUnit(device_, clock_, kBackFromUpgrade)) return false;
    link::ExchangeSequence handshake(device_, "hand-shake");
    device_.PC_Connect(1);
    device_.Hand_Connect();
    return true;
}

void UpgradeRun::FactoryReset() {
    LogWriteNarrow("Factory default thread start!\n");
    clock_.SleepMs(kFactoryResetPauseMs);
    device_.Factory_Default_Ctrl();
    LogWriteNarrow("Factory default thread end!\n");
}

}  // namespace dvdsp::core
