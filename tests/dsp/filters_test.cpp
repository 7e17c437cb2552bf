// Design rules of the crossover families and the peaking band.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "dsp/filters.h"

namespace dvdsp::dsp {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Damping of a second-order slot, recovered from coef = (2 - d sin w) / (2 + d sin w).
double SlotDamping(const CrossoverSlot& s) {
    const double sinw = std::sin(std::acos(s.cosw));
    return 2.0 * (1.0 - s.coef) / ((1.0 + s.coef) * sinw);
}

void ExpectSameDesign(const CrossoverSections& a, const CrossoverSections& b) {
    for (int i = 0; i < CROSSOVER_SECTIONS; ++i) {
        EXPECT_EQ(a.slot[i].kind, b.slot[i].kind) << "slot " << i;
        EXPECT_DOUBLE_EQ(a.slot[i].coef, b.slot[i].coef) << "slot " << i;
        EXPECT_DOUBLE_EQ(a.slot[i].cosw, b.slot[i].cosw) << "slot " << i;
    }
}

struct OrderCase {
    const char* name;
    int type;
    int slope;
    int designOrder;
    int kinds[4];
};

class CrossoverOrderRules : public ::testing::TestWithParam<OrderCase> {};

TEST_P(CrossoverOrderRules, SlotLayout) {
    const OrderCase& c = GetParam();
    EXPECT_EQ(CrossoverDesignOrder(c.slope, c.type), c.designOrder);
    for (bool lowPass : {false, true}) {
        const CrossoverSections d = DesignCrossoverSections(lowPass, 1000.0, c.slope, c.type);
        for (int i = 0; i < CROSSOVER_SECTIONS; ++i)
            EXPECT_EQ(d.slot[i].kind, c.kinds[i]) << "slot " << i << (lowPass ? " lp" : " hp");
    }
}

const OrderCase kOrderCases[] = {
    {"butterworth_slope1_one_first_order_slot", 1, 1, 1, {0, -1, -1, -1}},
    {"butterworth_slope2_one_biquad", 1, 2, 2, {1, -1, -1, -1}},
    {"butterworth_slope3_biquad_then_first_order", 1, 3, 3, {1, 0, -1, -1}},
    {"butterworth_slope7_three_biquads_then_first_order", 1, 7, 7, {1, 1, 1, 0}},
    {"butterworth_slope8_four_biquads", 1, 8, 8, {1, 1, 1, 1}},
    {"slope9_designed_as_order8", 1, 9, 8, {1, 1, 1, 1}},
    {"slope100_designed_as_order8", 3, 100, 8, {1, 1, 1, 1}},
    {"slope0_designed_as_order1", 1, 0, 1, {0, -1, -1, -1}},
    {"linkwitz_riley_slope1_made_order2", 2, 1, 2, {1, -1, -1, -1}},
    {"linkwitz_riley_slope3_made_order4", 2, 3, 4, {1, 1, -1, -1}},
    {"linkwitz_riley_slope7_made_order8", 2, 7, 8, {1, 1, 1, 1}},
    {"linkwitz_riley_slope9_made_order8", 2, 9, 8, {1, 1, 1, 1}},
    {"bessel_slope5_two_biquads_then_first_order", 3, 5, 5, {1, 1, 0, -1}},
};

INSTANTIATE_TEST_SUITE_P(Rows, CrossoverOrderRules, ::testing::ValuesIn(kOrderCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CrossoverDesign, ButterworthSlope3HasUnitDampingInSlot0) {
    const CrossoverSections d = DesignCrossoverSections(true, 1000.0, 3, kButterworth);
    EXPECT_NEAR(SlotDamping(d.slot[0]), 1.0, 1e-12);
    // The first-order slot is the bilinear pole at the base frequency.
    const double w = kTwoPi * 1000.0 / 48000.0;
    EXPECT_NEAR(d.slot[1].coef, (std::tan(w / 2) - 1) / (std::tan(w / 2) + 1), 1e-12);
    EXPECT_NEAR(d.slot[1].cosw, std::cos(w), 1e-15);
}

TEST(CrossoverDesign, ButterworthDampingsOfOrder8) {
    const CrossoverSections d = DesignCrossoverSections(false, 500.0, 8, kButterworth);
    const double expected[4] = {
        2 * std::sin(7 * std::numbers::pi / 16), 2 * std::sin(5 * std::numbers::pi / 16),
        2 * std::sin(3 * std::numbers::pi / 16), 2 * std::sin(1 * std::numbers::pi / 16)};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(SlotDamping(d.slot[i]), expected[i], 1e-12) << i;
}

TEST(CrossoverDesign, LinkwitzRileySlope3IsTwoSqrt2Biquads) {
    const CrossoverSections d = DesignCrossoverSections(true, 2000.0, 3, kLinkwitzRiley);
    EXPECT_NEAR(SlotDamping(d.slot[0]), 1.4142135624, 1e-10);
    EXPECT_NEAR(SlotDamping(d.slot[1]), 1.4142135624, 1e-10);
    ExpectSameDesign(d, DesignCrossoverSections(true, 2000.0, 4, kLinkwitzRiley));
}

TEST(CrossoverDesign, LinkwitzRileySlope1EqualsSlope2) {
    for (bool lowPass : {false, true})
        ExpectSameDesign(DesignCrossoverSections(lowPass, 300.0, 1, kLinkwitzRiley),
                         DesignCrossoverSections(lowPass, 300.0, 2, kLinkwitzRiley));
}

TEST(CrossoverDesign, SlopeAboveEightEqualsEight) {
    for (int type : {1, 2, 3})
        ExpectSameDesign(DesignCrossoverSections(true, 800.0, 9, type),
                         DesignCrossoverSections(true, 800.0, 8, type));
}

TEST(CrossoverDesign, FrequencyAbove22000IsDesignedAt22000) {
    for (int type : {1, 2})
        for (bool lowPass : {false, true}) {
            const CrossoverSections high = DesignCrossoverSections(lowPass, 30000.0, 4, type);
            const CrossoverSections at = DesignCrossoverSections(lowPass, 22000.0, 4, type);
            for (int i = 0; i < 2; ++i) {
                EXPECT_NEAR(high.slot[i].coef, at.slot[i].coef, 1e-12);
                EXPECT_NEAR(high.slot[i].cosw, at.slot[i].cosw, 1e-12);
            }
            // Below the limit the frequency is used as it is.
            const CrossoverSections below = DesignCrossoverSections(lowPass, 21000.0, 4, type);
            EXPECT_GT(std::fabs(below.slot[0].cosw - at.slot[0].cosw), 1e-3);
        }
}

TEST(CrossoverDesign, FrequencyNearZeroIsRaisedToLowestDesignFrequency) {
    const CrossoverSections zero = DesignCrossoverSections(false, 0.0, 2, kButterworth);
    const CrossoverSections lowest = DesignCrossoverSections(false, 0.0025, 2, kButterworth);
    EXPECT_NEAR(zero.slot[0].coef, lowest.slot[0].coef, 1e-15);
    EXPECT_LT(zero.slot[0].coef, 1.0);  // never a pole on the unit circle
}

TEST(CrossoverDesign, BesselSectionsUseTheFamilyFrequencies) {
    // Order 2: normalisation 1/sqrt(3) times pole factor sqrt(3) gives the base frequency.
    const double w = kTwoPi * 1000.0 / 48000.0;
    const CrossoverSections lp = DesignCrossoverSections(true, 1000.0, 2, kBessel);
    EXPECT_NEAR(lp.slot[0].cosw, std::cos(w), 1e-9);
    EXPECT_NEAR(SlotDamping(lp.slot[0]), BesselDamping(2, 0), 1e-9);
    // Order 3 high-pass: the first-order slot sits at w / N / R.
    const CrossoverSections hp = DesignCrossoverSections(false, 1000.0, 3, kBessel);
    const double w1 = w / BesselNormalisation(3) / BesselFirstOrderFactor(1);
    EXPECT_NEAR(hp.slot[1].cosw, std::cos(w1), 1e-12);
    const double w0 = w / BesselNormalisation(3) / BesselFrequencyFactor(3, 0);
    EXPECT_NEAR(hp.slot[0].cosw, std::cos(w0), 1e-12);
}

TEST(CrossoverDesign, UnknownTypeGivesZeroDamping) {
    const CrossoverSections d = DesignCrossoverSections(true, 1000.0, 2, 7);
    EXPECT_EQ(d.slot[0].kind, 1);
    EXPECT_DOUBLE_EQ(d.slot[0].coef, 1.0);
}

TEST(CrossoverDesign, TablesHoldTheFamilyData) {
    EXPECT_DOUBLE_EQ(LinkwitzRileyDamping(6, 0), 2.0);
    EXPECT_DOUBLE_EQ(LinkwitzRileyDamping(6, 2), 1.0);
    EXPECT_DOUBLE_EQ(LinkwitzRileyDamping(8, 3), 0.7653668647);
    EXPECT_DOUBLE_EQ(BesselDamping(8, 3), 0.8158806765);
    EXPECT_DOUBLE_EQ(BesselFrequencyFactor(7, 2), 6.0495276805);
    EXPECT_DOUBLE_EQ(BesselFirstOrderFactor(3), 4.9717868586);
    EXPECT_DOUBLE_EQ(BesselNormalisation(8), 0.1581178777);
    EXPECT_DOUBLE_EQ(BesselNormalisation(9), 0.0);
    EXPECT_DOUBLE_EQ(LinkwitzRileyDamping(3, 0), 0.0);
}

TEST(CrossoverSlotBiquad, SectionsHaveUnityPassBandGain) {
    for (int type : {1, 2, 3})
        for (int order = 1; order <= 8; ++order) {
            const CrossoverSections lp = DesignCrossoverSections(true, 700.0, order, type);
            const CrossoverSections hp = DesignCrossoverSections(false, 700.0, order, type);
            for (int i = 0; i < CROSSOVER_SECTIONS; ++i) {
                Biquad b;
                if (CrossoverSlotBiquad(true, lp.slot[i], b)) {
                    // H(1) = 1 for a low-pass.
                    EXPECT_NEAR((b.b[0] + b.b[1] + b.b[2]) / (b.a[0] + b.a[1] + b.a[2]), 1.0, 1e-9);
                }
                if (CrossoverSlotBiquad(false, hp.slot[i], b)) {
                    // H(-1) = 1 for a high-pass.
                    EXPECT_NEAR((b.b[0] - b.b[1] + b.b[2]) / (b.a[0] - b.a[1] + b.a[2]), 1.0,
                                1e-12);
                }
            }
        }
    Biquad unused;
    EXPECT_FALSE(CrossoverSlotBiquad(true, CrossoverSlot{}, unused));
}

TEST(PeakingBand, ZeroGainDesignsNumeratorEqualToDenominator) {
    for (double q : {0.5, 1.0, 5.8, 9.0}) {
        const Biquad b = DesignPeakingBand(48000.0, 125.0, 0.0, q);
        EXPECT_EQ(b.b, b.a) << "q " << q;
        EXPECT_EQ(b.a[0], 1.0);
    }
}

TEST(PeakingBand, CutIsTheInverseOfTheBoost) {
    // The cut's numerator is the boost's denominator up to scale, and vice versa.
    const Biquad boost = DesignPeakingBand(48000.0, 3150.0, 9.0, 2.0);
    const Biquad cut = DesignPeakingBand(48000.0, 3150.0, -9.0, 2.0);
    const double k = cut.b[0];
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(cut.b[i] / k, boost.a[i], 1e-12) << i;
        EXPECT_NEAR(cut.a[i] * boost.b[0], boost.b[i], 1e-12) << i;
    }
}

}  // namespace
}  // namespace dvdsp::dsp
