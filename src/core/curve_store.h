#pragma once
// The response curves of the ten output channels as the curve control draws them: per
// channel the high-pass alone, the low-pass alone and the whole channel (both filters and
// every band), on the 512-point grid at 48 kHz. The store is the controller's; it is
// computed from the live settings and read by the view.

#include <array>
#include <vector>

#include "core/model.h"
#include "dsp/channel_curve.h"

namespace dvdsp::core {

// What the response computation is given for channel ch: its filters and its bands in use.
// A filter frequency outside 20-20000 Hz is taken as 20 Hz, a type other than 1-3 as 1.
dsp::ChannelFilters ChannelFiltersOf(const SceneState& s, int ch);

class CurveStore {
public:
    CurveStore();

    // Computes channel ch's curves from the settings; a bypassed channel is computed with
    // every band flat, a disabled band is flat.
    void ComputeChannelCurve(const SceneState& s, int ch);
    void ComputeAll(const SceneState& s);

    // A channel whose settings changed outside an edit (a reply, a copy): its curves are
    // computed again with the next update.
    void MarkStale(int ch);
    bool Stale(int ch) const;
    // Computes every stale channel.
    void ComputeStale(const SceneState& s);

    // Grid frequencies (Hz) and levels (dB) of channel ch, CURVE_POINTS values each.
    const dsp::ChannelCurve& Curve(int ch) const;
    const std::vector<double>& Frequencies() const { return curves_[0].frequencies; }

private:
    std::array<dsp::ChannelCurve, kChannels> curves_;
    std::array<bool, kChannels> stale_;
};

}  // namespace dvdsp::core
