// The car diagram of the main page: marking a speaker position and editing the delay of
// the channel that plays it.
#include <cstdio>

#include "app/log.h"
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

}  // namespace dvdsp::core
