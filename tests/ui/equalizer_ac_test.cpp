// The calibration window's graph: a symmetric +-20 dB axis and two independent sets of
// series, each coloured from its own palette by index.
#include <algorithm>
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

TEST_F(EqualizerAcTest, TheGainAxisIsSymmetricWithRoomForItsLabels) {
    UIEqualizerAc ac;
    ac.resize(400, 200);
    graph::Axes ax = ac.Axes();
    const graph::Rect& plot = ax.Plot();
    // The labels and the legend lie outside the plot.
    EXPECT_GT(plot.left, 0);
    EXPECT_GT(plot.top, 0);
    EXPECT_LT(plot.bottom, 200);
    EXPECT_EQ(ax.YOf(20), plot.top);
    EXPECT_EQ(ax.YOf(-20), plot.bottom);
    EXPECT_NEAR(ax.YOf(0), (plot.top + plot.bottom) / 2, 1);
    EXPECT_NEAR(ax.YOf(10), (3 * plot.top + plot.bottom) / 4, 1);
    EXPECT_EQ(ax.XOf(20), plot.left);
    EXPECT_EQ(ac.focusPolicy(), Qt::NoFocus);
}

TEST_F(EqualizerAcTest, AxesAreLabelledAndTheLegendNamesEachCurveShownInItsColour) {
    UIEqualizerAc ac;
    ac.resize(600, 240);
    ac.SetSeriesNames({QStringLiteral("Front L"), QString(), QStringLiteral("Rear L")});
    ac.SetEqCurves(std::vector<graph::Series>(3, Flat(kAcEqPoints, 3)), {1, 0, 0});
    std::vector<graph::Series> spectra(4, Flat(kAcSpectrumPoints, -6));
    ac.SetSpectra(spectra, {0, 0, 1, 1});
    const QImage img = ac.grab().toImage();
    const AcPaintRecord& r = ac.LastPaint();
    // Either set's series count; a series without a name is named by its number.
    EXPECT_EQ(r.legend, (std::vector<QString>{"Front L", "Rear L", "CH4"}));
    EXPECT_EQ(r.legendColors, (std::vector<uint32_t>{kAcEqPalette[0], kAcEqPalette[2], kAcEqPalette[3]}));
    EXPECT_TRUE(std::find(r.freqLabels.begin(), r.freqLabels.end(), "1 kHz") != r.freqLabels.end());
    EXPECT_TRUE(std::find(r.freqLabels.begin(), r.freqLabels.end(), "100 Hz") != r.freqLabels.end());
    EXPECT_EQ(r.gainLabels, (std::vector<QString>{"+20 dB", "+10 dB", "0 dB", "-10 dB", "-20 dB"}));
    // The legend's colours are painted above the plot.
    auto paintedAbove = [&](uint32_t argb) {
        const QColor want = QColor::fromRgba(argb);
        for (int y = 0; y < ac.Axes().Plot().top; ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixelColor(x, y) == want) return true;
        return false;
    };
    EXPECT_TRUE(paintedAbove(kAcEqPalette[0]));
    EXPECT_TRUE(paintedAbove(kAcEqPalette[3]));
    EXPECT_FALSE(paintedAbove(kAcEqPalette[1]));
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
