// The values of the output channels and the master: master volume and mute, ACC,
// channel trim, mute, phase and solo, delay with its units, and the unit's switches.
// Each stores the value, has the view show it and sends its command through the queue.
#include "core/channels.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/log.h"
#include "core/eq.h"
#include "core/part_helpers.h"

namespace dvdsp::core {
namespace {

// Commands of these operations go through the link's queue.
constexpr bool kSynchronous = false;



int MainVolumeInRange(int v) { return static_cast<int>(limits::kMainVolume.ClampUi(v)); }

}  // namespace

// ---- Master volume and mute -----------------------------------------------------------

void Channels::SetMainVolumeEdit(const std::string& text) {
    int v = ctx_.Live().mainVolume;
    double parsed = 0.0;
    if (text == kOffText) v = kMainVolumeOff;
    else if (ParseNumber(text, parsed)) v = static_cast<int>(std::clamp(parsed, -1e6, 1e6));
    SetMainVolumeRelatedAfterDecidedValue(MainVolumeInRange(v));
}

void Channels::SetMainVolumeSlider(int value) { SetMainVolumeRelatedAfterDecidedValue(MainVolumeInRange(value)); }

void Channels::SetMainVolumeUp(bool up) {
    SetMainVolumeRelatedAfterDecidedValue(MainVolumeInRange(ctx_.Live().mainVolume + (up ? 1 : -1)));
}

void Channels::SetMainVolumeRelatedAfterDecidedValue(int v) {
    LogWriteNarrow("SetMainVolumeRelatedAfterDecidedValue %g\n", static_cast<double>(v));
    ctx_.edit.Apply({What::MainVolume, 0}, [&](SceneState& s) { s.mainVolume = v; });
    ctx_.Send({What::MainVolume, 0});
    ctx_.edit.Apply({What::MainMute, 0}, [](SceneState& s) { s.mainMute = 0; });
    ctx_.Send({What::MainMute, 0});
}

void Channels::SetMainMute(bool muted) {
    ctx_.edit.Apply({What::MainMute, 0}, [&](SceneState& s) { s.mainMute = muted ? 1 : 0; });
    ctx_.Send({What::MainMute, 0});
}

// ---- ACC --------------------------------------------------------------------------------

void Channels::SetAccEdit(const std::string& text) {
    int v = ctx_.Live().acc;
    double parsed = 0.0;
    if (text == kOffText) v = limits::kAcc.SliderMin();
    else if (ParseNumber(text, parsed)) v = static_cast<int>(std::clamp(parsed, -1e6, 1e6));
    ApplyAcc(v);
}

void Channels::SetAccSlider(int value) { ApplyAcc(value); }

void Channels::SetAccUp(bool up) { ApplyAcc(ctx_.Live().acc + (up ? 1 : -1)); }

void Channels::ApplyAcc(int value) {
    // The unit keeps the value in one byte.
    const int v = static_cast<int>(limits::kAcc.Clamp(limits::kAcc.ClampSlider(value)));
    ctx_.edit.Apply({What::Acc, 0}, [&](SceneState& s) { s.acc = v; });
    ctx_.Send({What::Acc, 0});
}

// ---- Channel trim -----------------------------------------------------------------------

void Channels::SetChVolumeEdit(int ch, const std::string& text) {
    if (!ChannelOk(ch)) return;
    int tenths = TrimTenths(ctx_.Live().channels[Z(ch)].gain);
    double parsed = 0.0;
    if (text == kOffText) tenths = kTrimOffTenths;
    else if (ParseNumber(text, parsed)) tenths = static_cast<int>(std::lround(std::clamp(parsed, -1e5, 1e5) * 10.0));
    ChangeTrim(ch, tenths, true);
    // The edit is rewritten in its format even when the value stays.
    Report(What::Trim, ch);
}

void Channels::SetChVolumeSlider(int ch, int tenths) {
    if (ChannelOk(ch)) ChangeTrim(ch, tenths, true);
}

void Channels::SetChVolumeUp(int ch, bool up) {
    if (!ChannelOk(ch)) return;
    const int tenths = TrimTenths(ctx_.Live().channels[Z(ch)].gain);
    ChangeTrim(ch, tenths + (up ? kTrimStepTenths : -kTrimStepTenths), true);
}

void Channels::SendTrim(int ch) { ctx_.Send({What::Trim, 0, ch}); }

void Channels::ApplyTrim(int ch, int tenths, bool fromUser) { ctx_.values.ApplyTrim(ch, tenths * 10, fromUser); }

void Channels::ChangeTrim(int ch, int tenths, bool fromUser, bool force) {
    ctx_.values.ChangeTrim(ch, tenths * 10, fromUser, force);
}

void Channels::TrimReply(int ch) {
    // The page's range limits the trim; the limited value is what the unit is sent back.
    const float gain = ctx_.Live().channels[Z(ch)].gain;
    const int tenths = limits::kTrim.ClampSlider(static_cast<int>(gain * 10.0f + (gain < 0 ? -0.5f : 0.5f)));
    ctx_.edit.Apply({What::Trim, 0, ch}, [&](SceneState& s) { s.channels[Z(ch)].gain = static_cast<float>(tenths) / 10.0f; });
    Change back{What::Trim, 0, ch};
    back.source = ctx_.Live().source;
    ctx_.SendNow(back);
}

// ---- Mute, phase, solo ------------------------------------------------------------------

void Channels::SetChMute(int ch, bool muted) { ctx_.values.SetMute(ch, muted); }

void Channels::SetChPhase(int ch, bool reversed) { ctx_.values.SetPhase(ch, reversed); }

void Channels::SetChSolo(int ch, bool on) {
    if (!ChannelOk(ch)) return;
    const int partner = PartnerChannel(ctx_.Live(), ch);
    for (int c = 0; c < kChannels; ++c) {
        ctx_.edit.Apply({What::Solo, 0, c}, [&](SceneState& s) {
            ChannelSettings& x = s.channels[Z(c)];
            if (c == ch || c == partner) x.solo = on ? 1 : 0;
            else if (on) x.solo = 0;
        });
    }
    ctx_.Send({What::Solo, 0});
}

// ---- Delay ------------------------------------------------------------------------------

void Channels::SetChDelayEdit(int ch, const std::string& text) {
    if (!ChannelOk(ch)) return;
    ChangeDelay(ch, DelayFromText(text, delayUnit_));
    // The edit shows the value in its format even when it did not change.
    Report(What::Delay, ch);
}

void Channels::SetChDelaySlider(int ch, int us) {
    if (ChannelOk(ch)) ChangeDelay(ch, static_cast<float>(us) / 1000.0f);
}

void Channels::SetChDelayUp(int ch, bool up) {
    if (!ChannelOk(ch)) return;
    long us = std::lround(static_cast<double>(ctx_.Live().channels[Z(ch)].delay) * 1000.0);
    us += up ? kDelayStepUs : -kDelayStepUs;
    ChangeDelay(ch, static_cast<float>(us) / 1000.0f);
}

void Channels::SetDelayUnit(int unit) {
    delayUnit_ = unit == kDelayCm || unit == kDelayInch ? unit : kDelayMs;
    Change change{What::DelayUnit, 0};
    change.value = delayUnit_;
    ctx_.edit.Report(change);
}

void Channels::ApplyDelay(int ch, float ms) { ctx_.values.ApplyDelay(ch, ms, delayUnit_); }

void Channels::ChangeDelay(int ch, float ms) { ctx_.values.ChangeDelay(ch, ms, delayUnit_); }

AlignmentProposal Channels::ProposeAlignment(int a, int b) const {
    ElectricalResponses responses(ctx_.Live());
    return core::ProposeAlignment(ctx_.Live(), responses, a, b, delayUnit_);
}

AlignmentProposal Channels::AlignChannels(int a, int b) {
    const AlignmentProposal p = ProposeAlignment(a, b);
    if (!p.valid) return p;
    LogWriteNarrow("align CH%d and CH%d: CH%d delay %.3f ms, CH%d %s\n", a + 1, b + 1, p.delayChannel + 1,
                   static_cast<double>(p.delayMs), b + 1, p.secondReversed ? "reversed" : "positive");
    if (ctx_.Live().channels[Z(p.delayChannel)].delay != p.delayMs) ctx_.values.ChangeDelay(p.delayChannel, p.delayMs, delayUnit_);
    if ((ctx_.Live().channels[Z(b)].phase != 0) != p.secondReversed) ctx_.values.SetPhase(b, p.secondReversed);
    return p;
}

// ---- Switches ---------------------------------------------------------------------------

void Channels::ToggleAmplifier() {
    ctx_.edit.Apply({What::AmpOn, 0}, [](SceneState& s) { s.ampOn = s.ampOn ? 0 : 1; });
    ctx_.Send({What::AmpOn, 0});
}

void Channels::ToggleRemoteOut(int which) {
    if (which != 1 && which != 2) return;
    ctx_.edit.Apply({What::RemoteOut, 0}, [&](SceneState& s) {
        int32_t& out = which == 1 ? s.remOut1 : s.remOut2;
        out = out ? 0 : 1;
    });
    ctx_.Send({What::RemoteOut, 0});
}

void Channels::ToggleSpeakerOhm() {
    ctx_.edit.Apply({What::SpeakerOhm, 0}, [](SceneState& s) { s.twoOhm = s.twoOhm ? 0 : 1; });
    ctx_.Send({What::SpeakerOhm, 0});
}

void Channels::ToggleNoiseGate() {
    ctx_.edit.Apply({What::NoiseGate, 0}, [](SceneState& s) { s.noiseGate = s.noiseGate ? 0 : 1; });
    ctx_.Send({What::NoiseGate, 0});
}

void Channels::UpdateAllVolumeEdit() {
    LogWriteNarrow("EqualizerManager::UpdateAllVolumeEdit");
    ctx_.edit.Report({What::MainVolume, 0});
    for (int c = 0; c < kChannels; ++c) Report(What::Trim, c);
}

}  // namespace dvdsp::core
