#include "ui/controls/graph_paths.h"

#include <algorithm>
#include <cmath>

namespace dvdsp::ui::graph {

std::vector<QPointF> CurvePoints(const Axes& axes, const Series& s) {
    constexpr double kLow = kFreqMin - 10, kHigh = kFreqMax + 100;
    std::vector<QPointF> points;
    size_t n = std::min(s.freq.size(), s.level.size());
    points.reserve(n);
    for (size_t k = n; k-- > 0;) {
        double f = s.freq[k];
        if (f < kLow || f > kHigh) continue;
        points.emplace_back(axes.XOfF(f), axes.YOfF(s.level[k]));
    }
    return points;
}

std::vector<QPointF> Smoothed(const Axes& axes, const std::vector<QPointF>& points) {
    std::vector<QPointF> out;
    out.reserve(points.size());
    for (const QPointF& p : points) {
        if (out.empty()) {
            out.push_back(p);
        } else if (p.x() >= axes.Plot().left) {
            out.push_back((p + out.back()) / 2.0);
        } else {
            out.push_back(out.back());
        }
    }
    return out;
}

std::vector<QPointF> Rounded(const std::vector<QPointF>& points) {
    std::vector<QPointF> out;
    out.reserve(points.size());
    for (const QPointF& p : points) out.emplace_back(std::round(p.x()), std::round(p.y()));
    return out;
}

QPainterPath BezierChain(const std::vector<QPointF>& points, size_t count) {
    QPainterPath path;
    count = std::min(count, points.size());
    if (count < 4) return path;
    path.moveTo(points[0]);
    for (size_t i = 1; i + 2 < count; i += 3) path.cubicTo(points[i], points[i + 1], points[i + 2]);
    return path;
}

QPainterPath CardinalSpline(const std::vector<QPointF>& points) {
    constexpr double kTension = 0.5;
    QPainterPath path;
    if (points.empty()) return path;
    path.moveTo(points[0]);
    const size_t n = points.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        const QPointF& prev = points[i == 0 ? 0 : i - 1];
        const QPointF& next = points[std::min(i + 2, n - 1)];
        QPointF c1 = points[i] + (points[i + 1] - prev) * (kTension / 3.0);
        QPointF c2 = points[i + 1] - (next - points[i]) * (kTension / 3.0);
        path.cubicTo(c1, c2, points[i + 1]);
    }
    return path;
}

}  // namespace dvdsp::ui::graph
