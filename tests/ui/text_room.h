#pragma once
// How much room a control gives its text, as its style lays the text out, and the text it
// shows now: the text-fit tests compare the two.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOption>

namespace uitest {

// The width a control has for its text, as its style lays the text out.
inline int TextRoom(QWidget* w) {
    QStyle* style = w->style();
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        QStyleOptionFrame opt;
        opt.initFrom(e);
        opt.rect = e->rect();
        opt.lineWidth = e->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e) : 0;
        opt.midLineWidth = 0;
        opt.state |= QStyle::State_Sunken;
        const QMargins m = e->textMargins();
        // QLineEdit keeps a further two pixels on each side of its text.
        return style->subElementRect(QStyle::SE_LineEditContents, &opt, e).width() - m.left() - m.right() - 4;
    }
    if (qobject_cast<QCheckBox*>(w)) return w->width() - 20;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.rect = b->rect();
        opt.text = b->text();
        return style->subElementRect(QStyle::SE_PushButtonContents, &opt, b).width();
    }
    if (auto* l = qobject_cast<QLabel*>(w)) return l->contentsRect().width() - 2 * l->margin();
    return -1;
}

inline QString CurrentText(QWidget* w) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap()) return l->text();
    return {};
}

}  // namespace uitest
