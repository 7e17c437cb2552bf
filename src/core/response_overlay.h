#pragma once
// What the graph draws over a channel's curve: its measurement (calibrated, smoothed and
// aligned), its target and the predicted response, the measurement with the channel's EQ
// and crossovers on it. Overlays belong to the working session; they are never sent to
// the unit nor written into its profile files.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/channel_response.h"
#include "core/measurement.h"

namespace dvdsp::core {

// Fractional-octave smoothing: 0 (none), 3, 6, 12 or 24 (1/N octave).
bool ParseSmoothing(std::string_view text, int& fraction);  // "none", "1/3", "1/6", "1/12", "1/24"
std::string SmoothingName(int fraction);

// Each point becomes the mean level of the points within 1/N octave around it (half
// above, half below). Prefix sums and two moving edges: linear in the points.
std::vector<double> SmoothLevels(const std::vector<double>& frequencies, const std::vector<double>& levels,
                                 int fraction);

// Where a curve is brought to 0 dB: its level at one frequency, or its mean over a span
// (the points within it, else the level at its middle) when spanHighHz > spanLowHz.
struct LevelAlignment {
    double atHz = 1000.0;
    double spanLowHz = 0.0, spanHighHz = 0.0;
};
double AlignmentOffsetDb(const MeasuredCurve& c, const LevelAlignment& a);

// The built-in targets: flat, or a bass lift of bassDb below bassHz (half of it at bassHz)
// and a treble tilt of trebleDbPerOctave above trebleFromHz.
struct BuiltinTarget {
    double bassDb = 0.0, bassHz = 80.0;
    double trebleDbPerOctave = 0.0, trebleFromHz = 1000.0;
};
double BuiltinTargetDb(const BuiltinTarget& t, double hz);

// A channel's overlays.
struct ChannelOverlay {
    std::optional<MeasuredCurve> measurement;
    std::optional<MeasuredCurve> calibration;
    std::optional<MeasuredCurve> targetFile;
    std::optional<BuiltinTarget> builtinTarget;  // used when there is no target file
    int smoothing = 0;
    LevelAlignment alignment;
    bool Empty() const { return !measurement && !targetFile && !builtinTarget; }
};

// The traces on a grid (Hz); NaN where a trace has no value (outside the measured range).
// Empty vectors when the overlay has no measurement or no target.
struct OverlayTraces {
    std::vector<double> measured, target, predicted;
};

// The measurement as drawn: calibrated, smoothed on its own points, aligned.
MeasuredCurve PreparedMeasurement(const ChannelOverlay& o);

// The channels' responses with the measurements standing in: a channel with a
// measurement answers the measured response (its phase when the file had one, else none)
// times its filters, delay and polarity; others the electrical response.
class PredictedResponses final : public ChannelResponses {
public:
    PredictedResponses(const SceneState& s, const std::vector<const ChannelOverlay*>& overlays);
    const dsp::ComplexCurve& Response(int ch) override;

private:
    ElectricalResponses electrical_;
    std::vector<const ChannelOverlay*> overlays_;
    std::array<std::optional<dsp::ComplexCurve>, kChannels> curves_;
};

// The traces on the standard grid over a channel's level (dB on that grid): the
// prediction is the measurement with the channel's level added.
OverlayTraces OverlayTracesOver(const ChannelOverlay* overlay, const std::vector<double>& channelLevels);

// Channel ch's traces on the standard grid; `overlay` may be null.
OverlayTraces ComputeOverlayTraces(const SceneState& s, int ch, const ChannelOverlay* overlay);

}  // namespace dvdsp::core
