#include "ui/controls/graph_geometry.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/log.h"
#include "toolkit/scale.h"

namespace dvdsp::ui::graph {
namespace {

const double kLogMin = std::log10(static_cast<double>(kFreqMin));
const double kLogSpan = std::log10(static_cast<double>(kFreqMax)) - kLogMin;

int Px(int n, int dpi) {
    return tk::Scaled(n, dpi);
}

}  // namespace

Axes::Axes(Rect plot, double gainTop, double gainBottom)
    : plot_(plot), gainTop_(gainTop), gainBottom_(gainBottom) {
    y0_ = plot_.top + Height() * gainTop_ / (gainTop_ - gainBottom_);
}

double Axes::XOfF(double freq) const {
    return plot_.left + Width() * (std::log10(freq) - kLogMin) / kLogSpan;
}

double Axes::YOfF(double gain) const {
    if (gain > 0) return y0_ - std::round((y0_ - plot_.top) * gain) / gainTop_;
    if (gain < 0) return y0_ - std::round((plot_.bottom - y0_) * gain) / -gainBottom_;
    return y0_;
}

int Axes::FreqAt(int x) const {
    if (Width() == 0) return kFreqMin;
    double lg = kLogMin + (x - plot_.left) * kLogSpan / Width();
    return static_cast<int>(std::lround(std::pow(10.0, lg)));
}

float Axes::GainAt(int y) const {
    if (y < y0_ && y0_ > plot_.top)
        return static_cast<float>(gainTop_ * (y0_ - y) / (y0_ - plot_.top));
    if (y > y0_ && plot_.bottom > y0_)
        return static_cast<float>(gainBottom_ * (y - y0_) / (plot_.bottom - y0_));
    return 0.0f;
}

int Axes::ClampX(int x) const {
    return std::clamp(x, plot_.left, std::max(plot_.left, plot_.right));
}

int Axes::ClampY(int y) const {
    return std::clamp(y, plot_.top, std::max(plot_.top, plot_.bottom));
}

void SpanInside(int c, int width, int lo, int hi, int* from, int* to) {
    int half = width / 2;
    if (c < lo + half) {
        *from = lo;
    } else if (c > hi - half) {
        *from = hi - width;
    } else {
        *from = c - half;
    }
    *to = *from + width;
}

Rect HandleRect(const Axes& axes, int x, int y, int dpi) {
    const Rect& p = axes.Plot();
    Rect r;
    SpanInside(x, Px(16, dpi), p.left, p.right, &r.left, &r.right);
    SpanInside(y, Px(16, dpi), p.top, p.bottom, &r.top, &r.bottom);
    return r;
}

std::vector<Rect> NumberRects(const Axes& axes, const std::vector<QPoint>& points, int dpi) {
    const Rect& p = axes.Plot();
    const int gap = Px(3, dpi), height = Px(12, dpi);
    std::vector<Rect> rects;
    bool previousAbove = false;
    for (const QPoint& pt : points) {
        Rect r;
        SpanInside(pt.x(), Px(16, dpi), p.left, p.right, &r.left, &r.right);
        const bool roomAbove = pt.y() - gap - height >= p.top;
        const bool roomBelow = pt.y() + gap + height <= p.bottom;
        bool above = roomAbove || !roomBelow;
        if (!rects.empty()) {
            const Rect& prev = rects.back();
            const bool touches = r.left < prev.right && prev.left < r.right;
            if (touches && above == previousAbove && (above ? roomBelow : roomAbove)) above = !above;
        }
        r.top = above ? pt.y() - gap - height : pt.y() + gap;
        r.bottom = r.top + height;
        previousAbove = above;
        rects.push_back(r);
    }
    return rects;
}

Rect InfoRect(const Axes& axes, int x, int y, bool wide, int dpi) {
    const Rect& p = axes.Plot();
    Rect r;
    SpanInside(x, Px(wide ? 150 : 50, dpi), p.left, p.right, &r.left, &r.right);
    if (y < p.top + Px(14, dpi)) {
        r.top = p.top + Px(22, dpi);
        r.bottom = p.top + Px(37, dpi);
    } else if (y > p.bottom - Px(29, dpi) && y < p.bottom - Px(10, dpi)) {
        r.top = y - Px(29, dpi);
        r.bottom = y - Px(14, dpi);
    } else if (y < p.bottom - Px(10, dpi)) {
        r.top = y + Px(14, dpi);
        r.bottom = y + Px(29, dpi);
    } else {
        r.top = p.bottom - Px(37, dpi);
        r.bottom = p.bottom - Px(22, dpi);
    }
    return r;
}

void QHandleRects(const Axes& axes, int x, int y, float q, int dpi, Rect* lower, Rect* upper) {
    const Rect& p = axes.Plot();
    int top, bottom;
    if (y < p.top + Px(14, dpi)) {
        top = p.top + Px(12, dpi);
        bottom = p.top + Px(20, dpi);
    } else if (y > p.bottom - Px(29, dpi) && y < p.bottom - Px(10, dpi)) {
        top = y - Px(12, dpi);
        bottom = y - Px(4, dpi);
    } else if (y < p.bottom - Px(10, dpi)) {
        top = y + Px(4, dpi);
        bottom = y + Px(12, dpi);
    } else {
        top = p.bottom - Px(20, dpi);
        bottom = p.bottom - Px(12, dpi);
    }
    float limited = static_cast<float>(limits::kBandQ.Clamp(q));
    int d = Px(static_cast<int>(std::lround(81.0f / limited)), dpi);
    int half = Px(4, dpi), side = Px(8, dpi);
    *lower = Rect{x - d - half, top, x - d - half + side, bottom};
    *upper = Rect{x + d - half, top, x + d - half + side, bottom};
}

Rect MarkerRect(const Axes& axes, int freq, bool lowPass, int dpi) {
    const Rect& p = axes.Plot();
    Rect r;
    SpanInside(axes.XOf(freq), Px(14, dpi), p.left, p.right, &r.left, &r.right);
    r.top = axes.YOf(lowPass ? -11.0 : -8.0);
    r.bottom = r.top + Px(10, dpi) + (lowPass ? 2 : 0);
    return r;
}

float QForDistance(int distance, int dpi) {
    LogWriteNarrow("len (%d) \n", distance);
    int d = std::clamp(std::abs(distance), Px(3, dpi), Px(162, dpi));
    LogWriteNarrow("abs len (%d) \n", d);
    float q = static_cast<float>(Px(81, dpi)) / static_cast<float>(d);
    return static_cast<float>(limits::kBandQ.Clamp(q));
}

int StepFrequency(int freq, int dir) {
    constexpr int kSteps = 200;
    auto at = [](int s) {
        return static_cast<int>(std::lround(std::pow(10.0, kLogMin + kLogSpan * s / kSteps)));
    };
    if (freq <= 0) return freq;
    int s = static_cast<int>(
        std::trunc((std::log10(static_cast<double>(freq)) - kLogMin) * kSteps / kLogSpan));
    for (int by = 1; by <= 2; ++by) {
        int next = at(std::clamp(s + dir * by, 0, kSteps));
        if (next != freq) return next;
    }
    return freq;
}

std::vector<uint32_t> ParseCurveColors(const QString& text) {
    QString t = text.trimmed();
    t.replace(QRegularExpression(QStringLiteral("\\s*,\\s*#")), QStringLiteral(" #"));
    if (t.startsWith(QLatin1Char('#'))) t.remove(0, 1);
    std::vector<uint32_t> colors;
    if (t.isEmpty()) return colors;
    for (const QString& piece : t.split(QStringLiteral(" #"))) {
        bool ok = false;
        uint32_t v = piece.trimmed().toUInt(&ok, 16);
        colors.push_back(ok ? v : 0);
    }
    return colors;
}

}  // namespace dvdsp::ui::graph
