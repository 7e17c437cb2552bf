// "Setup sheet..." of the scene menu: the note, then the PDF's file dialog or the print
// dialog.
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

#include "base/log.h"
#include "toolkit/language.h"
#include "toolkit/test_seams.h"
#include "ui/dialogs/sheet_note.h"
#include "ui/main/main_wnd.h"
#include "ui/main/sheet_output.h"

namespace dvdsp::ui {

void CMainWnd::RunSetupSheet() {
    LogWriteNarrow("setup sheet\n");
    QString note;
    SheetNoteWnd noteWnd(this, &note);
    const int choice = noteWnd.Run();
    if (choice != SheetNoteWnd::kSave && choice != SheetNoteWnd::kPrint) return;
    const core::sheet::Document doc = WindowSheet(controller_.Model(), note, controller_.DelayUnit());
    if (choice == SheetNoteWnd::kPrint) {
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() == QDialog::Accepted) PrintSheet(doc, printer);
        return;
    }
    QString path = tk::ChooseFile(tk::FileChoice::Save, this, tk::Lang(QStringLiteral("${sheet_title}")),
                                  tk::Lang(QStringLiteral("${sheet_pdf_filter}")));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    std::string why;
    if (!WriteSheetPdf(doc, path.toStdString(), &why)) {
        LogWriteNarrow("setup sheet: %s\n", why.c_str());
        ShowTipsLater(QStringLiteral("${profile_create_error}"));
        return;
    }
    ShowTipsLater(QStringLiteral("${profile_save_ok}"));
}

}  // namespace dvdsp::ui
