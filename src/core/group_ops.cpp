// Speaker roles of the channels, and groups of channels that follow each other's edits:
// the link groups and the delay-link groups.
#include <algorithm>
#include <array>

#include "base/log.h"
#include "core/equalizer_manager.h"

namespace dvdsp::core {
namespace {

// EQ bands, filters and the bypass flag follow a link group only among channels 0-3.
constexpr int kFilterGroupChannels = 4;

// Colour of a delay-link group's button, by group (0 none).
constexpr std::array<uint32_t, 7> kDelayLinkColours = {0xFF666666, 0xFF0088FF, 0xFF00AEAE, 0xFF0000E3,
                                                        0xFFFF0000, 0xFFFF8040, 0xFF8600FF};

}  // namespace

void EqualizerManager::SetOutputValue(int ch, const std::string& item, bool keepSaved) {
    LogWriteNarrow("SetOutputValue channel %d selected value %s\n", ch, item.c_str());
    const int code = RoleCode(item);
    // Group entries of the menu are no role.
    if (ch < 0 || ch >= kChannels || code < 0) return;
    SceneState& s = model_.current;
    ChannelSettings& c = s.channels[static_cast<size_t>(ch)];
    s.outputs[static_cast<size_t>(ch)] = code;
    if (!keepSaved) s.outputsBk[static_cast<size_t>(ch)] = code;
    RoleCrossover(code, c.bpType, c.hp, c.lp);
    view_->Refresh({What::Role, 0, ch});
    UpdateEqualizer(-1);
    const auto out = static_cast<uint8_t>(ch);
    device_.CH_Type_Ctrl(static_cast<uint8_t>(s.scene), 0, out, out, {static_cast<uint8_t>(code)}, false);
    SendFilters(ch);
    SendTrim(ch);
}

void EqualizerManager::SetCurChannelChange(int ch) {
    LogWriteNarrow("on SetCurChannelChange channel index %d\n", ch);
    if (ch < 0 || ch >= kChannels) return;
    SceneState& s = model_.current;
    s.currOutChannel = ch;
    // The selectors form one group: the current channel's is selected, and its partner's
    // with it.
    ShowChannelSelectors();
    view_->SetText("label_channel_name", "CH" + std::to_string(ch + 1));
    for (int c = 0; c < kChannels; ++c)
        for (const char* border : {"ch_border_top_", "ch_border_buttom_", "ch_border_left_", "ch_border_right_"})
            view_->SetVisible(SliderName(border, c), c == ch);
    view_->Refresh({What::Trim, 0, ch});
    view_->Refresh({What::ChannelMute, 0, ch});
    view_->Refresh({What::Phase, 0, ch});
    for (int c = 0; c < kChannels; ++c) view_->SetSelected(SliderName("ch_show_", c), s.showOutChEqualizer[static_cast<size_t>(c)] != 0);
    // The car diagram marks where the channel and its partner play; the delay steps act on
    // the channel's own position.
    const int partner = PartnerChannel(s, ch);
    const int own = s.outputs[static_cast<size_t>(ch)];
    const int theirs = partner >= 0 ? s.outputs[static_cast<size_t>(partner)] : 0;
    for (int r = 1; r < kRoleCount; ++r) view_->SetSelected(SliderName("speaker_", r), r == own || r == theirs);
    focusedSpeaker_ = own > 0 && own < kRoleCount ? own : 0;
    view_->SetText("btn_bypass", s.channels[static_cast<size_t>(ch)].bypass ? "${restore_eq}" : "${bypass_eq}");
    UpdateEqualizer(-1);
}

void EqualizerManager::SetOutpuLock() {
    SceneState& s = model_.current;
    if (!view_->Ask(s.lockMode ? "${unlock_output_tips}" : "${lock_output_tips}")) return;
    s.lockMode = s.lockMode ? 0 : 1;
    const auto scene = static_cast<uint8_t>(s.scene);
    if (!s.lockMode && s.linkMode) {
        // Link mode needs the lock.
        s.linkMode = 0;
        s.linkOutputs.fill(-1);
        device_.CH_Link_Ctrl(scene, 0, {}, false);
    }
    // Speaker roles change only while unlocked.
    ShowLinkState();
    device_.CH_Lock_Ctrl(scene, static_cast<uint8_t>(s.lockMode), false);
}

void EqualizerManager::SetOutputBypass() {
    SceneState& s = model_.current;
    const int ch = s.currOutChannel;
    if (ch < 0 || ch >= kChannels) return;
    ChannelSettings& c = s.channels[static_cast<size_t>(ch)];
    bool slidersOff = false, gainsOff = false;
    for (int b = 0; b < c.eqSize && b < kBandsPerChannel; ++b) {
        if (view_->ControlValue(SliderName("eq_slider_", b)) != 0) slidersOff = true;
        if (s.Bands(ch)[b].gain != 0.0f) gainsOff = true;
    }
    uint8_t bypass = 0;
    if (slidersOff) {
        if (!view_->Ask("${bypass_all_eq_tips}")) return;
        bypass = 1;
    } else if (gainsOff) {
        if (!view_->Ask("${restore_all_eq_tips}")) return;
    }
    view_->SetText("btn_bypass", bypass ? "${restore_eq}" : "${bypass_eq}");
    const auto scene = static_cast<uint8_t>(s.scene);
    auto apply = [&](int x) {
        s.channels[static_cast<size_t>(x)].bypass = bypass;
        device_.PEQ_Bypass_Ctrl(scene, 0, static_cast<uint8_t>(x), static_cast<uint8_t>(x), {bypass}, false);
    };
    apply(ch);
    const int partner = PartnerChannel(s, ch);
    const int group = s.linkSel[static_cast<size_t>(ch)];
    if (group != 0 && ch < kFilterGroupChannels)
        for (int x = 0; x < kFilterGroupChannels; ++x)
            if (x != ch && x != partner && s.linkSel[static_cast<size_t>(x)] == group) apply(x);
    if (partner >= 0) apply(partner);
    UpdateEqualizer(-1);
}

void EqualizerManager::SetOutputEqReset() {
    SceneState& s = model_.current;
    const int ch = s.currOutChannel;
    if (ch < 0 || ch >= kChannels || !view_->Ask("${reset_all_eq_tips}")) return;
    const auto scene = static_cast<uint8_t>(s.scene);
    auto flatten = [&](int x, bool send) {
        const int size = std::min<int>(s.channels[static_cast<size_t>(x)].eqSize, kBandsPerChannel);
        for (int b = 0; b < size; ++b) {
            EqBand& band = s.Bands(x)[b];
            band = DefaultBand(size, b);
            if (send)
                device_.EQ_Ctrl(scene, 0, static_cast<uint8_t>(x), static_cast<uint8_t>(b), static_cast<uint16_t>(band.freq),
                                band.q, band.gain, false);
        }
    };
    flatten(ch, false);
    const int partner = PartnerChannel(s, ch);
    const int group = s.linkSel[static_cast<size_t>(ch)];
    if (group != 0 && ch < kFilterGroupChannels)
        for (int x = 0; x < kFilterGroupChannels; ++x)
            if (x != ch && x != partner && s.linkSel[static_cast<size_t>(x)] == group) flatten(x, true);
    if (partner >= 0) flatten(partner, true);
    view_->SetText("btn_bypass", "${bypass_eq}");
    UpdateEqualizer(-1);
    std::vector<uint8_t> reset = {static_cast<uint8_t>(ch)};
    if (partner >= 0) reset.push_back(static_cast<uint8_t>(partner));
    device_.PEQ_Reset_Ctrl(scene, 0, reset, false);
}

void EqualizerManager::SwitchEqMode() {
    if (!view_->Ask(parametricEq_ ? "${geq_mode_tips}" : "${peq_mode_tips}")) return;
    parametricEq_ = !parametricEq_;
    view_->SetSelected("btn_arg_eq", parametricEq_);
    view_->SetText("btn_arg_eq", parametricEq_ ? "${peq_mode}" : "${geq_mode}");
    UpdateEqualizer(-1);
}

void EqualizerManager::SetLinkGroup(int ch, int group) {
    if (ch < 0 || ch >= kChannels || group < 0) return;
    LogWriteNarrow("channel %d synchronize seleted %d\n", ch, group);
    SceneState& s = model_.current;
    const auto scene = static_cast<uint8_t>(s.scene);
    const bool bridged = s.bridge[static_cast<size_t>(ch / 2)] != 0;
    for (int c : {ch, ch ^ 1}) {
        if (c != ch && !bridged) break;
        s.linkSel[static_cast<size_t>(c)] = group;
        Change change{What::Link, 0, c};
        view_->Refresh(change);
    }
    if (group > 0 && ch < kFilterGroupChannels) {
        for (int c = 0; c < kFilterGroupChannels; ++c)
            if (c != ch && s.linkSel[static_cast<size_t>(c)] == group) SendFilters(ch);
        const int cur = s.currOutChannel;
        const int curGroup = cur >= 0 && cur < kChannels ? s.linkSel[static_cast<size_t>(cur)] : 0;
        if (curGroup != 0) {
            const uint8_t bypass = s.channels[static_cast<size_t>(cur)].bypass;
            for (int c = 0; c < kFilterGroupChannels; ++c) {
                if (c == cur || s.linkSel[static_cast<size_t>(c)] != curGroup) continue;
                s.channels[static_cast<size_t>(c)].bypass = bypass;
                device_.PEQ_Bypass_Ctrl(scene, 0, static_cast<uint8_t>(c), static_cast<uint8_t>(c), {bypass}, false);
            }
        }
        for (int c = 0; c < kChannels; ++c) SendTrim(c);
    }
}

void EqualizerManager::SetDelayLinkGroup(int ch, int group) {
    if (ch < 0 || ch >= kChannels || group < 0 || group >= static_cast<int>(kDelayLinkColours.size())) return;
    LogWriteNarrow("channel %d dealy link seleted %d\n", ch, group);
    SceneState& s = model_.current;
    const bool bridged = s.bridge[static_cast<size_t>(ch / 2)] != 0;
    for (int c : {ch, ch ^ 1}) {
        if (c != ch && !bridged) break;
        s.delayLinkSel[static_cast<size_t>(c)] = group;
        view_->SetBkColor(SliderName("delay_link_", c), kDelayLinkColours[static_cast<size_t>(group)]);
    }
    for (int c = 0; c < kChannels; ++c) view_->Refresh({What::Delay, 0, c});
}

void EqualizerManager::RefreshAllControls() {
    const SceneState& s = model_.current;
    view_->Refresh({What::MainVolume, 0});
    view_->Refresh({What::MainMute, 0});
    for (int c = 0; c < kChannels; ++c) {
        for (What w : {What::Role, What::Trim, What::ChannelMute, What::Solo, What::Phase, What::Delay, What::Link}) {
            Change change{w, 0, c};
            change.source = s.source;
            view_->Refresh(change);
        }
        Change routing{What::Routing, 0, c};
        routing.source = s.source;
        view_->Refresh(routing);
        const int group = s.delayLinkSel[static_cast<size_t>(c)];
        if (group >= 0 && group < static_cast<int>(kDelayLinkColours.size()))
            view_->SetBkColor(SliderName("delay_link_", c), kDelayLinkColours[static_cast<size_t>(group)]);
    }
    // Link and lock as the unit reports them, the partners with them.
    if (s.linkMode) model_.current.linkOutputs = ComputeLinkPartners(s);
    else model_.current.linkOutputs.fill(-1);
    ShowLinkState();
    // The bridge pairs are shown, not sent.
    for (int p = 0; p < kBridgePairs; ++p) view_->Refresh({What::Bridge, 0, p});
    UpdateEqualizer(-1);
}

}  // namespace dvdsp::core
