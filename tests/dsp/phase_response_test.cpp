// The complex response: crossover pairs that must sum flat or cancel, the phase and group
// delay against the pole-zero form of the same sections (worked out here, apart from the
// code's polynomial form), and the production path against the reference.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "dsp/channel_curve.h"
#include "dsp/phase_response.h"
#include "dsp/response.h"

namespace dvdsp::dsp {
namespace {

constexpr double kHalfTurn = std::numbers::pi;

ChannelFilters OneSide(bool lowPass, int type, int order, int fc) {
    ChannelFilters ch;
    (lowPass ? ch.lowPass : ch.highPass) = CrossoverSpec{fc, type, order, false};
    return ch;
}

// The two sides of a crossover at fc, summed on the standard grid.
std::vector<Complex> PairSum(int type, int order, int fc, bool invertHigh, bool reference) {
    const ChannelAlignment plain, inverted{0.0, true};
    ComplexCurve low, high;
    const ChannelFilters lp = OneSide(true, type, order, fc), hp = OneSide(false, type, order, fc);
    const ChannelAlignment& ha = invertHigh ? inverted : plain;
    if (reference) {
        ChannelResponseReference(lp, false, plain, StandardPhaseGrid().Frequencies(), low);
        ChannelResponseReference(hp, false, ha, StandardPhaseGrid().Frequencies(), high);
    } else {
        StandardPhaseGrid().Channel(lp, false, plain, false, low);
        StandardPhaseGrid().Channel(hp, false, ha, false, high);
    }
    std::vector<Complex> sum(low.response.size());
    for (size_t k = 0; k < sum.size(); ++k) sum[k] = low.response[k] + high.response[k];
    return sum;
}

TEST(PhaseResponse, CrossoverPairsSumFlat) {
    struct Pair {
        int type, order;
        bool invertHigh;
    };
    // Linkwitz-Riley 4 in phase, Linkwitz-Riley 2 with one side inverted, Butterworth 3.
    for (const Pair& p : {Pair{kLinkwitzRiley, 4, false}, Pair{kLinkwitzRiley, 2, true}, Pair{kButterworth, 3, false}})
        for (int fc : {80, 1000, 6300})
            for (bool reference : {false, true}) {
                const std::vector<Complex> sum = PairSum(p.type, p.order, fc, p.invertHigh, reference);
                const std::vector<double>& f = StandardPhaseGrid().Frequencies();
                for (size_t k = 0; k < sum.size() && f[k] <= 20000.0; ++k)
                    ASSERT_NEAR(LevelDbOf(sum[k]), 0.0, 0.01) << p.type << "/" << p.order << " at " << fc << " Hz, "
                                                              << f[k] << " Hz";
            }
}

TEST(PhaseResponse, LinkwitzRileyOrder2InPhaseCancelsAtTheCrossover) {
    for (int fc : {120, 2500}) {
        const PhaseGrid grid({static_cast<double>(fc)});
        ComplexCurve low, high, inverted;
        grid.Channel(OneSide(true, kLinkwitzRiley, 2, fc), false, {}, false, low);
        grid.Channel(OneSide(false, kLinkwitzRiley, 2, fc), false, {}, false, high);
        grid.Channel(OneSide(false, kLinkwitzRiley, 2, fc), false, {0.0, true}, false, inverted);
        // Each side is -6 dB there, a quarter turn either way: they cancel in phase and add
        // with one side inverted.
        EXPECT_NEAR(LevelDbOf(low.response[0]), -6.0206, 0.001);
        EXPECT_LT(LevelDbOf(low.response[0] + high.response[0]), -100.0) << fc;
        EXPECT_NEAR(LevelDbOf(low.response[0] + inverted.response[0]), 0.0, 0.01) << fc;
    }
}

// A section as b0 times its zero factors over its pole factors (1 - q z^-1), from the
// roots of its polynomials.
struct PoleZero {
    double gain = 1.0;
    std::vector<Complex> zeros, poles;
};

std::vector<Complex> Roots(double c0, double c1, double c2) {  // of c0 z^2 + c1 z + c2, or c0 z + c1
    if (c2 == 0.0) return {Complex(-c1 / c0, 0.0)};
    const Complex d = std::sqrt(Complex(c1 * c1 - 4.0 * c0 * c2, 0.0));
    return {(-c1 + d) / (2.0 * c0), (-c1 - d) / (2.0 * c0)};
}

PoleZero ToPoleZero(const Biquad& bq) {
    return {bq.b[0], Roots(bq.b[0], bq.b[1], bq.b[2]), Roots(1.0, bq.a[1], bq.a[2])};
}

// Phase (radians, each factor within a quarter turn, so already continuous) and group
// delay (seconds) of the sections at f, with a delay and polarity.
void Exact(const std::vector<PoleZero>& sections, double f, const ChannelAlignment& a, double* phase, double* delay) {
    const Complex zi = std::polar(1.0, -2.0 * kHalfTurn * f / 48000.0);
    double p = 0.0, samples = 0.0;
    for (const PoleZero& s : sections) {
        if (s.gain < 0) p += kHalfTurn;
        for (const Complex& q : s.zeros) {
            p += std::arg(1.0 - q * zi);
            samples -= std::real(q * zi / (1.0 - q * zi));
        }
        for (const Complex& q : s.poles) {
            p -= std::arg(1.0 - q * zi);
            samples += std::real(q * zi / (1.0 - q * zi));
        }
    }
    *phase = p - 2.0 * kHalfTurn * f * a.delayMs / 1000.0 + (a.inverted ? kHalfTurn : 0.0);
    *delay = samples / 48000.0 + a.delayMs / 1000.0;
}

TEST(PhaseResponse, PhaseAndGroupDelayMatchThePoleZeroForm) {
    ChannelFilters mixed;
    mixed.highPass = {300, kButterworth, 3, false};
    mixed.lowPass = {8000, kBessel, 5, false};
    mixed.bands = {{6.0f, 4.0f, 1200, true}, {-9.0f, 1.5f, 90, true}};
    const struct {
        ChannelFilters channel;
        ChannelAlignment alignment;
    } cases[] = {
        {OneSide(true, kLinkwitzRiley, 4, 2000), {}},
        {OneSide(false, kButterworth, 3, 500), {0.354, true}},
        {mixed, {12.5, false}},  // 12.5 ms: 250 turns at 20 kHz, far more than a grid step holds
    };
    const std::vector<double>& grid = StandardPhaseGrid().Frequencies();
    for (const auto& c : cases) {
        std::vector<PoleZero> pz;
        for (const Biquad& bq : ChannelSections(c.channel, false)) pz.push_back(ToPoleZero(bq));
        ComplexCurve fast, ref;
        StandardPhaseGrid().Channel(c.channel, false, c.alignment, true, fast);
        ChannelResponseReference(c.channel, false, c.alignment, grid, ref);
        for (const ComplexCurve* curve : {&fast, &ref}) {
            const std::vector<double> unwrapped = UnwrappedPhaseDegrees(*curve);
            double turns = 0.0;
            for (size_t k = 0; k < grid.size() && grid[k] <= 20000.0; ++k) {
                double phase = 0, delay = 0;
                Exact(pz, grid[k], c.alignment, &phase, &delay);
                const double degrees = phase * 180.0 / kHalfTurn;
                const double wrapped = std::remainder(PhaseDegreesOf(curve->response[k]) - degrees, 360.0);
                ASSERT_NEAR(wrapped, 0.0, 0.01) << grid[k] << " Hz";
                ASSERT_NEAR(curve->groupDelay[k], delay, 1e-6) << grid[k] << " Hz";
                // Unwrapped: the same whole number of turns from the exact phase everywhere.
                const double offset = unwrapped[k] - degrees;
                if (k == 0) turns = std::round(offset / 360.0);
                ASSERT_NEAR(offset, 360.0 * turns, 0.01) << grid[k] << " Hz";
            }
        }
    }
}

ChannelFilters RandomAlignedChannel(std::mt19937& rng) {
    std::uniform_int_distribution<int> crossoverFreq(20, 24000), bandFreq(20, 20000), slope(0, 10), type(1, 3),
        bandCount(0, 31), coin(0, 3);
    std::uniform_real_distribution<float> gain(-20.0f, 20.0f), q(0.5f, 9.0f);
    ChannelFilters ch;
    ch.highPass = {crossoverFreq(rng), type(rng), slope(rng), coin(rng) == 0};
    ch.lowPass = {crossoverFreq(rng), type(rng), slope(rng), coin(rng) == 0};
    for (int i = bandCount(rng); i > 0; --i) ch.bands.push_back({gain(rng), q(rng), bandFreq(rng), coin(rng) != 0});
    return ch;
}

TEST(PhaseResponse, ProductionPathAgreesWithReferenceAndWithTheLevels) {
    std::mt19937 rng(36u);
    std::uniform_real_distribution<double> delay(0.0, 15.0);
    int compared = 0;
    for (int i = 0; i < 60; ++i) {
        const ChannelFilters ch = RandomAlignedChannel(rng);
        const bool bypassed = i % 7 == 0;
        const ChannelAlignment a{delay(rng), i % 2 == 1};
        ComplexCurve fast, ref;
        StandardPhaseGrid().Channel(ch, bypassed, a, true, fast);
        ChannelResponseReference(ch, bypassed, a, StandardPhaseGrid().Frequencies(), ref);
        ChannelCurve levels;
        BuildChannelCurve(ch, bypassed, CURVE_POINTS, levels);
        ASSERT_EQ(fast.frequencies, levels.frequencies);
        for (int k = 0; k < CURVE_POINTS - 1; ++k) {
            const double level = LevelDbOf(ref.response[k]);
            // Deep in a stop band both evaluations lose digits where the zeros cancel.
            if (level < -120.0) continue;
            // 1e-6 relative: under 1e-5 dB and 1e-4 degree.
            ASSERT_LE(std::abs(fast.response[k] - ref.response[k]), 1e-6 * std::abs(ref.response[k])) << i << " " << k;
            // The level path counts a section below its floor as -400 dB.
            if (levels.levels[k] > -300.0) {
                ASSERT_NEAR(LevelDbOf(fast.response[k]), levels.levels[k], 1e-6) << i << " " << k;
            }
            // The reference's slope is a central difference: a few parts in a million.
            ASSERT_NEAR(fast.groupDelay[k], ref.groupDelay[k], 1e-8 + 1e-5 * std::fabs(ref.groupDelay[k])) << i << " " << k;
            ++compared;
        }
        // The phase without the group delay is the same response.
        ComplexCurve plain;
        StandardPhaseGrid().Channel(ch, bypassed, a, false, plain);
        EXPECT_TRUE(plain.groupDelay.empty());
        EXPECT_EQ(plain.response, fast.response);
    }
    EXPECT_GT(compared, 12000);
}

}  // namespace
}  // namespace dvdsp::dsp
