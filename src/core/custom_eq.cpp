// The custom EQ window's operations on bands 11 to 30 of its channel: parsing and
// limiting the edits, the slider, the enable box, graph drags, reset, restore, the steps
// and the curve.
#include "core/custom_eq.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/log.h"
#include "core/eq.h"
#include "base/limits.h"
#include "core/part_helpers.h"

namespace dvdsp::core {
namespace {

constexpr double kEps = 1e-6;

int StoredBand(int i) { return kCustomEqFirstBand + std::clamp(i, 0, kCustomEqBands - 1); }

// A decimal number as typed; a text that holds none, or not a finite one, gives `fallback`.
double Number(const std::string& text, double fallback) {
    const char* s = text.c_str();
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    if (end == s || !std::isfinite(v)) return fallback;
    return v;
}

}  // namespace

CustomEqFactory DefaultCustomEqFactory() {
    CustomEqFactory f;
    for (int i = 0; i < kCustomEqBands; ++i) f.freqs[static_cast<size_t>(i)] = kStandardFrequencies[static_cast<size_t>(i)];
    return f;
}

const EqBand& CustomEq::Band(int ch, int i) const {
    return ctx_.Live().Bands(ChannelOk(ch) ? ch : 0)[StoredBand(i)];
}

void CustomEq::Store(int ch, int i, const EqBand& band) {
    const int b = StoredBand(i);
    ctx_.edit.Apply({What::Band, 0, ch, b}, [&](SceneState& m) { m.Bands(ch)[b] = band; });
}

void CustomEq::Send(int ch, int i) { ctx_.Send({What::Band, 0, ch, StoredBand(i)}); }

CustomEqEdit CustomEq::SetChEqEdit(int ch, int i, const std::string& freqText, const std::string& qText,
                                   const std::string& gainText, const CustomEqGainRange& range) {
    LogWriteNarrow("SetChEqEdit band=%d\n", i);
    CustomEqEdit r;
    if (!ChannelOk(ch)) return r;
    const EqBand old = Band(ch, i);
    int freq = 0;
    if (!ParseFrequencyText(freqText, freq) || freq < limits::kBandFreq.min || freq > limits::kBandFreq.max) freq = old.freq;
    r.freq = freq;
    r.q = static_cast<float>(limits::kBandQ.Clamp(Number(qText, limits::kBandQ.min)));
    const double typed = Number(gainText, static_cast<double>(old.gain));
    const double gain = std::clamp(typed, static_cast<double>(range.Min()), static_cast<double>(range.Max()));
    r.gain = static_cast<float>(gain);
    r.gainRewritten = std::fabs(gain - typed) > 0.001 || Number(gainText, 1e300) == 1e300;
    LogWriteNarrow("freqValue(%d) ,qValue(%f) ,gainValue(%.1f)\n", r.freq, static_cast<double>(r.q), gain);
    if (freq == old.freq && std::fabs(static_cast<double>(r.q - old.q)) <= 0.01 &&
        std::fabs(gain - static_cast<double>(old.gain)) <= 0.01 && old.enable)
        return r;
    Store(ch, i, EqBand{r.gain, r.q, r.freq, 1});
    Send(ch, i);
    r.changed = true;
    return r;
}

void CustomEq::SetEqSlider(int ch, int i, const std::string& freqText, const std::string& qText, int sliderValue) {
    if (!ChannelOk(ch)) return;
    const EqBand old = Band(ch, i);
    const float gain = static_cast<float>(sliderValue) / 10.0f;
    int freq = old.freq;
    if (!ParseFrequencyText(freqText, freq)) freq = old.freq;
    freq = static_cast<int>(limits::kBandFreq.Clamp(freq));
    const auto q = static_cast<float>(limits::kBandQ.Clamp(Number(qText, static_cast<double>(old.q))));
    LogWriteNarrow("slider %d freq %d q %.2f band %d\n", sliderValue, freq, static_cast<double>(q), i);
    Store(ch, i, EqBand{gain, q, freq, 1});
    Send(ch, i);
}

CustomEqEnable CustomEq::OnEqEnable(int ch, int i, int sliderValue) {
    LogWriteNarrow("OnEqEnable mEqIndex %d\n", i);
    if (!ChannelOk(ch)) return CustomEqEnable::Unchanged;
    EqBand band = Band(ch, i);
    const double slider = sliderValue / 10.0;
    if (band.enable && std::fabs(slider) > 0.001) {
        band.enable = 0;
        Store(ch, i, band);
        Send(ch, i);
        return CustomEqEnable::Disabled;
    }
    if (!band.enable && std::fabs(static_cast<double>(band.gain) - slider) > 0.001) {
        band.enable = 1;
        Store(ch, i, band);
        Send(ch, i);
        return CustomEqEnable::Enabled;
    }
    return CustomEqEnable::Unchanged;
}

bool CustomEq::EqualizerCallback(int ch, int i, int freq, float q, float gain, bool released) {
    LogWriteNarrow("%s cmd %d index %d\n", "EqualizerCallback", released ? 1 : 0, i);
    if (!ChannelOk(ch) || i < 0 || i >= kCustomEqBands) return false;
    const EqBand old = Band(ch, i);
    const bool sameQ = std::fabs(static_cast<double>(q - old.q)) + kEps < 0.05;
    // On the way 0 dB sends nothing; where the drag ends, a gain the unit does not hold goes out.
    const bool sameGain = std::fabs(static_cast<double>(gain - old.gain)) <= 0.01 || (!released && std::fabs(gain) < 0.001f);
    if (freq == old.freq && sameQ && sameGain && old.enable) return false;
    // A Q the drag moved is kept as it travels to the unit, in whole tenths.
    const double qNow = sameQ ? static_cast<double>(q) : std::round(limits::kBandQ.Clamp(static_cast<double>(q)) * 10.0) / 10.0;
    const EqBand now{static_cast<float>(limits::kBandGain.Clamp(static_cast<double>(gain))),
                     static_cast<float>(limits::kBandQ.Clamp(qNow)),
                     static_cast<int>(limits::kBandFreq.Clamp(freq)), 1};
    Store(ch, i, now);
    Send(ch, i);
    return true;
}

bool CustomEq::SetOutputEqReset(int ch) {
    LogWriteNarrow("on %s\n", "CCustomEqWnd::SetOutputEqReset");
    if (!ChannelOk(ch) || !ctx_.prompt || !ctx_.prompt->Ask("${reset_all_eq_tips}")) return false;
    for (int i = 0; i < kCustomEqBands; ++i) {
        Store(ch, i, EqBand{0.0f, kCustomEqDefaultQ, kStandardFrequencies[static_cast<size_t>(i)], 1});
        Send(ch, i);
    }
    return true;
}

bool CustomEq::SetOutputEqRestore(int ch, const CustomEqFactory& factory) {
    LogWriteNarrow("on %s\n", "CCustomEqWnd::SetOutputEqRestore");
    if (!ChannelOk(ch) || !ctx_.prompt || !ctx_.prompt->Ask("${restore_all_factory_eq_tips}")) return false;
    for (int i = 0; i < kCustomEqBands; ++i) {
        const auto k = static_cast<size_t>(i);
        const auto gain = static_cast<float>(limits::kBandGain.Clamp(factory.gains[k]));
        Store(ch, i, EqBand{gain, kCustomEqDefaultQ, static_cast<int>(limits::kBandFreq.Clamp(factory.freqs[k])), 1});
        Send(ch, i);
    }
    return true;
}

void CustomEq::ComputeCurve(int ch, dsp::ChannelCurve& out) const {
    dsp::ChannelFilters filters;  // the bands alone
    for (int i = 0; i < kCustomEqBands; ++i) filters.bands.push_back(Band(ch, i));
    dsp::BuildChannelCurve(filters, false, dsp::CURVE_POINTS, out);
}

bool CustomEq::FreqStep(int freq, bool up, int& out) {
    const int lo = static_cast<int>(limits::kBandFreq.min), hi = static_cast<int>(limits::kBandFreq.max);
    if ((up && freq >= hi) || (!up && freq <= lo)) return false;
    out = LogFrequencyStep(freq, up);
    return true;
}

bool CustomEq::QStep(double q, bool up, double& out) {
    const Limit& l = limits::kBandQ;
    const double end = up ? l.max : l.min;
    if (std::fabs(end - q) + kEps < l.step) return false;
    out = l.Clamp(q + (up ? l.step : -l.step));
    return true;
}

bool CustomEq::GainStep(double gain, bool up, const CustomEqGainRange& range, double& out) {
    const double hi = range.Max(), lo = range.Min();
    if ((up && std::fabs(hi - gain) < 0.01) || (!up && std::fabs(gain - lo) < 0.01)) return false;
    out = std::clamp(gain + (up ? 0.1 : -0.1), lo, hi);
    return true;
}

}  // namespace dvdsp::core
