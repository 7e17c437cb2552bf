#pragma once
// Curves of the EQ graphs turned into screen paths: the points from the highest grid
// frequency down to the lowest, the screen-space smoothing of the secondary curves, a
// chain of cubic Bezier segments and a cardinal spline through every point.

#include <QPainterPath>
#include <QPointF>
#include <vector>

#include "ui/controls/graph_geometry.h"

namespace dvdsp::ui::graph {

// A curve as the graphs store it: grid frequencies (Hz) and levels (dB), same length.
struct Series {
    std::vector<double> freq;
    std::vector<double> level;
};

// The screen points of a curve, from the last grid point down to the first, keeping
// those whose frequency lies within [10 Hz, 20100 Hz].
std::vector<QPointF> CurvePoints(const Axes& axes, const Series& s);
// Each point after the first, when it lies right of the plot's left edge, becomes the
// mean of itself and the previous smoothed point; further left it repeats that point.
std::vector<QPointF> Smoothed(const Axes& axes, const std::vector<QPointF>& points);
// Points rounded to whole pixels.
std::vector<QPointF> Rounded(const std::vector<QPointF>& points);
// Cubic Bezier segments through the first `count` points (start, two controls, end,
// two controls, end ...); points that do not make a whole segment are left out.
QPainterPath BezierChain(const std::vector<QPointF>& points, size_t count);
// A cardinal spline (tension 0.5) through every point.
QPainterPath CardinalSpline(const std::vector<QPointF>& points);

}  // namespace dvdsp::ui::graph
