// Assembly of the channels' curves from the settings model.
#include "core/curve_store.h"

#include <algorithm>

#include "base/limits.h"
#include "core/part_helpers.h"

namespace dvdsp::core {
namespace {

dsp::CrossoverSpec CrossoverOf(const CrossoverFilter& f) {
    dsp::CrossoverSpec out;
    out.frequency = limits::kFilterFreq.Accepts(f.freq) ? f.freq : static_cast<int32_t>(limits::kFilterFreq.min);
    out.type = limits::kFilterType.Accepts(f.type) ? f.type : static_cast<int32_t>(limits::kFilterType.min);
    out.slope = std::max(f.slope, 0);
    out.off = f.bypass != 0 || f.slope <= 0;
    return out;
}

}  // namespace

dsp::ChannelFilters ChannelFiltersOf(const SceneState& s, int ch) {
    dsp::ChannelFilters f;
    if (!ChannelOk(ch)) return f;
    const ChannelSettings& c = s.channels[Z(ch)];
    f.highPass = CrossoverOf(c.hp);
    f.lowPass = CrossoverOf(c.lp);
    const int size = std::clamp<int>(c.eqSize, 0, kBandsPerChannel);
    f.bands.assign(s.Bands(ch), s.Bands(ch) + size);
    return f;
}

CurveStore::CurveStore() {
    // Flat until the first computation; every channel waits for it.
    const dsp::ChannelFilters flat;
    for (dsp::ChannelCurve& c : curves_) dsp::BuildChannelCurve(flat, false, dsp::CURVE_POINTS, c);
    stale_.fill(true);
}

void CurveStore::ComputeChannelCurve(const SceneState& s, int ch) {
    if (!ChannelOk(ch)) return;
    const bool bypassed = s.channels[Z(ch)].bypass != 0;
    dsp::BuildChannelCurve(ChannelFiltersOf(s, ch), bypassed, dsp::CURVE_POINTS, curves_[Z(ch)]);
    stale_[Z(ch)] = false;
}

void CurveStore::ComputeAll(const SceneState& s) {
    for (int ch = 0; ch < kChannels; ++ch) ComputeChannelCurve(s, ch);
}

void CurveStore::MarkStale(int ch) {
    if (ChannelOk(ch)) stale_[Z(ch)] = true;
}

bool CurveStore::Stale(int ch) const { return ChannelOk(ch) && stale_[Z(ch)]; }

void CurveStore::ComputeStale(const SceneState& s) {
    for (int ch = 0; ch < kChannels; ++ch)
        if (stale_[Z(ch)]) ComputeChannelCurve(s, ch);
}

const dsp::ChannelCurve& CurveStore::Curve(int ch) const { return curves_[Z(std::clamp(ch, 0, kChannels - 1))]; }

}  // namespace dvdsp::core
