// Editing the parametric bands of the current channel: the three edits of a band, its
// slider, its step buttons and its enable box. Every change is repeated on the link
// group (the same difference) and the partner (the same values), keeps the channel's
// bypass flag in step with its gains, redraws the curves and goes out with EQ_Ctrl.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/log.h"
#include "core/channel_format.h"
#include "core/eq.h"
#include "base/limits.h"
#include "core/part_helpers.h"

namespace dvdsp::core {
namespace {

constexpr double kQAtEnd = 0.025;     // a Q this close to its limit does not step on

using Values = ValueOps;
bool Raised(float gain) { return Values::Raised(gain); }
float SliderGain(double gain) { return Values::SliderGain(gain); }
float ClampQ(double q) { return Values::ClampQ(q); }
int ClampFreq(double f) { return Values::ClampFreq(f); }
// A Q as it travels to the unit: in its range, whole tenths.
float TenthsQ(double q) { return ClampQ(std::round(limits::kBandQ.Clamp(q) * 10.0) / 10.0); }

// The gain the band's slider and edit show: 0 while the channel is bypassed or the band
// is disabled.
float ShownGain(const ChannelSettings& c, const EqBand& band) {
    if (c.bypass || !band.enable) return 0.0f;
    return SliderGain(static_cast<double>(band.gain));
}

}  // namespace

// ---- Frequency texts and steps ------------------------------------------------------------

bool ParseFrequencyText(const std::string& text, int& freq) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    long value = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
        if (value < 100000000L) value = value * 10 + (text[i] - '0');
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'k' || text[i] == 'K')) {
        value *= 1000;
        if (i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9') value += (text[i + 1] - '0') * 100;
    }
    freq = static_cast<int>(std::min(value, 1000000000L));
    return true;
}

int LogFrequencyStep(int freq, bool up) {
    const Limit& f = limits::kBandFreq;
    const int lo = static_cast<int>(f.min), hi = static_cast<int>(f.max);
    freq = std::clamp(freq, lo, hi);
    if ((up && freq >= hi) || (!up && freq <= lo)) return freq;
    constexpr int kPositions = 200;
    const double lmin = std::log10(f.min), lmax = std::log10(f.max);
    const int s = static_cast<int>((std::log10(static_cast<double>(freq)) - lmin) * kPositions / (lmax - lmin));
    int next = freq;
    for (int step = 1; step <= 2 && next == freq; ++step) {
        const int position = up ? std::min(s + step, kPositions) : std::max(s - step, 0);
        next = static_cast<int>(std::lround(std::pow(10.0, lmin + (lmax - lmin) * position / kPositions)));
    }
    return next;
}

// ---- Sending ------------------------------------------------------------------------------

void Eq::SendBand(int ch, int b) { ctx_.Send({What::Band, 0, ch, b}); }

// ---- Applying a band edit -----------------------------------------------------------------

void Eq::ApplyBandEdit(int band, int freq, float q, float gain, bool zeroBypassed) {
    ctx_.values.SetBand(ctx_.Live().currOutChannel, band, freq, q, gain, zeroBypassed);
    UpdateEqualizer(band);
}

// ---- The band's controls ------------------------------------------------------------------

// Whether `band` is one of the current channel's bands in use: every band control acts on
// those only.
bool Eq::InUse(const SceneState& s, int band) {
    const int ch = s.currOutChannel;
    return band >= 0 && band < kBandsPerChannel && ch >= 0 && ch < kChannels && band < s.channels[Z(ch)].eqSize;
}

void Eq::SetChEqEdit(int band, const std::string& freqText, const std::string& qText, const std::string& gainText) {
    LogWriteNarrow("SetChEqEdit band=%d\n", band);
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (!InUse(s, band)) return;
    const EqBand& stored = s.Bands(ch)[band];
    int freq = 0;
    if (!ParseFrequencyText(freqText, freq) || !limits::kBandFreq.Accepts(freq)) {
        // Refused: the edit shows the stored frequency again.
        ctx_.edit.Report({What::Band, 0, ch, band});
        return;
    }
    double value = 0.0;
    const float q = ParseNumber(qText, value) ? ClampQ(value) : stored.q;
    const float gain = ParseNumber(gainText, value) ? SliderGain(value) : SliderGain(static_cast<double>(stored.gain));
    ApplyBandEdit(band, freq, q, gain);
}

void Eq::SetEqSlider(int band, int value) {
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (!InUse(s, band)) return;
    LogWriteNarrow("SetChEqEdit band=%d\n", band);
    const EqBand stored = s.Bands(ch)[band];
    ApplyBandEdit(band, stored.freq, stored.q, SliderGain(value / static_cast<double>(limits::kBandGain.scale)));
}

void Eq::SetEqGainUp(int band, bool up) {
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (!InUse(s, band)) return;
    const ChannelSettings& c = s.channels[Z(ch)];
    const int slider = static_cast<int>(std::lround(ShownGain(c, s.Bands(ch)[band]) * limits::kBandGain.scale));
    SetEqSlider(band, slider + (up ? 1 : -1));
}

void Eq::SetEqFreqUp(int band, bool up) {
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (!InUse(s, band)) return;
    const ChannelSettings& c = s.channels[Z(ch)];
    const EqBand stored = s.Bands(ch)[band];
    const int next = LogFrequencyStep(stored.freq, up);
    if (next == stored.freq) return;
    LogWriteNarrow("SetChEqEdit band=%d\n", band);
    // As if typed: the edits hold the new frequency, the Q and the gain shown.
    ApplyBandEdit(band, next, stored.q, ShownGain(c, stored));
}

void Eq::SetEqQUp(int band, bool up) {
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (!InUse(s, band)) return;
    const ChannelSettings& c = s.channels[Z(ch)];
    const EqBand stored = s.Bands(ch)[band];
    const Limit& lq = limits::kBandQ;
    const double q = static_cast<double>(stored.q);
    if ((up && q >= lq.max - kQAtEnd) || (!up && q <= lq.min + kQAtEnd)) return;
    // The edit shows two decimals; the step lands on them.
    const double next =
        static_cast<double>(std::lround(lq.Clamp(q + (up ? lq.step : -lq.step)) * lq.scale)) / lq.scale;
    LogWriteNarrow("SetChEqEdit band=%d\n", band);
    ApplyBandEdit(band, stored.freq, ClampQ(next), ShownGain(c, stored));
}

void Eq::DragBand(int band, bool released, const CurveEdit& edit) {
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (!InUse(s, band)) return;
    const ChannelSettings& c = s.channels[Z(ch)];
    const EqBand& stored = s.Bands(ch)[band];
    const int freq = ClampFreq(edit.freq);
    // A Q the drag moved is kept as the unit will store it; one it left alone stays.
    const bool qMoved = std::fabs(static_cast<double>(edit.q - stored.q)) > 0.001;
    const float q = qMoved ? TenthsQ(static_cast<double>(edit.q)) : ClampQ(static_cast<double>(edit.q));
    const float gain = SliderGain(static_cast<double>(edit.gain));
    const bool unchanged = freq == stored.freq && std::fabs(static_cast<double>(q - stored.q)) < kQAtEnd &&
                           std::fabs(gain - stored.gain) < 0.01f && stored.enable;
    if (!released && unchanged) return;
    if (c.bypass && !Raised(gain) && stored.enable) return;
    ApplyBandEdit(band, freq, q, gain, Raised(gain));
}

void Eq::OnEqEnable(int band) {
    LogWriteNarrow("OnEqEnable mEqIndex %d\n", band);
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (!InUse(s, band)) return;
    const ChannelSettings& c = s.channels[Z(ch)];
    const EqBand& stored = s.Bands(ch)[band];
    const float shown = ShownGain(c, stored);
    uint8_t enable = 0;
    if (stored.enable && Raised(shown)) enable = 0;
    else if (!stored.enable && std::fabs(stored.gain - shown) > Values::kGainZero) enable = 1;
    else return;
    // The stored gain stays: enabling the band again brings it back.
    std::vector<int> targets = {ch};
    for (int x : GroupMembers(ch)) targets.push_back(x);
    if (const int partner = PartnerChannel(s, ch); partner >= 0) targets.push_back(partner);
    for (int x : targets) {
        if (band >= std::min<int>(s.channels[Z(x)].eqSize, kBandsPerChannel)) continue;
        ctx_.edit.Apply({What::Band, 0, x, band}, [&](SceneState& m) { m.Bands(x)[band].enable = enable; });
        SendBand(x, band);
    }
    UpdateEqualizer(band);
}

}  // namespace dvdsp::core
