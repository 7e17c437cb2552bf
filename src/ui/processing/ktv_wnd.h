#pragma once
// The karaoke window (CKtvWnd, class "KtvWnd", layout "XML_KTV"): nine karaoke values,
// each an edit with its slider (the slider's range is the value's range), and the
// howling suppression switch. Every accepted change is stored and sent at once.

#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#pragma pop_macro("slots")
#include "ui/dialogs/dialog_wnd.h"
#include "ui/processing/processing_windows.h"

namespace dvdsp::ui {

class CKtvWnd final : public DialogWnd, public ProcessingView {
  public:
    CKtvWnd(QWidget* owner, core::EqualizerManager& controller);
    void OnModelChange(const core::Change& change) override;

    // The edited values in the order of keyboard navigation.
    static constexpr int kValues = 9;
    struct Value {
        int code;          // karaoke command code
        const char* name;  // after "edit_" and "slider_"
        const char* format;
    };
    static const Value kValueTable[kValues];

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    static int IndexOf(const std::string& name, const char* prefix);
    void Accept(int i, int value, bool keepFocus);
    void OnSliderChanged(int i, int position);

    core::EqualizerManager& mController;
    bool mReady = false;
};

}  // namespace dvdsp::ui
