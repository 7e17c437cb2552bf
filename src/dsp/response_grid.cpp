#include "dsp/response_grid.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "dsp/response.h"

namespace dvdsp::dsp {

namespace {

// A running product of powers is folded into dB when it leaves this range; between two
// checks it changes by at most four sections.
constexpr double kFoldLow = 1e-200;
constexpr double kFoldHigh = 1e200;
constexpr size_t kFoldEvery = 4;

// Peaking bands are multiplied as separate numerator and denominator powers and divided
// once per this many bands: a band's numerator or denominator alone stays above 1e-16 on
// the grid (a band at 20 Hz with Q 9 comes closest), so eight of them stay far inside
// the range of a double.
constexpr size_t kBandsPerQuotient = 8;
// A band of at most this gain (either way) lies within 10^(+-6) in power everywhere, far
// from the per-section floor, so it needs no floor check. Steeper bands go the careful
// way with the crossovers.
constexpr double kUnflooredBandDb = 60.0;

// 10 log10 of a power. The natural logarithm of the C library is several times faster
// than its base-10 one and as precise for what is shown.
constexpr double kDbPerNeper = 4.3429448190325182765;  // 10 / ln 10
inline double PowerDb(double power) { return kDbPerNeper * std::log(power); }

}  // namespace

PowerSection ToPowerSection(const Biquad& bq) {
    auto terms = [](double x0, double x1, double x2, double& c2, double& sc, double& s2) {
        const double sum = x0 + x1 + x2;
        const double alt = x0 - x1 + x2;
        const double diff = x0 - x2;
        c2 = sum * sum;
        sc = 2.0 * (x1 * x1 + diff * diff - 4.0 * x0 * x2);
        s2 = alt * alt;
    };
    PowerSection p;
    terms(bq.b[0], bq.b[1], bq.b[2], p.numC2, p.numSC, p.numS2);
    // The evaluator takes a0 as 1, whatever the design holds.
    terms(1.0, bq.a[1], bq.a[2], p.denC2, p.denSC, p.denS2);
    return p;
}

ResponseGrid::ResponseGrid(int count) : count_(count > 0 ? count : 0) {
    frequencies_.resize(static_cast<size_t>(count_));
    if (count_ > 0) MakeFrequencyGrid(RESPONSE_SAMPLE_RATE, count_, frequencies_.data());
    Prepare();
}

ResponseGrid::ResponseGrid(std::vector<double> frequencies)
    : count_(static_cast<int>(frequencies.size())), frequencies_(std::move(frequencies)) {
    Prepare();
}

void ResponseGrid::Prepare() {
    const size_t n = frequencies_.size();
    c2_.assign(n, 1.0);
    sc_.assign(n, 0.0);
    s2_.assign(n, 0.0);
    if (n < 2) return;
    const double nyquist = frequencies_[n - 2];
    const double twoPi = 8.0 * std::atan(1.0);
    for (size_t k = 0; k < n; ++k) {
        const double w = -twoPi * (frequencies_[k] * 0.5 / nyquist);
        const double s = std::sin(w / 2.0);
        const double c = std::cos(w / 2.0);
        const double ss = s * s;
        const double cc = c * c;
        c2_[k] = cc * cc;
        sc_[k] = ss * cc;
        s2_[k] = ss * ss;
    }
}

void ResponseGrid::SectionsDb(const PowerSection* sections, size_t n, double* levels,
                              const double* start) const {
    const size_t m = static_cast<size_t>(count_);
    if (n == 0) {
        for (size_t k = 0; k < m; ++k) levels[k] = start ? PowerDb(start[k]) : 0.0;
        return;
    }
    // Per point: the product of the kept powers since the last fold, the number of
    // floored sections and the dB folded so far.
    std::vector<double> product(m, 1.0), floors(m, 0.0), folded(m, 0.0);
    if (start) product.assign(start, start + m);
    double* __restrict prod = product.data();
    double* __restrict fl = floors.data();
    double* __restrict fold = folded.data();
    const double* __restrict c2 = c2_.data();
    const double* __restrict sc = sc_.data();
    const double* __restrict s2 = s2_.data();

    for (size_t j = 0; j < n; ++j) {
        const double nc2 = sections[j].numC2, nsc = sections[j].numSC, ns2 = sections[j].numS2;
        const double dc2 = sections[j].denC2, dsc = sections[j].denSC, ds2 = sections[j].denS2;
        for (size_t k = 0; k < m; ++k) {
            const double num = nc2 * c2[k] + nsc * sc[k] + ns2 * s2[k];
            const double den = dc2 * c2[k] + dsc * sc[k] + ds2 * s2[k];
            const double power = num / den;
            const double magnitude = std::fabs(power);
            const double factor = magnitude > kFloorPower ? power : 1.0;
            const double floored = magnitude > kFloorPower ? 0.0 : 1.0;
            prod[k] *= factor;
            fl[k] += floored;
        }
        if (j % kFoldEvery == kFoldEvery - 1 || j + 1 == n) {
            for (size_t k = 0; k < m; ++k) {
                if (!(prod[k] >= kFoldLow && prod[k] <= kFoldHigh)) {
                    fold[k] += 10.0 * std::log10(prod[k]);
                    prod[k] = 1.0;
                }
            }
        }
    }
    for (size_t k = 0; k < m; ++k) levels[k] = fl[k] * kLevelFloorDb + (fold[k] + PowerDb(prod[k]));
}

namespace {

// Multiplies out[k] by the quotient of N bands' numerator and denominator powers: the
// products stay in registers, one division per point.
template <size_t N>
void MultiplyBands(const PowerSection* p, size_t m, const double* __restrict c2, const double* __restrict sc,
                   const double* __restrict s2, double* __restrict out) {
    for (size_t k = 0; k < m; ++k) {
        const double c = c2[k], x = sc[k], t = s2[k];
        double num = 1.0, den = 1.0;
        for (size_t j = 0; j < N; ++j) {
            num *= p[j].numC2 * c + p[j].numSC * x + p[j].numS2 * t;
            den *= p[j].denC2 * c + p[j].denSC * x + p[j].denS2 * t;
        }
        out[k] *= num / den;
    }
}

}  // namespace

void ResponseGrid::BandsPower(const PowerSection* sections, size_t n, double* power) const {
    const size_t m = static_cast<size_t>(count_);
    const double* c2 = c2_.data();
    const double* sc = sc_.data();
    const double* s2 = s2_.data();
    for (size_t k = 0; k < m; ++k) power[k] = 1.0;
    // Up to kBandsPerQuotient bands per pass over the grid.
    static_assert(kBandsPerQuotient == 8);
    for (size_t first = 0; first < n; first += kBandsPerQuotient) {
        const PowerSection* p = sections + first;
        switch (std::min(kBandsPerQuotient, n - first)) {
        case 8: MultiplyBands<8>(p, m, c2, sc, s2, power); break;
        case 7: MultiplyBands<7>(p, m, c2, sc, s2, power); break;
        case 6: MultiplyBands<6>(p, m, c2, sc, s2, power); break;
        case 5: MultiplyBands<5>(p, m, c2, sc, s2, power); break;
        case 4: MultiplyBands<4>(p, m, c2, sc, s2, power); break;
        case 3: MultiplyBands<3>(p, m, c2, sc, s2, power); break;
        case 2: MultiplyBands<2>(p, m, c2, sc, s2, power); break;
        default: MultiplyBands<1>(p, m, c2, sc, s2, power); break;
        }
    }
}

void AppendCrossoverSections(bool lowPass, const CrossoverSpec& filter,
                             std::vector<PowerSection>& out) {
    if (filter.IsOff()) return;
    const CrossoverSections design = DesignCrossoverSections(
        lowPass, static_cast<double>(filter.frequency), filter.slope, filter.type);
    for (const CrossoverSlot& slot : design.slot) {
        Biquad bq;
        if (CrossoverSlotBiquad(lowPass, slot, bq)) out.push_back(ToPowerSection(bq));
    }
}

void AppendBandSections(const std::vector<BandSpec>& bands, bool eqBypassed,
                        std::vector<PowerSection>& out) {
    for (const BandSpec& b : bands) {
        const double gain = EffectiveBandGain(b, eqBypassed);
        if (gain == 0.0) continue;
        out.push_back(
            ToPowerSection(DesignPeakingBand(RESPONSE_SAMPLE_RATE, static_cast<double>(b.freq),
                                             gain, static_cast<double>(b.q))));
    }
}

void ResponseGrid::CrossoverDb(bool lowPass, const CrossoverSpec& filter, double* levels) const {
    std::vector<PowerSection> sections;
    AppendCrossoverSections(lowPass, filter, sections);
    SectionsDb(sections.data(), sections.size(), levels);
}

void ResponseGrid::ChannelDb(const ChannelFilters& channel, bool eqBypassed, double* levels,
                             double* highPass, double* lowPass) const {
    // The bands that cannot reach the floor are multiplied without dividing per band; the
    // crossovers (unless asked for alone) and any steeper band are evaluated section by
    // section, starting from the bands' product.
    std::vector<PowerSection> bands, sections;
    bands.reserve(channel.bands.size());
    sections.reserve(2 * CROSSOVER_SECTIONS);
    for (const BandSpec& b : channel.bands) {
        const double gain = EffectiveBandGain(b, eqBypassed);
        if (gain == 0.0) continue;
        const PowerSection p = ToPowerSection(DesignPeakingBand(
            RESPONSE_SAMPLE_RATE, static_cast<double>(b.freq), gain, static_cast<double>(b.q)));
        (std::fabs(gain) <= kUnflooredBandDb ? bands : sections).push_back(p);
    }
    if (highPass)
        CrossoverDb(false, channel.highPass, highPass);
    else
        AppendCrossoverSections(false, channel.highPass, sections);
    if (lowPass)
        CrossoverDb(true, channel.lowPass, lowPass);
    else
        AppendCrossoverSections(true, channel.lowPass, sections);
    if (bands.empty()) {
        SectionsDb(sections.data(), sections.size(), levels);
    } else {
        std::vector<double> power(static_cast<size_t>(count_));
        BandsPower(bands.data(), bands.size(), power.data());
        SectionsDb(sections.data(), sections.size(), levels, power.data());
    }
    for (int k = 0; k < count_; ++k) {
        if (highPass) levels[k] += highPass[k];
        if (lowPass) levels[k] += lowPass[k];
    }
}

void ResponseGrid::Channel(const ChannelFilters& channel, bool eqBypassed,
                           ChannelCurve& out) const {
    const size_t n = static_cast<size_t>(count_);
    out.frequencies = frequencies_;
    out.levels.resize(n);
    out.highPass.resize(n);
    out.lowPass.resize(n);
    ChannelDb(channel, eqBypassed, out.levels.data(), out.highPass.data(), out.lowPass.data());
}

const ResponseGrid& StandardResponseGrid() {
    static const ResponseGrid grid(CURVE_POINTS);
    return grid;
}

void BuildChannelCurve(const ChannelFilters& channel, bool eqBypassed, int count,
                       ChannelCurve& out) {
    if (count == CURVE_POINTS) {
        StandardResponseGrid().Channel(channel, eqBypassed, out);
    } else {
        ResponseGrid(count).Channel(channel, eqBypassed, out);
    }
}

}  // namespace dvdsp::dsp
