// UIEqualizer: the views other than the levels. Phase and group delay draw on their own
// axis with labelled lines; the sum view draws its curves on the level axis. Each view's
// title and note are written in the plot's upper corners.
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "toolkit/scale.h"
#include "ui/controls/equalizer.h"

namespace dvdsp::ui {
namespace {

constexpr uint32_t kAxisTextColor = 0xFF9AA4B5;
constexpr uint32_t kTitleColor = 0xFFE6EAF0;

QString AxisLabel(double v, const QString& unit) {
    const bool whole = std::fabs(v - std::round(v)) < 1e-9;
    return (whole ? QString::number(static_cast<long long>(std::llround(v))) : QString::number(v, 'g', 3)) + unit;
}

}  // namespace

void UIEqualizer::SetView(GraphView view) {
    if (view == view_) return;
    view_ = view;
    capture_ = kIdle;
    layoutValid_ = false;
    update();
}

void UIEqualizer::SetViewCurves(std::vector<ViewCurve> curves, const ViewAxis& axis, const QString& title,
                                const QString& note) {
    viewCurves_ = std::move(curves);
    axis_ = axis;
    if (!(axis_.top > 0)) axis_.top = 1;
    if (!(axis_.bottom < 0)) axis_.bottom = -1;
    if (!(axis_.tick > 0)) axis_.tick = axis_.top;
    viewTitle_ = title;
    viewNote_ = note;
    update();
}

void UIEqualizer::SetOverlayCurves(std::vector<ViewCurve> curves) {
    overlayCurves_ = std::move(curves);
    update();
}

void UIEqualizer::PaintOverlayCurves(QPainter& p, const graph::Axes& axes) {
    if (overlayCurves_.empty()) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    p.setClipRect(axes.Plot().ToQRect());
    const double scale = Dpi() / static_cast<double>(tk::kBaseDpi);
    const double margin = (limits::kBandGain.max - limits::kBandGain.min) * 0.05;
    for (const ViewCurve& c : overlayCurves_) {
        QPen pen(tk::ToQColor(c.color), c.width * scale);
        if (c.dashed) pen.setStyle(Qt::DashLine);
        p.setPen(pen);
        // Each run of points with values, clamped just outside the plot.
        for (size_t k = 0; k < c.data.freq.size();) {
            CurveData run;
            for (; k < c.data.freq.size() && std::isfinite(c.data.level[k]); ++k) {
                run.freq.push_back(c.data.freq[k]);
                run.level.push_back(std::clamp(c.data.level[k], limits::kBandGain.min - margin, limits::kBandGain.max + margin));
            }
            for (; k < c.data.freq.size() && !std::isfinite(c.data.level[k]); ++k) {
            }
            const std::vector<QPointF> pts = graph::CurvePoints(axes, run);
            if (pts.size() < 2) continue;
            p.drawPolyline(QPolygonF(QList<QPointF>(pts.begin(), pts.end())));
            ++paint_.overlayCurves;
            paint_.overlayColors.push_back(c.color);
        }
    }
    p.restore();
}

void UIEqualizer::PaintViewGrid(QPainter& p, const graph::Axes& axes) {
    const graph::Rect& plot = axes.Plot();
    paint_.axisLabels.clear();
    const QFontMetrics metrics(font());
    const int pad = tk::Scaled(3, Dpi());
    const long first = static_cast<long>(std::ceil(axis_.bottom / axis_.tick));
    const long last = static_cast<long>(std::floor(axis_.top / axis_.tick));
    for (long i = first; i <= last; ++i) {
        const double v = static_cast<double>(i) * axis_.tick;
        const int y = axes.YOf(v);
        p.setPen(QPen(tk::ToQColor(gridColor_), 1, Qt::DotLine));
        if (i != 0) p.drawLine(plot.left, y, plot.right, y);
        const QString label = AxisLabel(v, axis_.unit);
        p.setPen(tk::ToQColor(kAxisTextColor));
        const int top = std::clamp(y - metrics.height(), plot.top, plot.bottom - metrics.height());
        p.drawText(QRect(plot.left + pad, top, metrics.horizontalAdvance(label) + pad, metrics.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, label);
        paint_.axisLabels.push_back(label);
    }
}

void UIEqualizer::PaintViewCurves(QPainter& p, const graph::Axes& axes) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    const double scale = Dpi() / static_cast<double>(tk::kBaseDpi);
    p.setClipRect(axes.Plot().ToQRect());
    for (const ViewCurve& c : viewCurves_) {
        // The values are clamped just outside the plot, so a deep notch runs off its edge.
        CurveData clamped = c.data;
        const double margin = (axis_.top - axis_.bottom) * 0.05;
        const double top = OnlyShows() ? axis_.top : limits::kBandGain.max;
        const double bottom = OnlyShows() ? axis_.bottom : limits::kBandGain.min;
        for (double& v : clamped.level) v = std::clamp(v, bottom - margin, top + margin);
        const std::vector<QPointF> pts = graph::CurvePoints(axes, clamped);
        if (pts.size() < 2) continue;
        // A curve one pixel wide is drawn with a cosmetic pen: the raster engine's fast
        // line path instead of the stroker.
        QPen pen(tk::ToQColor(c.color), c.width * scale);
        pen.setCosmetic(c.width * scale <= 1.0);
        if (c.dashed) pen.setStyle(Qt::DashLine);
        p.setPen(pen);
        p.drawPolyline(QPolygonF(QList<QPointF>(pts.begin(), pts.end())));
        ++paint_.viewCurves;
    }
    p.setClipping(false);
    const graph::Rect& plot = axes.Plot();
    const QFontMetrics metrics(font());
    const int pad = tk::Scaled(4, Dpi());
    // Title and note in the upper right corner, on a backing that keeps them readable over
    // the curves and the band numbers.
    const QString text = viewNote_.isEmpty() ? viewTitle_ : viewTitle_ + QStringLiteral("\n") + viewNote_;
    const QRect room(plot.left, plot.top, plot.right - plot.left - pad, plot.bottom - plot.top);
    QRect box = metrics.boundingRect(room, Qt::AlignRight | Qt::AlignTop, text);
    box.translate(0, pad / 2);
    p.fillRect(box.adjusted(-pad, 0, pad / 2, pad / 2), QColor(0x1A, 0x1F, 0x28, 215));
    p.setPen(tk::ToQColor(kTitleColor));
    p.drawText(box, Qt::AlignRight | Qt::AlignTop, text);
    paint_.title = viewTitle_;
    paint_.note = viewNote_;
    p.restore();
}

}  // namespace dvdsp::ui
