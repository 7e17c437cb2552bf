#pragma once
// The setup sheet's window ("SheetNoteWnd", layout "XML_SHEET_NOTE"): a note typed in
// "sheet_note_edt", then "confirm_btn" (save as a PDF, 1) or "third_btn" (print, 2).

#include "ui/dialogs/dialog_wnd.h"

namespace dvdsp::ui {

class SheetNoteWnd : public DialogWnd {
  public:
    static constexpr int kSave = 1, kPrint = 2;
    SheetNoteWnd(QWidget* parent, QString* note);

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    QString* note_;
};

}  // namespace dvdsp::ui
