#pragma once
// Fast response evaluation. The squared magnitude of a biquad at angle w is a quadratic
// form in s = sin^2(w/2) and c = cos^2(w/2):
//   |b0 + b1 z^-1 + b2 z^-2|^2 = (b0+b1+b2)^2 c^2 + 2(b1^2 + (b0-b2)^2 - 4 b0 b2) s c
//                                + (b0-b1+b2)^2 s^2
// so the grid's s^2, s*c and c^2 are computed once and each section costs a few
// multiplications per point. Unlike the form expanded in cos w and cos 2w, this keeps
// full precision where a high-pass (or low-pass) has its zeros: far below (above) its
// cut-off the leading coefficient is exactly zero and the level follows s^2 (c^2).
// Levels are multiplied as powers and turned into dB once per point. The peaking bands,
// which never come near the per-section floor, are multiplied as numerator and
// denominator powers with one division per eight bands instead of one per band.

#include <cstddef>
#include <vector>

#include "dsp/channel_curve.h"
#include "dsp/filters.h"

namespace dvdsp::dsp {

// Squared magnitude of one section as coefficients of c^2, s*c and s^2.
struct PowerSection {
    double numC2 = 1.0, numSC = 2.0, numS2 = 1.0;
    double denC2 = 1.0, denSC = 2.0, denS2 = 1.0;
};

PowerSection ToPowerSection(const Biquad& bq);

class ResponseGrid {
  public:
    explicit ResponseGrid(int count = CURVE_POINTS);
    // Any frequencies (Hz); as on the standard grid, the second-to-last one is taken as
    // half the sample rate.
    explicit ResponseGrid(std::vector<double> frequencies);

    int Count() const { return count_; }
    const std::vector<double>& Frequencies() const { return frequencies_; }

    // Summed level of the sections at each grid point, written to levels (count values).
    // Per section a squared magnitude not above kFloorPower counts kLevelFloorDb. With
    // `start`, the product starts from those powers (count positive values).
    void SectionsDb(const PowerSection* sections, size_t n, double* levels,
                    const double* start = nullptr) const;
    // Product of the powers of sections that never fall to the floor (peaking bands of
    // moderate gain), written to power (count values; 1 when n is 0).
    void BandsPower(const PowerSection* sections, size_t n, double* power) const;

    // The crossover's level (zeros when it is off).
    void CrossoverDb(bool lowPass, const CrossoverSpec& filter, double* levels) const;

    // The channel's levels; highPass and lowPass receive the crossovers alone when not null.
    void ChannelDb(const ChannelFilters& channel, bool eqBypassed, double* levels,
                   double* highPass = nullptr, double* lowPass = nullptr) const;

    void Channel(const ChannelFilters& channel, bool eqBypassed, ChannelCurve& out) const;

  private:
    void Prepare();

    int count_;
    std::vector<double> frequencies_;
    std::vector<double> c2_, sc_, s2_;
};

// The 512-point grid at 48000 Hz, prepared on first use.
const ResponseGrid& StandardResponseGrid();

// Appends the sections of a crossover (nothing when it is off) and of the bands that are
// not flat (a band of gain 0 is exactly 0 dB and is left out).
void AppendCrossoverSections(bool lowPass, const CrossoverSpec& filter,
                             std::vector<PowerSection>& out);
void AppendBandSections(const std::vector<BandSpec>& bands, bool eqBypassed,
                        std::vector<PowerSection>& out);

}  // namespace dvdsp::dsp
