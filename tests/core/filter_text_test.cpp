// Filter text of the measurement and equaliser programs: the hand-written files of each
// format and quirk (tests/core/data/filters, also the fuzz target's seeds) read and mapped
// to a channel, bad input refused with its lines, and export then import.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "core/filter_import.h"
#include "core/part_helpers.h"
#include "dsp/peaking_match.h"
#include "support/test_folder.h"

using dvdsp::testing::FolderTest;

using namespace dvdsp;
using namespace dvdsp::core;

namespace {

std::string Sample(const char* name) { return std::string(DVDSP_CORE_TEST_DATA) + "/filters/" + name; }

FilterImport Plan(const FilterText& t, int ch = 0) { return PlanFilterImport(t, SceneState(), ch); }
FilterImport PlanFile(const char* name, int ch = 0) { return Plan(ReadFilterTextFile(Sample(name)), ch); }
FilterImport PlanText(const std::string& text) { return Plan(ParseFilterText(text)); }

// The lines refused, in order.
std::vector<int> RefusedLines(const FilterImport& p) {
    std::vector<int> lines;
    for (const FilterRefusal& r : p.refused) lines.push_back(r.line);
    return lines;
}

void ExpectBand(const EqBand& b, int freq, double q, double gain) {
    EXPECT_EQ(b.freq, freq);
    EXPECT_NEAR(b.q, q, 1e-6) << "at " << freq << " Hz";
    EXPECT_NEAR(b.gain, gain, 1e-6) << "at " << freq << " Hz";
    EXPECT_EQ(b.enable, 1);
}

TEST(FilterText, TheMeasurementProgramsExportWithItsHeaderOffFiltersAndTheTrailingNoneBlock) {
    const FilterImport p = PlanFile("rew_generic.txt");
    ASSERT_TRUE(p.Ok()) << RefusalLines(p.refused);
    ASSERT_EQ(p.bands.size(), 3u);
    // 42.65 Hz to whole hertz; the cookbook's -12 dB, Q 1 is the unit's Q 2.0, +6 dB Q 1 its 1.4.
    EXPECT_EQ(p.bands[0].freq, 43);
    EXPECT_NEAR(p.bands[0].gain, -5.2, 1e-6);
    ExpectBand(p.bands[1], 120, 2.0, -12.0);
    ExpectBand(p.bands[2], 1000, 1.4, 6.0);
    EXPECT_EQ(p.offFilters, 1);
    EXPECT_EQ(p.emptyFilters, 3);
    // Two HP Q sections of Q 0.7071 at one frequency: the unit's Linkwitz-Riley 24 dB/oct.
    ASSERT_TRUE(p.highPass.set);
    EXPECT_EQ(p.highPass.filter, (CrossoverFilter{80, 2, 4, 0}));
    EXPECT_FALSE(p.lowPass.set);
    EXPECT_FALSE(p.hasPreamp);
    // 42.65 Hz on whole hertz costs most of it (0.25 dB beside that narrow band).
    EXPECT_LT(p.worstDb, 0.3);
    EXPECT_NE(ImportSummary(p).find("Worst difference from the file's filters: 0.25 dB (20 Hz to 20 kHz)"), std::string::npos)
        << ImportSummary(p);
}

TEST(FilterText, OlderExportsWithDecimalCommasAndTheSystemEqualisersLines) {
    const FilterImport old = PlanFile("rew_old_comma.txt");
    ASSERT_TRUE(old.Ok()) << RefusalLines(old.refused);
    ASSERT_EQ(old.bands.size(), 2u);
    EXPECT_EQ(old.bands[0].freq, 50);
    EXPECT_NEAR(old.bands[0].gain, -6.5, 1e-6);
    EXPECT_EQ(old.bands[1].freq, 64);
    EXPECT_EQ(old.lowPass.filter, (CrossoverFilter{90, 1, 2, 0}));  // LP: Butterworth 12 dB/oct

    const FilterImport apo = PlanFile("apo_config.txt");
    ASSERT_TRUE(apo.Ok()) << RefusalLines(apo.refused);
    ASSERT_EQ(apo.bands.size(), 3u);
    EXPECT_EQ(apo.bands[1].freq, 2500);  // keywords in any order
    EXPECT_NEAR(apo.bands[1].gain, 2.5, 1e-6);
    EXPECT_EQ(apo.bands[2].freq, 5000);  // BW Oct 1.0: Q 1.414
    EXPECT_FLOAT_EQ(apo.bands[2].q,
                    static_cast<float>(dsp::UnitQFor(dsp::DesignCookbookPeaking(48000, 5000, -4, std::sqrt(2.0)), 5000, -4).q));
    EXPECT_EQ(apo.lowPass.filter, (CrossoverFilter{12000, 2, 2, 0}));  // LPQ Q 0.5: Linkwitz-Riley 12 dB/oct
    EXPECT_TRUE(apo.hasPreamp);
    EXPECT_EQ(apo.preampHundredths, -600);
    EXPECT_EQ(apo.preampLine, 2);

    // Lines that end with a lone CR, as old editors wrote them.
    const FilterText cr = ParseFilterText("Filter 1: ON PK Fc 100 Hz Gain -3 dB Q 1\rFilter 2: ON PK Fc 200 Hz Gain -3 dB Q 1\r");
    EXPECT_TRUE(cr.refused.empty());
    ASSERT_EQ(cr.filters.size(), 2u);
    EXPECT_EQ(cr.filters[1].line, 2);

    const FilterImport eq = PlanFile("autoeq_peaking.txt");
    ASSERT_TRUE(eq.Ok());
    EXPECT_EQ(eq.bands.size(), 3u);
    EXPECT_EQ(eq.preampHundredths, -320);
}

class FilterTextFiles : public FolderTest {
protected:
    FilterTextFiles() : FolderTest("dvdsp_filters_") {}
};

TEST_F(FilterTextFiles, WhatTheUnitCannotTakeIsRefusedWithItsLine) {
    // Shelves: the unit has none; the peaking line between them is taken, the file not.
    const FilterImport shelves = PlanFile("autoeq_shelves.txt");
    EXPECT_EQ(RefusedLines(shelves), (std::vector<int>{2, 4}));
    EXPECT_NE(shelves.refused[0].why.find("LSC"), std::string::npos);

    std::string many;
    for (int i = 1; i <= 32; ++i) many += "Filter " + std::to_string(i) + ": ON PK Fc 100 Hz Gain -1 dB Q 1\n";
    EXPECT_EQ(RefusedLines(PlanText(many)), (std::vector<int>{32}));  // 31 bands

    const FilterImport bad = PlanText(
        "Filter 1: ON PK Fc 100 Hz Gain 15 dB Q 1\n"        // above +12 dB
        "Filter 2: ON PK Fc 10 Hz Gain -3 dB Q 1\n"         // below 20 Hz
        "Filter 3: ON PK Fc 100 Hz Gain -3 dB Q 0.1\n"      // the unit's Q would be below 0.5
        "Filter 4: ON PK Fc nan Hz Gain -3 dB Q 1\n"
        "Filter 5: ON PK Fc 100 Hz Gain inf dB Q 1\n"
        "Channel: L\n"
        "Filter 6: ON HPQ Fc 80 Hz Q 0.9\n"                 // no such crossover
        "Filter 7: ON LP Fc 5000 Hz\n"
        "Filter 8: ON LP Fc 6000 Hz\n"                      // a second low-pass
        "Filter 9: ON PK Fc 100 Hz Gain -3 dB\n"            // no Q
        "Filter 10: ON XYZ Fc 100 Hz\n"
        "Preamp: +3 dB\n"
        "\x01\x02\xff binary\n");
    EXPECT_EQ(RefusedLines(bad), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13}));
    EXPECT_TRUE(bad.bands.size() < 3u);

    // Not filter text at all, and a file too large or not regular, are refused unread.
    EXPECT_EQ(RefusedLines(PlanText("hello")), (std::vector<int>{1}));
    EXPECT_EQ(RefusedLines(PlanText("")), (std::vector<int>{0}));
    const std::string big = (dir_ / "big.txt").string();
    std::ofstream(big).close();
    std::filesystem::resize_file(big, 50u << 20);
    const FilterText tooLarge = ReadFilterTextFile(big);
    ASSERT_EQ(tooLarge.refused.size(), 1u);
    EXPECT_NE(tooLarge.refused[0].why.find("larger than any filter text"), std::string::npos);
    const FilterText folder = ReadFilterTextFile(dir_.string());
    ASSERT_EQ(folder.refused.size(), 1u);
    EXPECT_EQ(folder.refused[0].line, 0);
}

TEST(FilterText, ExportThenImportGivesTheSameBandsAndCrossovers) {
    SceneState s;
    ChannelSettings& c = s.channels[2];
    c.gain = -4.5f;
    const EqBand set[] = {{-12.0f, 2.0f, 120, 1}, {6.0f, 1.4f, 1000, 1}, {-3.3f, 8.7f, 57, 1}, {11.9f, 0.5f, 15000, 1}};
    for (size_t b = 0; b < std::size(set); ++b) s.Bands(2)[b] = set[b];
    s.Bands(2)[5] = {-6.0f, 3.0f, 700, 0};  // disabled: written flat
    c.hp = {45, 1, 3, 0};
    c.lp = {3000, 2, 8, 0};
    const std::string text = WriteFilterText(s, 2);
    EXPECT_EQ(text.rfind("Preamp: -4.5 dB\nFilter 1: ON PK Fc 120 Hz Gain -12.0 dB Q ", 0), 0u) << text;

    const FilterImport back = PlanFilterImport(ParseFilterText(text), SceneState(), 7);
    ASSERT_TRUE(back.Ok()) << RefusalLines(back.refused) << text;
    ASSERT_EQ(back.bands.size(), static_cast<size_t>(c.eqSize));
    for (int b = 0; b < c.eqSize; ++b) {
        EqBand want = s.Bands(2)[b];
        if (!want.enable) want = {0.0f, want.q, want.freq, 1};
        EXPECT_EQ(back.bands[Z(b)], want) << "band " << b;
    }
    EXPECT_EQ(back.highPass.filter, c.hp);
    EXPECT_EQ(back.lowPass.filter, c.lp);
    EXPECT_EQ(back.preampHundredths, -450);

    // A Bessel crossover of a higher order has no line: named, not written.
    s.channels[2].lp = {3000, 3, 4, 0};
    std::vector<std::string> left;
    EXPECT_EQ(WriteFilterText(s, 2, &left).find("LPQ"), std::string::npos);
    EXPECT_EQ(left.size(), 1u);
}

TEST(FilterText, TheUnitsCurveOfAnImportedPeakingFilterAgreesWithinTheStatedDifference) {
    const FilterImport p = PlanText("Filter: ON PK Fc 640 Hz Gain -7.3 dB Q 2.7\nFilter: ON PK Fc 90 Hz Gain 5 dB Q 0.8\n");
    ASSERT_TRUE(p.Ok());
    std::vector<dsp::Biquad> book{dsp::DesignCookbookPeaking(48000, 640, -7.3, 2.7), dsp::DesignCookbookPeaking(48000, 90, 5, 0.8)};
    std::vector<dsp::Biquad> unit;
    for (const EqBand& b : p.bands) unit.push_back(dsp::DesignPeakingBand(48000, b.freq, b.gain, b.q));
    EXPECT_LT(p.worstDb, 0.1);
    EXPECT_NEAR(dsp::WorstDifferenceDb(book, unit), p.worstDb, 1e-6);  // the bands hold floats
    // Taken as the unit's Q, the same numbers would be far off.
    std::vector<dsp::Biquad> naive{dsp::DesignPeakingBand(48000, 640, -7.3, 2.7), dsp::DesignPeakingBand(48000, 90, 5, 0.8)};
    EXPECT_GT(dsp::WorstDifferenceDb(book, naive), 10 * p.worstDb);
}

}  // namespace
