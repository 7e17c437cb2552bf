// Operations that join output channels or put many channels back at once: the stereo
// link with its copy direction, the bridge pairs, the output reset and the reset of the
// link and delay-link groups. The long ones run their commands through the queue and
// keep the busy window up until the queue has drained.
#include <algorithm>
#include <chrono>
#include <thread>

#include "app/log.h"
#include "core/channel_format.h"
#include "core/equalizer_manager.h"

namespace dvdsp::core {
namespace {

constexpr bool kQueued = false;
uint8_t U8(int v) { return static_cast<uint8_t>(v); }
size_t Z(int v) { return static_cast<size_t>(v); }

// Waits for the queue to drain: `polls` checks, 100 ms apart.
constexpr int kIdlePollMs = 100;
constexpr int kBridgeIdlePolls = 100;
constexpr int kResetIdlePolls = 600;

}  // namespace

// ---- Shared pieces ------------------------------------------------------------------------

void EqualizerManager::SendFilters(int ch) {
    const SceneState& s = model_.current;
    const ChannelSettings& c = s.channels[Z(ch)];
    const auto scene = U8(s.scene);
    // Filter 2 is the high-pass, 1 the low-pass.
    device_.Filter_Ctrl(scene, 0, U8(ch), 2, U8(c.hp.type), static_cast<uint16_t>(c.hp.freq), U8(c.hp.slope), kQueued);
    device_.Filter_Ctrl(scene, 0, U8(ch), 1, U8(c.lp.type), static_cast<uint16_t>(c.lp.freq), U8(c.lp.slope), kQueued);
}

void EqualizerManager::SendTrim(int ch) {
    const SceneState& s = model_.current;
    device_.Trim_Ctrl(U8(s.scene), 0, U8(ch), U8(ch), {s.channels[Z(ch)].gain}, kQueued);
}

void EqualizerManager::SendChannelEq(int ch) {
    const SceneState& s = model_.current;
    const ChannelSettings& c = s.channels[Z(ch)];
    const auto scene = U8(s.scene);
    const int size = std::min<int>(c.eqSize, kBandsPerChannel);
    for (int b = 0; b < size; ++b) {
        const EqBand& band = s.Bands(ch)[b];
        device_.EQ_Ctrl(scene, 0, U8(ch), U8(b), static_cast<uint16_t>(band.freq), band.q, band.gain, kQueued);
    }
    SendFilters(ch);
    device_.PEQ_Bypass_Ctrl(scene, 0, U8(ch), U8(ch), {c.bypass}, kQueued);
}

void EqualizerManager::CopyOutConfig(int from, int to) {
    LogWriteNarrow("copy out config from %d to %d\n", from, to);
    SceneState& s = model_.current;
    const ChannelSettings& a = s.channels[Z(from)];
    ChannelSettings& b = s.channels[Z(to)];
    s.eqStore[Z(to)] = s.eqStore[Z(from)];
    b.eqSize = a.eqSize;
    b.bpType = a.bpType;
    b.hp = a.hp;
    b.lp = a.lp;
    b.bypass = a.bypass;
    view_->Refresh({What::Filter, 0, to});
    view_->Refresh({What::EqBypass, 0, to});
    // The unit keeps its own copy of every channel: it is sent what the model now holds.
    SendChannelEq(to);
}

void EqualizerManager::WaitQueueThenClose(const char* name, int polls) {
    view_->Post(WM_SHOW_LOADING);
    workers_.Start(name, [this, polls] {
        for (int i = 0; i < polls && !stopping_; ++i) {
            if (device_.QueueIdle()) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(kIdlePollMs));
        }
        view_->Post(WM_CLOSE_LOADING);
    });
}

void EqualizerManager::ShowLinkState() {
    // The view enables the role buttons only while unlocked and the delay-link buttons
    // only while not linked.
    view_->Refresh({What::Link, 0});
    view_->Refresh({What::Lock, 0});
    ShowChannelSelectors();
}

void EqualizerManager::ShowChannelSelectors() {
    const SceneState& s = model_.current;
    const int ch = s.currOutChannel;
    if (ch < 0 || ch >= kChannels) return;
    const int partner = PartnerChannel(s, ch);
    for (int c = 0; c < kChannels; ++c) view_->MarkSelected(SliderName("ch_enable_", c), c == ch || c == partner);
}

// ---- Stereo link --------------------------------------------------------------------------

void EqualizerManager::SetOutputLink() {
    LogWriteNarrow("on %s\n", "EqualizerManager::SetOutputLink");
    SceneState& s = model_.current;
    const auto scene = U8(s.scene);
    const std::array<int32_t, kChannels> partners = ComputeLinkPartners(s);
    const bool linkable = std::any_of(partners.begin(), partners.end(), [](int32_t p) { return p >= 0; });
    if (!linkable) {
        s.linkMode = 0;
        s.linkOutputs.fill(-1);
        device_.CH_Link_Ctrl(scene, 0, {}, kQueued);
        ShowLinkState();
        view_->ShowTips("${not_linkable_tips}");
        return;
    }
    if (s.linkMode) {
        s.linkMode = 0;
        s.lockMode = 0;
        s.linkOutputs.fill(-1);
        // The unit ends its link too; the lock alone would leave it linked.
        device_.CH_Link_Ctrl(scene, 0, {}, kQueued);
        device_.CH_Lock_Ctrl(scene, 0, kQueued);
        ShowLinkState();
        UpdateEqualizer(-1);
        return;
    }
    const int choice = view_->AskChoice("${link_tips}", "${copy_left_to_right}", "${copy_right_to_left}");
    LogWriteNarrow("CMsgCheckBoxWnd %d\n", choice);
    if (choice != 1 && choice != 2) return;
    const bool leftToRight = choice == 1;
    s.linkMode = 1;
    s.lockMode = 1;
    device_.CH_Lock_Ctrl(scene, 1, kQueued);
    s.linkOutputs = partners;
    ShowLinkState();

    link::DspDevice::ChannelPairs pairs;
    for (int i = 0; i < kChannels; ++i) {
        const int j = s.linkOutputs[Z(i)];
        if (j < 0) continue;
        const int mine = s.outputs[Z(i)], theirs = s.outputs[Z(j)];
        if (leftToRight ? mine >= theirs : mine <= theirs) continue;
        CopyOutConfig(i, j);
        // The copying channel's trim goes out again.
        ApplyTrim(i, TrimTenths(s.channels[Z(i)].gain), false);
        pairs.emplace_back(U8(i), U8(j));
    }
    SetCurChannelChange(s.currOutChannel);
    device_.CH_Link_Ctrl(scene, 1, pairs, kQueued);
}

// ---- Bridge pairs -------------------------------------------------------------------------

void EqualizerManager::ToggleBridge(int pair) {
    if (pair < 0 || pair >= kBridgePairs) return;
    SetBridge(pair, model_.current.bridge[Z(pair)] == 0);
}

void EqualizerManager::SetBridge(int pair, bool on) {
    if (pair < 0 || pair >= kBridgePairs) return;
    LogWriteNarrow("SetBridge pair %d %d\n", pair, on ? 1 : 0);
    SceneState& s = model_.current;
    s.bridge[Z(pair)] = on ? 1 : 0;
    view_->Refresh({What::Bridge, 0, pair});
    SendBridgeStates();
    ApplyBridgeState(pair);
    WaitQueueThenClose("set bridge thread", kBridgeIdlePolls);
}

void EqualizerManager::SendBridgeStates() {
    const SceneState& s = model_.current;
    std::vector<uint8_t> bridge;
    for (int p = 0; p < kBridgePairs; ++p) bridge.push_back(U8(s.bridge[Z(p)] ? 1 : 0));
    device_.Output_Bridge_Ctrl(U8(s.scene), 0, bridge, kQueued);
}

void EqualizerManager::ApplyBridgeState(int pair) {
    SceneState& s = model_.current;
    const int a = pair * 2, b = a + 1;
    if (!s.bridge[Z(pair)]) {
        // The odd channel plays its own role again.
        SetOutputValue(b, Role(s.outputsBk[Z(b)]).menuItem, true);
        ShowChannelSelectors();
        return;
    }
    const auto scene = U8(s.scene);
    CopyOutConfig(a, b);
    ChannelSettings& from = s.channels[Z(a)];
    ChannelSettings& to = s.channels[Z(b)];
    to.delay = from.delay;
    to.mute = from.mute;
    to.phase = from.phase;
    to.solo = from.solo;
    ApplyTrim(b, TrimTenths(from.gain), false);
    device_.Delay_Ctrl(scene, 0, U8(b), U8(b), {to.delay}, kQueued);
    device_.Mute_Ch_Ctrl(scene, 0, U8(b), U8(b), {U8(to.mute)}, kQueued);
    device_.Phase_Ctrl(scene, 0, U8(b), U8(b), {U8(to.phase)}, kQueued);
    std::vector<uint8_t> solo;
    for (const ChannelSettings& c : s.channels) solo.push_back(U8(c.solo ? 1 : 0));
    device_.Solo_Ctrl(scene, 0, 0, U8(kChannels - 1), solo, kQueued);
    for (int src = 0; src < kSources; ++src) {
        s.inputs[Z(src)][Z(b)] = s.inputs[Z(src)][Z(a)];
        device_.Mix_Ch_Ctrl(scene, U8(src), U8(b), U8(b), {static_cast<uint16_t>(s.inputs[Z(src)][Z(b)])}, kQueued);
        for (int in = 0; in < kInputsPerSource; ++in) {
            int32_t& trim = s.inputMixVolume[Z(src)][Z(in)][Z(b)];
            trim = s.inputMixVolume[Z(src)][Z(in)][Z(a)];
            device_.Input_Mix_Trim_Ctrl(scene, U8(src), U8(in), U8(b), U8(b), {static_cast<int8_t>(trim)}, kQueued);
        }
    }
    // The pair plays one role; the odd channel's own stays saved for when it is unbridged.
    s.outputs[Z(b)] = s.outputs[Z(a)];
    device_.CH_Type_Ctrl(scene, 0, U8(b), U8(b), {U8(s.outputs[Z(b)])}, kQueued);
    s.linkSel[Z(b)] = s.linkSel[Z(a)];
    for (What w : {What::Role, What::Delay, What::ChannelMute, What::Phase, What::Solo, What::Link, What::Routing}) {
        Change change{w, 0, b};
        change.source = s.source;
        view_->Refresh(change);
    }
    ShowChannelSelectors();
    UpdateEqualizer(-1);
}

// ---- Output reset ---------------------------------------------------------------------

void EqualizerManager::SetOutputReset() {
    const int choice = view_->AskThree("${empty_output_tips}", "${default}", "${cancel}", "${emptied}");
    LogWriteNarrow("SetOutputReset %d\n", choice);
    if (choice != 1 && choice != 2) return;
    resetChoice_ = choice;
    SceneState& s = model_.current;
    const auto scene = U8(s.scene);
    const std::vector<int32_t> defaults = DefaultRoles(s.channelCount);
    for (int c = 0; c < kChannels; ++c) {
        const int role = choice == 1 && Z(c) < defaults.size() ? defaults[Z(c)] : 0;
        SetOutputValue(c, Role(role).menuItem);
    }
    s.lockMode = 0;
    s.linkMode = 0;
    device_.CH_Link_Ctrl(scene, 0, {}, kQueued);
    device_.CH_Lock_Ctrl(scene, 0, kQueued);
    s.linkOutputs.fill(-1);
    ShowLinkState();
    for (int c = 0; c < kChannels; ++c) ApplyTrim(c, TrimTenths(s.channels[Z(c)].gain), false);
    SendBridgeStates();
    for (int p = 0; p < kBridgePairs; ++p) ApplyBridgeState(p);
    WaitQueueThenClose("reset output thread", kResetIdlePolls);
}

// ---- Groups -------------------------------------------------------------------------------

void EqualizerManager::ResetLinkGroups() {
    LogWriteNarrow("on %s\n", "EqualizerManager::ResetLinkGroups");
    for (int c = 0; c < kChannels; ++c) {
        SetLinkGroup(c, 0);
        SetDelayLinkGroup(c, 0);
    }
}

}  // namespace dvdsp::core
