#pragma once
// The power-off delay window (class "PowerOffDelayWnd", layout "XML_POWEROFF_DELAY"):
// the delay in ms with which the unit powers off, in "value_edt" ("%d ms") and on
// "slider_poweroff_delay"; each accepted value is stored and sent at once.

#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#pragma pop_macro("slots")
#include "ui/dialogs/dialog_wnd.h"
#include "ui/processing/processing_windows.h"

namespace dvdsp::ui {

class CPowerOffDelayWnd final : public DialogWnd, public ProcessingView {
  public:
    CPowerOffDelayWnd(QWidget* owner, core::EqualizerManager& controller);
    void OnModelChange(const core::Change& change) override;

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    int EditValue() const;
    // `fromSlider`: the slider already shows it.
    void Accept(int ms, bool fromSlider);

    core::EqualizerManager& mController;
    bool mReady = false;
};

}  // namespace dvdsp::ui
