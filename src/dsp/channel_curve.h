#pragma once
// A channel's response curve: its high-pass and low-pass filters plus its EQ bands,
// summed in dB on the frequency grid. The description is plain data so that the
// controller, the windows and the command line all use the same assembly.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/band.h"
#include "dsp/filters.h"

namespace dvdsp::dsp {

using BandSpec = Band;  // gain dB, q, freq Hz; a band with enable 0 contributes nothing

struct CrossoverSpec {
    int32_t frequency = 20;  // Hz
    int32_t type = kButterworth;
    int32_t slope = 0;  // filter order; 0 is off
    bool off = true;
    // A filter marked off or of slope 0 contributes nothing.
    bool IsOff() const { return off || slope <= 0; }
};

struct ChannelFilters {
    CrossoverSpec highPass;
    CrossoverSpec lowPass;
    std::vector<BandSpec> bands;
};

struct ChannelCurve {
    std::vector<double> frequencies;  // the grid, Hz
    std::vector<double> levels;       // high-pass + low-pass + bands, dB
    std::vector<double> highPass;     // the high-pass alone, dB (zeros when off)
    std::vector<double> lowPass;      // the low-pass alone, dB
};

// The gain a band is drawn with: 0 when the channel's EQ is bypassed or the band is
// disabled.
inline double EffectiveBandGain(const BandSpec& band, bool eqBypassed) {
    if (eqBypassed || band.enable == 0) return 0.0;
    return static_cast<double>(band.gain);
}

// Step-by-step assembly through the section evaluator; the reference for BuildChannelCurve.
void BuildChannelCurveReference(const ChannelFilters& channel, bool eqBypassed, int count,
                                ChannelCurve& out);

// The production assembly (response_grid.h): same results, closed-form magnitudes on a
// grid prepared once.
void BuildChannelCurve(const ChannelFilters& channel, bool eqBypassed, int count,
                       ChannelCurve& out);

}  // namespace dvdsp::dsp
