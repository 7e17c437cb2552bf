#pragma once
// The text style of the EQ graph: the label attributes of a layout ("align", "valign",
// "endellipsis", "wordbreak", "noprefix", "textcolor", "disabledtextcolor",
// "textpadding", "autocalcwidth") and drawing a text with them. Centred both ways on a
// single line unless a layout says otherwise.

#include <QMargins>
#include <QRect>
#include <QString>
#include <cstdint>

class QPainter;
class QColor;

namespace dvdsp::ui::graph {

struct TextStyle {
    int hAlign = 0x0004;  // Qt::AlignHCenter
    int vAlign = 0x0080;  // Qt::AlignVCenter
    bool endEllipsis = false;
    bool wordBreak = false;
    bool noPrefix = false;
    bool autoCalcWidth = false;
    uint32_t textColor = 0, disabledTextColor = 0;
    QMargins padding;  // unscaled, as written
};

// True when `name` is one of the label attributes (the value is then applied).
bool ApplyTextAttribute(TextStyle& style, const QString& name, const QString& value);

// Draws `text` in `rect` (the padding scaled by dpi taken off) in `color`.
void DrawStyledText(QPainter& p, const QRect& rect, const QString& text, const TextStyle& style,
                    const QColor& color, int dpi);

}  // namespace dvdsp::ui::graph
