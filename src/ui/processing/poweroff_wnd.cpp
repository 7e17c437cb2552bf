#include "ui/processing/poweroff_wnd.h"

#include "base/log.h"
#include "base/limits.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "ui/processing/proc_common.h"

namespace dvdsp::ui {

CPowerOffDelayWnd::CPowerOffDelayWnd(QWidget* owner, core::EqualizerManager& controller)
    : DialogWnd(owner, QStringLiteral("XML_POWEROFF_DELAY"), QStringLiteral("PowerOffDelayWnd")),
      mController(controller) {}

void CPowerOffDelayWnd::OnLoaded() {
    const int stored = mController.PowerOffDelay();
    if (tk::Control* e = FindControl("value_edt")) e->SetText(proc::Format("%d ms", stored));
    if (tk::Control* s = FindControl("slider_poweroff_delay")) s->SetValue(stored);
    mReady = true;
    // What the unit holds now replaces what the controller last knew.
    mController.ReadPowerOffDelay();
}

int CPowerOffDelayWnd::EditValue() const {
    auto* e = Find<tk::Edit>("value_edt");
    return e ? proc::ParseInteger(e->text()) : 0;
}

void CPowerOffDelayWnd::Accept(int ms, bool fromSlider) {
    // The slider's own range bounds a value from it; the rest is held to the unit's range.
    const int v = fromSlider ? ms : static_cast<int>(limits::kPowerOffDelay.Clamp(ms));
    LogWriteNarrow("on power off delay change to %d ms\n", v);
    if (tk::Control* e = FindControl("value_edt")) e->SetText(proc::Format("%d ms", v));
    mController.SetPowerOffDelay(v);
    if (!fromSlider)
        if (tk::Control* s = FindControl("slider_poweroff_delay")) s->SetValue(v);
}

bool CPowerOffDelayWnd::OnNotify(tk::TNotify& n) {
    if (!mReady) return false;
    const std::string& type = n.type;
    if (type == tk::notify::kClick) {
        if (n.name == "confirm_btn") Accept(EditValue(), false);
        return false;  // the common buttons close
    }
    if (n.name == "slider_poweroff_delay" &&
        (type == tk::notify::kValueChanged || type == tk::notify::kMoveValueChanged)) {
        if (n.sender) Accept(n.sender->Value(), true);
        return true;
    }
    if (n.name != "value_edt") return false;
    if (type == tk::notify::kValueChangedUp || type == tk::notify::kValueChangedDown) {
        Accept(EditValue() + (type == tk::notify::kValueChangedUp ? 1 : -1), false);
        return true;
    }
    if (type == tk::notify::kReturn) {
        Accept(EditValue(), false);
        return true;
    }
    return false;
}

void CPowerOffDelayWnd::OnModelChange(const core::Change& change) {
    if (!mReady || change.what != core::What::PowerOffDelay) return;
    const int stored = mController.PowerOffDelay();
    if (tk::Control* e = FindControl("value_edt")) e->SetText(proc::Format("%d ms", stored));
    if (tk::Control* s = FindControl("slider_poweroff_delay")) s->SetValue(stored);
}

}  // namespace dvdsp::ui
