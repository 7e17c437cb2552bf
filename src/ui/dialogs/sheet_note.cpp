#include "ui/dialogs/sheet_note.h"

#include "toolkit/edit.h"
#include "toolkit/notify.h"

namespace dvdsp::ui {

SheetNoteWnd::SheetNoteWnd(QWidget* parent, QString* note)
    : DialogWnd(parent, QStringLiteral("XML_SHEET_NOTE"), QStringLiteral("SheetNoteWnd")), note_(note) {}

void SheetNoteWnd::OnLoaded() {
    if (auto* edit = Find<tk::Edit>("sheet_note_edt")) {
        // The note is the person's own text, shown as typed (no language keys).
        edit->setText(note_ ? *note_ : QString());
        edit->setFocus();
    }
}

bool SheetNoteWnd::OnNotify(tk::TNotify& n) {
    if (n.type != tk::notify::kClick || (n.name != "confirm_btn" && n.name != "third_btn")) return false;
    if (auto* edit = Find<tk::Edit>("sheet_note_edt"); edit && note_) *note_ = edit->text().trimmed();
    Close(n.name == "confirm_btn" ? kSave : kPrint);
    return true;
}

}  // namespace dvdsp::ui
