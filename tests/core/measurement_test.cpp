// Measurements, calibrations and targets from the measurement programs' files
// (tests/core/data/measurements, also the fuzz target's seeds), bad input refused with its
// line, smoothing against the plain computation, alignment and the predicted response.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "core/curve_store.h"
#include "core/response_overlay.h"
#include "support/test_folder.h"

using namespace dvdsp;
using namespace dvdsp::core;

namespace {

std::string MeasurementSample(const char* name) { return std::string(DVDSP_CORE_TEST_DATA) + "/measurements/" + name; }

class MeasurementFiles : public dvdsp::testing::FolderTest {
protected:
    MeasurementFiles() : FolderTest("dvdsp_measurement_") {}
};

TEST(Measurement, EveryFormatReadsToTheSamePoints) {
    const std::vector<double> hz{20, 40, 100, 1000, 10000, 20000};
    const std::vector<double> db{78.25, 84.1, 86, 80, 74.5, 70};
    const std::vector<double> phase{-120.5, -150.25, 170, 10, -45, -90};
    for (const char* name : {"rew_measurement.txt", "driver.frd", "comma.csv", "semicolon_comma.csv", "tab_comma.csv"}) {
        const CurveRead r = ReadCurveFile(MeasurementSample(name));
        ASSERT_TRUE(r.ok) << name << ": " << r.Message();
        EXPECT_EQ(r.curve.frequencies, hz) << name;
        EXPECT_EQ(r.curve.levels, db) << name;
        const bool withPhase = std::string(name).find("comma.csv") == std::string::npos || std::string(name) == "comma.csv";
        EXPECT_EQ(r.curve.phases, withPhase ? phase : std::vector<double>{}) << name;
    }
}

TEST(Measurement, TheMicrophoneCalibrationIsTakenOffTheMeasurement) {
    const CurveRead cal = ReadCurveFile(MeasurementSample("umik_cal.txt"));
    ASSERT_TRUE(cal.ok) << cal.Message();
    EXPECT_TRUE(cal.curve.hasSensitivity);
    EXPECT_DOUBLE_EQ(cal.curve.sensitivityDb, -0.6383);
    EXPECT_EQ(cal.curve.serial, "7023270");
    const MeasuredCurve m = ApplyCalibration(ReadCurveFile(MeasurementSample("driver.frd")).curve, cal.curve);
    EXPECT_DOUBLE_EQ(m.levels[0], 78.25 + 1.0);  // 20 Hz: the microphone reads 1 dB low
    EXPECT_DOUBLE_EQ(m.levels[3], 80.0);
    EXPECT_DOUBLE_EQ(m.levels[4], 74.5 - 1.5);
    // 100 Hz, between 20 Hz (-1) and 1 kHz (0) on a logarithmic axis.
    EXPECT_NEAR(m.levels[2], 86.0 + 1.0 * (1.0 - std::log(5.0) / std::log(50.0)), 1e-12);
}

TEST(Measurement, BadInputIsRefusedWithItsLine) {
    struct Case {
        const char* text;
        int line;
        const char* why;
    } cases[] = {
        {"* head\n20 70\n40 nan\n", 3, "not finite"},
        {"20 70\n40 inf\n", 2, "not finite"},
        {"20 70\n40 1e999\n", 2, "not finite"},
        {"20 70\n100 71\n40 72\n", 3, "not above the one before it (100 Hz, line 2)"},
        {"20 70\n20 71\n", 2, "not above the one before it"},
        {"* one\n1000 80\n", 2, "a single point"},
        {"-20 70\n40 71\n", 1, "-20 Hz is not above 0"},
        {"0 70\n40 71\n", 1, "not above 0"},
        {"20 70\n40 71\nhello there\n", 3, "not a row of numbers"},
        {"20 70\n40\n", 2, "without a level"},
        {"20 70\n40 1e300\n", 2, "level 1e+300 dB is beyond any measurement"},
        {"20 70 1\n40 71\n", 2, "2 columns where the rows before have 3"},
        {"20 70\n\x01\x02\xff\xfe 71\n", 2, "not text"},
        {"Freq;SPL\n", 0, "no rows"},
        {"", 0, "no rows"},
    };
    for (const Case& c : cases) {
        const CurveRead r = ParseCurveText(c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.line, c.line) << c.text;
        EXPECT_NE(r.Message().find(c.why), std::string::npos) << c.text << " -> " << r.Message();
        EXPECT_TRUE(r.curve.frequencies.empty());
    }
}

TEST_F(MeasurementFiles, WhatIsNotARegularFileOrTooLargeIsRefusedUnread) {
    EXPECT_FALSE(ReadCurveFile(dir_.string()).ok);
    const auto big = dir_ / "big.txt";
    std::ofstream(big) << "20 70\n40 71\n";
    std::filesystem::resize_file(big, 50u << 20);
    const CurveRead r = ReadCurveFile(big.string());
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.Message().find("larger than any measurement"), std::string::npos) << r.Message();
}

// The plain computation: the mean of every point within the window, each point anew.
std::vector<double> SmoothReference(const std::vector<double>& f, const std::vector<double>& l, int n) {
    const double half = std::pow(2.0, 0.5 / n);
    std::vector<double> out;
    for (double centre : f) {
        double sum = 0;
        int count = 0;
        for (size_t j = 0; j < f.size(); ++j)
            if (f[j] >= centre / half && f[j] <= centre * half) {
                sum += l[j];
                ++count;
            }
        out.push_back(sum / count);
    }
    return out;
}

TEST(Measurement, SmoothingAgreesWithThePlainComputation) {
    // Log-spaced at the low end, linear (an FFT's bins) above, with a ragged level.
    std::vector<double> f, l;
    for (double hz = 10; hz < 500; hz *= std::pow(2.0, 1.0 / 48)) f.push_back(hz);
    for (double hz = 500; hz <= 24000; hz += 23.4375) f.push_back(hz);
    for (size_t i = 0; i < f.size(); ++i) l.push_back(80 + 6 * std::sin(0.7 * static_cast<double>(i)) + 0.01 * static_cast<double>(i));
    for (int n : {3, 6, 12, 24}) {
        const std::vector<double> fast = SmoothLevels(f, l, n), ref = SmoothReference(f, l, n);
        ASSERT_EQ(fast.size(), ref.size());
        for (size_t i = 0; i < f.size(); ++i) ASSERT_NEAR(fast[i], ref[i], 1e-9) << "1/" << n << " at " << f[i] << " Hz";
    }
    EXPECT_EQ(SmoothLevels(f, l, 0), l);
    int fraction = -1;
    EXPECT_TRUE(ParseSmoothing("1/6", fraction));
    EXPECT_EQ(fraction, 6);
    EXPECT_FALSE(ParseSmoothing("1/5", fraction));
}

TEST(Measurement, AlignmentTargetsAndThePrediction) {
    ChannelOverlay o;
    o.measurement = ReadCurveFile(MeasurementSample("rew_measurement.txt")).curve;
    EXPECT_NEAR(LevelAt(PreparedMeasurement(o), 1000), 0.0, 1e-12);  // 1 kHz to 0 dB by default
    o.alignment = {1000, 30, 150};  // the mean of 40 Hz and 100 Hz
    EXPECT_NEAR(LevelAt(PreparedMeasurement(o), 100), 86.0 - 85.05, 1e-9);

    // The predicted response: the measurement with the channel's band on it.
    SceneState s;
    s.Bands(2)[0] = EqBand{6.0f, 1.0f, 1000, 1};
    o.alignment = {};
    o.builtinTarget = BuiltinTarget{6.0, 80.0, -1.0, 1000.0};
    const OverlayTraces t = ComputeOverlayTraces(s, 2, &o);
    CurveStore store;
    store.ComputeChannelCurve(s, 2);
    const std::vector<double>& grid = store.Frequencies();
    ASSERT_EQ(t.measured.size(), grid.size());
    for (size_t i = 0; i < grid.size(); ++i) {
        if (grid[i] < 20.0 || grid[i] > 20000.0) {
            EXPECT_TRUE(std::isnan(t.measured[i]) && std::isnan(t.predicted[i])) << grid[i];
            continue;
        }
        EXPECT_NEAR(t.predicted[i] - t.measured[i], store.Curve(2).levels[i], 1e-6) << grid[i];
        const double target = BuiltinTargetDb(*o.builtinTarget, grid[i]) - BuiltinTargetDb(*o.builtinTarget, 1000);
        EXPECT_NEAR(t.target[i], target, 1e-6) << grid[i];
    }
    EXPECT_NEAR(BuiltinTargetDb(*o.builtinTarget, 80), 3.0, 1e-12);     // half the lift at its frequency
    EXPECT_NEAR(BuiltinTargetDb(*o.builtinTarget, 4000), -2.0 + 6.0 / 2501, 1e-12);  // two octaves of tilt
    // A target file is aligned like the measurement: 88 dB at 100 Hz is 3 dB over 1 kHz's 85.
    o.targetFile = ReadCurveFile(MeasurementSample("target.csv")).curve;
    const OverlayTraces fromFile = ComputeOverlayTraces(s, 2, &o);
    for (size_t i = 0; i < grid.size(); ++i) {
        if (grid[i] >= 20.0 && grid[i] <= 20000.0) {
            EXPECT_NEAR(fromFile.target[i], LevelAt(*o.targetFile, grid[i]) - 85.0, 1e-9);
        }
    }
    EXPECT_NEAR(LevelAt(*o.targetFile, 100) - 85.0, 3.0, 1e-12);
}

}  // namespace
