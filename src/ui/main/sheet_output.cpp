#include "ui/main/sheet_output.h"

#include <QBuffer>
#include <QDate>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>

#include "core/channel_format.h"
#include "platform/atomic_file.h"
#include "toolkit/language.h"

namespace dvdsp::ui {

namespace {

QColor Rgb(uint32_t rgb) { return QColor::fromRgb((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

void PaintPages(const core::sheet::Document& doc, QPainter& painter, const std::function<void()>& newPage) {
    for (size_t p = 0; p < doc.pages.size(); ++p) {
        if (p > 0) newPage();
        PaintSheetPage(painter, doc.pages[p]);
    }
}

}  // namespace

core::sheet::Document WindowSheet(const core::UnitModel& model, const QString& note, int delayUnit) {
    core::SheetInfo info;
    info.note = note.toStdString();
    info.date = QDate::currentDate().toString(Qt::ISODate).toStdString();
    info.delayUnit = delayUnit;
    info.letter = core::sheet::LocaleUsesLetter(QLocale::system().name().toStdString());
    const auto lang = [](const std::string& key) {
        return tk::CurrentLanguages().Text(QString::fromStdString(key)).toStdString();
    };
    return core::BuildSetupSheet(model, info, lang);
}

void PaintSheetPage(QPainter& painter, const core::sheet::Page& page) {
    painter.setRenderHint(QPainter::Antialiasing);
    for (const auto& b : page.boxes) {
        const QRectF r(b.x, b.y, b.w, b.h);
        if (b.filled) painter.fillRect(r, Rgb(b.fill));
        if (b.lineWidth > 0) {
            painter.setPen(QPen(Rgb(b.stroke), b.lineWidth));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(r);
        }
    }
    for (const auto& l : page.lines) {
        if (l.points.size() < 2) continue;
        QPainterPath path(QPointF(l.points.front().x, l.points.front().y));
        for (size_t k = 1; k < l.points.size(); ++k) path.lineTo(l.points[k].x, l.points[k].y);
        QPen pen(Rgb(l.rgb), l.width);
        if (l.dashed) pen.setDashPattern({3.0 / l.width, 2.0 / l.width});
        pen.setJoinStyle(Qt::RoundJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }
    for (const auto& t : page.texts) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(t.size);
        font.setBold(t.bold);
        // No ligatures: the PDF's text reads back as it was written ("fi", not one glyph).
        font.setStyleStrategy(QFont::PreferNoShaping);
        const QString text = QString::fromStdString(t.text);
        double w = QFontMetricsF(font, painter.device()).horizontalAdvance(text);
        // Kept inside its width: a text wider than estimated is drawn smaller.
        if (t.width > 0 && w > t.width) {
            font.setPointSizeF(t.size * t.width / w);
            w = t.width;
        }
        double x = t.x;
        if (t.align == core::sheet::Align::Center) x += (t.width - w) / 2;
        else if (t.align == core::sheet::Align::Right) x += t.width - w;
        painter.setFont(font);
        painter.setPen(Rgb(t.rgb));
        painter.drawText(QPointF(x, t.y), text);
    }
}

QByteArray SheetPdf(const core::sheet::Document& doc) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QString::fromStdString(doc.title));
        writer.setCreator(QStringLiteral("dvdsp"));
        writer.setResolution(72);  // one device unit a point
        writer.setPageSize(QPageSize(QSizeF(doc.width, doc.height), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        PaintPages(doc, painter, [&writer] { writer.newPage(); });
    }
    return bytes;
}

bool WriteSheetPdf(const core::sheet::Document& doc, const std::string& path, std::string* error) {
    const QByteArray pdf = SheetPdf(doc);
    return platform::WriteFileAtomically(path, std::string_view(pdf.constData(), static_cast<size_t>(pdf.size())),
                                         error);
}

void PrintSheet(const core::sheet::Document& doc, QPrinter& printer) {
    printer.setDocName(QString::fromStdString(doc.title));
    printer.setFullPage(true);
    QPainter painter(&printer);
    const double scale = printer.resolution() / 72.0;
    painter.scale(scale, scale);
    PaintPages(doc, painter, [&printer] { printer.newPage(); });
}

}  // namespace dvdsp::ui
