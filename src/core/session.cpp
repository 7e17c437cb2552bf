// The connection side of the controller: connect and disconnect, plug events, the
// read-out thread, the model and firmware decisions, the factory reset.
#include <cstdio>
#include <filesystem>

#include "base/identity.h"
#include "base/log.h"
#include "core/equalizer_manager.h"
#include "core/firmware_policy.h"
#include "core/readout.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::core {
namespace {
constexpr int kPollReadTimeoutMs = 200;
}  // namespace

EqualizerManager::EqualizerManager(link::HidBackend& backend, link::Clock& clock)
    : device_(backend, clock), clock_(clock) {
    device_.SetDeviceProfile(static_cast<uint8_t>(kModelId), kChannels, 8, 1, 0);
}

EqualizerManager::~EqualizerManager() { Shutdown(); }

void EqualizerManager::Init(SessionView* view) { view_ = view; }

void EqualizerManager::Shutdown() {
    stopping_ = true;
    // Closing the link ends a read-out in progress quickly: every query then fails.
    device_.DisableCmdQueue();
    device_.CloseHIDDevice(false);
    workers_.JoinAll();
}

bool EqualizerManager::UpgradeGuard() const {
    int32_t s = device_.UpgStatusValue();
    return s == link::UPG_ENTER || s == link::UPG_START;
}

void EqualizerManager::Connect(bool showFailure) {
    if (UpgradeGuard()) return;
    if (device_.IsConnected()) {
        ShowDisconnected();
        return;
    }
    device_.OpenHIDDevice();
    if (!device_.IsConnected()) {
        LogWriteNarrow("Can not conect usb devices, please connect devices again!\n");
        if (showFailure) view_->ShowTips("${device_connect_fail}");
        view_->SetConnectButton(ConnectButton::Disconnected);
        return;
    }
    view_->CloseUpgradeWindow();
    view_->CloseMixerWindow();
    LogWriteNarrow("Connect OK\xef\xbc\x81\n");
    view_->SetConnectButton(ConnectButton::Connecting);
    if (forcedUpdate_ && !NoForceUpdateMarker() && view_->HasForcedUpdateWindow()) {
        // The unit came back during a forced update: the update window carries on.
        view_->SetConnectButton(ConnectButton::Connected);
        return;
    }
    StartReadOut();
}

void EqualizerManager::StartReadOut() {
    device_.DisableCmdQueue();
    view_->Post(WM_SHOW_LOADING);
    workers_.Start("Read mcu value thread", [this] { ReadMcuValueThread(); });
}

void EqualizerManager::ReadMcuValueThread() {
    if (PC_UI_Status_Init() == -1) {
        view_->Post(WM_CLOSE_LOADING);
        view_->Post(WM_DEVICE_CONNECT_FAIL);
        view_->Post(WM_DEVICE_DISCONNECTED);
        modelNumber_ = -1;
        return;
    }
    // The curves are computed on the window thread when the connected state is shown.
    for (int waited = 0; waited < readOutPauseMs_ && !stopping_; waited += 10) clock_.SleepMs(10);
    view_->Post(WM_DEVICE_CONNECTED);
    view_->Post(WM_CLOSE_LOADING);
    if (!device_.HandshakeOk()) return;
    switch (DecideFirmware(device_.Model(), device_.MasterVersion(), device_.SlaveVersion(), NoForceUpdateMarker())) {
    case FirmwareAction::None: break;
    case FirmwareAction::Newer: view_->Post(WM_DSP_FW_NEWER); break;
    case FirmwareAction::ForceUpdate: view_->Post(WM_FORCE_UPDATE); break;
    case FirmwareAction::WrongModel:
        view_->Post(WM_CLOSE_LOADING);
        // The disconnection itself is shown on the window thread.
        view_->Post(WM_DEVICE_DISCONNECTED);
        modelNumber_ = -1;
        break;
    }
}

int EqualizerManager::PC_UI_Status_Init() {
    ReadOutPlan plan;
    return ReadOutUnitStatus(device_, plan);
}

void EqualizerManager::ShowConnected() {
    if (UpgradeGuard() || !device_.HandshakeOk()) return;
    if (!device_.IsConnected() || modelNumber_ == -1) {
        ShowDisconnected();
        return;
    }
    view_->SetConnectButton(ConnectButton::Connected);
    device_.EnableCmdQueue();
    UpdateEqualizer(-1);
}

void EqualizerManager::ShowDisconnected() {
    if (UpgradeGuard()) return;
    view_->CloseMixerWindow();
    device_.DisableCmdQueue();
    device_.CloseHIDDevice(true);
    view_->SetConnectButton(ConnectButton::Disconnected);
    modelNumber_ = -1;
}

void EqualizerManager::DevicePlugin() {
    LogWriteNarrow("DevicePlugin\n");
    if (UpgradeGuard()) {
        LogWriteNarrow("sys_upg_status UPG_ENTER or UPG_START\n");
        return;
    }
    Connect(false);
}

void EqualizerManager::DevicePlugOut() {
    LogWriteNarrow("DevicePlugOut\n");
    if (UpgradeGuard()) {
        LogWriteNarrow("sys_upg_status UPG_ENTER or UPG_START\n");
        return;
    }
    ShowDisconnected();
    if (!forcedUpdate_) {
        // The message is shown by the window without waiting for the user.
        workers_.Start("DisconnectMsgThread", [this] { view_->Post(WM_DEVICE_PLUGOUT_MSG); });
    }
}

void EqualizerManager::UpdateEqualizer(int band) { view_->UpdateEqualizer(band); }

void EqualizerManager::ResetMcuFactoryDefault() {
    LogWriteNarrow("EqualizerManager::ResetMcuFactoryDefault");
    if (!view_->Ask("${factory_default_tips}")) return;
    view_->Post(WM_SHOW_LOADING);
    workers_.Start("Factory default thread", [this] { FactoryDefaultThread(); });
}

void EqualizerManager::FactoryDefaultThread() {
    device_.Factory_Default_Ctrl();
    view_->Post(WM_FACTORY_RESET_DONE);
}

void EqualizerManager::ForceUpdatePrompt() {
    if (NoForceUpdateMarker()) return;
    std::string question = FormatInts(view_->LangText("${update_tips}"),
                                      {info_.mainVersion, info_.slaveVersion, kInnerFwMain, kInnerFwSub});
    if (!view_->Ask(question)) return;
    LogWriteNarrow("Start force update!\n");
    std::filesystem::path image = std::filesystem::path(TempFolder()) / "MCU_UPG.bin";
    int code = ExtractResourceToFile("IDR_MCU_BIN", "BIN", image.string());
    if (code != 0) {
        std::error_code ec;
        std::filesystem::remove(image, ec);
        view_->ShowTips(FormatInts("File prepare error. error code %d", {code}));
        return;
    }
    if (!view_->HasForcedUpdateWindow()) {
        // The download folder and the update window come with the firmware update; until
        // then the prepared image stays where it is and nothing is sent to the unit.
        LogWriteNarrow("force update: %s written, no firmware update window in this build\n", image.string().c_str());
        return;
    }
    forcedUpdate_ = 1;
    int result = view_->RunForcedUpdateWindow();
    forcedUpdate_ = 0;
    if (result == 1) StartReadOut();
}

void EqualizerManager::SetInputSource(int index) {
    if (index < 0 || index >= kSources) return;
    model_.current.source = index;
    // The selector and the input boxes show the new source.
    view_->Refresh({What::Source, 0});
    device_.Source_Switch_Ctrl(static_cast<uint8_t>(kFirstSourceCode + index), false);
    StartMainVolumePoll();
}

void EqualizerManager::StartMainVolumePoll() {
    getMainVolumeTimer_ = kMainVolumePolls;
    view_->StartTimer(GET_MAIN_VOLUME_TIMER, kMainVolumeTimerMs);
}

void EqualizerManager::OnMainVolumeTimer() {
    LogWriteNarrow("GET_MAIN_VOLUME_TIMER, getMainVolumeTimer=%d\n", getMainVolumeTimer_);
    if (getMainVolumeTimer_ > 0) {
        // Get_Main_Volume with a short wait: the tick runs on the window thread, which must
        // not hang on a unit that does not answer. A late answer still stops the poll.
        device_.Send(link::CMD_DSP, link::DSP_VOLUME, link::OP_GET, {}, true, kPollReadTimeoutMs);
        --getMainVolumeTimer_;
    } else {
        view_->StopTimer(GET_MAIN_VOLUME_TIMER);
    }
}

}  // namespace dvdsp::core
