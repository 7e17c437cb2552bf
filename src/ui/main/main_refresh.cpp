#include "ui/main/main_refresh.h"

#include <cmath>

#include "core/channel_format.h"
#include "toolkit/controls.h"
#include "ui/control_names.h"
#include "ui/main/main_wnd.h"

namespace dvdsp::ui {
namespace {

void SetTextOf(CMainWnd& wnd, const std::string& name, const QString& text) {
    if (tk::Control* c = wnd.FindControl(name)) c->SetText(text);
}

void SetValueOf(CMainWnd& wnd, const std::string& name, int value) {
    if (tk::Control* c = wnd.FindControl(name)) c->SetValue(value);
}

// The eight input boxes of a channel show its routing mask for the current source.
void RefreshInputBoxes(CMainWnd& wnd, const core::SceneState& s, int ch) {
    if (s.source < 0 || s.source >= core::kSources) return;
    const int mask = s.inputs[static_cast<size_t>(s.source)][static_cast<size_t>(ch)];
    for (int in = 0; in < core::kInputsPerSource; ++in)
        SetSelectedOf(wnd, "option_ch_in" + std::to_string(in) + "_" + std::to_string(ch), (mask >> in) & 1);
}

QString RoleText(int role) {
    if (role <= 0 || role >= core::kRoleCount) return QStringLiteral("${spk_none}");
    return QStringLiteral("${role_%1}").arg(role);
}

// Each speaker position of the car diagram names the first channel playing it.
void RefreshRoleMarks(CMainWnd& wnd, const core::SceneState& s) {
    for (int r = 1; r < core::kRoleCount; ++r) {
        QString mark;
        for (int c = 0; c < core::kChannels && mark.isEmpty(); ++c)
            if (s.outputs[static_cast<size_t>(c)] == r) mark = QStringLiteral("CH%1").arg(c + 1);
        SetTextOf(wnd, Indexed("spk_con_", r), mark);
    }
}

}  // namespace

void SetOnOffButton(CMainWnd& wnd, const char* name, bool on, const char* onKey, const char* offKey) {
    tk::Control* c = wnd.FindControl(name);
    if (!c) return;
    c->SetText(QString::fromLatin1(on ? onKey : offKey));
    c->SetSelected(on);
    c->SetTextColor(on ? 0xFFFFFFFF : 0xFFFF0000);
}

void RefreshControls(CMainWnd& wnd, const core::UnitModel& model, const core::Change& change, int delayUnit) {
    using core::What;
    const core::SceneState& s = model.current;
    const int ch = change.channel;
    const bool channelOk = ch >= 0 && ch < core::kChannels;
    switch (change.what) {
    case What::Source:
        if (auto* combo = wnd.Find<tk::Combo>("btn_input_source")) {
            combo->SelectItem(s.source);
            // The list marks the source in use.
            for (int i = 0; i < combo->ItemCount(); ++i)
                combo->SetItemImage(i, i == s.source ? QStringLiteral("images/source_select.png")
                                                     : QStringLiteral("images/source_normal.png"));
        }
        for (int c = 0; c < core::kChannels; ++c) RefreshInputBoxes(wnd, s, c);
        break;
    case What::Role:
        if (!channelOk) break;
        SetTextOf(wnd, Indexed("ch_output_btn_", ch), RoleText(s.outputs[ch]));
        RefreshRoleMarks(wnd, s);
        break;
    case What::Link:
    case What::Lock:
        SetSelectedOf(wnd, "btn_lock_output", s.lockMode != 0);
        SetSelectedOf(wnd, "btn_link_output", s.linkMode != 0);
        // Speaker roles change only while unlocked, delay-link groups only while not linked.
        for (int c = 0; c < core::kChannels; ++c) {
            if (tk::Control* btn = wnd.FindControl(Indexed("ch_output_btn_", c))) btn->SetEnabled(s.lockMode == 0);
            if (tk::Control* btn = wnd.FindControl(Indexed("delay_link_", c))) btn->SetEnabled(s.linkMode == 0);
        }
        break;
    case What::Bridge:
        // One pair, or all of them (-1).
        for (int p = 0; p < core::kBridgePairs; ++p) {
            if (ch >= 0 && p != ch) continue;
            SetSelectedOf(wnd, Indexed("ch_bridge_", p), s.bridge[p] != 0);
            SetSelectedOf(wnd, Indexed("bridge_checkbox_", p), s.bridge[p] != 0);
        }
        break;
    case What::Routing:
        if (channelOk && (change.source < 0 || change.source == s.source)) RefreshInputBoxes(wnd, s, ch);
        break;
    case What::MainVolume:
        SetValueOf(wnd, "slider_main_volume", s.mainVolume);
        SetTextOf(wnd, "edit_main_volume", QString::fromStdString(core::MainVolumeText(s.mainVolume)));
        break;
    case What::MainMute: SetSelectedOf(wnd, "main_mute", s.mainMute != 0); break;
    case What::Acc:
        SetValueOf(wnd, "slider_acc", s.acc);
        if (tk::Control* slider = wnd.FindControl("slider_acc"))
            SetTextOf(wnd, "edit_acc",
                      slider->Value() <= slider->Minimum() ? QStringLiteral("${off}") : QString::number(s.acc));
        break;
    case What::Trim:
        if (!channelOk) break;
    {
        const int tenths = core::TrimTenths(s.channels[ch].gain);
        tk::Control* slider = wnd.FindControl(Indexed("slider_ch_volume_", ch));
        if (slider) slider->SetValue(tenths);
        const bool atMinimum = slider && slider->Maximum() >= slider->Minimum() && tenths <= slider->Minimum();
        const QString text = QString::fromStdString(core::TrimText(s.channels[ch].gain, atMinimum));
        SetTextOf(wnd, Indexed("edit_ch_volume_", ch), text);
        if (ch == s.currOutChannel) {
            // The graph panel's controls show the current channel.
            SetValueOf(wnd, "slider_ch_volume", tenths);
            SetTextOf(wnd, "edit_ch_volume", text);
        }
        break;
    }
    case What::DelayUnit:
        for (int c = 0; c < core::kChannels; ++c) RefreshControls(wnd, model, {What::Delay, 0, c}, delayUnit);
        break;
    case What::Delay: {
        if (!channelOk) break;
        const float ms = s.channels[ch].delay;
        SetValueOf(wnd, Indexed("slider_ch_delay_", ch), static_cast<int>(std::lround(ms * 1000.0f)));
        SetTextOf(wnd, Indexed("edit_ch_delay_", ch), QString::fromStdString(core::DelayText(ms, delayUnit)));
        SetTextOf(wnd, Indexed("delay_lable_", ch),
                  QString::fromLatin1(delayUnit == core::kDelayCm ? "cm" : delayUnit == core::kDelayInch ? "in" : "ms"));
        // The car diagram shows the delay of the first channel holding each role.
        const int role = s.outputs[ch];
        bool first = role >= 1 && role < core::kRoleCount;
        for (int c = 0; first && c < ch; ++c) first = s.outputs[c] != role;
        if (first) SetTextOf(wnd, Indexed("spk_delay_", role), QString::fromStdString(core::DelayText(ms, delayUnit, true)));
        break;
    }
    case What::ChannelMute:
        if (channelOk) SetSelectedOf(wnd, Indexed("ch_mute_", ch), s.channels[ch].mute != 0);
        if (channelOk && ch == s.currOutChannel) SetSelectedOf(wnd, "ch_mute", s.channels[ch].mute != 0);
        break;
    case What::Phase:
        if (channelOk) SetSelectedOf(wnd, Indexed("ch_phase_", ch), s.channels[ch].phase != 0);
        if (channelOk && ch == s.currOutChannel) {
            SetSelectedOf(wnd, "ch_phase", s.channels[ch].phase != 0);
            SetTextOf(wnd, "ch_phase",
                      s.channels[ch].phase ? QStringLiteral("${reverse phase}") : QStringLiteral("${positive_phase}"));
        }
        break;
    case What::Solo:
        if (channelOk) SetSelectedOf(wnd, Indexed("ch_solo_", ch), s.channels[ch].solo != 0);
        break;
    case What::AmpOn: SetOnOffButton(wnd, "btn_amp_onoff", s.ampOn != 0, "${amp_on}", "${amp_off}"); break;
    case What::RemoteOut:
        SetOnOffButton(wnd, "btn_rem_out1_onoff", s.remOut1 != 0, "${rem_out1_on}", "${rem_out1_off}");
        SetOnOffButton(wnd, "btn_rem_out2_onoff", s.remOut2 != 0, "${rem_out2_on}", "${rem_out2_off}");
        break;
    case What::SpeakerOhm: SetOnOffButton(wnd, "btn_2ohm_spk", s.twoOhm != 0, "${btn_2ohm_spk}", "${btn_4ohm_spk}"); break;
    case What::NoiseGate:
        SetOnOffButton(wnd, "btn_noise_gate", s.noiseGate != 0, "${btn_noise_gate_on}", "${btn_noise_gate_off}");
        break;
    default:
        // The controls of the other values come with their editing.
        RefreshPageState(wnd, model, change);
        break;
    }
}

}  // namespace dvdsp::ui
