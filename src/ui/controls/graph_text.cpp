#include "ui/controls/graph_text.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

#include "toolkit/control.h"
#include "toolkit/scale.h"

namespace dvdsp::ui::graph {

bool ApplyTextAttribute(TextStyle& style, const QString& name, const QString& value) {
    if (name == QLatin1String("align")) {
        if (value == QLatin1String("left"))
            style.hAlign = Qt::AlignLeft;
        else if (value == QLatin1String("right"))
            style.hAlign = Qt::AlignRight;
        else
            style.hAlign = Qt::AlignHCenter;
    } else if (name == QLatin1String("valign")) {
        if (value == QLatin1String("top"))
            style.vAlign = Qt::AlignTop;
        else if (value == QLatin1String("bottom"))
            style.vAlign = Qt::AlignBottom;
        else
            style.vAlign = Qt::AlignVCenter;
    } else if (name == QLatin1String("endellipsis")) {
        style.endEllipsis = tk::ParseBool(value);
    } else if (name == QLatin1String("wordbreak")) {
        style.wordBreak = tk::ParseBool(value);
    } else if (name == QLatin1String("noprefix")) {
        style.noPrefix = tk::ParseBool(value);
    } else if (name == QLatin1String("autocalcwidth")) {
        style.autoCalcWidth = tk::ParseBool(value);
    } else if (name == QLatin1String("textcolor")) {
        style.textColor = tk::ParseColor(value);
    } else if (name == QLatin1String("disabledtextcolor")) {
        style.disabledTextColor = tk::ParseColor(value);
    } else if (name == QLatin1String("textpadding")) {
        QStringList p = value.split(QLatin1Char(','));
        if (p.size() == 4)
            style.padding = QMargins(p[0].trimmed().toInt(), p[1].trimmed().toInt(),
                                     p[2].trimmed().toInt(), p[3].trimmed().toInt());
    } else {
        return false;
    }
    return true;
}

void DrawStyledText(QPainter& p, const QRect& rect, const QString& text, const TextStyle& style,
                    const QColor& color, int dpi) {
    const QMargins& m = style.padding;
    QRect r = rect.adjusted(tk::Scaled(m.left(), dpi), tk::Scaled(m.top(), dpi),
                            -tk::Scaled(m.right(), dpi), -tk::Scaled(m.bottom(), dpi));
    int flags = style.hAlign | style.vAlign;
    flags |= style.wordBreak ? Qt::TextWordWrap : Qt::TextSingleLine;
    if (!style.noPrefix) flags |= Qt::TextShowMnemonic;  // "&x" underlines x, "&&" is "&"
    QString shown = text;
    if (style.endEllipsis && !style.wordBreak)
        shown = QFontMetrics(p.font()).elidedText(shown, Qt::ElideRight, r.width());
    p.setPen(color);
    p.drawText(r, flags, shown);
}

}  // namespace dvdsp::ui::graph
