// The custom EQ window: filling the band controls, the edits with their steps and focus
// moves, the sliders, the enable boxes, the graph's drags, reset and restore.
#include "ui/custom_eq/custom_eq_wnd.h"

#include <cstdlib>

#include "base/log.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "ui/controls/equalizer.h"
// The link's command queue has a member named like a Qt keyword macro.
#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#include "ui/control_names.h"
#pragma pop_macro("slots")

namespace dvdsp::ui {
namespace {

std::string Numbered(const char* prefix, int i) { return prefix + std::to_string(i); }
bool IsBandEdit(const std::string& name) {
    return StartsWith(name, "eq_freq_") || StartsWith(name, "eq_q_") || StartsWith(name, "eq_gain_");
}
const char* EditPrefix(const std::string& name) {
    if (StartsWith(name, "eq_freq_")) return "eq_freq_";
    if (StartsWith(name, "eq_q_")) return "eq_q_";
    return "eq_gain_";
}
QString GainText(double gain) { return QString::asprintf("%.1f", gain); }

}  // namespace

CCustomEqWnd::CCustomEqWnd(QWidget* owner, core::EqualizerManager& controller, core::CustomEqFactory factory)
    : DialogWnd(owner, QStringLiteral("XML_CUSTOM_EQ"), QStringLiteral("CustomEqWnd")),
      mController(controller),
      mBands(controller.CustomBands()),
      mFactory(factory) {}

void CCustomEqWnd::OnLoaded() {
    mChannel = mController.Model().current.currOutChannel;
    if (auto* graph = Find<UIEqualizer>("equalizer")) graph->SetDragAllDirection(true);
    UpdateEqualizer(-1);
    FillAll();
    mReady = true;
}

std::string CCustomEqWnd::Text(const char* prefix, int i) const {
    auto* e = Find<tk::Edit>(Numbered(prefix, i));
    return e ? e->text().toStdString() : std::string();
}

void CCustomEqWnd::SetEditText(const char* prefix, int i, const QString& text) {
    if (auto* e = Find<tk::Edit>(Numbered(prefix, i))) e->SetText(text);
}

void CCustomEqWnd::FocusEdit(const char* prefix, int i) {
    if (auto* e = Find<tk::Edit>(Numbered(prefix, i))) {
        e->setFocus(Qt::OtherFocusReason);
        e->selectAll();
    }
}

core::CustomEqGainRange CCustomEqWnd::GainRange(int i) const {
    core::CustomEqGainRange r;
    if (tk::Control* s = FindControl(Numbered("eq_slider_", i))) {
        r.sliderMin = s->Minimum();
        r.sliderMax = s->Maximum();
    }
    return r;
}

void CCustomEqWnd::FillBand(int i) {
    const core::EqBand& b = mBands.Band(mChannel, i);
    SetEditText("eq_freq_", i, QString::asprintf("%d", b.freq));
    SetEditText("eq_q_", i, QString::asprintf("%.*f", 2, static_cast<double>(b.q)));
    const double shown = b.enable ? static_cast<double>(b.gain) : 0.0;
    SetEditText("eq_gain_", i, b.enable ? GainText(shown) : QStringLiteral("0.0"));
    if (tk::Control* s = FindControl(Numbered("eq_slider_", i))) s->SetValue(static_cast<int>(std::lround(shown * 10)));
    if (tk::Control* box = FindControl(Numbered("pt_enable_", i))) box->SetSelected(b.gain != 0.0f && b.enable);
}

void CCustomEqWnd::FillAll() {
    for (int i = 0; i < core::kCustomEqBands; ++i) FillBand(i);
}

void CCustomEqWnd::UpdateEqualizer(int selected) {
    LogWriteNarrow("UpdateEqualizer \n");
    auto* graph = Find<UIEqualizer>("equalizer");
    if (!graph) return;
    dsp::ChannelCurve curve;
    mBands.ComputeCurve(mChannel, curve);
    std::vector<BandPoint> bands;
    for (int i = 0; i < core::kCustomEqBands; ++i) {
        BandPoint p = mBands.Band(mChannel, i);
        if (!p.enable) p.gain = 0.0f;
        bands.push_back(p);
    }
    graph->SetBands(bands, selected);
    graph->SetCrossoverMarkers(-1, -1);
    graph->SetCurves({CurveData{curve.frequencies, curve.levels}}, 0, {1});
    LogWriteNarrow("UpdateEqualizer 1 cost time %d ms\n", 0);
}

// ---- Edits, slider, enable box ------------------------------------------------------------

void CCustomEqWnd::SetChEqEdit(int i) {
    const core::CustomEqEdit r =
        mBands.SetChEqEdit(mChannel, i, Text("eq_freq_", i), Text("eq_q_", i), Text("eq_gain_", i), GainRange(i));
    SetEditText("eq_freq_", i, QString::asprintf("%d", r.freq));
    SetEditText("eq_q_", i, QString::asprintf("%.*f", 2, static_cast<double>(r.q)));
    if (r.gainRewritten) SetEditText("eq_gain_", i, GainText(static_cast<double>(r.gain)));
    if (tk::Control* s = FindControl(Numbered("eq_slider_", i)))
        s->SetValue(static_cast<int>(std::lround(static_cast<double>(r.gain) * 10)));
    if (!r.changed) return;
    if (tk::Control* box = FindControl(Numbered("pt_enable_", i))) box->SetSelected(true);
    UpdateEqualizer(i);
}

void CCustomEqWnd::OnSlider(int i, int value) {
    LogWriteNarrow("on eq silder %s valuechanged index %d value %d\n", Numbered("eq_slider_", i).c_str(), i, value);
    SetEditText("eq_gain_", i, GainText(value / 10.0));
    FocusEdit("eq_gain_", i);
    mBands.SetEqSlider(mChannel, i, Text("eq_freq_", i), Text("eq_q_", i), value);
    if (tk::Control* box = FindControl(Numbered("pt_enable_", i))) box->SetSelected(true);
    UpdateEqualizer(i);
}

void CCustomEqWnd::OnEqEnable(int i) {
    tk::Control* slider = FindControl(Numbered("eq_slider_", i));
    const core::CustomEqEnable r = mBands.OnEqEnable(mChannel, i, slider ? slider->Value() : 0);
    if (r != core::CustomEqEnable::Unchanged) {
        FillBand(i);
        UpdateEqualizer(-1);
    } else if (tk::Control* box = FindControl(Numbered("pt_enable_", i))) {
        const core::EqBand& b = mBands.Band(mChannel, i);
        box->SetSelected(b.enable && b.gain != 0.0f);
    }
}

void CCustomEqWnd::OnStep(const std::string& name, int i, bool up) {
    const char* prefix = EditPrefix(name);
    FocusEdit(prefix, i);
    if (StartsWith(name, "eq_freq_")) {
        LogWriteNarrow("SetEqFreqUp index(%d) up(%d)\n", i, up ? 1 : 0);
        int freq = std::atoi(Text("eq_freq_", i).c_str()), next = 0;
        if (!core::CustomEq::FreqStep(freq, up, next)) return;
        SetEditText("eq_freq_", i, QString::asprintf("%d", next));
    } else if (StartsWith(name, "eq_q_")) {
        LogWriteNarrow("SetEqQUp index(%d) up(%d)\n", i, up ? 1 : 0);
        double next = 0;
        if (!core::CustomEq::QStep(std::atof(Text("eq_q_", i).c_str()), up, next)) return;
        SetEditText("eq_q_", i, QString::asprintf("%.*f", 2, next));
    } else {
        LogWriteNarrow("SetEqGainUp index(%d) up(%d)\n", i, up ? 1 : 0);
        double next = 0;
        if (!core::CustomEq::GainStep(std::atof(Text("eq_gain_", i).c_str()), up, GainRange(i), next)) return;
        SetEditText("eq_gain_", i, GainText(next));
    }
    SetChEqEdit(i);
}

void CCustomEqWnd::OnGraph(tk::Control* sender, bool released) {
    auto* graph = dynamic_cast<UIEqualizer*>(sender);
    if (!graph) return;
    const int i = graph->UserData().toInt();
    LogWriteNarrow("on DUI_MSGTYPE_EQUALIZERCHANGED index %d\n", i);
    if (i < 0 || i >= core::kCustomEqBands || i >= graph->BandCount()) return;
    const BandPoint& b = graph->BandAt(i);
    if (!mBands.EqualizerCallback(mChannel, i, b.freq, b.q, b.gain, released)) return;
    FillAll();
    if (tk::Control* box = FindControl(Numbered("pt_enable_", i))) box->SetSelected(b.gain != 0.0f);
    UpdateEqualizer(i);
    FocusEdit("eq_gain_", i);
}

void CCustomEqWnd::MoveFocus(const std::string& name, int i, bool right) {
    LogWriteNarrow(right ? "on edit %s DUI_MSGTYPE_VALUECHANGED_RIGHT\n" : "on edit %s DUI_MSGTYPE_VALUECHANGED_LEFT\n",
                   name.c_str());
    const int n = core::kCustomEqBands;
    FocusEdit(EditPrefix(name), ((right ? i + 1 : i - 1) + n) % n);
}

bool CCustomEqWnd::OnNotify(tk::TNotify& n) {
    if (!mReady) return true;
    const std::string& name = n.name;
    const std::string& type = n.type;
    LogWriteNarrow("Notify %s\n", type.c_str());
    const int i = n.sender ? n.sender->UserDataInt() : -1;
    const bool band = i >= 0 && i < core::kCustomEqBands;
    if (type == "equalizer_eq" || type == "equalizer_eq_release") {
        OnGraph(n.sender, type == "equalizer_eq_release");
        return true;
    }
    if (type == tk::notify::kClick) {
        if (name == "btn_reset_eq" || name == "btn_reset_custom_eq") {
            const bool done = name == "btn_reset_eq" ? mBands.SetOutputEqReset(mChannel)
                                                     : mBands.SetOutputEqRestore(mChannel, mFactory);
            if (done) {
                FillAll();
                UpdateEqualizer(-1);
            }
            return true;
        }
        return StartsWith(name, "pt_enable_");  // handled when the state changed
    }
    if (type == tk::notify::kSelectChanged && StartsWith(name, "pt_enable_") && band) {
        OnEqEnable(i);
        return true;
    }
    if ((type == tk::notify::kValueChanged || type == tk::notify::kMoveValueChanged) &&
        StartsWith(name, "eq_slider_") && band) {
        OnSlider(i, n.sender->Value());
        return true;
    }
    if (!IsBandEdit(name) || !band) return false;
    if (type == tk::notify::kValueChangedUp || type == tk::notify::kValueChangedDown) {
        OnStep(name, i, type == tk::notify::kValueChangedUp);
    } else if (type == tk::notify::kValueChangedLeft || type == tk::notify::kValueChangedRight) {
        MoveFocus(name, i, type == tk::notify::kValueChangedRight);
    } else if (type == tk::notify::kReturn || type == tk::notify::kKillFocus) {
        LogWriteNarrow(type == tk::notify::kReturn ? "on edit %s DUI_MSGTYPE_RETURN\n" : "on %s DUI_MSGTYPE_KILLFOCUS\n",
                       name.c_str());
        LogWriteNarrow("on eq %s killfocus index %d\n", name.c_str(), i);
        SetChEqEdit(i);
    } else if (type == tk::notify::kSetFocus) {
        LogWriteNarrow("on %s DUI_MSGTYPE_SETFOCUS\n", name.c_str());
        LogWriteNarrow("on eq %s setfocus index %d\n", name.c_str(), i);
        UpdateEqualizer(i);
    }
    return true;
}

}  // namespace dvdsp::ui
