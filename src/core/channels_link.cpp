// Operations that join output channels or put many channels back at once: the stereo
// link with its copy direction, the bridge pairs, the output reset and the reset of the
// link and delay-link groups. The long ones run their commands through the queue and
// keep the busy window up until the queue has drained.
#include <algorithm>
#include <chrono>
#include <thread>

#include "base/log.h"
#include "core/channels.h"
#include "core/eq.h"
#include "core/part_helpers.h"

namespace dvdsp::core {
namespace {

// Waits for the queue to drain: `polls` checks, 100 ms apart.
constexpr int kIdlePollMs = 100;
constexpr int kBridgeIdlePolls = 100;
constexpr int kResetIdlePolls = 600;

}  // namespace

// ---- Shared pieces ------------------------------------------------------------------------

void Channels::WaitQueueThenClose(const char* name, int polls) {
    ctx_.view->Post(WM_SHOW_LOADING);
    ControllerContext& ctx = ctx_;
    ctx_.workers.Start(name, [&ctx, polls] {
        for (int i = 0; i < polls && !ctx.stopping; ++i) {
            if (ctx.device.QueueIdle()) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(kIdlePollMs));
        }
        ctx.view->Post(WM_CLOSE_LOADING);
    });
}

void Channels::ShowLinkState() {
    // The view enables the role buttons only while unlocked and the delay-link buttons
    // only while not linked.
    ctx_.edit.Report({What::Link, 0});
    ctx_.edit.Report({What::Lock, 0});
    ShowChannelSelectors();
}

void Channels::ShowChannelSelectors() {
    const int ch = ctx_.Live().currOutChannel;
    if (ch < 0 || ch >= kChannels) return;
    ctx_.edit.Report({What::ChannelSelection, 0, ch});
}

void Channels::LinkReply(const Change& change) {
    // Unlocked while linked: the unit's link ends as well.
    if (change.unlinked) ctx_.device.CH_Link_Ctrl(0, 0, {}, kQueued);
    ShowLinkState();
    if (change.what == What::Link) eq_.UpdateEqualizer(-1);
}

// ---- Stereo link --------------------------------------------------------------------------

void Channels::SetOutputLink() {
    LogWriteNarrow("on %s\n", "EqualizerManager::SetOutputLink");
    const SceneState& s = ctx_.Live();
    const auto scene = ctx_.Scene();
    const std::array<int32_t, kChannels> partners = ComputeLinkPartners(s);
    const bool linkable = std::any_of(partners.begin(), partners.end(), [](int32_t p) { return p >= 0; });
    auto unlink = [](SceneState& m) {
        m.linkMode = 0;
        m.linkOutputs.fill(-1);
    };
    if (!linkable) {
        ctx_.edit.Apply({What::Link, 0}, unlink);
        ctx_.device.CH_Link_Ctrl(scene, 0, {}, kQueued);
        ShowLinkState();
        ctx_.prompt->ShowTips("${not_linkable_tips}");
        return;
    }
    if (s.linkMode) {
        ctx_.edit.Apply({What::Link, 0}, [&](SceneState& m) {
            unlink(m);
            m.lockMode = 0;
        });
        // The unit ends its link too; the lock alone would leave it linked.
        ctx_.device.CH_Link_Ctrl(scene, 0, {}, kQueued);
        ctx_.device.CH_Lock_Ctrl(scene, 0, kQueued);
        ShowLinkState();
        eq_.UpdateEqualizer(-1);
        return;
    }
    const int choice = ctx_.prompt->AskChoice("${link_tips}", "${copy_left_to_right}", "${copy_right_to_left}");
    LogWriteNarrow("CMsgCheckBoxWnd %d\n", choice);
    if (choice != 1 && choice != 2) return;
    const bool leftToRight = choice == 1;
    ctx_.edit.Apply({What::Link, 0}, [](SceneState& m) {
        m.linkMode = 1;
        m.lockMode = 1;
    });
    ctx_.device.CH_Lock_Ctrl(scene, 1, kQueued);
    ctx_.edit.Apply({What::Link, 0}, [&](SceneState& m) { m.linkOutputs = partners; });
    ShowLinkState();

    link::DspDevice::ChannelPairs pairs;
    for (int i = 0; i < kChannels; ++i) {
        const int j = s.linkOutputs[Z(i)];
        if (j < 0) continue;
        const int mine = s.outputs[Z(i)], theirs = s.outputs[Z(j)];
        if (leftToRight ? mine >= theirs : mine <= theirs) continue;
        eq_.CopyOutConfig(i, j);
        // The copying channel's trim goes out again.
        ApplyTrim(i, TrimTenths(s.channels[Z(i)].gain), false);
        pairs.emplace_back(U8(i), U8(j));
    }
    SetCurChannelChange(s.currOutChannel);
    ctx_.device.CH_Link_Ctrl(scene, 1, pairs, kQueued);
}

// ---- Bridge pairs -------------------------------------------------------------------------

void Channels::ToggleBridge(int pair) {
    if (pair < 0 || pair >= kBridgePairs) return;
    SetBridge(pair, ctx_.Live().bridge[Z(pair)] == 0);
}

void Channels::SetBridge(int pair, bool on) {
    if (pair < 0 || pair >= kBridgePairs) return;
    LogWriteNarrow("SetBridge pair %d %d\n", pair, on ? 1 : 0);
    ctx_.edit.Apply({What::Bridge, 0, pair}, [&](SceneState& s) { s.bridge[Z(pair)] = on ? 1 : 0; });
    SendBridgeStates();
    ApplyBridgeState(pair);
    WaitQueueThenClose("set bridge thread", kBridgeIdlePolls);
}

void Channels::SendBridgeStates() { ctx_.Send({What::Bridge, 0}); }

void Channels::ApplyBridgeState(int pair) {
    const SceneState& s = ctx_.Live();
    const int a = pair * 2, b = a + 1;
    if (!s.bridge[Z(pair)]) {
        // The odd channel plays its own role again.
        SetOutputValue(b, Role(s.outputsBk[Z(b)]).menuItem, true);
        ShowChannelSelectors();
        return;
    }
    link::DspDevice& device = ctx_.device;
    const auto scene = ctx_.Scene();
    eq_.CopyOutConfig(a, b);
    ctx_.edit.Apply({What::Delay, 0, b}, [&](SceneState& m) {
        const ChannelSettings& from = m.channels[Z(a)];
        ChannelSettings& to = m.channels[Z(b)];
        to.delay = from.delay;
        to.mute = from.mute;
        to.phase = from.phase;
        to.solo = from.solo;
    });
    const ChannelSettings& to = s.channels[Z(b)];
    ApplyTrim(b, TrimTenths(s.channels[Z(a)].gain), false);
    device.Delay_Ctrl(scene, 0, U8(b), U8(b), {to.delay}, kQueued);
    device.Mute_Ch_Ctrl(scene, 0, U8(b), U8(b), {U8(to.mute)}, kQueued);
    device.Phase_Ctrl(scene, 0, U8(b), U8(b), {U8(to.phase)}, kQueued);
    std::vector<uint8_t> solo;
    for (const ChannelSettings& c : s.channels) solo.push_back(U8(c.solo ? 1 : 0));
    device.Solo_Ctrl(scene, 0, 0, U8(kChannels - 1), solo, kQueued);
    for (int src = 0; src < kSources; ++src) {
        Change routing{What::Routing, 0, b};
        routing.source = src;
        ctx_.edit.Apply(routing, [&](SceneState& m) {
            m.inputs[Z(src)][Z(b)] = m.inputs[Z(src)][Z(a)];
            for (int in = 0; in < kInputsPerSource; ++in)
                m.inputMixVolume[Z(src)][Z(in)][Z(b)] = m.inputMixVolume[Z(src)][Z(in)][Z(a)];
        });
        device.Mix_Ch_Ctrl(scene, U8(src), U8(b), U8(b), {static_cast<uint16_t>(s.inputs[Z(src)][Z(b)])}, kQueued);
        for (int in = 0; in < kInputsPerSource; ++in) {
            const int32_t trim = s.inputMixVolume[Z(src)][Z(in)][Z(b)];
            device.Input_Mix_Trim_Ctrl(scene, U8(src), U8(in), U8(b), U8(b), {static_cast<int8_t>(trim)}, kQueued);
        }
    }
    // The pair plays one role; the odd channel's own stays saved for when it is unbridged.
    ctx_.edit.Apply({What::Role, 0, b}, [&](SceneState& m) {
        m.outputs[Z(b)] = m.outputs[Z(a)];
        m.linkSel[Z(b)] = m.linkSel[Z(a)];
    });
    device.CH_Type_Ctrl(scene, 0, U8(b), U8(b), {U8(s.outputs[Z(b)])}, kQueued);
    for (What w : {What::ChannelMute, What::Phase, What::Solo, What::LinkGroup}) Report(w, b);
    ShowChannelSelectors();
    eq_.UpdateEqualizer(-1);
}

// ---- Output reset ---------------------------------------------------------------------

void Channels::SetOutputReset() {
    const int choice = ctx_.prompt->AskThree("${empty_output_tips}", "${default}", "${cancel}", "${emptied}");
    LogWriteNarrow("SetOutputReset %d\n", choice);
    if (choice != 1 && choice != 2) return;
    resetChoice_ = choice;
    const SceneState& s = ctx_.Live();
    const auto scene = ctx_.Scene();
    const std::vector<int32_t> defaults = DefaultRoles(s.channelCount);
    for (int c = 0; c < kChannels; ++c) {
        const int role = choice == 1 && Z(c) < defaults.size() ? defaults[Z(c)] : 0;
        SetOutputValue(c, Role(role).menuItem, false);
    }
    ctx_.edit.Apply({What::Lock, 0}, [](SceneState& m) {
        m.lockMode = 0;
        m.linkMode = 0;
    });
    ctx_.device.CH_Link_Ctrl(scene, 0, {}, kQueued);
    ctx_.device.CH_Lock_Ctrl(scene, 0, kQueued);
    ctx_.edit.Apply({What::Link, 0}, [](SceneState& m) { m.linkOutputs.fill(-1); });
    ShowLinkState();
    for (int c = 0; c < kChannels; ++c) ApplyTrim(c, TrimTenths(s.channels[Z(c)].gain), false);
    SendBridgeStates();
    for (int p = 0; p < kBridgePairs; ++p) ApplyBridgeState(p);
    WaitQueueThenClose("reset output thread", kResetIdlePolls);
}

// ---- Groups -------------------------------------------------------------------------------

void Channels::ResetLinkGroups() {
    LogWriteNarrow("on %s\n", "EqualizerManager::ResetLinkGroups");
    for (int c = 0; c < kChannels; ++c) {
        SetLinkGroup(c, 0);
        SetDelayLinkGroup(c, 0);
    }
}

}  // namespace dvdsp::core
