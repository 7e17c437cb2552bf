// Reply dispatch: the unit's decoded replies stored in the model by the model's apply
// functions, with what the parts do on some of them, then shown.
#include "base/identity.h"
#include "base/log.h"
#include "core/equalizer_manager.h"
#include "link/commands.h"

namespace dvdsp::core {

bool EqualizerManager::OnMessage(uint32_t msg, int64_t wparam, const link::Message* reply) {
    switch (msg) {
    case link::WM_READ_DSP_VALUE:
        if (reply) ReadDspValueCallback(*reply);
        return true;
    case link::WM_READ_MCU_VALUE:
        if (reply) ReadMcuValueCallback(*reply);
        return true;
    case link::WM_READ_SCENE_VALUE:
        if (reply) ReadSenceValueCallback(*reply);
        return true;
    case link::WM_READ_KTV_VALUE:
        if (reply) ReadKtvValueCallback(*reply);
        return true;
    case WM_DEVICE_CONNECTED: {
        ShowConnected();
        sessionOpen_ = true;
        // The session's history and slots stay when the unit holds what they say.
        const bool kept = undo_.OnConnected();
        ab_.OnConnected(kept);
        NotifyUndoSteps();
        return true;
    }
    case WM_DEVICE_DISCONNECTED: ShowDisconnected(); return true;
    case WM_SCENE_JOB_DONE: OnSceneJobDone(static_cast<SceneJob>(wparam)); return true;
    case WM_PROFILE_JOB_DONE: OnProfileJobDone(static_cast<ProfileJob>(wparam)); return true;
    default: return false;
    }
}

void EqualizerManager::SessionEnds() {
    // Once per session: the model is the unit's until the link goes.
    if (!sessionOpen_) return;
    sessionOpen_ = false;
    ab_.OnDisconnected();
    undo_.OnDisconnected();
}

void EqualizerManager::NotifyUndoSteps() { editor_.Report({What::UndoSteps, 0}); }

bool EqualizerManager::Busy() {
    // A transfer or a read-out holds the queue; a calibration or an upgrade runs.
    return (device_.IsConnected() && !device_.QueueEnabled()) || calibration_.Active() || upgrade_.UpgradeGuard();
}

void EqualizerManager::ReadDspValueCallback(const link::Message& msg) {
    LogWriteNarrow("ReadDspValueCallback 0x%02x\n", msg.wparam);
    const uint32_t code = msg.wparam;
    if (code == link::DSP_VOLUME) session_.StopMainVolumePoll();
    // Clip flags are no setting: the mixer keeps them for its indicators.
    if (code == link::DSP_INPUT_CH_DISTORT || code == link::DSP_OUTPUT_CH_DISTORT) {
        mixer_.OnDistortReply(msg);
        return;
    }
    Change change = editor_.StoreReply(&ApplyDspValue, msg);
    if (!change) return;
    if (code == link::DSP_VOLUME) LogWriteNarrow("DSP_VOLUME %d \n", model_.current.mainVolume);
    if (change.what == What::DspStatus) {
        session_.ShowDisconnected();
        if (change.value == 0) ctx_.prompt->ShowTips("${dsp_is_off}");
        return;
    }
    if (change.what == What::Trim && change.scene == 0) {
        // Limited, sent back and shown.
        channels_.TrimReply(change.channel);
        return;
    }
    if (change.scene != 0) return;
    // The channel's curves follow its reported bands, filters and bypass flag.
    if (change.what == What::Band || change.what == What::Filter || change.what == What::EqBypass)
        eq_.CurveChanged(change.channel);
    if (change.what == What::Link || change.what == What::Lock) {
        channels_.LinkReply(change);
        return;
    }
    editor_.Report(change);
}

void EqualizerManager::ReadMcuValueCallback(const link::Message& msg) {
    LogWriteNarrow("ReadMcuValueCallback 0x%02x\n", msg.wparam);
    if (msg.wparam == link::MCU_PING) {
        LogWriteNarrow("MCU_PING recved in ReadMcuValueCallback\n");
        return;
    }
    Change change = editor_.StoreReply(&ApplyMcuValue, msg);
    if (!change) return;
    if (change.what == What::Handshake) {
        const SceneState& s = model_.current;
        session_.SetHandshake({s.model, s.mainVersion, s.slaveVersion});
        bool normal = device_.HandshakeOk();
        LogWriteNarrow("UI MCU_HANDSHAKE model=%d, mainVersion=%d, slaveVersion=%d, mcu_is_normal_mode=%d\n", s.model,
                       s.mainVersion, s.slaveVersion, normal ? 1 : 0);
        if (s.model != kModelId && normal) ctx_.prompt->ShowTips("${device_not_match} " + std::to_string(s.model));
    }
    editor_.Report(change);
}

void EqualizerManager::ReadSenceValueCallback(const link::Message& msg) {
    LogWriteNarrow("ReadSenceValueCallback 0x%02x\n", msg.wparam);
    Change change = editor_.StoreReply(&ApplySceneValue, msg);
    if (change.what == What::ValidScenes) LogWriteNarrow("FLASH_SCENE_VALID 0x%02x\n", model_.validScenes);
    if (change) editor_.Report(change);
}

void EqualizerManager::ReadKtvValueCallback(const link::Message& msg) {
    LogWriteNarrow("ReadKtvValueCallback 0x%02x\n", msg.wparam);
    Change change = editor_.StoreReply(&ApplyKtvValue, msg);
    if (change) editor_.Report(change);
}

}  // namespace dvdsp::core
