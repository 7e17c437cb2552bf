#include "dsp/phase_response.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "dsp/response.h"

namespace dvdsp::dsp {

namespace {

constexpr double kPhaseTurn = 2.0 * std::numbers::pi;
constexpr double kPhaseDegreesPerRadian = 180.0 / std::numbers::pi;

// A section at one frequency, the plain way.
Complex SectionAt(const Biquad& bq, double frequency) {
    const Complex z1 = std::polar(1.0, -kPhaseTurn * frequency / RESPONSE_SAMPLE_RATE);
    const Complex num = bq.b[0] + bq.b[1] * z1 + bq.b[2] * z1 * z1;
    const Complex den = 1.0 + bq.a[1] * z1 + bq.a[2] * z1 * z1;
    return num / den;
}

// The relative step of the phase's slope: small enough for the slope, large enough that
// rounding stays far below a nanosecond.
constexpr double kPhaseSlopeStep = 1e-5;

}  // namespace

double LevelDbOf(Complex h) {
    const double power = std::norm(h);
    return power > kFloorReplacement ? 10.0 * std::log10(power) : kLevelFloorDb;
}

double PhaseDegreesOf(Complex h) {
    const double d = std::arg(h) * kPhaseDegreesPerRadian;
    return d <= -180.0 ? d + 360.0 : d;
}

Complex AlignmentFactor(double frequency, const ChannelAlignment& a) {
    const Complex f = std::polar(1.0, -kPhaseTurn * frequency * a.delayMs / 1000.0);
    return a.inverted ? -f : f;
}

std::vector<double> UnwrappedPhaseDegrees(const ComplexCurve& curve) {
    const size_t n = curve.filters.size();
    std::vector<double> out(n);
    double previous = 0.0, offset = 0.0;
    for (size_t k = 0; k < n; ++k) {
        const double p = std::arg(curve.filters[k]);
        if (k > 0) {
            double step = p - previous;
            while (step > std::numbers::pi) { step -= kPhaseTurn; offset -= kPhaseTurn; }
            while (step <= -std::numbers::pi) { step += kPhaseTurn; offset += kPhaseTurn; }
        }
        previous = p;
        double degrees = (p + offset) * kPhaseDegreesPerRadian;
        degrees -= 360.0 * curve.frequencies[k] * curve.alignment.delayMs / 1000.0;
        if (curve.alignment.inverted) degrees += 180.0;
        out[k] = degrees;
    }
    return out;
}

std::vector<Biquad> ChannelSections(const ChannelFilters& channel, bool eqBypassed) {
    std::vector<Biquad> out;
    for (bool lowPass : {false, true}) {
        const CrossoverSpec& f = lowPass ? channel.lowPass : channel.highPass;
        if (f.IsOff()) continue;
        const CrossoverSections design =
            DesignCrossoverSections(lowPass, static_cast<double>(f.frequency), f.slope, f.type);
        for (const CrossoverSlot& slot : design.slot) {
            Biquad bq;
            if (CrossoverSlotBiquad(lowPass, slot, bq)) out.push_back(bq);
        }
    }
    for (const BandSpec& b : channel.bands) {
        const double gain = EffectiveBandGain(b, eqBypassed);
        if (gain == 0.0) continue;
        out.push_back(DesignPeakingBand(RESPONSE_SAMPLE_RATE, static_cast<double>(b.freq), gain,
                                        static_cast<double>(b.q)));
    }
    return out;
}

void ChannelResponseReference(const ChannelFilters& channel, bool eqBypassed, const ChannelAlignment& alignment,
                              const std::vector<double>& frequencies, ComplexCurve& out) {
    const std::vector<Biquad> sections = ChannelSections(channel, eqBypassed);
    const size_t n = frequencies.size();
    out.frequencies = frequencies;
    out.alignment = alignment;
    out.filters.assign(n, Complex(1.0, 0.0));
    out.response.resize(n);
    out.groupDelay.assign(n, alignment.delayMs / 1000.0);
    for (size_t k = 0; k < n; ++k) {
        const double f = frequencies[k];
        const double below = f * (1.0 - kPhaseSlopeStep), above = f * (1.0 + kPhaseSlopeStep);
        double turn = 0.0;  // the phase from `below` to `above`, radians
        for (const Biquad& bq : sections) {
            out.filters[k] *= SectionAt(bq, f);
            // Each section turns by far less than half a turn over the step.
            turn += std::arg(SectionAt(bq, above) / SectionAt(bq, below));
        }
        out.groupDelay[k] -= turn / (kPhaseTurn * (above - below));
        out.response[k] = out.filters[k] * AlignmentFactor(f, alignment);
    }
}

}  // namespace dvdsp::dsp
