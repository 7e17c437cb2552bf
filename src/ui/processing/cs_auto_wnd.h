#pragma once
// The automatic-setting window ("CSAutoWnd", layout "XML_CS_AUTO"): the unit's 52-byte
// automatic-setting block as eleven option boxes, nine coefficients (slider in hundredths
// and edit) and four combo boxes. Every change rewrites the controller's block and sends
// it whole; "btn_restore_cs_auto" brings back the restored values after a question.

#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#pragma pop_macro("slots")
#include "ui/dialogs/dialog_wnd.h"

namespace dvdsp::ui {

class CSAutoWnd final : public DialogWnd {
  public:
    CSAutoWnd(QWidget* owner, core::EqualizerManager& controller);

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    void ShowBlock();
    void Send();
    void OnSliderChanged(int j, int position);
    void OnStep(int j, bool up);
    void OnReturn(int j);
    void Restore();

    core::EqualizerManager& mController;
    core::AutoSettingBlock mBlock{};
    bool mReady = false;
};

}  // namespace dvdsp::ui
