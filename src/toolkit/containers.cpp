#include "toolkit/containers.h"

#include <QBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QStyleOption>

#include "toolkit/scale.h"
#include "toolkit/skin.h"

namespace dvdsp::tk {
namespace {

void PaintBlock(QWidget* w, const Control& c, int round, int borderSize, int dpi) {
    QPainter p(w);
    QStyleOption opt;
    opt.initFrom(w);
    w->style()->drawPrimitive(QStyle::PE_Widget, &opt, &p, w);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF r = QRectF(w->rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    qreal radius = Scaled(round, dpi);
    if (c.BkColor()) {
        QPainterPath path;
        path.addRoundedRect(r, radius, radius);
        p.fillPath(path, ToQColor(c.BkColor()));
    }
    if (!c.BkImage().isEmpty()) {
        QPixmap pix = CurrentSkin().Image(c.BkImage(), dpi);
        if (!pix.isNull()) {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawPixmap(w->rect(), pix);
        }
    }
    if (c.BorderColorValue()) {
        p.setPen(QPen(ToQColor(c.BorderColorValue()), std::max(1, Scaled(borderSize, dpi))));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r, radius, radius);
    }
}

}  // namespace

// ---- Container -----------------------------------------------------------------

Container::Container(QWidget* parent) : QWidget(parent), Control(this) {}

bool Container::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("padding") || name == QLatin1String("inset")) {
        QStringList p = value.split(QLatin1Char(','));
        for (int i = 0; i < 4; ++i)
            padding_[i] = i < p.size() ? p[i].trimmed().toInt() : padding_[0];
    } else if (name == QLatin1String("round")) {
        round_ = value.toInt();
    } else if (name == QLatin1String("bordersize")) {
        borderSize_ = value.toInt();
    } else {
        return Control::SetAttribute(name, value);
    }
    update();
    return true;
}

void Container::AddChild(Control* child) {
    child->Widget()->setParent(this);
}

QList<Control*> Container::Children() const {
    QList<Control*> out;
    for (QObject* o : children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (Control* c = Control::From(w)) out.append(c);
    }
    return out;
}

void Container::ApplyScale(int dpi) {
    Control::ApplyScale(dpi);
    setContentsMargins(Scaled(padding_[0], dpi), Scaled(padding_[1], dpi), Scaled(padding_[2], dpi),
                       Scaled(padding_[3], dpi));
}

void Container::paintEvent(QPaintEvent* e) {
    (void)e;
    PaintBlock(this, *this, round_, borderSize_, Dpi());
}

void Block::paintEvent(QPaintEvent* e) {
    (void)e;
    PaintBlock(this, *this, 0, 1, Dpi());
}

// ---- Box -----------------------------------------------------------------------

Box::Box(bool vertical, QWidget* parent)
    : Container(parent),
      vertical_(vertical),
      layout_(new QBoxLayout(vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
}

bool Box::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("spacing")) {
        spacing_ = value.toInt();
    } else if (name == QLatin1String("childalign")) {
        childAlign_ =
            value.contains(QLatin1String("center")) ? int(Qt::AlignCenter)
            : value.contains(QLatin1String("right")) || value.contains(QLatin1String("bottom"))
                ? int(vertical_ ? Qt::AlignBottom : Qt::AlignRight)
                : 0;
    } else {
        return Container::SetAttribute(name, value);
    }
    return true;
}

void Box::AddChild(Control* child) {
    QWidget* w = child->Widget();
    bool fixedMain = vertical_ ? child->Base().height >= 0 : child->Base().width >= 0;
    bool fixedCross = vertical_ ? child->Base().width >= 0 : child->Base().height >= 0;
    Qt::Alignment align;
    if (fixedCross) align = vertical_ ? Qt::AlignHCenter : Qt::AlignVCenter;
    if (childAlign_) align = Qt::Alignment(childAlign_);
    // Children without a size along the box share the room left.
    layout_->addWidget(w, fixedMain ? 0 : 1, align);
    if (!fixedMain && !fixedCross)
        w->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    else if (!fixedMain)
        w->setSizePolicy(vertical_ ? QSizePolicy::Preferred : QSizePolicy::Expanding,
                         vertical_ ? QSizePolicy::Expanding : QSizePolicy::Preferred);
}

void Box::ApplyScale(int dpi) {
    Container::ApplyScale(dpi);
    layout_->setSpacing(Scaled(spacing_, dpi));
}

// ---- Tabs ----------------------------------------------------------------------

Tabs::Tabs(QWidget* parent) : Container(parent) {}

bool Tabs::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("selectedid")) {
        current_ = value.toInt();
        return true;
    }
    return Container::SetAttribute(name, value);
}

void Tabs::AddChild(Control* child) {
    child->Widget()->setParent(this);
    child->Widget()->setGeometry(contentsRect());
    child->Widget()->setVisible(Count() - 1 == current_);
}

void Tabs::SelectItem(int index) {
    QList<Control*> kids = Children();
    if (index < 0 || index >= kids.size()) return;
    current_ = index;
    for (int i = 0; i < kids.size(); ++i) kids[i]->Widget()->setVisible(i == index);
}

void Tabs::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    for (Control* c : Children()) c->Widget()->setGeometry(contentsRect());
}

}  // namespace dvdsp::tk
