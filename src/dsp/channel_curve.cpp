#include "dsp/channel_curve.h"

#include "dsp/response.h"

namespace dvdsp::dsp {

namespace {

void CrossoverLevels(bool lowPass, const CrossoverSpec& filter, int count, const double* grid,
                     double* levels) {
    if (filter.IsOff()) {
        for (int k = 0; k < count; ++k) levels[k] = 0.0;
        return;
    }
    CrossoverResponseDb(lowPass, RESPONSE_SAMPLE_RATE, static_cast<double>(filter.frequency),
                        filter.slope, filter.type, count, grid, levels);
}

}  // namespace

void BuildChannelCurveReference(const ChannelFilters& channel, bool eqBypassed, int count,
                                ChannelCurve& out) {
    const size_t n = count > 0 ? static_cast<size_t>(count) : 0;
    std::vector<double> grid(n);
    MakeFrequencyGrid(RESPONSE_SAMPLE_RATE, count, grid.data());
    out.highPass.assign(n, 0.0);
    out.lowPass.assign(n, 0.0);
    CrossoverLevels(false, channel.highPass, count, grid.data(), out.highPass.data());
    CrossoverLevels(true, channel.lowPass, count, grid.data(), out.lowPass.data());

    // The curve starts from the crossovers even when the channel has no bands.
    out.frequencies = grid;
    out.levels.resize(n);
    for (size_t k = 0; k < n; ++k) out.levels[k] = out.highPass[k] + out.lowPass[k];

    std::vector<double> band(n);
    for (const BandSpec& b : channel.bands) {
        PeakingBandResponseDb(RESPONSE_SAMPLE_RATE, static_cast<double>(b.freq),
                              EffectiveBandGain(b, eqBypassed), static_cast<double>(b.q),
                              grid.data(), band.data(), count);
        for (size_t k = 0; k < n; ++k) out.levels[k] += band[k];
    }
}

}  // namespace dvdsp::dsp
