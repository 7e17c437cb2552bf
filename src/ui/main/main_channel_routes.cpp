// The main page's channel and master controls routed by name to the controller's
// operations: sliders, edits and their steps, mute/phase/solo boxes, the delay unit and
// the unit's on/off switches.
#include <cstdio>

#include "base/log.h"
#include "core/channel_format.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "toolkit/language.h"
#include "ui/control_names.h"
#include "ui/main/main_wnd.h"

namespace dvdsp::ui {
namespace {

// The unit an item of "comb_ch_unit" stands for, by its text.
int DelayUnitOfItem(tk::Combo* combo, int index) {
    if (!combo || index < 0 || index >= combo->ItemCount()) return core::kDelayMs;
    const QString& text = combo->Item(index).text;
    if (text == QLatin1String("cm")) return core::kDelayCm;
    if (text == QLatin1String("in")) return core::kDelayInch;
    return core::kDelayMs;
}

}  // namespace

std::string CMainWnd::EditText(const std::string& name) {
    auto* edit = Find<tk::Edit>(name);
    if (!edit) return {};
    const QString typed = edit->text();
    // Unchanged since the program wrote it, or the language's word for off.
    if (typed == edit->ShownText()) return edit->Text().toStdString();
    if (typed.trimmed() == tk::Lang(QStringLiteral("${off}"))) return core::kOffText;
    return typed.toStdString();
}

void CMainWnd::ShowDelaySliderFor(const std::string& name, int index) {
    // One channel's delay slider is shown at a time: that of the delay edit or slider
    // that has the focus.
    const bool delayControl = StartsWith(name, "edit_ch_delay_") || StartsWith(name, "slider_ch_delay_");
    if (!delayControl) LogWriteNarrow("on mSliderChDelay SetVisible false\n");
    const int next = delayControl ? index : -1;
    if (shownDelaySlider_ >= 0 && shownDelaySlider_ != next)
        if (tk::Control* slider = FindControl("slider_ch_delay_" + std::to_string(shownDelaySlider_)))
            slider->SetVisible(false);
    shownDelaySlider_ = next;
    if (next >= 0)
        if (tk::Control* slider = FindControl("slider_ch_delay_" + std::to_string(next))) slider->SetVisible(true);
}

bool CMainWnd::RouteChannelNotify(tk::TNotify& n) {
    core::EqualizerManager& c = controller_;
    const std::string& name = n.name;
    const std::string& type = n.type;
    if (type == tk::notify::kClick) {
        if (name == "btn_amp_onoff") c.ToggleAmplifier();
        else if (name == "btn_rem_out1_onoff") c.ToggleRemoteOut(1);
        else if (name == "btn_rem_out2_onoff") c.ToggleRemoteOut(2);
        else if (name == "btn_2ohm_spk") c.ToggleSpeakerOhm();
        else if (name == "btn_noise_gate") c.ToggleNoiseGate();
        else if (StartsWith(name, "speaker_")) {
            LogWriteNarrow("on speaker_%d index %d\n", IndexOf(n), IndexOf(n));
            c.SetSpeakerFocus(IndexOf(n));
        }
        else if (StartsWith(name, "ch_enable_")) c.SetCurChannelChange(IndexOf(n));
        else if (name == "btn_lock_output") c.SetOutpuLock();
        else if (name == "btn_arg_eq") c.SwitchEqMode();
        else if (name == "btn_bypass") c.SetOutputBypass();
        else if (name == "btn_reset_eq") c.SetOutputEqReset();
        else if (name == "btn_link_output") c.SetOutputLink();
        else if (name == "btn_reset_output") c.SetOutputReset();
        else if (name == "btn_reset_link") c.ResetLinkGroups();
        else if (StartsWith(name, "ch_bridge_")) c.ToggleBridge(IndexOf(n));
        else if (StartsWith(name, "ch_synchronize_")) {
            const int ch = IndexOf(n);
            if (ch >= 0 && ch < core::kChannels) c.SetLinkGroup(ch, c.Model().current.linkSel[static_cast<size_t>(ch)] ? 0 : 1);
        }
        else if (name == "btn_delay_down") c.StepFocusedSpeakerDelay(false);
        else if (name == "btn_delay_up") c.StepFocusedSpeakerDelay(true);
        else return false;
        return true;
    }
    if (type == tk::notify::kSelectChanged) {
        const bool selected = n.sender && n.sender->IsSelected();
        LogWriteNarrow("on option %s DUI_MSGTYPE_SELECTCHANGED index %d\n", name.c_str(), IndexOf(n));
        if (name == "ch_mute") c.SetChMute(c.CurrentChannel(), selected);
        else if (name == "ch_phase") c.SetChPhase(c.CurrentChannel(), selected);
        else if (StartsWith(name, "ch_mute_")) c.SetChMute(IndexOf(n), selected);
        else if (StartsWith(name, "ch_phase_")) c.SetChPhase(IndexOf(n), selected);
        else if (StartsWith(name, "ch_solo_")) c.SetChSolo(IndexOf(n), selected);
        else if (StartsWith(name, "main_mute")) c.SetMainMute(selected);
        else if (StartsWith(name, "bridge_checkbox_")) c.SetBridge(IndexOf(n), selected);
        else if (StartsWith(name, "option_ch_in")) {
            int in = -1, out = -1;
            if (std::sscanf(name.c_str(), "option_ch_in%d_%d", &in, &out) == 2) c.SetInputIn(in, out, selected);
        } else return false;
        return true;
    }
    if (type == tk::notify::kValueChanged || type == tk::notify::kMoveValueChanged) {
        const int value = n.sender ? n.sender->Value() : 0;
        if (StartsWith(name, "slider_main_volume")) {
            c.SetMainVolumeSlider(value);
        } else if (StartsWith(name, "slider_acc")) {
            c.SetAccSlider(value);
        } else if (name == "slider_ch_volume") {
            LogWriteNarrow("on volume silder %s valuechanged index %d\n", name.c_str(), c.CurrentChannel());
            c.SetChVolumeSlider(c.CurrentChannel(), value);
        } else if (StartsWith(name, "slider_ch_volume_")) {
            LogWriteNarrow("on volume silder %s valuechanged index %d\n", name.c_str(), IndexOf(n));
            c.SetChVolumeSlider(IndexOf(n), value);
        } else if (StartsWith(name, "slider_ch_delay_")) {
            LogWriteNarrow("on delay silder %s valuechanged index %d\n", name.c_str(), IndexOf(n));
            c.SetChDelaySlider(IndexOf(n), value);
        } else {
            return false;
        }
        return true;
    }
    if (type == tk::notify::kValueChangedUp || type == tk::notify::kValueChangedDown) {
        const bool up = type == tk::notify::kValueChangedUp;
        if (StartsWith(name, "edit_main_volume")) c.SetMainVolumeUp(up);
        else if (StartsWith(name, "edit_acc")) c.SetAccUp(up);
        else if (name == "edit_ch_volume") c.SetChVolumeUp(c.CurrentChannel(), up);
        else if (StartsWith(name, "edit_ch_volume_")) c.SetChVolumeUp(IndexOf(n), up);
        else if (StartsWith(name, "edit_ch_delay_")) c.SetChDelayUp(IndexOf(n), up);
        else if (StartsWith(name, "spk_delay_")) c.SetSpeakerDelayUp(IndexOf(n), up);
        else return false;
        return true;
    }
    if (type == tk::notify::kReturn || type == tk::notify::kKillFocus) {
        if (type == tk::notify::kReturn) LogWriteNarrow("on edit %s DUI_MSGTYPE_RETURN\n", name.c_str());
        else LogWriteNarrow("on %s DUI_MSGTYPE_KILLFOCUS\n", name.c_str());
        if (name == "edit_main_volume") c.SetMainVolumeEdit(EditText(name));
        else if (name == "edit_acc") c.SetAccEdit(EditText(name));
        else if (name == "edit_ch_volume") c.SetChVolumeEdit(c.CurrentChannel(), EditText(name));
        else if (StartsWith(name, "edit_ch_volume_")) c.SetChVolumeEdit(IndexOf(n), EditText(name));
        else if (StartsWith(name, "edit_ch_delay_")) c.SetChDelayEdit(IndexOf(n), EditText(name));
        else if (StartsWith(name, "spk_delay_")) {
            // Committed on Enter only; leaving the edit keeps what it shows.
            if (type == tk::notify::kReturn) c.SetSpeakerDelayEdit(IndexOf(n), EditText(name));
        } else return false;
        return true;
    }
    if (type == tk::notify::kSetFocus) {
        LogWriteNarrow("on %s DUI_MSGTYPE_SETFOCUS\n", name.c_str());
        ShowDelaySliderFor(name, IndexOf(n));
        if (StartsWith(name, "spk_delay_")) {
            LogWriteNarrow("on speaker_%d index %d\n", IndexOf(n), IndexOf(n));
            c.SetSpeakerFocus(IndexOf(n));
            return true;
        }
        if (StartsWith(name, "edit_ch_volume_") || StartsWith(name, "edit_ch_delay_") ||
            StartsWith(name, "slider_ch_volume_") || StartsWith(name, "slider_ch_delay_")) {
            c.SetCurChannelChange(IndexOf(n));
            return true;
        }
        return false;  // band edits: the equalizer's own handling
    }
    if (type == tk::notify::kItemSelect && StartsWith(name, "comb_ch_unit")) {
        LogWriteNarrow("on %s DUI_MSGTYPE_ITEMSELECT\n", name.c_str());
        c.SetDelayUnit(DelayUnitOfItem(Find<tk::Combo>(name), static_cast<int>(n.wparam)));
        return true;
    }
    return false;
}

}  // namespace dvdsp::ui
