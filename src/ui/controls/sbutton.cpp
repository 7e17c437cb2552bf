#include "ui/controls/sbutton.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimerEvent>

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

bool CCircleProgressUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("min"))
        min_ = value.toInt();
    else if (name == QLatin1String("max"))
        max_ = value.toInt();
    else if (name == QLatin1String("value"))
        value_ = value.toInt();
    else if (name == QLatin1String("linewidth"))
        lineWidth_ = value.toInt();
    else if (name == QLatin1String("showtext"))
        showText_ = tk::ParseBool(value);
    else if (name == QLatin1String("indeterminate"))
        SetIndeterminate(tk::ParseBool(value));
    else if (name == QLatin1String("ringcolor"))
        ringColor_ = tk::ParseColor(value);
    else if (name == QLatin1String("arccolor"))
        arcColor_ = tk::ParseColor(value);
    else
        return tk::Control::SetAttribute(name, value);
    update();
    return true;
}

void CCircleProgressUI::SetValue(int value) {
    value_ = std::clamp(value, min_, std::max(min_, max_));
    update();
}

void CCircleProgressUI::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    SetValue(value_);
}

void CCircleProgressUI::SetIndeterminate(bool on) {
    indeterminate_ = on;
    if (on && !timerId_) timerId_ = startTimer(40);
    if (!on && timerId_) {
        killTimer(timerId_);
        timerId_ = 0;
    }
}

void CCircleProgressUI::timerEvent(QTimerEvent* e) {
    if (e->timerId() != timerId_) return;
    spin_ = (spin_ + 12) % 360;
    update();
}

void CCircleProgressUI::paintEvent(QPaintEvent* e) {
    (void)e;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    int lw = std::max(1, tk::Scaled(lineWidth_, Dpi()));
    int side = std::min(width(), height()) - lw;
    QRectF ring((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    p.setPen(QPen(tk::ToQColor(ringColor_), lw));
    p.drawEllipse(ring);
    QPen arc(tk::ToQColor(arcColor_), lw, Qt::SolidLine, Qt::RoundCap);
    p.setPen(arc);
    if (indeterminate_) {
        p.drawArc(ring, (90 - spin_) * 16, -100 * 16);
    } else {
        int span = max_ > min_ ? (value_ - min_) * 360 / (max_ - min_) : 0;
        p.drawArc(ring, 90 * 16, -span * 16);
    }
    if (showText_ && !indeterminate_) {
        int pct = max_ > min_ ? (value_ - min_) * 100 / (max_ - min_) : 0;
        p.setPen(QColor(0xD8, 0xDE, 0xE9));
        p.setFont(font());
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("%1%").arg(pct));
    }
}

}  // namespace dvdsp::ui
