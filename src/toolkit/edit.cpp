#include "toolkit/edit.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QToolButton>

#include "toolkit/accessible.h"
#include "toolkit/language.h"
#include "toolkit/scale.h"

namespace dvdsp::tk {

Edit::Edit(QWidget* parent) : QLineEdit(parent), Control(this) {
    setFocusPolicy(Qt::StrongFocus);
    InstallAccessibleFactory();
    connect(this, &QLineEdit::textChanged, this, [this] { AnnounceValue(*this); });
}

double Edit::NumericValue() const {
    const QString t = text().trimmed();
    int end = 0;
    while (end < t.size() && (t[end].isDigit() || t[end] == QLatin1Char('.') ||
                              (end == 0 && (t[end] == QLatin1Char('-') || t[end] == QLatin1Char('+')))))
        ++end;
    return t.left(end).toDouble();
}

void Edit::SetByAssistant(double value) {
    setText(QString::number(value));
    Emit(notify::kReturn);
}

bool Edit::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("maxchar"))
        setMaxLength(value.toInt());
    else if (name == QLatin1String("readonly"))
        setReadOnly(ParseBool(value));
    else if (name == QLatin1String("password"))
        setEchoMode(ParseBool(value) ? Password : Normal);
    else if (name == QLatin1String("spin"))
        EnableSpin(ParseBool(value));
    else if (name == QLatin1String("min"))
        min_ = value.toDouble();
    else if (name == QLatin1String("max"))
        max_ = value.toDouble();
    else if (name == QLatin1String("step"))
        step_ = value.toDouble();
    else if (name == QLatin1String("align")) {
        Qt::Alignment a = Qt::AlignVCenter;
        a |= value.contains(QLatin1String("left"))    ? Qt::AlignLeft
             : value.contains(QLatin1String("right")) ? Qt::AlignRight
                                                      : Qt::AlignHCenter;
        setAlignment(a);
    } else {
        return Control::SetAttribute(name, value);
    }
    return true;
}

void Edit::EnableSpin(bool on) {
    if (on == (up_ != nullptr)) return;
    if (!on) {
        delete up_;
        delete down_;
        up_ = down_ = nullptr;
        setTextMargins(0, 0, 0, 0);
        return;
    }
    auto make = [this](Qt::ArrowType arrow, bool up) {
        auto* b = new QToolButton(this);
        b->setArrowType(arrow);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRaise(true);
        b->setObjectName(up ? QStringLiteral("spin_up") : QStringLiteral("spin_down"));
        connect(b, &QToolButton::clicked, this, [this, up] { PressSpin(up); });
        return b;
    };
    up_ = make(Qt::UpArrow, true);
    down_ = make(Qt::DownArrow, false);
    PlaceSpin();
    ApplyLanguage();
    // An interface made before the edit had its arrows is a plain edit's: make it anew.
    if (QAccessibleInterface* old = QAccessible::queryAccessibleInterface(this); old && old->role() != QAccessible::SpinBox)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(old));
}

void Edit::ApplyLanguage() {
    Control::ApplyLanguage();
    if (!up_) return;
    up_->setAccessibleName(Lang(QStringLiteral("${acc_spin_up}")));
    down_->setAccessibleName(Lang(QStringLiteral("${acc_spin_down}")));
}

void Edit::PlaceSpin() {
    if (!up_) return;
    int w = std::max(8, Scaled(12, Dpi()));
    int h = height() / 2;
    up_->setGeometry(width() - w - 1, 1, w, h - 1);
    down_->setGeometry(width() - w - 1, h, w, height() - h - 1);
    setTextMargins(0, 0, w, 0);
}

void Edit::ApplyScale(int dpi) {
    Control::ApplyScale(dpi);
    PlaceSpin();
}

void Edit::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    PlaceSpin();
}

void Edit::PressSpin(bool up) {
    Emit(up ? notify::kValueChangedUp : notify::kValueChangedDown);
}

void Edit::keyPressEvent(QKeyEvent* e) {
    bool plain =
        (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
    switch (e->key()) {
        case Qt::Key_Up:
            Emit(notify::kValueChangedUp);
            return;
        case Qt::Key_Down:
            Emit(notify::kValueChangedDown);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Emit(notify::kReturn);
            return;
        case Qt::Key_Left:
            if (plain && cursorPosition() == 0 && !hasSelectedText()) {
                Emit(notify::kValueChangedLeft);
                return;
            }
            break;
        case Qt::Key_Right:
            if (plain && cursorPosition() == text().size() && !hasSelectedText()) {
                Emit(notify::kValueChangedRight);
                return;
            }
            break;
        default:
            break;
    }
    QLineEdit::keyPressEvent(e);
}

void Edit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if (e->reason() != Qt::PopupFocusReason && e->reason() != Qt::ActiveWindowFocusReason)
        Emit(notify::kSetFocus);
}

void Edit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason) Emit(notify::kKillFocus);
}

}  // namespace dvdsp::tk
