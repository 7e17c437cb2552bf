#pragma once
// CCompressorWnd ("XML_COMPRESSOR"): the full compressor of the channel that is current
// when the window opens: bypass, threshold, ratio, attack, release and soft knee. Each
// value has a slider (its limits are the layout's) and an edit; every change is stored
// in the controller and sent at once, so any closing button keeps it.

#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#pragma pop_macro("slots")
#include "ui/dialogs/dialog_wnd.h"
#include "ui/processing/processing_windows.h"

namespace dvdsp::ui {

class CCompressorWnd final : public DialogWnd, public ProcessingView {
  public:
    CCompressorWnd(QWidget* owner, core::EqualizerManager& controller);
    void OnModelChange(const core::Change& change) override;

    // The parameters in the order of keyboard navigation.
    enum Param { kThreshold, kRatio, kAttack, kRelease, kSoftKnee, kParams };
    int Channel() const { return mChannel; }

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    void ShowValue(int p);
    // The slider of `p` moved to `position` (by the user or by a step).
    void OnSliderChanged(int p, int position);
    void OnStep(int p, bool up);
    void OnEditCommitted(int p);
    void Store(int p, double value);
    double ValueOf(int p) const;
    static int ParamOf(const std::string& name, const char* prefix);

    core::EqualizerManager& mController;
    int mChannel = 0;
    bool mReady = false;
    // While the window stores a value itself: what it shows already says so.
    bool mStoring = false;
};

}  // namespace dvdsp::ui
