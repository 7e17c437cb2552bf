#pragma once
// The complex response of a channel (level and phase) on a frequency grid: its crossovers,
// its bands, its delay and its polarity, and the group delay that follows from the phase.
// ChannelResponseReference evaluates every section as a complex number the plain way and
// takes the group delay as the slope of the phase; PhaseGrid, the production path, keeps
// e^-jw and e^-2jw of its grid, multiplies numerators and denominators apart (one complex
// division per point) and gives the group delay in closed form. Tests hold the two equal.
// The sample rate is 48000 Hz whatever the grid; the standard grid is that of the levels
// (channel_curve.h), so the points of the level, phase and sum views are the same.

#include <complex>
#include <vector>

#include "dsp/channel_curve.h"

namespace dvdsp::dsp {

using Complex = std::complex<double>;

// What a channel adds to its filters: its delay and whether its polarity is inverted.
struct ChannelAlignment {
    double delayMs = 0.0;
    bool inverted = false;
};

struct ComplexCurve {
    std::vector<double> frequencies;  // Hz
    std::vector<Complex> filters;     // the crossovers and bands alone
    std::vector<Complex> response;    // the filters with the delay and the polarity
    std::vector<double> groupDelay;   // seconds, of the whole channel (empty when not asked)
    ChannelAlignment alignment;
};

// 20 log10 |h|, kLevelFloorDb where |h|^2 is not above kFloorReplacement.
double LevelDbOf(Complex h);
// The phase of h in degrees, in (-180, 180].
double PhaseDegreesOf(Complex h);
// The phase of the response, unwrapped along the grid from its first point: the filters'
// phase unwrapped point to point, then the polarity and the delay (-360 f t) added exactly,
// so that a long delay does not outrun the grid's spacing.
std::vector<double> UnwrappedPhaseDegrees(const ComplexCurve& curve);
// The factor e^(-j 2 pi f t) of a delay, times -1 when inverted.
Complex AlignmentFactor(double frequency, const ChannelAlignment& a);

// The plain evaluation; groupDelay is always filled.
void ChannelResponseReference(const ChannelFilters& channel, bool eqBypassed, const ChannelAlignment& alignment,
                              const std::vector<double>& frequencies, ComplexCurve& out);

class PhaseGrid {
  public:
    explicit PhaseGrid(std::vector<double> frequencies);

    int Count() const { return static_cast<int>(frequencies_.size()); }
    const std::vector<double>& Frequencies() const { return frequencies_; }

    // The channel's complex response; the group delay only when asked for (the sum view
    // needs none).
    void Channel(const ChannelFilters& channel, bool eqBypassed, const ChannelAlignment& alignment, bool groupDelay,
                 ComplexCurve& out) const;

  private:
    std::vector<double> frequencies_;
    std::vector<double> c1_, s1_, c2_, s2_;  // e^-jw and e^-2jw per point
};

// The standard 512-point grid (MakeFrequencyGrid at 48000 Hz), prepared on first use.
const PhaseGrid& StandardPhaseGrid();

// The sections a channel's response is made of: its crossovers (nothing when off) and its
// bands that are not flat.
std::vector<Biquad> ChannelSections(const ChannelFilters& channel, bool eqBypassed);

}  // namespace dvdsp::dsp
