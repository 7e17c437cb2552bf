// Known levels of the response library, each row checked on the step-by-step evaluator
// and on the closed-form grid.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "dsp/channel_curve.h"
#include "dsp/response.h"
#include "dsp/response_grid.h"

namespace dvdsp::dsp {
namespace {

// A grid probing one frequency; the last two points are half the sample rate and the
// sample rate, as on the standard grid.
std::vector<double> ProbeGrid(double f) {
    return {f, 24000.0, 48000.0};
}

double ReferenceCrossoverAt(bool lowPass, int type, int order, double fc, double probe) {
    std::vector<double> grid = ProbeGrid(probe), levels(3);
    CrossoverResponseDb(lowPass, RESPONSE_SAMPLE_RATE, fc, order, type, 3, grid.data(),
                        levels.data());
    return levels[0];
}

double FastCrossoverAt(bool lowPass, int type, int order, double fc, double probe) {
    ResponseGrid grid(ProbeGrid(probe));
    std::vector<double> levels(3);
    grid.CrossoverDb(lowPass, CrossoverSpec{static_cast<int32_t>(fc), type, order, false},
                     levels.data());
    return levels[0];
}

struct LevelCase {
    std::string name;
    bool lowPass;
    int type;
    int order;
    double fc;
    double expectedDb;
    double tolerance;
};

std::vector<LevelCase> CrossoverFrequencyRows() {
    std::vector<LevelCase> rows;
    const char* families[] = {"", "butterworth", "linkwitz_riley"};
    const double levels[] = {0.0, -3.0102999566, -6.0205999133};
    for (int type : {1, 2})
        for (int order = 1; order <= 8; ++order)
            for (bool lowPass : {false, true})
                for (double fc : {50.0, 1000.0, 15000.0})
                    rows.push_back({std::string(families[type]) + (lowPass ? "_lp" : "_hp") +
                                        "_order" + std::to_string(order) + "_at_" +
                                        std::to_string(static_cast<int>(fc)),
                                    lowPass, type, order, fc, levels[type], 1e-6});
    // Bessel: the analog levels, which a digital design meets at low crossover frequencies.
    const double bessel[] = {0.0,     -3.0103,  -4.7712,  -6.3141, -7.7833,
                             -9.2227, -10.6501, -12.0738, -13.4977};
    for (int order = 1; order <= 8; ++order)
        for (bool lowPass : {false, true})
            rows.push_back({std::string("bessel") + (lowPass ? "_lp" : "_hp") + "_order" +
                                std::to_string(order) + "_at_1000",
                            lowPass, 3, order, 1000.0, bessel[order], 0.01});
    // The listed values as written for the orders that have them.
    rows.push_back({"bessel_lp_order3_listed_6_31", true, 3, 3, 1000.0, -6.31, 0.01});
    rows.push_back({"bessel_hp_order4_listed_7_78", false, 3, 4, 1000.0, -7.78, 0.01});
    rows.push_back({"bessel_lp_order8_listed_13_50", true, 3, 8, 1000.0, -13.50, 0.01});
    rows.push_back({"bessel_hp_order8_listed_13_50", false, 3, 8, 1000.0, -13.50, 0.01});
    // Orders 1 and 2 hold at any crossover frequency.
    rows.push_back({"bessel_lp_order2_at_12000", true, 3, 2, 12000.0, -4.7712125472, 1e-6});
    rows.push_back({"bessel_hp_order1_at_12000", false, 3, 1, 12000.0, -3.0102999566, 1e-6});
    return rows;
}

class LevelAtCrossoverFrequency : public ::testing::TestWithParam<LevelCase> {};

TEST_P(LevelAtCrossoverFrequency, ReferenceAndFast) {
    const LevelCase& c = GetParam();
    EXPECT_NEAR(ReferenceCrossoverAt(c.lowPass, c.type, c.order, c.fc, c.fc), c.expectedDb,
                c.tolerance);
    EXPECT_NEAR(FastCrossoverAt(c.lowPass, c.type, c.order, c.fc, c.fc), c.expectedDb, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Rows, LevelAtCrossoverFrequency,
                         ::testing::ValuesIn(CrossoverFrequencyRows()),
                         [](const auto& row) { return row.param.name; });

TEST(LevelAtCrossoverFrequency, BesselDriftsAtHighCrossoverFrequencies) {
    // The design is not bent to the analog value: at 15 kHz order 8 is well off it.
    EXPECT_GT(std::fabs(ReferenceCrossoverAt(true, 3, 8, 15000.0, 15000.0) + 13.4977), 0.05);
}

struct BandCase {
    const char* name;
    double f0;
    double gain;
    double q;
};

class PeakingBandAtCentre : public ::testing::TestWithParam<BandCase> {};

TEST_P(PeakingBandAtCentre, LevelIsTheGain) {
    const BandCase& c = GetParam();
    std::vector<double> grid = ProbeGrid(c.f0), levels(3);
    PeakingBandResponseDb(RESPONSE_SAMPLE_RATE, c.f0, c.gain, c.q, grid.data(), levels.data(), 3);
    EXPECT_NEAR(levels[0], c.gain, 1e-9);
    EXPECT_EQ(grid, ProbeGrid(c.f0)) << "the grid is left unchanged";

    ResponseGrid fast(ProbeGrid(c.f0));
    ChannelFilters ch;
    ch.bands.push_back(
        {static_cast<float>(c.gain), static_cast<float>(c.q), static_cast<int32_t>(c.f0), true});
    fast.ChannelDb(ch, false, levels.data());
    // The band description holds the gain as a float.
    EXPECT_NEAR(levels[0], static_cast<double>(static_cast<float>(c.gain)), 1e-9);
}

const BandCase kBandCases[] = {
    {"boost6_at_1000_q0_5", 1000.0, 6.0, 0.5}, {"boost6_at_1000_q1_41", 1000.0, 6.0, 1.41},
    {"boost6_at_1000_q9", 1000.0, 6.0, 9.0},   {"cut6_at_1000_q2", 1000.0, -6.0, 2.0},
    {"boost12_at_20_q5_8", 20.0, 12.0, 5.8},   {"cut15_at_20000_q0_7", 20000.0, -15.0, 0.7},
    {"boost0_1_at_315_q3", 315.0, 0.1, 3.0},   {"cut20_at_63_q9", 63.0, -20.0, 9.0},
};

INSTANTIATE_TEST_SUITE_P(Rows, PeakingBandAtCentre, ::testing::ValuesIn(kBandCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(PeakingBand, ZeroGainIsExactlyFlatEverywhere) {
    std::vector<double> grid(CURVE_POINTS), levels(CURVE_POINTS, 99.0);
    MakeFrequencyGrid(RESPONSE_SAMPLE_RATE, CURVE_POINTS, grid.data());
    for (double f : {20.0, 1000.0, 20000.0})
        for (double q : {0.5, 9.0}) {
            PeakingBandResponseDb(RESPONSE_SAMPLE_RATE, f, 0.0, q, grid.data(), levels.data(),
                                  CURVE_POINTS);
            for (double l : levels) ASSERT_EQ(l, 0.0) << f << " " << q;
        }
}

TEST(PeakingBand, BoostAndCutAreMirrorImages) {
    std::vector<double> grid(CURVE_POINTS), up(CURVE_POINTS), down(CURVE_POINTS);
    MakeFrequencyGrid(RESPONSE_SAMPLE_RATE, CURVE_POINTS, grid.data());
    for (double g : {0.5, 6.0, 12.0}) {
        PeakingBandResponseDb(RESPONSE_SAMPLE_RATE, 1000.0, g, 2.5, grid.data(), up.data(),
                              CURVE_POINTS);
        PeakingBandResponseDb(RESPONSE_SAMPLE_RATE, 1000.0, -g, 2.5, grid.data(), down.data(),
                              CURVE_POINTS);
        for (int k = 0; k < CURVE_POINTS; ++k) ASSERT_NEAR(up[k], -down[k], 1e-9) << k;
        EXPECT_GT(up[300], 0.0);
    }
}

TEST(FrequencyGrid, KnownPoints) {
    std::vector<double> grid(CURVE_POINTS);
    MakeFrequencyGrid(RESPONSE_SAMPLE_RATE, CURVE_POINTS, grid.data());
    EXPECT_NEAR(grid[0], std::pow(10.0, std::log10(24000.0) / 511.0), 1e-13);
    EXPECT_NEAR(grid[0], 1.0199, 1e-4);
    EXPECT_NEAR(grid[255], std::pow(10.0, 256.0 * std::log10(24000.0) / 511.0), 1e-9);
    EXPECT_EQ(grid[510], 24000.0);
    EXPECT_EQ(grid[511], 48000.0);
    for (int k = 1; k < CURVE_POINTS; ++k) ASSERT_GT(grid[k], grid[k - 1]);
    EXPECT_EQ(StandardResponseGrid().Frequencies(), grid);
}

TEST(FrequencyGrid, GeneralCount) {
    double grid[5];
    MakeFrequencyGrid(1000.0, 5, grid);
    const double top = std::log10(500.0);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(grid[k], std::pow(10.0, (k + 1) * top / 4), 1e-12);
    EXPECT_EQ(grid[3], 500.0);
    EXPECT_EQ(grid[4], 1000.0);
}

TEST(EvaluateSections, PhaseReplacesTheGridAndFloorHasZeroPhase) {
    // A pure delay z^-1: 0 dB, phase -2 pi f / fs.
    const double b[3] = {0.0, 1.0, 0.0}, a[3] = {1.0, 0.0, 0.0};
    std::vector<double> grid = {6000.0, 24000.0, 48000.0}, levels(3);
    EvaluateSectionsDb(b, a, 2, 1, levels.data(), grid.data(), 3);
    EXPECT_NEAR(levels[0], 0.0, 1e-12);
    EXPECT_NEAR(grid[0], -std::numbers::pi / 4, 1e-12);

    // A zero numerator is the floor, with phase 0.
    const double zero[3] = {0.0, 0.0, 0.0};
    grid = {6000.0, 24000.0, 48000.0};
    EvaluateSectionsDb(zero, a, 2, 1, levels.data(), grid.data(), 3);
    EXPECT_EQ(levels, std::vector<double>(3, kLevelFloorDb));
    EXPECT_EQ(grid, std::vector<double>(3, 0.0));
}

TEST(EvaluateSections, CascadeInOneCallIsTheSumOfItsSections) {
    const Biquad p = DesignPeakingBand(48000.0, 500.0, 5.0, 1.0);
    const Biquad q = DesignPeakingBand(48000.0, 4000.0, -3.0, 4.0);
    const double b[6] = {p.b[0], p.b[1], p.b[2], q.b[0], q.b[1], q.b[2]};
    const double a[6] = {1.0, p.a[1], p.a[2], 1.0, q.a[1], q.a[2]};
    std::vector<double> grid(CURVE_POINTS), work, both(CURVE_POINTS), one(CURVE_POINTS),
        two(CURVE_POINTS);
    MakeFrequencyGrid(RESPONSE_SAMPLE_RATE, CURVE_POINTS, grid.data());
    work = grid;
    EvaluateSectionsDb(b, a, 2, 2, both.data(), work.data(), CURVE_POINTS);
    PeakingBandResponseDb(48000.0, 500.0, 5.0, 1.0, grid.data(), one.data(), CURVE_POINTS);
    PeakingBandResponseDb(48000.0, 4000.0, -3.0, 4.0, grid.data(), two.data(), CURVE_POINTS);
    for (int k = 0; k < CURVE_POINTS; ++k) ASSERT_NEAR(both[k], one[k] + two[k], 1e-9) << k;
}

TEST(EvaluateSections, FirstOrderSectionsInOrderOne) {
    const double b[2] = {0.5, 0.5}, a[2] = {1.0, 0.0};  // (1 + z^-1) / 2
    std::vector<double> grid = {12000.0, 24000.0, 48000.0}, levels(3);
    EvaluateSectionsDb(b, a, 1, 1, levels.data(), grid.data(), 3);
    EXPECT_NEAR(levels[0], -3.0102999566, 1e-9);
    EXPECT_EQ(levels[1], kLevelFloorDb);
    EXPECT_NEAR(levels[2], 0.0, 1e-12);
}

struct FloorCase {
    const char* name;
    bool lowPass;
    int type;
    int order;
    int point;
    double expected;
};

class CrossoverFloors : public ::testing::TestWithParam<FloorCase> {};

TEST_P(CrossoverFloors, ExactFloorPerSection) {
    const FloorCase& c = GetParam();
    std::vector<double> grid(CURVE_POINTS), ref(CURVE_POINTS), fast(CURVE_POINTS);
    MakeFrequencyGrid(RESPONSE_SAMPLE_RATE, CURVE_POINTS, grid.data());
    CrossoverResponseDb(c.lowPass, RESPONSE_SAMPLE_RATE, 1000.0, c.order, c.type, CURVE_POINTS,
                        grid.data(), ref.data());
    StandardResponseGrid().CrossoverDb(c.lowPass, CrossoverSpec{1000, c.type, c.order, false},
                                       fast.data());
    if (c.expected == 0.0) {
        EXPECT_NEAR(ref[c.point], 0.0, 1e-9);
        EXPECT_NEAR(fast[c.point], 0.0, 1e-9);
    } else {
        EXPECT_EQ(ref[c.point], c.expected);
        EXPECT_EQ(fast[c.point], c.expected);
    }
}

const FloorCase kFloorCases[] = {
    {"lp_order1_one_slot_at_24000", true, 1, 1, 510, -400.0},
    {"lp_order4_two_slots_at_24000", true, 1, 4, 510, -800.0},
    {"lp_order3_two_slots_at_24000", true, 3, 3, 510, -800.0},
    {"lp_order8_four_slots_at_24000", true, 2, 8, 510, -1600.0},
    {"lp_order7_four_slots_at_24000", true, 1, 7, 510, -1600.0},
    {"hp_order2_one_slot_at_48000", false, 1, 2, 511, -400.0},
    {"hp_order8_four_slots_at_48000", false, 3, 8, 511, -1600.0},
    {"lp_order8_passes_at_48000", true, 1, 8, 511, 0.0},
};

INSTANTIATE_TEST_SUITE_P(Rows, CrossoverFloors, ::testing::ValuesIn(kFloorCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CrossoverResponse, SampleRateArgumentIsNotUsed) {
    std::vector<double> grid(CURVE_POINTS), a(CURVE_POINTS), b(CURVE_POINTS);
    MakeFrequencyGrid(RESPONSE_SAMPLE_RATE, CURVE_POINTS, grid.data());
    CrossoverResponseDb(true, 48000.0, 2000.0, 4, 1, CURVE_POINTS, grid.data(), a.data());
    CrossoverResponseDb(true, 44100.0, 2000.0, 4, 1, CURVE_POINTS, grid.data(), b.data());
    EXPECT_EQ(a, b);
}

TEST(CrossoverResponse, FrequencyAbove22000IsDesignedAt22000) {
    for (bool lowPass : {false, true}) {
        std::vector<double> grid(CURVE_POINTS), above(CURVE_POINTS), at(CURVE_POINTS);
        MakeFrequencyGrid(RESPONSE_SAMPLE_RATE, CURVE_POINTS, grid.data());
        CrossoverResponseDb(lowPass, 48000.0, 40000.0, 2, 1, CURVE_POINTS, grid.data(),
                            above.data());
        CrossoverResponseDb(lowPass, 48000.0, 22000.0, 2, 1, CURVE_POINTS, grid.data(), at.data());
        for (int k = 0; k < CURVE_POINTS - 2; ++k) ASSERT_NEAR(above[k], at[k], 1e-9) << k;
    }
}

}  // namespace
}  // namespace dvdsp::dsp
