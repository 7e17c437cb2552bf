#include "firmware/upgrade_transfer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <span>

#include "base/log.h"
#include "link/commands.h"
#include "link/dsp_device.h"
#include "link/protocol/upgrade.h"

namespace dvdsp::fw {

namespace p = link::protocol;
using namespace dvdsp::link;

namespace {

std::string UpperFileName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

bool Contains(const std::string& s, const char* part) {
    return s.find(part) != std::string::npos;
}

// A command whose acknowledgement is read at once, so that the status is up to date when
// the call returns.
void SendAwaited(DspDevice& device, p::Frame f) {
    device.Send(std::move(f), true, kUpgradeReplyTimeoutMs);
}

// A command sent without reading: its acknowledgement is read by the next step.
bool SendOnly(DspDevice& device, const p::Frame& f) {
    return device.SendCtrlCommand(f.type, f.cmd, f.op, f.data.data(), f.data.size());
}

}  // namespace

bool AwaitRestartedUnit(link::DspDevice& device, link::Clock& clock, const RestartWait& wait) {
    clock.SleepMs(wait.firstMs);
    for (int i = 0; i < wait.tries; ++i) {
        device.OpenHIDDevice();
        if (device.IsConnected()) return true;
        clock.SleepMs(wait.pauseMs);
    }
    return false;
}

UpgradeTransfer::UpgradeTransfer(DspDevice& device, Clock& clock)
    : device_(device), clock_(clock), images_(this) {
    images_.SetStatus(device_.UpgradeState());
    images_.SetPcModelId(static_cast<uint8_t>(device_.Profile().pc_model_id));
}

bool UpgradeTransfer::IsConnected() const {
    return device_.IsConnected();
}

void UpgradeTransfer::ResetReceiveRing() {
    device_.ResetReceiveRing();
}

int32_t UpgradeTransfer::Phase() const {
    return device_.UpgradeState().Phase();
}

int UpgradeTransfer::UpgradeStart(const std::wstring& widePath, bool erase) {
    return UpgradeStart(WideToUtf8(widePath), erase);
}

int UpgradeTransfer::UpgradeStart(const std::string& path, bool erase) {
    // The name is UTF-8 (platform/paths.h); the image checks take it widened whole.
    const std::wstring widePath = Utf8ToWide(path);
    const std::string name = UpperFileName(path);
    LogWriteNarrow("UpgradeStart %s\n", name.c_str());
    UpgradeStatus& status = device_.UpgradeState();
    batch_ = false;
    ackReads_ = 0;

    if (Contains(name, "FLASH_UPG.BIN") || Contains(name, "MCU_UPG.BIN") ||
        Contains(name, "BL_UPG.BIN") || Contains(name, "UPG_FW.BIN")) {
        sent_ = 0;
        images_.SetMcuRemaining(0);
        int r;
        if (Contains(name, "BL_UPG.BIN")) {
            LogWriteNarrow("before MCUUpgBLParsingFile\n");
            r = images_.MCUUpgBLParsingFile(widePath);
        } else if (Contains(name, "FLASH_UPG.BIN")) {
            LogWriteNarrow("before FlashUpgParsingFile\n");
            r = images_.FlashUpgParsingFile(widePath);
        } else if (Contains(name, "MCU_UPG.BIN")) {
            LogWriteNarrow("before MCUUpgParsingFile\n");
            r = images_.MCUUpgParsingFile(widePath);
        } else {
            LogWriteNarrow("before ParsingUpgFWFile\n");
            r = images_.ParsingUpgFWFile(widePath);
        }
        LogWriteNarrow("Parsing return 0x%0x\n", r);
        if (r != 0) {
            // A failed check leaves nothing running.
            status.Set(UPG_IDLE);
            return r;
        }
    } else if (Contains(name, "DOWNLOAD.BAT")) {
        sent_ = 0;
        images_.SetMcuRemaining(0);
        batch_ = true;
        return 0;
    } else {
        LogWriteNarrow("UpgradeStart UPG_FILE_INVALID\n");
        status.Set(UPG_IDLE);
        LogWriteNarrow("return UPG_FILE_INVALID %s %d\n", path.c_str(), kFailOpen);
        return UPG_FILE_INVALID;
    }

    // Upgrade mode.
    const int32_t kind = images_.UpgDeviceValue();
    if (kind == UPG_DEVICE_BOOTLOADER) {
        SendAwaited(device_, p::McuUpgradeEnter(true));
    } else if (kind == UPG_DEVICE_MCU) {
        SendAwaited(device_, p::McuUpgradeEnter(false));
    } else if (kind == UPG_DEVICE_FLASH) {
        if (erase) SendAwaited(device_, p::FlashChipErase());
        SendAwaited(device_, p::McuUpgradeEnter(false));
    } else {
        LogWriteNarrow("unknown upg_device: 0x%0x\n", kind);
        status.Set(UPG_IDLE);
        return Fail(kUpgradeRefused);
    }
    if (status.Get() != UPG_START) {
        status.Set(UPG_IDLE);
        return Fail(kUpgradeRefused);
    }

    if (device_.HandshakeOk() && kind != UPG_DEVICE_BOOTLOADER) {
        // The unit reboots into its loader: wait for it and open it again.
        device_.CloseHIDDevice(false);
        if (restartNotice_) restartNotice_();
        AwaitRestartedUnit(device_, clock_, kIntoLoader);
    }
    device_.ClearBootloaderVersion();

    if (!device_.IsConnected()) {
        LogWriteNarrow("UpgradeStart Device not Connected\n");
        images_.FreePayloads();
        status.Set(UPG_IDLE);
        LogWriteNarrow("UpgradeStart UPG_CONNECT_FAIL\n");
        return UPG_CONNECT_FAIL;
    }
    LogWriteNarrow("UpgradeStart Device Connected\n");
    device_.ResetReceiveRing();
    if (kind == UPG_DEVICE_FLASH)
        SendAwaited(device_, p::FlashUpgradeStart(images_.DspImageHeader()));
    else
        SendAwaited(device_, p::McuUpgradeStart(kind == UPG_DEVICE_BOOTLOADER, images_.McuImageHeader()));
    int result = 0;
    // Only an accepted start lets the blocks go: a refusal, and also a start that was never
    // answered, ends here instead of leaving the steps waiting for an answer that is not
    // coming.
    if (status.Get() != UPG_SEND_BIN_DATA) {
        result = kUpgradeRefused;
        status.Set(UPG_IDLE);
        images_.FreePayloads();
    } else {
        status.SetPhase(kStepAct);
    }
    LogWriteNarrow("UpgradeStart xxxStart return 0x%0x\n", result);
    return result;
}

int UpgradeTransfer::Fail(int result) {
    images_.FreePayloads();
    return result;
}

int UpgradeTransfer::UpgradeStep() {
    UpgradeStatus& status = device_.UpgradeState();
    const int32_t phase = status.Phase();
    if (phase == kStepReplyExpected) {
        status.SetPhase(kStepReadReply);
        return Progress();
    }
    if (phase == kStepReadReply) {
        if (!device_.IsConnected()) {
            status.SetPhase(kStepStopped);
            status.Set(UPG_FAIL);
            return Progress();
        }
        LogWriteNarrow("begain to read data...\n");
        // The reply is decoded as it is read; an acknowledgement that says "not ready"
        // puts the phase back to waiting for a further reply.
        status.SetPhase(kStepAct);
        ++ackReads_;
        if (!device_.ReadHIDData(kUpgradeReplyTimeoutMs)) {
            LogWriteNarrow("read data error! %d\n", errno);
            if (!device_.IsConnected() || ackReads_ >= kAckReadsPerBlock) {
                status.SetPhase(kStepStopped);
                status.Set(UPG_FAIL);
            } else {
                status.SetPhase(kStepReadReply);
            }
        } else {
            LogWriteNarrow("has send out %d dtata... \n", static_cast<int>(sent_));
        }
        return Progress();
    }

    const int32_t s = status.Get();
    const int32_t kind = images_.UpgDeviceValue();
    if (s == UPG_SEND_BIN_DATA) {
        ackReads_ = 0;
        if (kind == UPG_DEVICE_FLASH)
            StepFlash();
        else
            StepMcu(kind == UPG_DEVICE_BOOTLOADER);
    } else if (s == UPG_FINISH || s == UPG_FAIL) {
        return Stop();
    } else if (s == UPG_WAITING_BIN_DATA_ACK) {
        // The report read brought no acknowledgement of the block: read the next one.
        if (ackReads_ >= kAckReadsPerBlock) {
            status.SetPhase(kStepStopped);
            status.Set(UPG_FAIL);
        } else {
            status.SetPhase(kStepReadReply);
        }
    }
    return Progress();
}

void UpgradeTransfer::StepMcu(bool bootloader) {
    UpgradeStatus& status = device_.UpgradeState();
    size_t remaining = images_.McuRemaining();
    if (remaining == 0) {
        SendOnly(device_, p::McuUpgradeFinish(bootloader));
        LogWriteNarrow(bootloader ? "upgrade mcu bootloader finished!\n" : "upgrade mcu finished!\n");
        status.SetPhase(kStepStopped);
        status.Set(UPG_FINISH);
        return;
    }
    if (!device_.IsConnected()) {
        status.SetPhase(kStepStopped);
        status.Set(UPG_FAIL);
        return;
    }
    const size_t length = images_.McuPayloadLength();
    size_t block = p::kMcuBlockSize;
    // The payload travels from its end: a short last block goes first.
    if (remaining == length && length % p::kMcuBlockSize != 0) block = length % p::kMcuBlockSize;
    block = std::min(block, remaining);
    remaining -= block;
    images_.SetMcuRemaining(remaining);
    const auto& payload = images_.McuPayload();
    std::span<const uint8_t> bytes(payload.data() + remaining, block);
    SendOnly(device_, p::McuUpgradeData(bootloader, static_cast<uint32_t>(remaining), bytes));
    status.Set(UPG_WAITING_BIN_DATA_ACK);
    status.SetPhase(kStepReplyExpected);
}

void UpgradeTransfer::StepFlash() {
    UpgradeStatus& status = device_.UpgradeState();
    const auto& payload = images_.DspPayload();
    if (sent_ < payload.size()) {
        const size_t offset = sent_;
        const size_t n = std::min(p::kFlashBlockMax, payload.size() - sent_);
        sent_ += n;
        LogWriteNarrow("Total file len %ld; current read pos: %ld;  has read len %ld.\n",
                       static_cast<long>(payload.size()), static_cast<long>(n), static_cast<long>(sent_));
        if (!device_.IsConnected()) {
            status.SetPhase(kStepStopped);
            status.Set(UPG_FAIL);
            return;
        }
        SendOnly(device_, p::FlashUpgradeData(static_cast<uint32_t>(offset),
                                              std::span<const uint8_t>(payload.data() + offset, n)));
        status.Set(UPG_WAITING_BIN_DATA_ACK);
        status.SetPhase(kStepReplyExpected);
        return;
    }
    SendOnly(device_, p::FlashUpgradeFinish());
    LogWriteNarrow("upgrade dsp finished!\n");
    status.SetPhase(kStepStopped);
    status.Set(UPG_FINISH);
}

int UpgradeTransfer::Stop() {
    UpgradeStatus& status = device_.UpgradeState();
    const bool finished = status.Get() == UPG_FINISH;
    if (images_.UpgDeviceValue() == UPG_DEVICE_FLASH) {
        LogWriteNarrow("MCU_Reboot_Ctrl\n");
        device_.MCU_Reboot_Ctrl();
    }
    // Progress of the transfer just ended is kept for the caller's last look.
    images_.FreePayloads();
    status.Set(UPG_IDLE);
    status.SetPhase(kStepStopped);
    return finished ? kUpgradeStepDone : kUpgradeStepFailed;
}

int UpgradeTransfer::Progress() const {
    if (images_.UpgDeviceValue() == UPG_DEVICE_FLASH) {
        const size_t len = images_.DspPayload().size();
        return len == 0 ? 100 : static_cast<int>(sent_ * 100 / len);
    }
    const size_t len = images_.McuPayloadLength();
    if (len == 0) return 100;
    return static_cast<int>((len - images_.McuRemaining()) * 100 / len);
}

}  // namespace dvdsp::fw
