// PhaseGrid: the production path of the complex response. Per point and section the
// numerator and denominator are a few multiplications from the grid's cos and sin of w
// and 2w; the numerators and the denominators are multiplied apart and divided once per
// point. The group delay of a section in samples is
//   Re(sum k b_k z^-k / sum b_k z^-k) - Re(sum k a_k z^-k / sum a_k z^-k),
// the slope of its phase in closed form.
#include <cmath>
#include <numbers>
#include <utility>

#include "dsp/phase_response.h"
#include "dsp/response.h"

namespace dvdsp::dsp {

PhaseGrid::PhaseGrid(std::vector<double> frequencies) : frequencies_(std::move(frequencies)) {
    const size_t n = frequencies_.size();
    c1_.resize(n);
    s1_.resize(n);
    c2_.resize(n);
    s2_.resize(n);
    for (size_t k = 0; k < n; ++k) {
        const double w = 2.0 * std::numbers::pi * frequencies_[k] / RESPONSE_SAMPLE_RATE;
        c1_[k] = std::cos(w);
        s1_[k] = -std::sin(w);
        c2_[k] = std::cos(2.0 * w);
        s2_[k] = -std::sin(2.0 * w);
    }
}

namespace {

// Re(d / x) for the derivative term d and the value x; 0 where x vanishes (a zero on the
// unit circle, the only place a section has no defined delay).
inline double RealRatio(double dr, double di, double xr, double xi) {
    const double m = xr * xr + xi * xi;
    return m > 0.0 ? (dr * xr + di * xi) / m : 0.0;
}

}  // namespace

void PhaseGrid::Channel(const ChannelFilters& channel, bool eqBypassed, const ChannelAlignment& alignment,
                        bool groupDelay, ComplexCurve& out) const {
    const std::vector<Biquad> sections = ChannelSections(channel, eqBypassed);
    const size_t n = frequencies_.size();
    out.frequencies = frequencies_;
    out.alignment = alignment;
    out.filters.resize(n);
    out.response.resize(n);
    if (groupDelay) out.groupDelay.assign(n, 0.0);
    else out.groupDelay.clear();
    std::vector<double> nr(n, 1.0), ni(n, 0.0), dr(n, 1.0), di(n, 0.0);
    double* gd = groupDelay ? out.groupDelay.data() : nullptr;
    for (const Biquad& bq : sections) {
        const double b0 = bq.b[0], b1 = bq.b[1], b2 = bq.b[2], a1 = bq.a[1], a2 = bq.a[2];
        for (size_t k = 0; k < n; ++k) {
            const double c1 = c1_[k], s1 = s1_[k], c2 = c2_[k], s2 = s2_[k];
            const double xr = b0 + b1 * c1 + b2 * c2, xi = b1 * s1 + b2 * s2;
            const double yr = 1.0 + a1 * c1 + a2 * c2, yi = a1 * s1 + a2 * s2;
            const double pr = nr[k] * xr - ni[k] * xi, pi = nr[k] * xi + ni[k] * xr;
            const double qr = dr[k] * yr - di[k] * yi, qi = dr[k] * yi + di[k] * yr;
            nr[k] = pr;
            ni[k] = pi;
            dr[k] = qr;
            di[k] = qi;
            if (gd) {
                gd[k] += RealRatio(b1 * c1 + 2.0 * b2 * c2, b1 * s1 + 2.0 * b2 * s2, xr, xi) -
                         RealRatio(a1 * c1 + 2.0 * a2 * c2, a1 * s1 + 2.0 * a2 * s2, yr, yi);
            }
        }
    }
    const double delaySeconds = alignment.delayMs / 1000.0;
    for (size_t k = 0; k < n; ++k) {
        out.filters[k] = Complex(nr[k], ni[k]) / Complex(dr[k], di[k]);
        out.response[k] = out.filters[k] * AlignmentFactor(frequencies_[k], alignment);
        if (gd) gd[k] = gd[k] / RESPONSE_SAMPLE_RATE + delaySeconds;
    }
}

const PhaseGrid& StandardPhaseGrid() {
    static const PhaseGrid grid = [] {
        std::vector<double> f(static_cast<size_t>(CURVE_POINTS));
        MakeFrequencyGrid(RESPONSE_SAMPLE_RATE, CURVE_POINTS, f.data());
        return PhaseGrid(std::move(f));
    }();
    return grid;
}

}  // namespace dvdsp::dsp
