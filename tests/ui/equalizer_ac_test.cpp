// The calibration window's graph: a symmetric +-20 dB axis and two independent sets of
// series, each coloured from its own palette by index.
#include <cmath>

#include "ui/controls/equalizer_ac.h"
#include "ui_fixture.h"

using namespace dvdsp::ui;

namespace {

class EqualizerAcTest : public uitest::UiTest {};

graph::Series Flat(int points, double level) {
    graph::Series s;
    for (int i = 0; i < points; ++i) {
        s.freq.push_back(20.0 * std::pow(1000.0, i / double(points - 1)));
        s.level.push_back(level);
    }
    return s;
}

TEST_F(EqualizerAcTest, TheGainAxisIsSymmetric) {
    UIEqualizerAc ac;
    ac.resize(400, 200);
    graph::Axes ax = ac.Axes();
    EXPECT_EQ(ax.YOf(20), 0);
    EXPECT_EQ(ax.YOf(-20), 200);
    EXPECT_EQ(ax.YOf(0), 100);
    EXPECT_EQ(ax.YOf(10), 50);
    EXPECT_EQ(ax.XOf(20), 0);
    EXPECT_EQ(ac.focusPolicy(), Qt::NoFocus);
}

TEST_F(EqualizerAcTest, EachSetIsReplacedWholeAndColouredByIndex) {
    UIEqualizerAc ac;
    ac.resize(400, 200);
    std::vector<graph::Series> eq(3, Flat(kAcEqPoints, 3));
    ac.SetEqCurves(eq, {1, 0, 1});
    std::vector<graph::Series> spectra(10, Flat(kAcSpectrumPoints, -6));
    std::vector<int> shown(10, 0);
    shown[0] = shown[8] = shown[9] = 1;
    ac.SetSpectra(spectra, shown);
    (void)ac.grab();
    const AcPaintRecord& r = ac.LastPaint();
    EXPECT_EQ(r.eqCurves, (std::vector<int>{0, 2}));
    EXPECT_EQ(r.eqColors, (std::vector<uint32_t>{0xFFFF0000, 0xFFFFFF37}));
    EXPECT_EQ(r.spectra, (std::vector<int>{0, 8, 9}));
    // The spectra take the last eight colours of the EQ palette from index 8 on.
    EXPECT_EQ(r.spectrumColors, (std::vector<uint32_t>{0xFFEF0000, 0xFFFF6600, 0xFFFFFF00}));
    for (int i = 8; i < kAcSeriesSlots; ++i) EXPECT_EQ(kAcSpectrumPalette[i], kAcEqPalette[i]);

    // A new EQ set empties every slot of that set only.
    ac.SetEqCurves({Flat(kAcEqPoints, 0)}, {1});
    EXPECT_EQ(ac.EqCurveCount(), 1);
    EXPECT_EQ(ac.SpectrumCount(), 10);
    (void)ac.grab();
    EXPECT_EQ(ac.LastPaint().eqCurves, std::vector<int>{0});
    EXPECT_EQ(ac.LastPaint().spectra, (std::vector<int>{0, 8, 9}));

    // At most 16 series a set.
    ac.SetSpectra(std::vector<graph::Series>(20, Flat(kAcSpectrumPoints, 0)),
                  std::vector<int>(20, 1));
    EXPECT_EQ(ac.SpectrumCount(), kAcSeriesSlots);
}

TEST_F(EqualizerAcTest, CurvesAreDrawnWhereTheAxesPutThem) {
    UIEqualizerAc ac;
    ac.resize(400, 200);
    ac.SetSpectra({Flat(kAcSpectrumPoints, 10)}, {1});
    QImage img = ac.grab().toImage();
    QColor c = img.pixelColor(ac.Axes().XOf(350), ac.Axes().YOf(10));
    EXPECT_GT(c.red(), 0xC0);
    EXPECT_LT(c.green(), 0x40);
}

}  // namespace
