// The car diagram of the main page: marking a speaker position and editing the delay of
// the channel that plays it; the input boxes of the channel strips.
#include <cstdio>

#include "base/log.h"
#include "core/channel_format.h"
#include "core/equalizer_manager.h"

namespace dvdsp::core {

int EqualizerManager::ChannelOfRole(int role) const {
    if (role <= 0 || role >= kRoleCount) return -1;
    for (int c = 0; c < kChannels; ++c)
        if (model_.current.outputs[static_cast<size_t>(c)] == role) return c;
    return -1;
}

void EqualizerManager::SetSpeakerFocus(int role) {
    char name[32];
    std::snprintf(name, sizeof name, "speaker_%d", role);
    LogWriteNarrow("on %s index %d\n", name, role);
    if (role <= 0 || role >= kRoleCount) return;
    focusedSpeaker_ = role;
    for (int r = 1; r < kRoleCount; ++r) view_->SetSelected(SliderName("speaker_", r), r == role);
    for (int c = 0; c < kChannels; ++c)
        if (model_.current.outputs[static_cast<size_t>(c)] == role) view_->SetSelected(SliderName("ch_enable_", c), true);
}

void EqualizerManager::SetSpeakerDelayEdit(int role) {
    const int ch = ChannelOfRole(role);
    if (ch < 0) return;
    const float ms = DelayFromText(view_->ControlText(SliderName("spk_delay_", role)), delayUnit_);
    LogWriteNarrow("speaker %d channel %d delay edit value %.3f\n", role, ch, static_cast<double>(ms));
    ChangeDelay(ch, ms);
    // The edit shows the value in its format even when it did not change.
    view_->Refresh({What::Delay, 0, ch});
}

void EqualizerManager::SetSpeakerDelayUp(int role, bool up) {
    const int ch = ChannelOfRole(role);
    if (ch >= 0) SetChDelayUp(ch, up);
}

void EqualizerManager::StepFocusedSpeakerDelay(bool up) {
    if (focusedSpeaker_ <= 0) return;
    SetSpeakerDelayUp(focusedSpeaker_, up);
}

void EqualizerManager::SetInputIn(int in, int out, bool on) {
    LogWriteNarrow("SetInputIn in %d out %d\n", in, out);
    SceneState& s = model_.current;
    if (in < 0 || in >= kInputsPerSource || out < 0 || out >= kChannels || s.source < 0 || s.source >= kSources) return;
    const size_t src = static_cast<size_t>(s.source);
    int32_t& mask = s.inputs[src][static_cast<size_t>(out)];
    if (on) mask |= 1 << in;
    else mask &= ~(1 << in);
    LogWriteNarrow("outCh %d input = 0x%x\n", out, static_cast<unsigned>(mask));
    Change change{What::Routing, 0, out};
    change.source = s.source;
    view_->Refresh(change);
    // The routing belongs to the source it is set for.
    device_.Mix_Ch_Ctrl(static_cast<uint8_t>(s.scene), static_cast<uint8_t>(src), static_cast<uint8_t>(out),
                        static_cast<uint8_t>(out), {static_cast<uint16_t>(mask)}, false);
    int32_t& trim = s.inputMixVolume[src][static_cast<size_t>(in)][static_cast<size_t>(out)];
    if (on && trim == 0) {
        trim = 100;
        device_.Input_Mix_Trim_Ctrl(static_cast<uint8_t>(s.scene), static_cast<uint8_t>(src), static_cast<uint8_t>(in),
                                    static_cast<uint8_t>(out), static_cast<uint8_t>(out), {100}, false);
    }
}

}  // namespace dvdsp::core
