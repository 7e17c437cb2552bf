// The operations of the main page outside the equalizer: master volume and mute, ACC,
// channel trim, mute, phase and solo, delay with its units, and the unit's switches.
// Each stores the value, has the view show it and sends its command through the queue.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "app/log.h"
#include "core/channel_format.h"
#include "core/equalizer_manager.h"

namespace dvdsp::core {
namespace {

// Commands of these operations go through the link's queue.
constexpr bool kSynchronous = false;

uint8_t U8(int v) { return static_cast<uint8_t>(v); }

bool ChannelOk(int ch) { return ch >= 0 && ch < kChannels; }

}  // namespace

std::string EqualizerManager::SliderName(const char* prefix, int ch) const {
    char name[48];
    std::snprintf(name, sizeof name, "%s%d", prefix, ch);
    return name;
}

// ---- Master volume and mute -----------------------------------------------------------

void EqualizerManager::SetMainVolumeEdit() {
    std::string text = view_->ControlText("edit_main_volume");
    int v = model_.current.mainVolume;
    double parsed = 0.0;
    if (text == kOffText) v = kMainVolumeOff;
    else if (ParseNumber(text, parsed)) v = static_cast<int>(std::clamp(parsed, -1e6, 1e6));
    SetMainVolumeRelatedAfterDecidedValue(view_->ClampToSlider("slider_main_volume", v));
}

void EqualizerManager::SetMainVolumeSlider(int value) {
    SetMainVolumeRelatedAfterDecidedValue(view_->ClampToSlider("slider_main_volume", value));
}

void EqualizerManager::SetMainVolumeUp(bool up) {
    int v = model_.current.mainVolume + (up ? 1 : -1);
    SetMainVolumeRelatedAfterDecidedValue(view_->ClampToSlider("slider_main_volume", v));
}

void EqualizerManager::SetMainVolumeRelatedAfterDecidedValue(int v) {
    LogWriteNarrow("SetMainVolumeRelatedAfterDecidedValue %g\n", static_cast<double>(v));
    SceneState& s = model_.current;
    s.mainVolume = v;
    device_.Main_Volume_Ctrl(static_cast<float>(v), kSynchronous);
    view_->Refresh({What::MainVolume, 0});
    s.mainMute = 0;
    view_->Refresh({What::MainMute, 0});
    device_.Mute_Ctrl(0, kSynchronous);
}

void EqualizerManager::SetMainMute(bool muted) {
    model_.current.mainMute = muted ? 1 : 0;
    device_.Mute_Ctrl(U8(model_.current.mainMute), kSynchronous);
}

// ---- ACC --------------------------------------------------------------------------------

void EqualizerManager::SetAccEdit() {
    std::string text = view_->ControlText("edit_acc");
    int v = model_.current.acc;
    double parsed = 0.0;
    if (text == kOffText) v = view_->ClampToSlider("slider_acc", INT_MIN);
    else if (ParseNumber(text, parsed)) v = static_cast<int>(std::clamp(parsed, -1e6, 1e6));
    ApplyAcc(v);
}

void EqualizerManager::SetAccSlider(int value) { ApplyAcc(value); }

void EqualizerManager::SetAccUp(bool up) { ApplyAcc(model_.current.acc + (up ? 1 : -1)); }

void EqualizerManager::ApplyAcc(int value) {
    // The unit keeps the value in one byte.
    int v = std::clamp(view_->ClampToSlider("slider_acc", value), 0, 255);
    model_.current.acc = v;
    view_->Refresh({What::Acc, 0});
    device_.Set_Acc(U8(v), kSynchronous);
}

// ---- Channel trim -----------------------------------------------------------------------

void EqualizerManager::SetChVolumeEdit(int ch, const std::string& edit) {
    if (!ChannelOk(ch)) return;
    std::string text = view_->ControlText(edit.empty() ? SliderName("edit_ch_volume_", ch) : edit);
    int tenths = TrimTenths(model_.current.channels[static_cast<size_t>(ch)].gain);
    double parsed = 0.0;
    if (text == kOffText) tenths = kTrimOffTenths;
    else if (ParseNumber(text, parsed)) tenths = static_cast<int>(std::lround(std::clamp(parsed, -1e5, 1e5) * 10.0));
    // The edit is rewritten in its format even when the value stays.
    ChangeTrim(ch, tenths, true);
    view_->Refresh({What::Trim, 0, ch});
}

void EqualizerManager::SetChVolumeSlider(int ch, int tenths) {
    if (ChannelOk(ch)) ChangeTrim(ch, tenths, true);
}

void EqualizerManager::SetChVolumeUp(int ch, bool up) {
    if (!ChannelOk(ch)) return;
    int tenths = TrimTenths(model_.current.channels[static_cast<size_t>(ch)].gain);
    ChangeTrim(ch, tenths + (up ? kTrimStepTenths : -kTrimStepTenths), true);
}

void EqualizerManager::ApplyTrim(int ch, int tenths, bool fromUser) {
    SceneState& s = model_.current;
    ChannelSettings& c = s.channels[static_cast<size_t>(ch)];
    tenths = view_->ClampToSlider(SliderName("slider_ch_volume_", ch), tenths);
    c.gain = static_cast<float>(tenths) / 10.0f;
    SendTrim(ch);
    view_->Refresh({What::Trim, 0, ch});
    if (fromUser && c.mute) {
        c.mute = 0;
        view_->Refresh({What::ChannelMute, 0, ch});
        device_.Mute_Ch_Ctrl(U8(s.scene), 0, U8(ch), U8(ch), {0}, kSynchronous);
    }
}

void EqualizerManager::ChangeTrim(int ch, int tenths, bool fromUser, bool force) {
    SceneState& s = model_.current;
    const int old = TrimTenths(s.channels[static_cast<size_t>(ch)].gain);
    tenths = view_->ClampToSlider(SliderName("slider_ch_volume_", ch), tenths);
    const int d = tenths - old;
    if (d == 0 && !force) return;
    const int partner = PartnerChannel(s, ch);
    ApplyTrim(ch, tenths, fromUser);

    const int group = s.linkSel[static_cast<size_t>(ch)];
    if (group != 0) {
        std::array<bool, kChannels> done{};
        done[static_cast<size_t>(ch)] = true;
        if (partner >= 0) done[static_cast<size_t>(partner)] = true;
        for (int c = 0; c < kChannels; ++c) {
            if (done[static_cast<size_t>(c)] || s.linkSel[static_cast<size_t>(c)] != group) continue;
            int value = TrimTenths(s.channels[static_cast<size_t>(c)].gain) + d;
            ApplyTrim(c, value, fromUser);
            done[static_cast<size_t>(c)] = true;
            // A bridged pair plays as one channel: the neighbour takes the same trim.
            const int neighbour = c ^ 1;
            if (s.bridge[static_cast<size_t>(c / 2)] && !done[static_cast<size_t>(neighbour)]) {
                ApplyTrim(neighbour, TrimTenths(s.channels[static_cast<size_t>(c)].gain), fromUser);
                done[static_cast<size_t>(neighbour)] = true;
            }
        }
    }
    if (partner >= 0) ApplyTrim(partner, TrimTenths(s.channels[static_cast<size_t>(partner)].gain) + d, fromUser);
}

// ---- Mute, phase, solo ------------------------------------------------------------------

void EqualizerManager::SetChMute(int ch, bool muted) {
    if (!ChannelOk(ch)) return;
    SceneState& s = model_.current;
    const bool bridged = s.bridge[static_cast<size_t>(ch / 2)] != 0;
    for (int c : {ch, ch ^ 1}) {
        if (c != ch && !bridged) break;
        s.channels[static_cast<size_t>(c)].mute = muted ? 1 : 0;
        view_->Refresh({What::ChannelMute, 0, c});
        device_.Mute_Ch_Ctrl(U8(s.scene), 0, U8(c), U8(c), {U8(muted ? 1 : 0)}, kSynchronous);
    }
}

void EqualizerManager::SetChPhase(int ch, bool reversed) {
    if (!ChannelOk(ch)) return;
    SceneState& s = model_.current;
    const bool bridged = s.bridge[static_cast<size_t>(ch / 2)] != 0;
    for (int c : {ch, ch ^ 1}) {
        if (c != ch && !bridged) break;
        s.channels[static_cast<size_t>(c)].phase = reversed ? 1 : 0;
        view_->Refresh({What::Phase, 0, c});
        device_.Phase_Ctrl(U8(s.scene), 0, U8(c), U8(c), {U8(reversed ? 1 : 0)}, kSynchronous);
    }
}

void EqualizerManager::SetChSolo(int ch, bool on) {
    if (!ChannelOk(ch)) return;
    SceneState& s = model_.current;
    const int partner = PartnerChannel(s, ch);
    for (int c = 0; c < kChannels; ++c) {
        ChannelSettings& x = s.channels[static_cast<size_t>(c)];
        if (c == ch || c == partner) x.solo = on ? 1 : 0;
        else if (on) x.solo = 0;
    }
    std::vector<uint8_t> solo;
    for (int c = 0; c < kChannels; ++c) {
        solo.push_back(U8(s.channels[static_cast<size_t>(c)].solo));
        view_->Refresh({What::Solo, 0, c});
    }
    device_.Solo_Ctrl(U8(s.scene), 0, 0, U8(kChannels - 1), solo, kSynchronous);
}

// ---- Delay ------------------------------------------------------------------------------

void EqualizerManager::SetChDelayEdit(int ch) {
    if (!ChannelOk(ch)) return;
    std::string text = view_->ControlText(SliderName("edit_ch_delay_", ch));
    ChangeDelay(ch, DelayFromText(text, delayUnit_));
    // The edit shows the value in its format even when it did not change.
    view_->Refresh({What::Delay, 0, ch});
}

void EqualizerManager::SetChDelaySlider(int ch, int us) {
    if (ChannelOk(ch)) ChangeDelay(ch, static_cast<float>(us) / 1000.0f);
}

void EqualizerManager::SetChDelayUp(int ch, bool up) {
    if (!ChannelOk(ch)) return;
    long us = std::lround(static_cast<double>(model_.current.channels[static_cast<size_t>(ch)].delay) * 1000.0);
    us += up ? kDelayStepUs : -kDelayStepUs;
    ChangeDelay(ch, static_cast<float>(us) / 1000.0f);
}

void EqualizerManager::SetDelayUnit(int unit) {
    delayUnit_ = unit == kDelayCm || unit == kDelayInch ? unit : kDelayMs;
    for (int c = 0; c < kChannels; ++c) view_->Refresh({What::Delay, 0, c});
}

void EqualizerManager::ApplyDelay(int ch, float ms) {
    SceneState& s = model_.current;
    ChannelSettings& c = s.channels[static_cast<size_t>(ch)];
    c.delay = NormalizeDelay(ms, delayUnit_);
    view_->Refresh({What::Delay, 0, ch});
    device_.Delay_Ctrl(U8(s.scene), 0, U8(ch), U8(ch), {c.delay}, kSynchronous);
}

void EqualizerManager::ChangeDelay(int ch, float ms) {
    SceneState& s = model_.current;
    const float old = s.channels[static_cast<size_t>(ch)].delay;
    const int partner = PartnerChannel(s, ch);
    ApplyDelay(ch, ms);
    const float d = s.channels[static_cast<size_t>(ch)].delay - old;
    if (d == 0.0f) return;
    const int group = s.delayLinkSel[static_cast<size_t>(ch)];
    if (group != 0) {
        for (int c = 0; c < kChannels; ++c) {
            if (c == ch || c == partner || s.delayLinkSel[static_cast<size_t>(c)] != group) continue;
            ApplyDelay(c, s.channels[static_cast<size_t>(c)].delay + d);
        }
    }
    if (partner >= 0) ApplyDelay(partner, s.channels[static_cast<size_t>(partner)].delay + d);
}

// ---- Switches ---------------------------------------------------------------------------

void EqualizerManager::ToggleAmplifier() {
    SceneState& s = model_.current;
    s.ampOn = s.ampOn ? 0 : 1;
    view_->Refresh({What::AmpOn, 0});
    device_.Amp_Mute_Ctrl(U8(s.ampOn ? 0 : 1), kSynchronous);
}

void EqualizerManager::ToggleRemoteOut(int which) {
    SceneState& s = model_.current;
    if (which == 1) s.remOut1 = s.remOut1 ? 0 : 1;
    else if (which == 2) s.remOut2 = s.remOut2 ? 0 : 1;
    else return;
    view_->Refresh({What::RemoteOut, 0});
    device_.Rem_Out_Ctrl(U8(s.remOut1), U8(s.remOut2), kSynchronous);
}

void EqualizerManager::ToggleSpeakerOhm() {
    SceneState& s = model_.current;
    s.twoOhm = s.twoOhm ? 0 : 1;
    view_->Refresh({What::SpeakerOhm, 0});
    device_.Spk_Ohm_Ctrl(U8(s.twoOhm), kSynchronous);
}

void EqualizerManager::ToggleNoiseGate() {
    SceneState& s = model_.current;
    s.noiseGate = s.noiseGate ? 0 : 1;
    view_->Refresh({What::NoiseGate, 0});
    device_.Noise_Gate_Ctrl(U8(s.noiseGate), kSynchronous);
}

void EqualizerManager::UpdateAllVolumeEdit() {
    LogWriteNarrow("EqualizerManager::UpdateAllVolumeEdit");
    view_->Refresh({What::MainVolume, 0});
    for (int c = 0; c < kChannels; ++c) view_->Refresh({What::Trim, 0, c});
}

}  // namespace dvdsp::core
