// The program's custom controls: the EQ graph draws what it is handed where the axes
// put it; the ring progress keeps its value in range; custom tags by any case.
#include <QImage>
#include <cmath>

#include "ui/controls/custom_tags.h"
#include "ui/controls/equalizer.h"
#include "ui/controls/sbutton.h"
#include "ui_fixture.h"

using namespace dvdsp;
using namespace dvdsp::ui;

namespace {

class ControlsTest : public uitest::UiTest {};

// Rows of column x whose pixel is close to `colour`.
std::vector<int> RowsOf(const QImage& img, int x, QColor colour) {
    std::vector<int> rows;
    for (int y = 0; y < img.height(); ++y) {
        QColor c = img.pixelColor(x, y);
        if (std::abs(c.red() - colour.red()) < 40 && std::abs(c.green() - colour.green()) < 40 &&
            std::abs(c.blue() - colour.blue()) < 40)
            rows.push_back(y);
    }
    return rows;
}

TEST_F(ControlsTest, AxesMapFrequencyAndGain) {
    CurveAxes ax;
    ax.plot = QRectF(0, 0, 300, 300);
    EXPECT_DOUBLE_EQ(ax.XOf(20), 0);
    EXPECT_DOUBLE_EQ(ax.XOf(20000), 300);
    EXPECT_NEAR(ax.XOf(632.456), 150, 0.01);  // the geometric middle
    EXPECT_DOUBLE_EQ(ax.YOf(12), 0);
    EXPECT_DOUBLE_EQ(ax.YOf(-18), 300);
    EXPECT_DOUBLE_EQ(ax.YOf(0), 120);  // 0 dB at 40 % of the height
    EXPECT_NEAR(ax.FreqAt(ax.XOf(1000)), 1000, 1e-6);
    EXPECT_NEAR(ax.GainAt(ax.YOf(-7.5)), -7.5, 1e-9);
    EXPECT_DOUBLE_EQ(ax.XOf(5), 0);  // clamped to the axis
}

TEST_F(ControlsTest, TheGraphDrawsTheCurvesItIsHanded) {
    UIEqualizer eq;
    eq.SetAttribute("curvecolor", "#FFFF0000,#FF00FF00");
    eq.resize(400, 300);
    eq.show();
    CurveData flat6, flatMinus9;
    for (int i = 0; i < 512; ++i) {
        float f = 20.0f * std::pow(1000.0f, static_cast<float>(i) / 511.0f);
        flat6.freq.push_back(f);
        flat6.level.push_back(6);
        flatMinus9.freq.push_back(f);
        flatMinus9.level.push_back(-9);
    }
    eq.SetCurves({flat6, flatMinus9}, 0, {true, true});
    QImage img = eq.grab().toImage();
    int x = static_cast<int>(eq.Axes().XOf(300));
    std::vector<int> red = RowsOf(img, x, Qt::red);
    std::vector<int> green = RowsOf(img, x, Qt::green);
    ASSERT_FALSE(red.empty());
    ASSERT_FALSE(green.empty());
    EXPECT_NEAR(red[red.size() / 2], eq.Axes().YOf(6), 2);
    EXPECT_NEAR(green[green.size() / 2], eq.Axes().YOf(-9), 2);

    // A curve not shown is not drawn; the current one always is.
    eq.SetCurves({flat6, flatMinus9}, 0, {false, false});
    img = eq.grab().toImage();
    EXPECT_FALSE(RowsOf(img, x, Qt::red).empty());
    EXPECT_TRUE(RowsOf(img, x, Qt::green).empty());

    eq.SetBands({BandPoint{3.0f, 2.0f, 1000, 1}}, 0);
    EXPECT_EQ(eq.UserData(), "0");
    eq.SetCrossover(80, 12000);
    EXPECT_EQ(eq.HpFreq(), 80);
}

TEST_F(ControlsTest, RingProgressKeepsItsValueInRange) {
    CCircleProgressUI ring;
    ring.SetRange(0, 50);
    ring.SetValue(80);
    EXPECT_EQ(ring.Value(), 50);
    ring.SetValue(-3);
    EXPECT_EQ(ring.Value(), 0);
    ring.SetIndeterminate(true);
    ring.SetIndeterminate(false);
}

TEST_F(ControlsTest, CustomTagsByAnyCase) {
    for (const char* tag : {"Curve", "curve", "CURVEAC", "CircleProgress", "sbutton"}) {
        std::unique_ptr<tk::Control> c(CreateCustomControl(tag));
        ASSERT_NE(c, nullptr) << tag;
        EXPECT_EQ(c->Tag().toLower(), QString(tag).toLower());
    }
    EXPECT_EQ(CreateCustomControl("Gauge"), nullptr);
}

}  // namespace
