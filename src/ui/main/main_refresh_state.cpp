// The controls that show the controller's own state on the main page: the current
// channel with its panel, the channel selectors, the marked speaker position, the EQ mode,
// the bypass button and the delay-link colours.
#include <array>

#include "core/channel_format.h"
#include "toolkit/controls.h"
#include "ui/control_names.h"
#include "ui/main/main_refresh.h"
#include "ui/main/main_wnd.h"

namespace dvdsp::ui {
namespace {

using core::What;

// Colour of a delay-link group's button, by group; a channel in none (0) keeps the skin's
// own look of the button.
constexpr std::array<uint32_t, 7> kDelayLinkColours = {0, 0xFF0088FF, 0xFF00AEAE, 0xFF0000E3,
                                                        0xFFFF0000, 0xFFFF8040, 0xFF8600FF};
constexpr uint32_t kDelayLinkTextColour = 0xFFFFFFFF;

// The selectors form one group: the current channel's is selected, and its partner's
// with it, without touching the others' notifications.
void ShowSelectors(CMainWnd& wnd, const core::SceneState& s, int ch) {
    const int partner = core::PartnerChannel(s, ch);
    for (int c = 0; c < core::kChannels; ++c) {
        const std::string name = Indexed("ch_enable_", c);
        const bool selected = c == ch || c == partner;
        if (auto* option = wnd.Find<tk::Option>(name)) option->MarkSelected(selected);
        else SetSelectedOf(wnd, name, selected);
    }
}

void ShowBypassButton(CMainWnd& wnd, bool bypassed) {
    if (tk::Control* c = wnd.FindControl("btn_bypass"))
        c->SetText(bypassed ? QStringLiteral("${restore_eq}") : QStringLiteral("${bypass_eq}"));
}

void ShowCurrentChannel(CMainWnd& wnd, const core::SceneState& s, int ch) {
    ShowSelectors(wnd, s, ch);
    if (tk::Control* label = wnd.FindControl("label_channel_name")) label->SetText(QStringLiteral("CH%1").arg(ch + 1));
    // The panel's channel list names the current channel however it became current.
    if (auto* list = wnd.Find<tk::Combo>("btn_channel_select"); list && ch < list->ItemCount()) list->SelectItem(ch);
    for (int c = 0; c < core::kChannels; ++c)
        for (const char* border : {"ch_border_top_", "ch_border_buttom_", "ch_border_left_", "ch_border_right_"})
            if (tk::Control* b = wnd.FindControl(Indexed(border, c))) b->SetVisible(c == ch);
    for (int c = 0; c < core::kChannels; ++c)
        SetSelectedOf(wnd, Indexed("ch_show_", c), s.showOutChEqualizer[static_cast<size_t>(c)] != 0);
    // The car diagram marks where the channel and its partner play.
    const int partner = core::PartnerChannel(s, ch);
    const int own = s.outputs[static_cast<size_t>(ch)];
    const int theirs = partner >= 0 ? s.outputs[static_cast<size_t>(partner)] : 0;
    for (int r = 1; r < core::kRoleCount; ++r) SetSelectedOf(wnd, Indexed("speaker_", r), r == own || r == theirs);
    ShowBypassButton(wnd, s.channels[static_cast<size_t>(ch)].bypass != 0);
}

}  // namespace

bool RefreshPageState(CMainWnd& wnd, const core::UnitModel& model, const core::Change& change) {
    const core::SceneState& s = model.current;
    const int ch = change.channel;
    const bool channelOk = ch >= 0 && ch < core::kChannels;
    switch (change.what) {
    case What::CurrentChannel:
        if (channelOk) ShowCurrentChannel(wnd, s, ch);
        return true;
    case What::ChannelSelection:
        if (channelOk) ShowSelectors(wnd, s, ch);
        return true;
    case What::SpeakerFocus:
        // The marked position, and the selectors of the channels playing it.
        for (int r = 1; r < core::kRoleCount; ++r) SetSelectedOf(wnd, Indexed("speaker_", r), r == change.value);
        for (int c = 0; c < core::kChannels; ++c)
            if (s.outputs[static_cast<size_t>(c)] == change.value) SetSelectedOf(wnd, Indexed("ch_enable_", c), true);
        return true;
    case What::EqMode:
        if (tk::Control* c = wnd.FindControl("btn_arg_eq")) {
            c->SetSelected(change.value != 0);
            c->SetText(change.value ? QStringLiteral("${peq_mode}") : QStringLiteral("${geq_mode}"));
        }
        return true;
    case What::BypassButton: ShowBypassButton(wnd, change.value != 0); return true;
    case What::EqBypass:
        // The current channel's flag as stored, from the read-out's reply as from an edit.
        if (channelOk && ch == s.currOutChannel) ShowBypassButton(wnd, s.channels[static_cast<size_t>(ch)].bypass != 0);
        return true;
    case What::LinkGroup:
        // A channel's link-group button is lit while the channel belongs to a group.
        if (channelOk) SetSelectedOf(wnd, Indexed("ch_synchronize_", ch), s.linkSel[static_cast<size_t>(ch)] != 0);
        return true;
    case What::DelayLinkGroup:
        if (channelOk) {
            const int group = s.delayLinkSel[static_cast<size_t>(ch)];
            if (group >= 0 && group < static_cast<int>(kDelayLinkColours.size()))
                if (tk::Control* c = wnd.FindControl(Indexed("delay_link_", ch))) {
                    // Its "D" stays readable on the group's colour.
                    c->SetBkColor(kDelayLinkColours[static_cast<size_t>(group)]);
                    c->SetTextColor(group != 0 ? kDelayLinkTextColour : 0);
                }
        }
        return true;
    default: return false;
    }
}

}  // namespace dvdsp::ui
