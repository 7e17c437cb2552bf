#include "ui/processing/cs_auto_wnd.h"

#include <cmath>
#include <cstdio>

#include "base/log.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "ui/control_names.h"
#include "ui/dialogs/message_box.h"
#include "ui/processing/proc_common.h"

namespace dvdsp::ui {
namespace {

constexpr int kScale = 100;  // a coefficient's slider holds hundredths

// The combo boxes and the byte each selects.
struct ComboInfo {
    const char* name;
    const char* label;
    int offset;
};
constexpr ComboInfo kCombos[] = {
    {"combo_mode", "mode", core::kAutoModeOffset},
    {"combo_front", "front", core::kAutoModeOffset + 1},
    {"combo_surround", "surround", core::kAutoModeOffset + 2},
    {"combo_subwoofer", "subwoofer", core::kAutoModeOffset + 3},
};

}  // namespace

CSAutoWnd::CSAutoWnd(QWidget* owner, core::EqualizerManager& controller)
    : DialogWnd(owner, QStringLiteral("XML_CS_AUTO"), QStringLiteral("CSAutoWnd")), mController(controller) {}

void CSAutoWnd::OnLoaded() {
    mBlock = mController.AutoSetting();
    mBlock[0] = static_cast<uint8_t>(mController.Model().current.scene);
    ShowBlock();
    mReady = true;
}

void CSAutoWnd::ShowBlock() {
    for (int k = 0; k < core::kAutoFlags; ++k)
        if (tk::Control* b = FindControl(Indexed("btn_auto_", k)))
            b->SetSelected(mBlock[static_cast<size_t>(core::kAutoFlagOffset + k)] != 0);
    for (int j = 0; j < core::kAutoCoefficients; ++j) {
        const float c = core::AutoCoefficient(mBlock, j);
        if (tk::Control* e = FindControl(Indexed("edit_auto_", j))) e->SetText(proc::Format("%.3f", c));
        if (tk::Control* s = FindControl(Indexed("slider_auto_", j)))
            s->SetValue(static_cast<int>(std::lround(c * kScale)));
    }
    for (const ComboInfo& combo : kCombos)
        if (auto* c = Find<tk::Combo>(combo.name)) c->SelectItem(mBlock[static_cast<size_t>(combo.offset)]);
}

void CSAutoWnd::Send() { mController.SetAutoSetting(mBlock); }

void CSAutoWnd::OnSliderChanged(int j, int position) {
    const double c = position / static_cast<double>(kScale);
    LogWriteNarrow("set auto %d slider to %.3f\n", j, c);
    auto* e = Find<tk::Edit>(Indexed("edit_auto_", j));
    if (e) e->SetText(proc::Format("%.3f", c));
    proc::FocusEdit(e);
    core::SetAutoCoefficient(mBlock, j, static_cast<float>(c));
    Send();
}

void CSAutoWnd::OnStep(int j, bool up) {
    LogWriteNarrow("SetChVolumeUp %d \n", up ? 1 : -1);
    tk::Control* s = FindControl(Indexed("slider_auto_", j));
    if (!s) return;
    if (up ? s->Value() >= s->Maximum() : s->Value() <= s->Minimum()) return;
    const int position = std::clamp(s->Value() + (up ? 1 : -1), s->Minimum(), s->Maximum());
    s->SetValue(position);
    OnSliderChanged(j, position);
}

void CSAutoWnd::OnReturn(int j) {
    auto* e = Find<tk::Edit>(Indexed("edit_auto_", j));
    tk::Control* s = FindControl(Indexed("slider_auto_", j));
    if (!e || !s) return;
    const double typed = proc::ParseDecimal(e->text());
    const double value = std::clamp(typed, s->Minimum() / static_cast<double>(kScale),
                                    s->Maximum() / static_cast<double>(kScale));
    e->SetText(proc::Format("%.3f", value));
    s->SetValue(static_cast<int>(std::lround(value * kScale)));
    core::SetAutoCoefficient(mBlock, j, static_cast<float>(value));
    Send();
}

void CSAutoWnd::Restore() {
    LogWriteNarrow("on %s\n", "CSAutoWnd::RestoreCSAuto");
    const QString captions[3] = {QStringLiteral("${confirm}"), QStringLiteral("${cancel}"), QString()};
    if (ShowMessageBox(this, QStringLiteral("${tips}"), QStringLiteral("${restore_cs_auto}"), captions, 2) !=
        tk::kResultConfirm)
        return;
    mBlock = core::RestoredAutoSetting(mBlock[0]);
    ShowBlock();
    Send();
}

bool CSAutoWnd::OnNotify(tk::TNotify& n) {
    if (!mReady) return false;
    const std::string& name = n.name;
    const std::string& type = n.type;
    if (type == tk::notify::kClick && name == "btn_restore_cs_auto") {
        Restore();
        return true;
    }
    if (type == tk::notify::kSelectChanged && StartsWith(name, "btn_auto_")) {
        int k = -1;
        if (std::sscanf(name.c_str(), "btn_auto_%d", &k) != 1 || k < 0 || k >= core::kAutoFlags) return true;
        const bool on = n.sender && n.sender->IsSelected();
        LogWriteNarrow("on option %s DUI_MSGTYPE_SELECTCHANGED index %d\n", name.c_str(), k);
        LogWriteNarrow("cs auto %d seleted %d\n", k, on ? 1 : 0);
        mBlock[static_cast<size_t>(core::kAutoFlagOffset + k)] = on ? 1 : 0;
        Send();
        return true;
    }
    if (type == tk::notify::kItemSelect) {
        for (const ComboInfo& combo : kCombos) {
            if (name != combo.name) continue;
            auto* c = Find<tk::Combo>(combo.name);
            const int index = c ? c->CurSel() : -1;
            if (index < 0 || index > 255) return true;
            LogWriteNarrow("set combo %s to %s index %d\n", combo.label, c->currentText().toUtf8().constData(), index);
            mBlock[static_cast<size_t>(combo.offset)] = static_cast<uint8_t>(index);
            Send();
            return true;
        }
        return false;
    }
    const bool slider = StartsWith(name, "slider_auto_");
    const bool edit = StartsWith(name, "edit_auto_");
    if (!slider && !edit) return false;
    int j = -1;
    if (std::sscanf(name.c_str(), slider ? "slider_auto_%d" : "edit_auto_%d", &j) != 1 || j < 0 ||
        j >= core::kAutoCoefficients)
        return true;
    if (slider && (type == tk::notify::kValueChanged || type == tk::notify::kMoveValueChanged)) {
        LogWriteNarrow("on cs auto silder %s valuechanged index %d\n", name.c_str(), j);
        if (n.sender) OnSliderChanged(j, n.sender->Value());
        return true;
    }
    if (edit && (type == tk::notify::kValueChangedUp || type == tk::notify::kValueChangedDown)) {
        const bool up = type == tk::notify::kValueChangedUp;
        LogWriteNarrow(up ? "on edit %s DUI_MSGTYPE_VALUECHANGED_UP\n" : "on edit %s DUI_MSGTYPE_VALUECHANGED_DOWN\n",
                       name.c_str());
        OnStep(j, up);
        return true;
    }
    if (edit && type == tk::notify::kReturn) {
        LogWriteNarrow("on edit %s DUI_MSGTYPE_RETURN\n", name.c_str());
        OnReturn(j);
        return true;
    }
    return false;
}

}  // namespace dvdsp::ui
