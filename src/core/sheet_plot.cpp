#include "core/sheet_plot.h"

#include <algorithm>
#include <cmath>

#include "base/limits.h"

namespace dvdsp::core::sheet {

namespace {

constexpr double kFreqTicks[] = {20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};

std::string FreqLabel(double f) {
    if (f >= 1000) return std::to_string(static_cast<int>(f / 1000)) + "k";
    return std::to_string(static_cast<int>(f));
}

}  // namespace

void DrawResponsePlot(Page& page, const PlotFrame& frame, const std::vector<PlotCurve>& curves) {
    const double fMin = limits::kBandFreq.min, fMax = limits::kBandFreq.max;
    const double gMin = frame.gainMin, gMax = frame.gainMax, gStep = frame.gainStep > 0 ? frame.gainStep : 6;
    const double s = frame.size;
    // Room for the gain labels on the left, the frequency labels and the legend below.
    const double left = frame.x + s * 3.6, right = frame.x + frame.w - s * 0.8;
    bool legend = false;
    for (const PlotCurve& c : curves) legend = legend || !c.label.empty();
    const double top = frame.y + s * 2.0, bottom = frame.y + frame.h - s * (legend ? 5.0 : 3.4);
    const auto X = [&](double f) {
        return left + (std::log10(f) - std::log10(fMin)) / (std::log10(fMax) - std::log10(fMin)) * (right - left);
    };
    const auto Y = [&](double g) { return top + (gMax - std::clamp(g, gMin, gMax)) / (gMax - gMin) * (bottom - top); };

    page.boxes.push_back({left, top, right - left, bottom - top, true, frame.background, 0.8, 0x404A58});
    const auto text = [&](double x, double y, double w, const std::string& t, Align a, bool bold = false) {
        page.texts.push_back({x, y, w, s, bold, a, 0x303844, t});
    };
    for (double f : kFreqTicks) {
        if (f > fMin && f < fMax) page.lines.push_back({{{X(f), top}, {X(f), bottom}}, 0.35, 0xC8CED8, false});
        text(X(f) - s * 2, bottom + s * 1.4, s * 4, FreqLabel(f), Align::Center);
    }
    for (double g = gMax; g >= gMin - 1e-9; g -= gStep) {
        if (g < gMax && g > gMin)
            page.lines.push_back({{{left, Y(g)}, {right, Y(g)}}, g == 0 ? 0.7 : 0.35, g == 0 ? 0x8A93A0u : 0xC8CED8u,
                                  false});
        text(frame.x, Y(g) + s * 0.35, left - frame.x - s * 0.4, std::to_string(static_cast<int>(g)), Align::Right);
    }
    // The axis titles: dB above the gain labels, Hz after the frequency labels.
    text(frame.x, top - s * 0.9, left - frame.x - s * 0.4, frame.dbTitle, Align::Right, true);
    text(left, bottom + s * 2.7, right - left, frame.hzTitle, Align::Center, true);

    double legendX = left;
    for (const PlotCurve& c : curves) {
        Polyline line{{}, c.width, c.rgb, c.dashed};
        const size_t n = std::min(c.frequencies->size(), c.levels->size());
        for (size_t k = 0; k < n; ++k) {
            const double f = (*c.frequencies)[k];
            if (f < fMin || f > fMax) continue;
            line.points.push_back({X(f), Y((*c.levels)[k])});
        }
        page.lines.push_back(std::move(line));
        if (!c.label.empty()) {
            const double y = bottom + s * 4.4;
            page.lines.push_back({{{legendX, y - s * 0.35}, {legendX + s * 2.5, y - s * 0.35}}, c.width, c.rgb, c.dashed});
            const double w = EstimatedWidth(c.label, s) + s;
            text(legendX + s * 3, y, w, c.label, Align::Left);
            legendX += s * 4 + w;
        }
    }
}

}  // namespace dvdsp::core::sheet
