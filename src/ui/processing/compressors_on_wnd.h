#pragma once
// CCompressorsOnWnd ("XML_COMPRESSORS_ON"): the ten channels side by side, each with its
// compressor on/off box and its threshold, attack and release (slider and edit). The
// edits form a grid of 3 rows by 10 columns for the cursor keys. Every change is stored
// in the controller and sent at once.

#include <string>

#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#pragma pop_macro("slots")
#include "ui/dialogs/dialog_wnd.h"
#include "ui/processing/processing_windows.h"

namespace dvdsp::ui {

class CCompressorsOnWnd final : public DialogWnd, public ProcessingView {
  public:
    CCompressorsOnWnd(QWidget* owner, core::EqualizerManager& controller);
    void OnModelChange(const core::Change& change) override;

    enum Param { kThreshold, kAttack, kRelease, kParams };
    static std::string EditName(int p, int c);
    static std::string SliderName(int p, int c);

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    void ShowValue(int p, int c);
    void OnSliderChanged(int p, int c, int position);
    void OnStep(int p, int c, bool up);
    void OnEditCommitted(int p, int c);
    void Store(int p, int c, double value);
    double ValueOf(int p, int c) const;
    void MoveFocus(int p, int c, bool right);

    core::EqualizerManager& mController;
    bool mReady = false;
    // While the window stores a value itself: what it shows already says so.
    bool mStoring = false;
};

}  // namespace dvdsp::ui
