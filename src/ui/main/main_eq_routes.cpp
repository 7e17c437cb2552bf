// The main page's EQ and crossover controls routed by name to the controller: the band
// edits, sliders, enable boxes and their steps, the filter selectors and frequency edits,
// the curve boxes and the graph's drags.
#include "base/log.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "ui/control_names.h"
#include "ui/controls/equalizer.h"
#include "ui/main/main_wnd.h"

namespace dvdsp::ui {
namespace {

bool IsBandEdit(const std::string& name) {
    return StartsWith(name, "eq_freq_") || StartsWith(name, "eq_q_") || StartsWith(name, "eq_gain_");
}

// What the graph's drag notifications stand for: the kind of drag and whether it ended.
bool GraphDrag(const std::string& type, int* kind, bool* released) {
    static const struct {
        const char* type;
        int kind;
        bool released;
    } kDrags[] = {
        {"equalizer_eq", core::kDragBand, false},        {"equalizer_eq_release", core::kDragBand, true},
        {"equalizer_hp", core::kDragHighPass, false},    {"equalizer_hp_release", core::kDragHighPass, true},
        {"equalizer_lp", core::kDragLowPass, false},     {"equalizer_lp_release", core::kDragLowPass, true},
    };
    for (const auto& d : kDrags)
        if (type == d.type) {
            *kind = d.kind;
            *released = d.released;
            return true;
        }
    return false;
}

}  // namespace

std::string CMainWnd::BandEditText(const char* prefix, int band) {
    auto* edit = Find<tk::Edit>(prefix + std::to_string(band));
    return edit ? edit->text().toStdString() : std::string();
}

bool CMainWnd::RouteEqNotify(tk::TNotify& n) {
    core::EqualizerManager& c = controller_;
    const std::string& name = n.name;
    const std::string& type = n.type;
    int kind = 0;
    bool released = false;
    if (GraphDrag(type, &kind, &released)) {
        auto* graph = dynamic_cast<UIEqualizer*>(n.sender);
        if (!graph) return false;
        const int index = graph->UserDataInt();
        core::CurveEdit edit;
        if (index >= 0 && index < graph->BandCount()) {
            const BandPoint& b = graph->BandAt(index);
            edit.gain = b.gain;
            edit.q = b.q;
            edit.freq = b.freq;
            edit.enable = b.enable;
        }
        edit.hpFreq = graph->mHpFreq;
        edit.lpFreq = graph->mLpFreq;
        c.EqualizerCallback(kind == core::kDragBand ? index : -1, kind, released, edit);
        return true;
    }
    if (type == tk::notify::kSelectChanged) {
        // The boxes have taken their new state; the controller's answer shows the final one.
        if (StartsWith(name, "pt_enable_")) {
            LogWriteNarrow("on option %s DUI_MSGTYPE_SELECTCHANGED index %d\n", name.c_str(), IndexOf(n));
            c.OnEqEnable(IndexOf(n));
            return true;
        }
        if (StartsWith(name, "ch_show_")) {
            c.ShowCurve(IndexOf(n), n.sender && n.sender->IsSelected());
            return true;
        }
        return false;
    }
    if (type == tk::notify::kClick && (StartsWith(name, "pt_enable_") || StartsWith(name, "ch_show_")))
        return true;  // handled when the state changed
    if (type == tk::notify::kValueChanged || type == tk::notify::kMoveValueChanged) {
        if (!StartsWith(name, "eq_slider_")) return false;
        const int value = n.sender ? n.sender->Value() : 0;
        LogWriteNarrow("on eq silder %s valuechanged index %d value %d\n", name.c_str(), IndexOf(n), value);
        c.SetEqSlider(IndexOf(n), value);
        return true;
    }
    if (type == tk::notify::kValueChangedUp || type == tk::notify::kValueChangedDown) {
        const bool up = type == tk::notify::kValueChangedUp;
        if (StartsWith(name, "eq_freq_")) c.SetEqFreqUp(IndexOf(n), up);
        else if (StartsWith(name, "eq_gain_")) c.SetEqGainUp(IndexOf(n), up);
        else if (StartsWith(name, "eq_q_")) c.SetEqQUp(IndexOf(n), up);
        else if (name == "hp_freq") c.SetHpFreqUp(up);
        else if (name == "lp_freq") c.SetLpFreqUp(up);
        else return false;
        return true;
    }
    if (type == tk::notify::kReturn || type == tk::notify::kKillFocus) {
        if (IsBandEdit(name)) {
            const int band = IndexOf(n);
            c.SetChEqEdit(band, BandEditText("eq_freq_", band), BandEditText("eq_q_", band),
                          BandEditText("eq_gain_", band));
        } else if (name == "hp_freq") {
            if (auto* e = Find<tk::Edit>(name)) c.SetHpFreqEdit(e->text().toStdString());
        } else if (name == "lp_freq") {
            if (auto* e = Find<tk::Edit>(name)) c.SetLpFreqEdit(e->text().toStdString());
        } else {
            return false;
        }
        return true;
    }
    if (type == tk::notify::kSetFocus && IsBandEdit(name)) {
        LogWriteNarrow("on eq %s setfocus index %d\n", name.c_str(), IndexOf(n));
        c.UpdateEqualizer(IndexOf(n));
        return true;
    }
    if (type == tk::notify::kItemSelect) {
        // The item index of the type and slope selectors is the code itself.
        const int item = static_cast<int>(n.wparam);
        if (name == "hp_type") {
            LogWriteNarrow("on eq hp_type valuechanged index %d\n", item);
            c.SetHpType(item);
        } else if (name == "lp_type") {
            LogWriteNarrow("on eq lp_type valuechanged index %d\n", item);
            c.SetLpType(item);
        } else if (name == "hp_slop") {
            LogWriteNarrow("on eq hp_slop valuechanged index %d\n", item);
            c.SetHpSlope(item);
        } else if (name == "lp_slop") {
            LogWriteNarrow("on eq lp_slop valuechanged index %d\n", item);
            c.SetLpSlope(item);
        } else {
            return false;
        }
        return true;
    }
    return false;
}

}  // namespace dvdsp::ui
