#pragma once
// The setup sheet in the window: its content (core/setup_sheet.h) in the current
// language, drawn by Qt's painter into a PDF (Qt's PDF writer) or on a printer (Qt Print
// Support).

#include <QString>
#include <string>

#include "core/setup_sheet.h"

class QPainter;
class QPrinter;

namespace dvdsp::ui {

// The sheet of the model's live settings, in the current language, on the locale's paper.
core::sheet::Document WindowSheet(const core::UnitModel& model, const QString& note, int delayUnit);
// One page drawn in points (the painter's units are points).
void PaintSheetPage(QPainter& painter, const core::sheet::Page& page);
// The PDF file's bytes.
QByteArray SheetPdf(const core::sheet::Document& doc);
// Writes the PDF in one step (platform::WriteFileAtomically); false with the reason.
bool WriteSheetPdf(const core::sheet::Document& doc, const std::string& path, std::string* error);
// Draws every page on the printer, scaled from points to its resolution.
void PrintSheet(const core::sheet::Document& doc, QPrinter& printer);

}  // namespace dvdsp::ui
