// Channel curve assembly: the bypass and enable rules, and the fast path against the
// step-by-step reference on random channels.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "dsp/channel_curve.h"
#include "dsp/response.h"
#include "dsp/response_grid.h"

namespace dvdsp::dsp {
namespace {

ChannelFilters ExampleChannel() {
    ChannelFilters ch;
    ch.highPass = {80, kLinkwitzRiley, 4, false};
    ch.lowPass = {5000, kButterworth, 3, false};
    ch.bands = {{6.0f, 2.0f, 250, true}, {-4.5f, 5.8f, 1600, true}, {9.0f, 1.0f, 8000, false}};
    return ch;
}

std::vector<double> StandardGrid() {
    std::vector<double> grid(CURVE_POINTS);
    MakeFrequencyGrid(RESPONSE_SAMPLE_RATE, CURVE_POINTS, grid.data());
    return grid;
}

// Both assemblies of one channel.
struct BothCurves {
    ChannelCurve reference, fast;
};

BothCurves Build(const ChannelFilters& ch, bool bypassed) {
    BothCurves c;
    BuildChannelCurveReference(ch, bypassed, CURVE_POINTS, c.reference);
    BuildChannelCurve(ch, bypassed, CURVE_POINTS, c.fast);
    return c;
}

TEST(ChannelCurve, IsCrossoversPlusEnabledBands) {
    const ChannelFilters ch = ExampleChannel();
    const std::vector<double> grid = StandardGrid();
    std::vector<double> hp(CURVE_POINTS), lp(CURVE_POINTS), b0(CURVE_POINTS), b1(CURVE_POINTS);
    CrossoverResponseDb(false, 48000.0, 80.0, 4, 2, CURVE_POINTS, grid.data(), hp.data());
    CrossoverResponseDb(true, 48000.0, 5000.0, 3, 1, CURVE_POINTS, grid.data(), lp.data());
    PeakingBandResponseDb(48000.0, 250.0, 6.0, 2.0, grid.data(), b0.data(), CURVE_POINTS);
    PeakingBandResponseDb(48000.0, 1600.0, -4.5, static_cast<float>(5.8), grid.data(), b1.data(),
                          CURVE_POINTS);

    for (const ChannelCurve& c : {Build(ch, false).reference, Build(ch, false).fast}) {
        EXPECT_EQ(c.frequencies, grid);
        for (int k = 0; k < CURVE_POINTS; ++k) {
            ASSERT_NEAR(c.highPass[k], hp[k], 1e-6) << k;
            ASSERT_NEAR(c.lowPass[k], lp[k], 1e-6) << k;
            if (lp[k] > -300.0 && hp[k] > -300.0) {
                ASSERT_NEAR(c.levels[k], hp[k] + lp[k] + b0[k] + b1[k], 1e-6) << k;
            }
        }
    }
}

TEST(ChannelCurve, BypassedChannelShowsOnlyItsCrossovers) {
    const ChannelFilters ch = ExampleChannel();
    const BothCurves c = Build(ch, true);
    for (const ChannelCurve* curve : {&c.reference, &c.fast})
        for (int k = 0; k < CURVE_POINTS; ++k)
            ASSERT_EQ(curve->levels[k], curve->highPass[k] + curve->lowPass[k]) << k;
}

TEST(ChannelCurve, FlatChannelIsExactlyZero) {
    // Crossovers off (by flag or by slope 0); bands disabled, of gain 0, or bypassed.
    ChannelFilters ch = ExampleChannel();
    ch.highPass.off = true;
    ch.lowPass.slope = 0;
    ch.lowPass.off = false;
    for (BandSpec& b : ch.bands) b.enable = 0;
    ch.bands.push_back({0.0f, 3.0f, 440, true});
    for (bool bypassed : {false, true}) {
        const BothCurves c = Build(ch, bypassed);
        for (const ChannelCurve* curve : {&c.reference, &c.fast}) {
            for (int k = 0; k < CURVE_POINTS; ++k) {
                ASSERT_EQ(curve->levels[k], 0.0) << k;
                ASSERT_EQ(curve->highPass[k], 0.0) << k;
                ASSERT_EQ(curve->lowPass[k], 0.0) << k;
            }
        }
    }
    // Bypass flattens enabled bands too.
    ChannelFilters bands;
    bands.bands = {{12.0f, 1.0f, 100, true}, {-12.0f, 9.0f, 10000, true}};
    const BothCurves c = Build(bands, true);
    for (int k = 0; k < CURVE_POINTS; ++k) {
        ASSERT_EQ(c.reference.levels[k], 0.0) << k;
        ASSERT_EQ(c.fast.levels[k], 0.0) << k;
    }
}

TEST(ChannelCurve, ChannelWithoutBandsIsItsCrossovers) {
    ChannelFilters ch = ExampleChannel();
    ch.bands.clear();
    const BothCurves c = Build(ch, false);
    for (const ChannelCurve* curve : {&c.reference, &c.fast}) {
        ASSERT_EQ(curve->levels.size(), static_cast<size_t>(CURVE_POINTS));
        ASSERT_EQ(curve->frequencies, StandardGrid());
        for (int k = 0; k < CURVE_POINTS; ++k)
            ASSERT_EQ(curve->levels[k], curve->highPass[k] + curve->lowPass[k]) << k;
    }
    EXPECT_NEAR(c.fast.levels[200], c.reference.levels[200], 1e-9);
}

TEST(ChannelCurve, OtherGridSizes) {
    const ChannelFilters ch = ExampleChannel();
    for (int count : {2, 3, 64, 1000}) {
        ChannelCurve ref, fast;
        BuildChannelCurveReference(ch, false, count, ref);
        BuildChannelCurve(ch, false, count, fast);
        ASSERT_EQ(fast.levels.size(), static_cast<size_t>(count));
        EXPECT_EQ(fast.frequencies, ref.frequencies);
        for (int k = 0; k < count; ++k) {
            if (ref.levels[k] > -300.0) {
                ASSERT_NEAR(fast.levels[k], ref.levels[k], 1e-6) << k;
            }
        }
    }
}

TEST(ChannelCurve, FastLevelsWithoutSeparateCrossovers) {
    const ChannelFilters ch = ExampleChannel();
    std::vector<double> together(CURVE_POINTS);
    StandardResponseGrid().ChannelDb(ch, false, together.data());
    const ChannelCurve ref = Build(ch, false).reference;
    for (int k = 0; k < CURVE_POINTS; ++k) {
        if (ref.levels[k] > -300.0) {
            ASSERT_NEAR(together[k], ref.levels[k], 1e-6) << k;
        }
    }
}

// A random channel within the ranges the controller keeps, plus crossover frequencies
// beyond the design limit and slopes beyond the highest order.
ChannelFilters RandomChannel(std::mt19937& rng) {
    std::uniform_int_distribution<int> crossoverFreq(20, 24000), bandFreq(20, 20000), slope(0, 10),
        type(1, 3), bandCount(0, 31), coin(0, 3);
    std::uniform_real_distribution<float> gain(-20.0f, 20.0f), q(0.5f, 9.0f);
    ChannelFilters ch;
    ch.highPass = {crossoverFreq(rng), type(rng), slope(rng), coin(rng) == 0};
    ch.lowPass = {crossoverFreq(rng), type(rng), slope(rng), coin(rng) == 0};
    const int n = bandCount(rng);
    for (int i = 0; i < n; ++i) {
        BandSpec b{gain(rng), q(rng), bandFreq(rng), coin(rng) != 0};
        if (coin(rng) == 0) b.gain = std::round(b.gain);  // whole dB, and some zeros
        ch.bands.push_back(b);
    }
    return ch;
}

TEST(ChannelCurve, FastPathAgreesWithReferenceOnRandomChannels) {
    std::mt19937 rng(20240611u);
    int compared = 0, floorPoints = 0;
    for (int i = 0; i < 300; ++i) {
        const ChannelFilters ch = RandomChannel(rng);
        const bool bypassed = (i % 5) == 0;
        const BothCurves c = Build(ch, bypassed);
        for (int k = 0; k < CURVE_POINTS; ++k) {
            const double ref = c.reference.levels[k];
            if (ref > -300.0) {
                ASSERT_NEAR(c.fast.levels[k], ref, 1e-6) << "channel " << i << " point " << k;
                ++compared;
            } else {
                // Below, the floors dominate; the fast path still agrees closely.
                ASSERT_NEAR(c.fast.levels[k], ref, 1e-6 * std::fabs(ref)) << i << " " << k;
            }
            // The crossover levels hit the floors exactly where the reference does.
            for (auto part : {&ChannelCurve::highPass, &ChannelCurve::lowPass}) {
                const double r = (c.reference.*part)[k];
                const double f = (c.fast.*part)[k];
                if (r != 0.0 && std::fmod(r, kLevelFloorDb) == 0.0) {
                    ASSERT_EQ(f, r) << "channel " << i << " point " << k;
                    ++floorPoints;
                } else if (r > -300.0) {
                    ASSERT_NEAR(f, r, 1e-6) << "channel " << i << " point " << k;
                }
            }
        }
    }
    EXPECT_GT(compared, 100000);
    EXPECT_GT(floorPoints, 100);
}

TEST(ChannelCurve, NarrowLowBandsAndSteepBandsAgreeWithReference) {
    // The bands are multiplied as numerator and denominator powers between divisions: 31
    // narrow bands at the bottom of the range bring those powers closest to the limits of
    // a double. Bands far beyond the page's gains take the section-by-section path.
    ChannelFilters narrow;
    narrow.lowPass = {18000, kBessel, 8, false};
    for (int b = 0; b < 31; ++b)
        narrow.bands.push_back({b % 2 ? -12.0f : 12.0f, 9.0f, 20 + b % 6, true});
    ChannelFilters steep;
    steep.highPass = {40, kButterworth, 8, false};
    steep.bands = {{-90.0f, 2.0f, 1000, true}, {75.0f, 1.0f, 5000, true}, {6.0f, 0.5f, 100, true}};
    for (const ChannelFilters& ch : {narrow, steep}) {
        const BothCurves c = Build(ch, false);
        for (int k = 0; k < CURVE_POINTS; ++k) {
            ASSERT_TRUE(std::isfinite(c.fast.levels[k])) << k;
            if (c.reference.levels[k] > -300.0) {
                ASSERT_NEAR(c.fast.levels[k], c.reference.levels[k], 1e-6) << k;
            }
        }
    }
}

TEST(ChannelCurve, ExpandedCosineFormWouldFailFarBelowAHighPass) {
    // Guards the precision the closed form must keep: written in cos w and cos 2w, the
    // numerator of a high-pass far below its cut-off cancels down to rounding noise.
    ChannelFilters ch;
    ch.highPass = {2000, kButterworth, 2, false};
    const BothCurves c = Build(ch, false);
    // About -12 dB per octave over 11 octaves: close to -132 dB, computed accurately.
    EXPECT_LT(c.reference.levels[0], -100.0);
    EXPECT_NEAR(c.fast.levels[0], c.reference.levels[0], 1e-6);
}

}  // namespace
}  // namespace dvdsp::dsp
