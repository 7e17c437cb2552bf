// Speaker roles of the channels, the channel the page edits, the lock of the roles, and
// groups of channels that follow each other's edits: the link groups and the delay-link
// groups; the whole page shown again.
#include "base/log.h"
#include "core/channels.h"
#include "core/eq.h"
#include "core/part_helpers.h"

namespace dvdsp::core {
void Channels::SetOutputValue(int ch, const std::string& item, bool keepSaved) {
    LogWriteNarrow("SetOutputValue channel %d selected value %s\n", ch, item.c_str());
    const int code = RoleCode(item);
    // Group entries of the menu are no role.
    if (ch < 0 || ch >= kChannels || code < 0) return;
    ctx_.edit.Apply({What::Role, 0, ch}, [&](SceneState& s) {
        ChannelSettings& c = s.channels[Z(ch)];
        s.outputs[Z(ch)] = code;
        if (!keepSaved) s.outputsBk[Z(ch)] = code;
        RoleCrossover(code, c.bpType, c.hp, c.lp);
    });
    eq_.UpdateAllCurves();
    ctx_.Send({What::Role, 0, ch});
    eq_.SendFilters(ch);
    SendTrim(ch);
}

void Channels::SetCurChannelChange(int ch) {
    LogWriteNarrow("on SetCurChannelChange channel index %d\n", ch);
    if (ch < 0 || ch >= kChannels) return;
    // The view shows the channel's selector with its partner's, its name, its borders, its
    // curve boxes, the speaker positions it and its partner play and its bypass state.
    ctx_.edit.Apply({What::CurrentChannel, 0, ch}, [&](SceneState& s) { s.currOutChannel = ch; });
    Report(What::Trim, ch);
    Report(What::ChannelMute, ch);
    Report(What::Phase, ch);
    // The delay steps act on the channel's own position.
    const int own = ctx_.Live().outputs[Z(ch)];
    focusedSpeaker_ = own > 0 && own < kRoleCount ? own : 0;
    eq_.UpdateEqualizer(-1);
}

void Channels::SetOutpuLock() {
    const SceneState& s = ctx_.Live();
    if (!ctx_.prompt->Ask(s.lockMode ? "${unlock_output_tips}" : "${lock_output_tips}")) return;
    ctx_.edit.Apply({What::Lock, 0}, [](SceneState& m) { m.lockMode = m.lockMode ? 0 : 1; });
    if (!s.lockMode && s.linkMode) {
        // Link mode needs the lock.
        ctx_.edit.Apply({What::Link, 0}, [](SceneState& m) {
            m.linkMode = 0;
            m.linkOutputs.fill(-1);
        });
        ctx_.Send({What::Link, 0});
    }
    // Speaker roles change only while unlocked.
    ShowLinkState();
    ctx_.Send({What::Lock, 0});
}

void Channels::SetLinkGroup(int ch, int group) {
    if (ch < 0 || ch >= kChannels || group < 0) return;
    LogWriteNarrow("channel %d synchronize seleted %d\n", ch, group);
    const SceneState& s = ctx_.Live();
    const bool bridged = s.bridge[Z(ch / 2)] != 0;
    for (int c : {ch, ch ^ 1}) {
        if (c != ch && !bridged) break;
        ctx_.edit.Apply({What::LinkGroup, 0, c}, [&](SceneState& m) { m.linkSel[Z(c)] = group; });
    }
    if (group > 0 && ch < kFilterGroupChannels) {
        for (int c = 0; c < kFilterGroupChannels; ++c)
            if (c != ch && s.linkSel[Z(c)] == group) eq_.SendFilters(ch);
        const int cur = s.currOutChannel;
        const int curGroup = cur >= 0 && cur < kChannels ? s.linkSel[Z(cur)] : 0;
        if (curGroup != 0) {
            const uint8_t bypass = s.channels[Z(cur)].bypass;
            for (int c = 0; c < kFilterGroupChannels; ++c) {
                if (c == cur || s.linkSel[Z(c)] != curGroup) continue;
                ctx_.edit.Apply({What::EqBypass, 0, c}, [&](SceneState& m) { m.channels[Z(c)].bypass = bypass; });
                ctx_.Send({What::EqBypass, 0, c});
            }
        }
        for (int c = 0; c < kChannels; ++c) SendTrim(c);
    }
}

void Channels::SetDelayLinkGroup(int ch, int group) {
    if (ch < 0 || ch >= kChannels || !limits::kDelayLinkGroup.Accepts(group)) return;
    LogWriteNarrow("channel %d dealy link seleted %d\n", ch, group);
    const bool bridged = ctx_.Live().bridge[Z(ch / 2)] != 0;
    for (int c : {ch, ch ^ 1}) {
        if (c != ch && !bridged) break;
        ctx_.edit.Apply({What::DelayLinkGroup, 0, c}, [&](SceneState& m) { m.delayLinkSel[Z(c)] = group; });
    }
    for (int c = 0; c < kChannels; ++c) Report(What::Delay, c);
}

void Channels::RefreshAllControls() {
    const SceneState& s = ctx_.Live();
    ctx_.edit.Report({What::MainVolume, 0});
    ctx_.edit.Report({What::MainMute, 0});
    for (int c = 0; c < kChannels; ++c) {
        for (What w : {What::Role, What::Trim, What::ChannelMute, What::Solo, What::Phase, What::Delay, What::LinkGroup,
                       What::Routing, What::DelayLinkGroup}) {
            Change change{w, 0, c};
            change.source = s.source;
            ctx_.edit.Report(change);
        }
    }
    // Link and lock as the unit reports them, the partners with them.
    ctx_.edit.Apply({What::Link, 0}, [](SceneState& m) {
        if (m.linkMode) m.linkOutputs = ComputeLinkPartners(m);
        else m.linkOutputs.fill(-1);
    });
    ShowLinkState();
    // The bridge pairs are shown, not sent.
    for (int p = 0; p < kBridgePairs; ++p) ctx_.edit.Report({What::Bridge, 0, p});
    eq_.UpdateAllCurves();
}

}  // namespace dvdsp::core
