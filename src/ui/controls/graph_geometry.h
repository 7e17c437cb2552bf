#pragma once
// Geometry of the EQ graphs: the plot rectangle, the logarithmic frequency axis from
// 20 Hz to 20 kHz, the gain axis, the rectangles placed around a point and the Q read
// from a horizontal distance. Sizes are given at 96 dpi and scaled with tk::Scaled.
// Rectangles are edge rectangles: right and bottom are one past the last pixel.

#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

#include "base/limits.h"

namespace dvdsp::ui::graph {

// The axes span the range of a band.
inline constexpr int kFreqMin = static_cast<int>(limits::kBandFreq.min);
inline constexpr int kFreqMax = static_cast<int>(limits::kBandFreq.max);

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
    bool operator==(const Rect&) const = default;
};

class Axes {
  public:
    Axes() = default;
    Axes(Rect plot, double gainTop, double gainBottom);

    const Rect& Plot() const { return plot_; }
    int Width() const { return plot_.right - plot_.left; }
    int Height() const { return plot_.bottom - plot_.top; }
    double ZeroY() const { return y0_; }
    double GainTop() const { return gainTop_; }
    double GainBottom() const { return gainBottom_; }

    // Exact positions (curves) and the integer positions handles and markers use.
    double XOfF(double freq) const;
    double YOfF(double gain) const;
    int XOf(double freq) const { return static_cast<int>(XOfF(freq)); }
    int YOf(double gain) const { return static_cast<int>(YOfF(gain)); }
    int FreqAt(int x) const;
    float GainAt(int y) const;
    // A mouse position kept inside the plot.
    int ClampX(int x) const;
    int ClampY(int y) const;

  private:
    Rect plot_;
    double gainTop_ = limits::kBandGain.max, gainBottom_ = limits::kBandGain.min;
    double y0_ = 0;
};

// A span of `width` centred on c, moved inside [lo, hi] when c is closer than half of it
// to an end.
void SpanInside(int c, int width, int lo, int hi, int* from, int* to);

// The handle of a band (16 px square), kept inside the plot.
Rect HandleRect(const Axes& axes, int x, int y, int dpi);
// Where the band numbers are written: beside their points, not on them, so that a flat
// curve on the 0 dB line stays visible. A number goes above its point (below it near the
// top), and to the other side when it would run into the previous number, as the last
// bands do where the plot's edge holds them close.
std::vector<Rect> NumberRects(const Axes& axes, const std::vector<QPoint>& points, int dpi);
// The information label (wide: parametric mode) and the Q handles around a band point.
Rect InfoRect(const Axes& axes, int x, int y, bool wide, int dpi);
void QHandleRects(const Axes& axes, int x, int y, float q, int dpi, Rect* lower, Rect* upper);
// The "H" marker sits from -8 dB down, the "L" marker from -11 dB.
Rect MarkerRect(const Axes& axes, int freq, bool lowPass, int dpi);
// Q for a horizontal distance from the band point: 81 px is Q 1, limited to [0.5, 9].
float QForDistance(int distance, int dpi);

// The frequency one step up (dir 1) or down (-1) on the 200-step logarithmic scale of
// the frequency step buttons; the frequency itself at the ends.
int StepFrequency(int freq, int dir);

// "#AARRGGBB #AARRGGBB ...": the colours of a "curvecolor" attribute (commas between the
// colours are read like blanks).
std::vector<uint32_t> ParseCurveColors(const QString& text);

}  // namespace dvdsp::ui::graph
