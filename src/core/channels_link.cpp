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
    if (change.unlinked) ctx_.Send({What::Link, 0});
    ShowLinkState();
    if (change.what == What::Link) eq_.UpdateEqualizer(-1);
}

// ---- Stereo link --------------------------------------------------------------------------

void Channels::SetOutputLink() {
    LogWriteNarrow("on %s\n", "EqualizerManager::SetOutputLink");
    const SceneState& s = ctx_.Live();
    const std::array<int32_t, kChannels> partners = ComputeLinkPartners(s);
    const bool linkable = std::any_of(partners.begin(), partners.end(), [](int32_t p) { return p >= 0; });
    auto unlink = [](SceneState& m) {
        m.linkMode = 0;
        m.linkOutputs.fill(-1);
    };
    if (!linkable) {
        ctx_.edit.Apply({What::Link, 0}, unlink);
        ctx_.Send({What::Link, 0});
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
        ctx_.Send({What::Link, 0});
        ctx_.Send({What::Lock, 0});
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
    ctx_.Send({What::Lock, 0});
    ctx_.edit.Apply({What::Link, 0}, [&](SceneState& m) { m.linkOutputs = partners; });
    ShowLinkState();

    for (int i = 0; i < kChannels; ++i) {
        const int j = s.linkOutputs[Z(i)];
        if (j < 0) continue;
        const int mine = s.outputs[Z(i)], theirs = s.outputs[Z(j)];
        if (leftToRight ? mine >= theirs : mine <= theirs) continue;
        eq_.CopyOutConfig(i, j);
        // The copying channel's trim goes out again.
        ApplyTrim(i, TrimTenths(s.channels[Z(i)].gain), false);
    }
    SetCurChannelChange(s.currOutChannel);
    Change link{What::Link, 0};
    link.value = leftToRight ? 1 : 2;  // the unit copies each pair the way the person chose
    ctx_.Send(link);
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
    eq_.CopyOutConfig(a, b);
    ctx_.edit.Apply({What::Delay, 0, b}, [&](SceneState& m) {
        const ChannelSettings& from = m.channels[Z(a)];
        ChannelSettings& to = m.channels[Z(b)];
        to.delay = from.delay;
        to.mute = from.mute;
        to.phase = from.phase;
        to.solo = from.solo;
    });
    ApplyTrim(b, TrimTenths(s.channels[Z(a)].gain), false);
    for (What w : {What::Delay, What::ChannelMute, What::Phase}) ctx_.Send({w, 0, b});
    ctx_.Send({What::Solo, 0});
    for (int src = 0; src < kSources; ++src) {
        Change routing{What::Routing, 0, b};
        routing.source = src;
        ctx_.edit.Apply(routing, [&](SceneState& m) {
            m.inputs[Z(src)][Z(b)] = m.inputs[Z(src)][Z(a)];
            for (int in = 0; in < kInputsPerSource; ++in)
                m.inputMixVolume[Z(src)][Z(in)][Z(b)] = m.inputMixVolume[Z(src)][Z(in)][Z(a)];
        });
        ctx_.Send(routing);
        for (int in = 0; in < kInputsPerSource; ++in) {
            Change trim{What::InputMixTrim, 0, b, in};
            trim.source = src;
            ctx_.Send(trim);
        }
    }
    // The pair plays one role; the odd channel's own stays saved for when it is unbridged.
    ctx_.edit.Apply({What::Role, 0, b}, [&](SceneState& m) {
        m.outputs[Z(b)] = m.outputs[Z(a)];
        m.linkSel[Z(b)] = m.linkSel[Z(a)];
    });
    ctx_.Send({What::Role, 0, b});
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
    const std::vector<int32_t> defaults = DefaultRoles(s.channelCount);
    for (int c = 0; c < kChannels; ++c) {
        const int role = choice == 1 && Z(c) < defaults.size() ? defaults[Z(c)] : 0;
        SetOutputValue(c, Role(role).menuItem, false);
    }
    ctx_.edit.Apply({What::Lock, 0}, [](SceneState& m) {
        m.lockMode = 0;
        m.linkMode = 0;
    });
    ctx_.Send({What::Link, 0});
    ctx_.Send({What::Lock, 0});
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
