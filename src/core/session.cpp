// The connection side of the controller: connect and disconnect, plug events, the
// read-out thread, the model and firmware decisions, the factory reset.
#include "core/session.h"

#include "base/identity.h"
#include "base/log.h"
#include "core/eq.h"
#include "core/readout.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::core {
namespace {
constexpr int kPollReadTimeoutMs = 200;
}  // namespace

void Session::Connect(bool showFailure) {
    if (upgrade_.UpgradeGuard()) return;
    link::DspDevice& device = ctx_.device;
    if (device.IsConnected()) {
        ShowDisconnected();
        return;
    }
    device.OpenHIDDevice();
    if (!device.IsConnected()) {
        LogWriteNarrow("Can not conect usb devices, please connect devices again!\n");
        if (showFailure) ctx_.prompt->ShowTips("${device_connect_fail}");
        ctx_.view->SetConnectButton(ConnectButton::Disconnected);
        return;
    }
    ctx_.view->CloseWindow(WindowKind::Upgrade);
    ctx_.view->CloseWindow(WindowKind::Mixer);
    LogWriteNarrow("Connect OK\xef\xbc\x81\n");
    ctx_.view->SetConnectButton(ConnectButton::Connecting);
    if (upgrade_.ForcedUpdateRunning() && !NoForceUpdateMarker() && ctx_.view->HasWindow(WindowKind::ForcedUpdate)) {
        // The unit came back during a forced update: the update window carries on.
        ctx_.view->SetConnectButton(ConnectButton::Connected);
        ctx_.view->ContinueForcedUpdate();
        return;
    }
    StartReadOut();
}

void Session::StartReadOut() {
    ctx_.device.DisableCmdQueue();
    ctx_.view->Post(WM_SHOW_LOADING);
    ctx_.workers.Start("Read mcu value thread", [this] { ReadMcuValueThread(); });
}

void Session::ReadMcuValueThread() {
    SessionView& view = *ctx_.view;
    link::DspDevice& device = ctx_.device;
    const int readOut = PC_UI_Status_Init();
    if (readOut != kReadOutDone) {
        // An incomplete read-out leaves a model that is not the unit's: the connection
        // fails as when the hand-shake does (the read-out has logged what was missing).
        LogWriteNarrow(readOut == kReadOutIncomplete ? "read-out incomplete, not connected\n"
                                                     : "hand-shake failed, not connected\n");
        view.Post(WM_CLOSE_LOADING);
        view.Post(WM_DEVICE_CONNECT_FAIL);
        view.Post(WM_DEVICE_DISCONNECTED);
        modelNumber_ = -1;
        return;
    }
    // The curves are computed on the window thread when the connected state is shown.
    for (int waited = 0; waited < readOutPauseMs_ && !ctx_.stopping; waited += 10) ctx_.clock.SleepMs(10);
    view.Post(WM_DEVICE_CONNECTED);
    view.Post(WM_CLOSE_LOADING);
    if (!device.HandshakeOk()) return;
    // The unit is back: a restart an update caused is over.
    upgrade_.TakeRestartExpected();
    int sentMain = -1, sentSub = -1;
    if (upgrade_.TakeInstalled(&sentMain, &sentSub) && device.Model() == kModelId &&
        device.MasterVersion() == sentMain && device.SlaveVersion() == sentSub) {
        // Back with the image an update has just sent: nothing to say about its version.
        LogWriteNarrow("the unit runs the firmware just installed, v%d.%d\n", sentMain, sentSub);
        return;
    }
    switch (DecideFirmware(device.Model(), device.MasterVersion(), device.SlaveVersion(), NoForceUpdateMarker())) {
    case FirmwareAction::None: break;
    case FirmwareAction::Newer: view.Post(WM_DSP_FW_NEWER); break;
    case FirmwareAction::ForceUpdate: view.Post(WM_FORCE_UPDATE); break;
    case FirmwareAction::WrongModel:
        view.Post(WM_CLOSE_LOADING);
        // The disconnection itself is shown on the window thread.
        view.Post(WM_DEVICE_DISCONNECTED);
        modelNumber_ = -1;
        break;
    }
}

int Session::PC_UI_Status_Init() {
    ReadOutPlan plan;
    return ReadOutUnitStatus(ctx_.device, plan);
}

void Session::ShowConnected() {
    if (upgrade_.UpgradeGuard() || !ctx_.device.HandshakeOk()) return;
    if (!ctx_.device.IsConnected() || modelNumber_ == -1) {
        ShowDisconnected();
        return;
    }
    ctx_.view->SetConnectButton(ConnectButton::Connected);
    ctx_.device.EnableCmdQueue();
    eq_.UpdateAllCurves();
}

void Session::ShowDisconnected() {
    if (upgrade_.UpgradeGuard()) return;
    ctx_.view->CloseWindow(WindowKind::Mixer);
    ctx_.device.DisableCmdQueue();
    ctx_.device.CloseHIDDevice(true);
    ctx_.view->SetConnectButton(ConnectButton::Disconnected);
    modelNumber_ = -1;
}

void Session::DevicePlugin() {
    LogWriteNarrow("DevicePlugin\n");
    if (upgrade_.UpgradeGuard()) {
        LogWriteNarrow("sys_upg_status UPG_ENTER or UPG_START\n");
        return;
    }
    // An arrival while the link is open (a second unit, or the user's own click that came
    // first) leaves the session as it is: connecting here would toggle it off.
    if (ctx_.device.IsConnected()) {
        LogWriteNarrow("already connected\n");
        return;
    }
    Connect(false);
}

void Session::DevicePlugOut() {
    LogWriteNarrow("DevicePlugOut\n");
    if (upgrade_.UpgradeGuard()) {
        LogWriteNarrow("sys_upg_status UPG_ENTER or UPG_START\n");
        return;
    }
    ShowDisconnected();
    // A unit that restarts after its firmware update goes away on purpose: no message
    // while an update window is open, nor for the restart an update caused.
    const bool restart = upgrade_.TakeRestartExpected();
    if (!restart && !upgrade_.ForcedUpdateRunning() && !upgrade_.UpgradeWindowOpen()) {
        // The message is shown by the window without waiting for the user.
        SessionView* view = ctx_.view;
        ctx_.workers.Start("DisconnectMsgThread", [view] { view->Post(WM_DEVICE_PLUGOUT_MSG); });
    }
}

void Session::SetHandshake(const DeviceInfo& info) {
    info_ = info;
    modelNumber_ = info.model;
}

void Session::ResetMcuFactoryDefault() {
    LogWriteNarrow("EqualizerManager::ResetMcuFactoryDefault");
    if (!ctx_.prompt->Ask("${factory_default_tips}")) return;
    ctx_.view->Post(WM_SHOW_LOADING);
    ctx_.workers.Start("Factory default thread", [this] { FactoryDefaultThread(); });
}

void Session::FactoryDefaultThread() {
    ctx_.device.Factory_Default_Ctrl();
    ctx_.view->Post(WM_FACTORY_RESET_DONE);
}

void Session::SetInputSource(int index) {
    if (index < 0 || index >= kSources) return;
    // The selector and the input boxes show the new source.
    ctx_.edit.Apply({What::Source, 0}, [&](SceneState& s) { s.source = index; });
    ctx_.Send({What::Source, 0});
    StartMainVolumePoll();
}

void Session::StartMainVolumePoll() {
    getMainVolumeTimer_ = kMainVolumePolls;
    ctx_.view->StartTimer(GET_MAIN_VOLUME_TIMER, kMainVolumeTimerMs);
}

void Session::StopMainVolumePoll() {
    ctx_.view->StopTimer(GET_MAIN_VOLUME_TIMER);
    getMainVolumeTimer_ = 0;
}

void Session::OnMainVolumeTimer() {
    LogWriteNarrow("GET_MAIN_VOLUME_TIMER, getMainVolumeTimer=%d\n", getMainVolumeTimer_);
    if (getMainVolumeTimer_ > 0) {
        // Get_Main_Volume with a short wait: the tick runs on the window thread, which must
        // not hang on a unit that does not answer. A late answer still stops the poll.
        ctx_.device.Send(link::CMD_DSP, link::DSP_VOLUME, link::OP_GET, {}, true, kPollReadTimeoutMs);
        --getMainVolumeTimer_;
    } else {
        ctx_.view->StopTimer(GET_MAIN_VOLUME_TIMER);
    }
}

}  // namespace dvdsp::core
