#include "ui/controls/sbutton.h"

#include <QPainter>
#include <QPainterPath>

#include "toolkit/scale.h"
#include "toolkit/skin.h"

namespace dvdsp::ui {

bool CSButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("selectedcolor"))
        selectedColor_ = tk::ParseColor(value);
    else if (name == QLatin1String("normalcolor"))
        normalColor_ = tk::ParseColor(value);
    else if (name == QLatin1String("hotcolor"))
        hotColor_ = tk::ParseColor(value);
    else if (name == QLatin1String("round"))
        round_ = value.toInt();
    else
        return tk::Button::SetAttribute(name, value);
    update();
    return true;
}

void CSButtonUI::paintEvent(QPaintEvent* e) {
    (void)e;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    uint32_t body = IsSelected() ? selectedColor_ : underMouse() ? hotColor_ : normalColor_;
    QColor fill = tk::ToQColor(body);
    if (!isEnabled()) fill = fill.darker(140);
    QPainterPath path;
    qreal r = tk::Scaled(round_, Dpi());
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), r, r);
    p.fillPath(path, fill);
    QRect textRect = rect().adjusted(tk::Scaled(6, Dpi()), 0, -tk::Scaled(6, Dpi()), 0);
    if (!foreImage_.isEmpty()) {
        QPixmap icon = tk::CurrentSkin().Image(foreImage_, Dpi());
        if (!icon.isNull()) {
            int side = std::min(icon.height(), height() - 4);
            QRect ir(textRect.left(), (height() - side) / 2, side, side);
            p.drawPixmap(ir, icon);
            textRect.setLeft(ir.right() + tk::Scaled(4, Dpi()));
        }
    }
    p.setFont(font());
    QColor pen = TextColor() ? tk::ToQColor(TextColor()) : QColor(0xD8, 0xDE, 0xE9);
    if (!isEnabled()) pen = QColor(0x5C, 0x66, 0x76);
    p.setPen(pen);
    p.drawText(textRect, textAlign_, text());
}

}  // namespace dvdsp::ui
