// The program's custom controls: the graph axes, the ring progress, custom tags by any
// case.
#include <QImage>
#include <cmath>

#include "ui/controls/circle_progress.h"
#include "ui/controls/custom_tags.h"
#include "ui/controls/equalizer.h"
#include "ui/controls/sbutton.h"
#include "ui_fixture.h"

using namespace dvdsp;
using namespace dvdsp::ui;

namespace {

class ControlsTest : public uitest::UiTest {};

TEST_F(ControlsTest, AxesMapFrequencyAndGain) {
    graph::Axes ax(graph::Rect{0, 0, 300, 300}, 12, -18);
    EXPECT_EQ(ax.XOf(20), 0);
    EXPECT_NEAR(ax.XOfF(20000), 300, 1e-9);
    EXPECT_NEAR(ax.XOfF(632.456), 150, 0.01);  // the geometric middle
    EXPECT_EQ(ax.YOf(12), 0);
    EXPECT_EQ(ax.YOf(-18), 300);
    EXPECT_EQ(ax.YOf(0), 120);                // 0 dB at 40 % of the height
    EXPECT_EQ(ax.FreqAt(ax.XOf(1000)), 980);  // x is truncated, the frequency rounded
    EXPECT_EQ(ax.FreqAt(150), 632);
    EXPECT_FLOAT_EQ(ax.GainAt(ax.YOf(-7.5)), -7.5f);
    EXPECT_FLOAT_EQ(ax.GainAt(60), 6.0f);
    EXPECT_EQ(ax.ClampX(-4), 0);
    EXPECT_EQ(ax.ClampY(301), 300);
    // A height whose 40 % is not whole: the edges still map to the edges.
    graph::Axes odd(graph::Rect{10, 10, 310, 204}, 12, -18);
    EXPECT_EQ(odd.YOf(12), 10);
    EXPECT_DOUBLE_EQ(odd.ZeroY(), 10 + 194 * 0.4);
}

TEST_F(ControlsTest, RingProgressKeepsItsValueInRangeAndSweepsClockwise) {
    CCircleProgressUI ring;
    ring.SetRange(0, 50);
    ring.SetValue(80);
    EXPECT_EQ(ring.Value(), 50);
    EXPECT_DOUBLE_EQ(ring.SweepDegrees(), 360);
    ring.SetValue(-3);
    EXPECT_EQ(ring.Value(), 0);
    ring.SetValue(20);
    EXPECT_DOUBLE_EQ(ring.SweepDegrees(), 144);
    EXPECT_TRUE(ring.SetAttribute("forecolor", "#FF00FF00"));
    EXPECT_EQ(ring.ForeColor(), 0xFF00FF00u);
    EXPECT_TRUE(ring.SetAttribute("bkcolor", "#FF0000FF"));

    // The quarter from straight down towards the left is foreground, the rest background,
    // the middle white.
    ring.resize(100, 100);
    ring.SetRange(0, 100);
    ring.SetValue(25);
    QImage img = ring.grab().toImage();
    EXPECT_EQ(img.pixelColor(30, 93), QColor(0, 0xFF, 0));  // below left of centre
    EXPECT_EQ(img.pixelColor(70, 93), QColor(0, 0, 0xFF));  // below right of centre
    EXPECT_EQ(img.pixelColor(50, 50), QColor(Qt::white));
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
