// Reply dispatch: the unit's decoded replies stored in the model by the model's apply
// functions, with what the session itself does on some of them, then shown.
#include "app/identity.h"
#include "app/log.h"
#include "core/equalizer_manager.h"
#include "link/commands.h"

namespace dvdsp::core {

void EqualizerManager::ReadDspValueCallback(const link::Message& msg) {
    LogWriteNarrow("ReadDspValueCallback 0x%02x\n", msg.wparam);
    const uint32_t code = msg.wparam;
    if (code == link::DSP_VOLUME) {
        view_->StopTimer(GET_MAIN_VOLUME_TIMER);
        getMainVolumeTimer_ = 0;
    }
    Change change = ApplyDspValue(model_, msg);
    if (!change) return;
    if (code == link::DSP_VOLUME) LogWriteNarrow("DSP_VOLUME %d \n", model_.current.mainVolume);
    if (change.what == What::DspStatus) {
        ShowDisconnected();
        if (change.value == 0) view_->ShowTips("${dsp_is_off}");
        return;
    }
    if (change.what == What::Trim && change.scene == 0) {
        // The slider limits the trim; the limited value is what the unit is sent back.
        ChannelSettings& ch = model_.current.channels[static_cast<size_t>(change.channel)];
        char name[32];
        std::snprintf(name, sizeof name, "slider_ch_volume_%d", change.channel);
        int tenths = view_->ClampToSlider(name, static_cast<int>(ch.gain * 10.0f + (ch.gain < 0 ? -0.5f : 0.5f)));
        ch.gain = static_cast<float>(tenths) / 10.0f;
        device_.Trim_Ctrl(0, static_cast<uint8_t>(model_.current.source), static_cast<uint8_t>(change.channel),
                          static_cast<uint8_t>(change.channel), {ch.gain}, false);
    }
    if (change.scene != 0) return;
    if (change.what == What::Link || change.what == What::Lock) {
        // Unlocked while linked: the unit's link ends as well.
        if (change.unlinked) device_.CH_Link_Ctrl(0, 0, {}, false);
        ShowLinkState();
        if (change.what == What::Link) UpdateEqualizer(-1);
        return;
    }
    view_->Refresh(change);
}

void EqualizerManager::ReadMcuValueCallback(const link::Message& msg) {
    LogWriteNarrow("ReadMcuValueCallback 0x%02x\n", msg.wparam);
    if (msg.wparam == link::MCU_PING) {
        LogWriteNarrow("MCU_PING recved in ReadMcuValueCallback\n");
        return;
    }
    Change change = ApplyMcuValue(model_, msg);
    if (!change) return;
    if (change.what == What::Handshake) {
        const SceneState& s = model_.current;
        info_ = {s.model, s.mainVersion, s.slaveVersion};
        modelNumber_ = s.model;
        bool normal = device_.HandshakeOk();
        LogWriteNarrow("UI MCU_HANDSHAKE model=%d, mainVersion=%d, slaveVersion=%d, mcu_is_normal_mode=%d\n", s.model,
                       s.mainVersion, s.slaveVersion, normal ? 1 : 0);
        if (s.model != kModelId && normal) view_->ShowTips("${device_not_match} " + std::to_string(s.model));
    }
    view_->Refresh(change);
}

void EqualizerManager::ReadSenceValueCallback(const link::Message& msg) {
    LogWriteNarrow("ReadSenceValueCallback 0x%02x\n", msg.wparam);
    Change change = ApplySceneValue(model_, msg);
    if (change.what == What::ValidScenes) LogWriteNarrow("FLASH_SCENE_VALID 0x%02x\n", model_.validScenes);
    if (change) view_->Refresh(change);
}

void EqualizerManager::ReadKtvValueCallback(const link::Message& msg) {
    LogWriteNarrow("ReadKtvValueCallback 0x%02x\n", msg.wparam);
    Change change = ApplyKtvValue(model_, msg);
    if (change) view_->Refresh(change);
}

}  // namespace dvdsp::core
