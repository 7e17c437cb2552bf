#pragma once
// The response plot as page content: a logarithmic frequency axis (the band frequency's
// range of the table of limits, 20 Hz to 20 kHz), a gain axis (the band gain's range, or
// one given),
// their grid and labels, the axis titles, and the curves as polylines put inside the
// plot. The setup sheet and dvdsp-cli's PNG plot draw it the same way.

#include <string>
#include <vector>

#include "base/limits.h"
#include "core/sheet_layout.h"

namespace dvdsp::core::sheet {

struct PlotCurve {
    const std::vector<double>* frequencies;  // Hz, ascending
    const std::vector<double>* levels;       // dB
    uint32_t rgb = 0x1F5FBF;
    double width = 1.3;
    bool dashed = false;
    std::string label;  // in the legend; empty: none
};

struct PlotFrame {
    double x = 0, y = 0, w = 0, h = 0;  // the whole plot with its labels
    std::string hzTitle = "Hz", dbTitle = "dB";
    double size = 7;  // of the labels
    // The gain axis: the band gain's range unless given, a grid line every `gainStep`.
    double gainMin = limits::kBandGain.min, gainMax = limits::kBandGain.max, gainStep = 6;
    uint32_t background = 0xFFFFFF;
};

void DrawResponsePlot(Page& page, const PlotFrame& frame, const std::vector<PlotCurve>& curves);

}  // namespace dvdsp::core::sheet
