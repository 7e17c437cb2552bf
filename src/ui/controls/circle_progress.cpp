#include "ui/controls/circle_progress.h"

#include <QPainter>
#include <algorithm>

#include "toolkit/scale.h"

namespace dvdsp::ui {
namespace {
constexpr uint32_t kDefaultBkColor = 0xFF2A3342;
}

CCircleProgressUI::CCircleProgressUI(QWidget* parent) : QWidget(parent), tk::Control(this) {
    SetBkColor(kDefaultBkColor);
}

bool CCircleProgressUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("min"))
        SetRange(value.toInt(), max_);
    else if (name == QLatin1String("max"))
        SetRange(min_, value.toInt());
    else if (name == QLatin1String("value"))
        SetValue(value.toInt());
    else if (name == QLatin1String("forecolor"))
        SetForeColor(tk::ParseColor(value));
    else
        return tk::Control::SetAttribute(name, value);
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

void CCircleProgressUI::SetForeColor(uint32_t argb) {
    foreColor_ = argb;
    update();
}

double CCircleProgressUI::SweepDegrees() const {
    if (max_ == min_) return 0;
    return static_cast<double>(value_) / (max_ - min_) * 360.0;
}

void CCircleProgressUI::paintEvent(QPaintEvent* e) {
    (void)e;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    QRectF whole(rect());
    p.setBrush(tk::ToQColor(BkColor()));
    p.drawEllipse(whole);
    p.setBrush(tk::ToQColor(foreColor_));
    // Qt counts angles anticlockwise from three o'clock in sixteenths of a degree.
    p.drawPie(whole, -90 * 16, -static_cast<int>(SweepDegrees() * 16));
    int inset = tk::Scaled(10, Dpi());
    p.setBrush(Qt::white);
    p.drawEllipse(whole.adjusted(inset, inset, -inset, -inset));
}

}  // namespace dvdsp::ui
