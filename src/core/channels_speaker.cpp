// The car diagram of the main page: marking a speaker position and editing the delay of
// the channel that plays it; the input boxes of the channel strips.
#include "base/log.h"
#include "core/channels.h"

namespace dvdsp::core {

int Channels::ChannelOfRole(int role) const {
    if (role <= 0 || role >= kRoleCount) return -1;
    for (int c = 0; c < kChannels; ++c)
        if (ctx_.Live().outputs[static_cast<size_t>(c)] == role) return c;
    return -1;
}

void Channels::SetSpeakerFocus(int role) {
    if (role <= 0 || role >= kRoleCount) return;
    focusedSpeaker_ = role;
    // The position is marked, and the selectors of the channels playing it.
    Change change{What::SpeakerFocus, 0};
    change.value = role;
    ctx_.edit.Report(change);
}

void Channels::SetSpeakerDelayEdit(int role, const std::string& text) {
    const int ch = ChannelOfRole(role);
    if (ch < 0) return;
    const float ms = DelayFromText(text, delayUnit_);
    LogWriteNarrow("speaker %d channel %d delay edit value %.3f\n", role, ch, static_cast<double>(ms));
    ChangeDelay(ch, ms);
    // The edit shows the value in its format even when it did not change.
    Report(What::Delay, ch);
}

void Channels::SetSpeakerDelayUp(int role, bool up) {
    const int ch = ChannelOfRole(role);
    if (ch >= 0) SetChDelayUp(ch, up);
}

void Channels::StepFocusedSpeakerDelay(bool up) {
    if (focusedSpeaker_ <= 0) return;
    SetSpeakerDelayUp(focusedSpeaker_, up);
}

void Channels::SetInputIn(int in, int out, bool on) {
    LogWriteNarrow("SetInputIn in %d out %d\n", in, out);
    const SceneState& s = ctx_.Live();
    if (in < 0 || in >= kInputsPerSource || out < 0 || out >= kChannels || s.source < 0 || s.source >= kSources) return;
    const size_t src = static_cast<size_t>(s.source);
    const size_t o = static_cast<size_t>(out);
    Change change{What::Routing, 0, out};
    change.source = s.source;
    ctx_.edit.Apply(change, [&](SceneState& m) {
        int32_t& mask = m.inputs[src][o];
        if (on) mask |= 1 << in;
        else mask &= ~(1 << in);
    });
    const int32_t mask = s.inputs[src][o];
    LogWriteNarrow("outCh %d input = 0x%x\n", out, static_cast<unsigned>(mask));
    // The routing belongs to the source it is set for.
    ctx_.Send(change);
    if (on && s.inputMixVolume[src][static_cast<size_t>(in)][o] == 0) {
        Change trim{What::InputMixTrim, 0, out, in, s.source};
        ctx_.edit.Apply(trim, [&](SceneState& m) { m.inputMixVolume[src][static_cast<size_t>(in)][o] = 100; });
        ctx_.Send(trim);
    }
}

}  // namespace dvdsp::core
