// What the EQ graph draws: curve colours and widths, the highlighted curve, the
// all-bypass text or the logo, the band numbers, and every size at 150 % scale.
#include <QFontMetrics>
#include <QImage>
#include <algorithm>
#include <cmath>

#include "base/log.h"
#include "core/model.h"

#include "equalizer_fixture.h"

using namespace dvdsp;
using namespace dvdsp::ui;
using uitest::EqualizerTest;

namespace {

// A flat curve at `level` dB on a logarithmic 512-point grid from 10 Hz to 24 kHz.
CurveData Flat(double level) {
    CurveData c;
    for (int i = 0; i < kEqCurvePoints; ++i) {
        c.freq.push_back(10.0 * std::pow(2400.0, i / 511.0));
        c.level.push_back(level);
    }
    return c;
}

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 50 && std::abs(a.green() - b.green()) < 50 &&
           std::abs(a.blue() - b.blue()) < 50;
}

TEST_F(EqualizerTest, CurvesBeyondTheConfiguredColoursAreGrey) {
    eq->SetAttribute("curvecolor", "#FFFF0000 #FF00FF00 #FF0000FF");
    ASSERT_EQ(eq->CurveColors(), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF}));
    std::vector<CurveData> ten;
    for (int i = 0; i < 10; ++i) ten.push_back(Flat(i - 5));
    eq->SetCurves(ten, 0, std::vector<int>(10, 1));
    Paint();
    const EqPaintRecord& r = eq->LastPaint();
    EXPECT_EQ(r.curves, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    std::vector<uint32_t> want = {0xFF00FF00, 0xFF0000FF};
    want.resize(9, kEqOtherCurveColor);
    EXPECT_EQ(r.curveColors, want);
    EXPECT_DOUBLE_EQ(r.curveWidth, 2.0);  // the highlighted index has a colour
    EXPECT_EQ(r.highlighted, 0);

    // A highlighted index past the colours widens the others; hidden curves are left out
    // but the highlighted one is drawn all the same.
    std::vector<int> shown(10, 1);
    shown[2] = 0;
    shown[5] = 0;
    eq->SetCurves(ten, 5, shown);
    Paint();
    EXPECT_EQ(eq->LastPaint().curves, (std::vector<int>{0, 1, 3, 4, 6, 7, 8, 9}));
    EXPECT_DOUBLE_EQ(eq->LastPaint().curveWidth, 3.0);
    EXPECT_EQ(eq->LastPaint().highlighted, 5);

    // Fewer curves: the rest of the store is emptied.
    eq->SetCurves({Flat(0)}, -1, {1});
    Paint();
    EXPECT_EQ(eq->LastPaint().curves, std::vector<int>{0});
    EXPECT_EQ(eq->LastPaint().highlighted, -1);
}

TEST_F(EqualizerTest, TheHighlightedCurveIsDrawnInBlueOverTheOthers) {
    eq->SetAttribute("curvecolor", "#FFFF0000 #FF00FF00");
    eq->SetCurves({Flat(6), Flat(-9)}, 1, {1, 0});
    QImage img = eq->grab().toImage();
    graph::Axes ax = eq->Axes();
    int x = ax.XOf(350);
    EXPECT_TRUE(Near(img.pixelColor(x, ax.YOf(6)), QColor(0xFF, 0, 0)));
    EXPECT_TRUE(Near(img.pixelColor(x, ax.YOf(-9)), tk::ToQColor(kEqHighlightColor)));
    // Where the two meet the highlighted one is on top.
    eq->SetCurves({Flat(6), Flat(6)}, 1, {1, 1});
    img = eq->grab().toImage();
    EXPECT_TRUE(Near(img.pixelColor(x, ax.YOf(6)), tk::ToQColor(kEqHighlightColor)));
}

TEST_F(EqualizerTest, TheCurrentBandNumberIsRed) {
    eq->SetBands({B(1, 100), B(2, 1000), B(3, 10000)}, 1);
    Paint();
    EXPECT_EQ(eq->LastPaint().numberColors,
              (std::vector<uint32_t>{0xFFFFFFFF, 0xFFFF0000, 0xFFFFFFFF}));
    Move(Mid(eq->HandleRect(2)));
    Paint();
    EXPECT_EQ(eq->LastPaint().numberColors,
              (std::vector<uint32_t>{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF0000}));
    eq->SetBands({B(1, 100)}, -1);
    Paint();
    EXPECT_EQ(eq->LastPaint().numberColors, std::vector<uint32_t>{0xFFFFFFFF});
    EXPECT_TRUE(eq->InfoText().isEmpty());
}

TEST_F(EqualizerTest, AllZeroGainsShowTheBypassTextUnlessALogoIsSet) {
    eq->SetBands({B(0, 100), B(0, 1000)}, -1);
    EXPECT_TRUE(eq->AllBypass());
    Paint();
    EXPECT_TRUE(eq->LastPaint().bypassText);
    EXPECT_FALSE(eq->LastPaint().logo);

    eq->SetBands({B(0, 100), B(0.5f, 1000)}, -1);
    EXPECT_FALSE(eq->AllBypass());
    Paint();
    EXPECT_FALSE(eq->LastPaint().bypassText);

    eq->SetAttribute("curvelogo", "images/logo.png");
    eq->SetBands({B(0, 100)}, -1);
    Paint();
    EXPECT_TRUE(eq->LastPaint().logo);
    EXPECT_FALSE(eq->LastPaint().bypassText);
}

TEST_F(EqualizerTest, SetBandsTakesTheSelectionAndTheInformationText) {
    eq->SetUserData(QStringLiteral("7"));
    eq->SetBands({B(3, 100), B(-6.4f, 1000, 2.5f)}, 5);  // out of the list: text untouched
    EXPECT_EQ(eq->UserData(), "7");
    EXPECT_EQ(eq->CurrentBand(), 5);
    eq->SetDragAllDirection(true);
    eq->SetBands({B(3, 100), B(-6.4f, 1000, 2.5f)}, 1);
    EXPECT_EQ(eq->UserData(), "1");
    EXPECT_EQ(eq->InfoText(), "1000 Hz 2.50 Q -6.4 dB");
    EXPECT_EQ(eq->InfoRect().right - eq->InfoRect().left, 150);
    // In the middle of the plot the label hangs below the point.
    EXPECT_EQ(eq->InfoRect().top, eq->HandlePoint(1).y() + 14);
    EXPECT_EQ(eq->Bands(), (std::vector<Band>{B(3, 100), B(-6.4f, 1000, 2.5f)}));
    // Near the bottom the label goes above the point, at the very bottom inside the plot.
    eq->SetBands({B(-15.5f, 1000)}, 0);
    int y = eq->HandlePoint(0).y();
    ASSERT_GT(y, 300 - 29);
    ASSERT_LT(y, 300 - 10);
    EXPECT_EQ(eq->InfoRect().top, y - 29);
    // 150 px wide, or as wide as its text needs.
    auto width = [&] { return std::max(150, QFontMetrics(eq->font()).horizontalAdvance(eq->InfoText()) + 6); };
    eq->SetBands({B(-18, 1000)}, 0);
    EXPECT_EQ(eq->InfoRect(), (graph::Rect{283 - width() / 2, 300 - 37, 283 - width() / 2 + width(), 300 - 22}));
    EXPECT_EQ(eq->QHandleRect(true).top, 300 - 20);
    eq->SetBands({B(12, 20000)}, 0);
    EXPECT_EQ(eq->InfoRect(), (graph::Rect{500 - width(), 22, 500, 37}));
    EXPECT_EQ(eq->QHandleRect(false).top, 12);
}

TEST_F(EqualizerTest, CurveColoursAreReadFromTheAttribute) {
    EXPECT_EQ(graph::ParseCurveColors("#FF112233 #80445566"),
              (std::vector<uint32_t>{0xFF112233, 0x80445566}));
    EXPECT_EQ(graph::ParseCurveColors("FF112233"), std::vector<uint32_t>{0xFF112233});
    EXPECT_EQ(graph::ParseCurveColors("#FF112233,#FF445566"),
              (std::vector<uint32_t>{0xFF112233, 0xFF445566}));
    EXPECT_TRUE(graph::ParseCurveColors("").empty());
    EXPECT_TRUE(eq->SetAttribute("bypassfont", "2"));
    EXPECT_TRUE(eq->SetAttribute("endellipsis", "true"));
    EXPECT_TRUE(eq->SetAttribute("textpadding", "2,0,2,0"));
    EXPECT_TRUE(eq->SetAttribute("name", "equalizer"));
    EXPECT_FALSE(eq->SetAttribute("nosuchattribute", "1"));
}

TEST_F(EqualizerTest, At80PercentTheInfoLabelHoldsItsTextInsideThePlot) {
    eq->ApplyScale(77);
    eq->setGeometry(10, 10, 400, 240);
    eq->SetDragAllDirection(true);
    eq->SetBands({B(-12.5f, 12000, 5.8f), B(0, 20000, 5.8f)}, 0);
    const int needed = QFontMetrics(eq->font()).horizontalAdvance(eq->InfoText());
    EXPECT_GE(eq->InfoRect().right - eq->InfoRect().left, needed) << eq->InfoText().toStdString();
    EXPECT_LE(eq->InfoRect().right, eq->Axes().Plot().right);
    eq->SetBands({B(-12.5f, 12000, 5.8f), B(0, 20000, 5.8f)}, 1);
    EXPECT_GE(eq->InfoRect().right - eq->InfoRect().left, QFontMetrics(eq->font()).horizontalAdvance(eq->InfoText()));
    EXPECT_LE(eq->InfoRect().right, eq->Axes().Plot().right);
}

TEST_F(EqualizerTest, At150PercentEverySizeScales) {
    eq->ApplyScale(144);
    eq->setGeometry(10, 10, 750, 450);
    eq->SetDragAllDirection(true);
    eq->SetBands({B(0, 1000, 1.0f)}, 0);
    eq->SetCrossoverMarkers(200, 2000);
    const QPoint h = eq->HandlePoint(0);
    EXPECT_EQ(h, QPoint(424, 180));
    graph::Rect r = eq->HandleRect(0);
    EXPECT_EQ(r, (graph::Rect{h.x() - 12, h.y() - 12, h.x() + 12, h.y() + 12}));
    EXPECT_EQ(eq->InfoRect().right - eq->InfoRect().left, 225);
    EXPECT_EQ(eq->InfoRect().top, h.y() + 21);
    // Q 1: 81 px at 100 % is 122 px here; the squares are 12 px.
    EXPECT_EQ(eq->QHandleRect(true),
              (graph::Rect{h.x() + 116, h.y() + 6, h.x() + 128, h.y() + 18}));
    EXPECT_FLOAT_EQ(graph::QForDistance(122, 144), 1.0f);
    EXPECT_FLOAT_EQ(graph::QForDistance(13, 144), 9.0f);
    EXPECT_FLOAT_EQ(graph::QForDistance(243, 144), 122.0f / 243.0f);
    EXPECT_FLOAT_EQ(graph::QForDistance(400, 144), 122.0f / 243.0f);
    EXPECT_EQ(eq->MarkerRect(false).right - eq->MarkerRect(false).left, 21);
    EXPECT_EQ(eq->MarkerRect(false).bottom - eq->MarkerRect(false).top, 15);
    EXPECT_EQ(eq->MarkerRect(true).bottom - eq->MarkerRect(true).top, 17);
    eq->SetCurves({Flat(0), Flat(3)}, 0, {1, 1});
    Paint();
    EXPECT_DOUBLE_EQ(eq->LastPaint().curveWidth, 4.5);  // 3 px: no colour configured
    // A drag of the Q handle measures at this scale too.
    Press(Mid(eq->QHandleRect(true)));
    Release(QPoint(h.x() + 61, h.y() + 12));
    EXPECT_FLOAT_EQ(eq->BandAt(0).q, 2.0f);
}

TEST_F(EqualizerTest, DragsAndPaintsWriteTheirLogLines) {
    QTemporaryDir dir;
    ASSERT_TRUE(LogOpen(dir.filePath("save.log").toStdString()));
    eq->SetBands({B(0, 1000)}, 0);
    eq->SetCrossoverMarkers(80, -1);
    Paint();
    Press(Mid(eq->MarkerRect(false)));
    Move(QPoint(60, 200));
    Release(QPoint(60, 200));
    LogCloseForTest();
    QFile f(dir.filePath("save.log"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QString log = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(log.contains("setCurEqHpLp mHpFreq(80)"));
    EXPECT_TRUE(log.contains("DoPaint!!"));
    EXPECT_TRUE(log.contains("HP_CAPTURED move x(60) y(200) mCurrentControlIndex(-1) mHpFreq("));
    EXPECT_TRUE(log.contains("Notify equalizer_hp_release"));
}

}  // namespace

// The band numbers sit beside their points, not on the 0 dB line of a flat curve, and no
// two of them overlap, even where the plot's right edge holds the last bands close.
TEST(EqualizerNumbers, BesideTheirPointsAndApartAtEveryScale) {
    for (int dpi : {77, 96, 144}) {
        const int w = 700 * dpi / 96, h = 260 * dpi / 96;
        const graph::Axes axes(graph::Rect{0, 0, w, h}, 12, -18);
        std::vector<QPoint> points;
        for (int f : core::kStandardFrequencies) points.emplace_back(axes.XOf(f), axes.YOf(0.0));
        const std::vector<graph::Rect> rects = graph::NumberRects(axes, points, dpi);
        ASSERT_EQ(rects.size(), points.size());
        const int zero = static_cast<int>(axes.ZeroY());
        for (size_t i = 0; i < rects.size(); ++i) {
            const graph::Rect& r = rects[i];
            EXPECT_FALSE(r.top <= zero && zero < r.bottom) << "number " << i + 1 << " at " << dpi;
            EXPECT_TRUE(r.left >= 0 && r.right <= w && r.top >= 0 && r.bottom <= h) << i + 1;
            for (size_t k = 0; k < i; ++k) {
                const graph::Rect& o = rects[k];
                const bool overlap = r.left < o.right && o.left < r.right && r.top < o.bottom && o.top < r.bottom;
                EXPECT_FALSE(overlap) << "numbers " << k + 1 << " and " << i + 1 << " at " << dpi;
            }
        }
    }
}
