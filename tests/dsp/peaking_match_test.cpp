// The unit's peaking band against the cookbook filter the equaliser programs write.
#include <gtest/gtest.h>

#include "dsp/peaking_match.h"

namespace dvdsp::dsp {
namespace {

Biquad Book(double f, double g, double q) { return DesignCookbookPeaking(RESPONSE_SAMPLE_RATE, f, g, q); }
Biquad Unit(double f, double g, double q) { return DesignPeakingBand(RESPONSE_SAMPLE_RATE, f, g, q); }

TEST(PeakingMatch, TheSameNumbersGiveDifferentCurvesAndTheConvertedQMatches) {
    // As measured: 1.0 dB apart at +6 dB, Q 1, and 3.5 dB apart at -12 dB, Q 1.
    EXPECT_NEAR(WorstDifferenceDb({Book(1000, 6, 1)}, {Unit(1000, 6, 1)}), 1.0, 0.1);
    EXPECT_NEAR(WorstDifferenceDb({Book(1000, -12, 1)}, {Unit(1000, -12, 1)}), 3.5, 0.1);

    const PeakingMatch cut = UnitQFor(Book(1000, -12, 1), 1000, -12);
    EXPECT_DOUBLE_EQ(cut.q, 2.0);
    EXPECT_LT(cut.worstDb, 0.001);
    const PeakingMatch boost = UnitQFor(Book(1000, 6, 1), 1000, 6);
    EXPECT_DOUBLE_EQ(boost.q, 1.4);
    EXPECT_LT(boost.worstDb, 0.035);  // 0.032 on this grid of 480 points
    EXPECT_NEAR(boost.worstDb, WorstDifferenceDb({Book(1000, 6, 1)}, {Unit(1000, 6, 1.4)}), 1e-12);
}

TEST(PeakingMatch, TheWayBackFindsTheCookbookQThatLeadsToTheSameUnitQ) {
    for (double g : {-12.0, -3.5, 2.0, 6.0})
        for (double q : {0.7, 2.0, 5.8, 9.0}) {
            const PeakingMatch back = CookbookQFor(250, g, q);
            EXPECT_LT(back.worstDb, 0.1) << g << " " << q;
            EXPECT_DOUBLE_EQ(UnitQFor(Book(250, g, back.q), 250, g).q, q) << g << " " << q;
        }
    // The levels agree with a direct evaluation at the centre: the full gain.
    EXPECT_NEAR(BiquadLevelDb(Book(1000, -12, 1), 1000), -12.0, 1e-9);
}

}  // namespace
}  // namespace dvdsp::dsp
