#pragma once
// CCustomEqWnd: twenty further EQ bands of the current channel (its stored bands 11 to
// 30) with their own graph in parametric mode. Per band a frequency, Q and gain edit, a
// gain slider and an enable box; reset to flat and restore to the factory tables the
// opener hands over. Every change is stored and sent at once by the controller's custom
// EQ part; the window shows the values it returns.

#include <string>

#include "core/custom_eq.h"
#include "ui/dialogs/dialog_wnd.h"

namespace dvdsp::core {
class EqualizerManager;
}

namespace dvdsp::ui {

class CCustomEqWnd final : public DialogWnd {
  public:
    CCustomEqWnd(QWidget* owner, core::EqualizerManager& controller, core::CustomEqFactory factory);

    int Channel() const { return mChannel; }
    // Band i's controls as the stored band shows (gain 0 and slider 0 while disabled).
    void FillBand(int i);
    void UpdateEqualizer(int selected);

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    void SetChEqEdit(int i);
    void OnSlider(int i, int value);
    void OnEqEnable(int i);
    void OnStep(const std::string& name, int i, bool up);
    void OnGraph(tk::Control* sender, bool released);
    void MoveFocus(const std::string& name, int i, bool right);
    void FillAll();
    std::string Text(const char* prefix, int i) const;
    void SetEditText(const char* prefix, int i, const QString& text);
    void FocusEdit(const char* prefix, int i);
    core::CustomEqGainRange GainRange(int i) const;

    core::EqualizerManager& mController;
    core::CustomEq& mBands;
    core::CustomEqFactory mFactory;
    int mChannel = 0;
    bool mReady = false;
};

}  // namespace dvdsp::ui
