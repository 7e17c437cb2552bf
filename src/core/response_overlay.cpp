#include "core/response_overlay.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace dvdsp::core {
namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

bool InsideCurve(const MeasuredCurve& c, double hz) {
    return !c.frequencies.empty() && hz >= c.frequencies.front() && hz <= c.frequencies.back();
}

// The phase (degrees) unwrapped point to point, so that it can be read between points.
std::vector<double> UnwrappedDegrees(const std::vector<double>& phases) {
    std::vector<double> out = phases;
    for (size_t i = 1; i < out.size(); ++i) {
        double d = out[i] - out[i - 1];
        d -= 360.0 * std::round(d / 360.0);
        out[i] = out[i - 1] + d;
    }
    return out;
}

MeasuredCurve TargetOnGrid(const BuiltinTarget& t, const std::vector<double>& grid) {
    MeasuredCurve c;
    c.frequencies = grid;
    for (double f : grid) c.levels.push_back(BuiltinTargetDb(t, f));
    return c;
}

}  // namespace

bool ParseSmoothing(std::string_view text, int& fraction) {
    if (text == "none" || text == "0") {
        fraction = 0;
        return true;
    }
    for (int n : {3, 6, 12, 24})
        if (text == "1/" + std::to_string(n)) {
            fraction = n;
            return true;
        }
    return false;
}

std::string SmoothingName(int fraction) { return fraction == 0 ? "none" : "1/" + std::to_string(fraction); }

std::vector<double> SmoothLevels(const std::vector<double>& f, const std::vector<double>& levels, int fraction) {
    if (fraction <= 0 || f.size() < 2) return levels;
    const double half = std::pow(2.0, 0.5 / fraction);
    std::vector<double> prefix(levels.size() + 1, 0.0);
    for (size_t i = 0; i < levels.size(); ++i) prefix[i + 1] = prefix[i] + levels[i];
    std::vector<double> out(levels.size());
    size_t lo = 0, hi = 0;  // the window is [lo, hi)
    for (size_t i = 0; i < f.size(); ++i) {
        while (f[lo] < f[i] / half) ++lo;
        if (hi < i + 1) hi = i + 1;
        while (hi < f.size() && f[hi] <= f[i] * half) ++hi;
        out[i] = (prefix[hi] - prefix[lo]) / static_cast<double>(hi - lo);
    }
    return out;
}

double AlignmentOffsetDb(const MeasuredCurve& c, const LevelAlignment& a) {
    if (a.spanHighHz > a.spanLowHz) {
        double sum = 0.0;
        int n = 0;
        for (size_t i = 0; i < c.frequencies.size(); ++i)
            if (c.frequencies[i] >= a.spanLowHz && c.frequencies[i] <= a.spanHighHz) {
                sum += c.levels[i];
                ++n;
            }
        return n > 0 ? sum / n : LevelAt(c, std::sqrt(a.spanLowHz * a.spanHighHz));
    }
    return LevelAt(c, a.atHz);
}

double BuiltinTargetDb(const BuiltinTarget& t, double hz) {
    double db = 0.0;
    if (t.bassDb != 0.0 && t.bassHz > 0.0) db += t.bassDb / (1.0 + (hz / t.bassHz) * (hz / t.bassHz));
    if (t.trebleDbPerOctave != 0.0 && t.trebleFromHz > 0.0 && hz > t.trebleFromHz)
        db += t.trebleDbPerOctave * std::log2(hz / t.trebleFromHz);
    return db;
}

MeasuredCurve PreparedMeasurement(const ChannelOverlay& o) {
    if (!o.measurement) return {};
    MeasuredCurve c = o.calibration ? ApplyCalibration(*o.measurement, *o.calibration) : *o.measurement;
    c.levels = SmoothLevels(c.frequencies, c.levels, o.smoothing);
    const double offset = AlignmentOffsetDb(c, o.alignment);
    for (double& l : c.levels) l -= offset;
    return c;
}

PredictedResponses::PredictedResponses(const SceneState& s, const std::vector<const ChannelOverlay*>& overlays)
    : electrical_(s), overlays_(overlays) {}

const dsp::ComplexCurve& PredictedResponses::Response(int ch) {
    const ChannelOverlay* o = ch >= 0 && static_cast<size_t>(ch) < overlays_.size() ? overlays_[ch] : nullptr;
    if (!o || !o->measurement) return electrical_.Response(ch);
    std::optional<dsp::ComplexCurve>& slot = curves_[static_cast<size_t>(ch)];
    if (slot) return *slot;
    slot = electrical_.Response(ch);
    const MeasuredCurve m = PreparedMeasurement(*o);
    MeasuredCurve phase;
    if (!m.phases.empty()) {
        phase.frequencies = m.frequencies;
        phase.levels = UnwrappedDegrees(m.phases);
    }
    for (size_t i = 0; i < slot->frequencies.size(); ++i) {
        const double f = slot->frequencies[i];
        const double rad = phase.frequencies.empty() ? 0.0 : LevelAt(phase, f) * std::numbers::pi / 180.0;
        const dsp::Complex factor = std::polar(std::pow(10.0, LevelAt(m, f) / 20.0), rad);
        slot->filters[i] *= factor;
        slot->response[i] *= factor;
    }
    return *slot;
}

OverlayTraces OverlayTracesOver(const ChannelOverlay* o, const std::vector<double>& channelLevels) {
    OverlayTraces t = ComputeOverlayTraces(SceneState(), -1, o);
    for (size_t i = 0; i < t.predicted.size() && i < channelLevels.size(); ++i)
        t.predicted[i] = t.measured[i] + channelLevels[i];
    return t;
}

OverlayTraces ComputeOverlayTraces(const SceneState& s, int ch, const ChannelOverlay* o) {
    OverlayTraces t;
    if (!o) return t;
    const std::vector<double>& grid = dsp::StandardPhaseGrid().Frequencies();
    if (o->measurement) {
        const MeasuredCurve m = PreparedMeasurement(*o);
        std::vector<const ChannelOverlay*> overlays(static_cast<size_t>(kChannels), nullptr);
        if (ch >= 0 && ch < kChannels) overlays[static_cast<size_t>(ch)] = o;
        PredictedResponses predicted(s, overlays);
        // Of no channel (ch out of range): the measurement alone.
        const dsp::ComplexCurve* r = ch >= 0 && ch < kChannels ? &predicted.Response(ch) : nullptr;
        for (size_t i = 0; i < grid.size(); ++i) {
            const bool in = InsideCurve(m, grid[i]);
            t.measured.push_back(in ? LevelAt(m, grid[i]) : kNoValue);
            if (!in) {
                t.predicted.push_back(kNoValue);
            } else {
                t.predicted.push_back(r && i < r->response.size() ? dsp::LevelDbOf(r->response[i]) : t.measured.back());
            }
        }
    }
    if (o->targetFile || o->builtinTarget) {
        const MeasuredCurve c = o->targetFile ? *o->targetFile : TargetOnGrid(*o->builtinTarget, grid);
        const bool exact = !o->targetFile && !(o->alignment.spanHighHz > o->alignment.spanLowHz);
        const double offset = exact ? BuiltinTargetDb(*o->builtinTarget, o->alignment.atHz) : AlignmentOffsetDb(c, o->alignment);
        for (double f : grid) t.target.push_back(InsideCurve(c, f) ? LevelAt(c, f) - offset : kNoValue);
    }
    return t;
}

}  // namespace dvdsp::core
