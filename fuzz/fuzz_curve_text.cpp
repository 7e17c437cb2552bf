// Fuzz target for measured curves (core/measurement.h): measurements, calibrations and
// targets of every format. A refusal names a line of the input (or 0, the file) and keeps
// nothing; a curve taken has two points at least, rising frequencies above 0 and finite
// levels; smoothed, aligned and predicted on the grid it stays finite inside its range.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/response_overlay.h"

using namespace dvdsp;
using namespace dvdsp::core;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int lines = 1;
    for (size_t i = 0; i < text.size(); ++i)
        lines += text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
    const CurveRead r = ParseCurveText(text);
    if (!r.ok) {
        Check(r.line >= 0 && r.line <= lines && !r.error.empty() && r.curve.frequencies.empty());
        return 0;
    }
    const MeasuredCurve& c = r.curve;
    Check(c.frequencies.size() >= 2 && c.levels.size() == c.frequencies.size() &&
          (c.phases.empty() || c.phases.size() == c.frequencies.size()));
    for (size_t i = 0; i < c.frequencies.size(); ++i)
        Check(std::isfinite(c.frequencies[i]) && c.frequencies[i] > 0 && std::isfinite(c.levels[i]) && std::fabs(c.levels[i]) <= kMaxCurveLevelDb &&
              (i == 0 || c.frequencies[i] > c.frequencies[i - 1]));
    if (c.frequencies.size() > 2000) return 0;  // the grid is the slow part
    ChannelOverlay o;
    o.measurement = c;
    o.calibration = c;
    o.targetFile = c;
    o.smoothing = 6;
    const OverlayTraces t = ComputeOverlayTraces(SceneState(), 0, &o);
    const auto& grid = dsp::StandardPhaseGrid().Frequencies();
    for (size_t i = 0; i < grid.size(); ++i)
        if (grid[i] >= c.frequencies.front() && grid[i] <= c.frequencies.back())
            Check(!std::isnan(t.measured[i]) && !std::isnan(t.target[i]));
    return 0;
}
