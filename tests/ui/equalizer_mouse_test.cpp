// The EQ graph under the mouse: hovering picks a band, dragging a band, its Q handles
// and the crossover markers changes the control's copy and notifies the owner.
#include <cmath>

#include "equalizer_fixture.h"

using namespace dvdsp;
using namespace dvdsp::ui;
using uitest::EqualizerTest;

namespace {

TEST_F(EqualizerTest, GainEdgesAndZeroLineSitWhereTheAxisPutsThem) {
    eq->SetBands({B(12, 1000), B(-18, 1000), B(0, 1000)}, -1);
    EXPECT_EQ(eq->HandlePoint(0).y(), 0);
    EXPECT_EQ(eq->HandlePoint(1).y(), 300);
    EXPECT_EQ(eq->HandlePoint(2).y(), 120);  // 40 % of the height
    graph::Axes ax = eq->Axes();
    EXPECT_FLOAT_EQ(ax.GainAt(0), 12);
    EXPECT_FLOAT_EQ(ax.GainAt(300), -18);
    EXPECT_FLOAT_EQ(ax.GainAt(120), 0);
    EXPECT_EQ(ax.XOf(20), 0);
    EXPECT_EQ(ax.XOf(1000), 283);
    // Handles near an edge stay inside the plot.
    EXPECT_EQ(eq->HandleRect(0), (graph::Rect{275, 0, 291, 16}));
    EXPECT_EQ(eq->HandleRect(1), (graph::Rect{275, 284, 291, 300}));
    EXPECT_EQ(eq->HandleRect(2), (graph::Rect{275, 112, 291, 128}));
}

TEST_F(EqualizerTest, HoverMakesAnotherBandCurrentWithoutAClick) {
    eq->SetBands({B(3, 100), B(-6, 1000), B(0, 8000)}, 0);
    EXPECT_EQ(eq->UserData(), "0");
    Move(Mid(eq->HandleRect(1)));
    EXPECT_EQ(eq->CurrentBand(), 1);
    ASSERT_EQ(win->Types(), std::vector<std::string>{"equalizer_eq"});
    EXPECT_EQ(win->seen[0].index, 1);  // the owner reads the new index at once
    EXPECT_EQ(eq->cursor().shape(), Qt::PointingHandCursor);
    // Staying on the same band sends nothing more; empty space changes nothing.
    Move(Mid(eq->HandleRect(1)) + QPoint(1, 1));
    Move(QPoint(450, 250));
    EXPECT_EQ(win->seen.size(), 1u);
    EXPECT_EQ(eq->CurrentBand(), 1);
    EXPECT_EQ(eq->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(eq->CaptureState(), UIEqualizer::kIdle);
}

TEST_F(EqualizerTest, ADragEndsWithTheBandAtTheReleasePoint) {
    eq->SetDragAllDirection(true);
    eq->SetBands({B(0, 100), B(0, 1000)}, 1);
    QPoint a = eq->HandlePoint(1);
    Press(a);
    EXPECT_EQ(eq->CaptureState(), UIEqualizer::kBand);
    EXPECT_EQ(eq->cursor().shape(), Qt::SizeAllCursor);
    graph::Axes ax = eq->Axes();
    QPoint b(ax.XOf(5000), ax.YOf(6));
    Move((a + b) / 2);
    Move(b);
    Release(b);
    EXPECT_EQ(eq->CaptureState(), UIEqualizer::kIdle);
    EXPECT_EQ(eq->BandAt(1).freq, ax.FreqAt(b.x()));
    EXPECT_NEAR(eq->BandAt(1).freq, 5000, 50);
    EXPECT_FLOAT_EQ(eq->BandAt(1).gain, ax.GainAt(b.y()));
    EXPECT_NEAR(eq->BandAt(1).gain, 6, 0.1);
    EXPECT_EQ(eq->BandAt(0), B(0, 100));  // the other band is untouched
    ASSERT_GE(win->seen.size(), 2u);
    EXPECT_EQ(win->seen.back().type, "equalizer_eq_release");
    EXPECT_EQ(win->seen.back().index, 1);
    EXPECT_EQ(win->seen.back().band.freq, eq->BandAt(1).freq);
    EXPECT_EQ(win->Count("equalizer_eq"), 2);  // one per move that changed something
    EXPECT_EQ(eq->HandlePoint(1), b);
    EXPECT_EQ(eq->cursor().shape(), Qt::PointingHandCursor);
    Paint();
    EXPECT_TRUE(eq->InfoText().startsWith(QString::number(eq->BandAt(1).freq) + " Hz 1.00 Q "));

    // Beyond the plot the position is clamped: the top edge is +12 dB, the right 20 kHz.
    win->seen.clear();
    Press(eq->HandlePoint(1));
    Move(QPoint(900, -200));
    Release(QPoint(900, -200));
    EXPECT_FLOAT_EQ(eq->BandAt(1).gain, 12);
    EXPECT_EQ(eq->BandAt(1).freq, 20000);
}

TEST_F(EqualizerTest, GraphicModeMovesOnlyVerticallyAndHasNoQHandles) {
    eq->SetBands({B(0, 1000), B(2, 4000)}, 0);
    Paint();
    EXPECT_FALSE(eq->LastPaint().qHandles);
    EXPECT_TRUE(eq->QHandleRect(false).IsEmpty());
    EXPECT_EQ(eq->InfoText(), "0.0 dB");
    EXPECT_EQ(eq->InfoRect().right - eq->InfoRect().left, 50);
    QPoint a = eq->HandlePoint(0);
    Press(a);
    EXPECT_EQ(eq->cursor().shape(), Qt::SizeVerCursor);
    Move(a + QPoint(120, -60));
    EXPECT_EQ(eq->HandlePoint(0).x(), a.x());
    Release(a + QPoint(150, -60));
    EXPECT_EQ(eq->BandAt(0).freq, 1000);
    EXPECT_FLOAT_EQ(eq->BandAt(0).gain, eq->Axes().GainAt(a.y() - 60));
    EXPECT_EQ(eq->HandlePoint(0), QPoint(a.x(), a.y() - 60));
    EXPECT_EQ(win->Types(), (std::vector<std::string>{"equalizer_eq", "equalizer_eq_release"}));
    // A horizontal move alone changes nothing and sends nothing.
    win->seen.clear();
    Press(eq->HandlePoint(0));
    Move(eq->HandlePoint(0) + QPoint(-90, 0));
    EXPECT_EQ(win->Count("equalizer_eq"), 0);
    Release(eq->HandlePoint(0) + QPoint(-90, 0));
    EXPECT_EQ(eq->BandAt(0).freq, 1000);
    Paint();
    EXPECT_FALSE(eq->LastPaint().qHandles);
}

TEST_F(EqualizerTest, QHandleDistanceGivesQ) {
    EXPECT_FLOAT_EQ(graph::QForDistance(9, 96), 9.0f);
    EXPECT_FLOAT_EQ(graph::QForDistance(1, 96), 9.0f);
    EXPECT_FLOAT_EQ(graph::QForDistance(162, 96), 0.5f);
    EXPECT_FLOAT_EQ(graph::QForDistance(400, 96), 0.5f);
    EXPECT_FLOAT_EQ(graph::QForDistance(81, 96), 1.0f);
    EXPECT_FLOAT_EQ(graph::QForDistance(-81, 96), 1.0f);

    eq->SetDragAllDirection(true);
    eq->SetBands({B(0, 1000, 1.0f)}, 0);
    const int x = eq->HandlePoint(0).x();
    // Q 1 puts the handles 81 px either side, just below the point.
    EXPECT_EQ(eq->QHandleRect(true), (graph::Rect{x + 77, 124, x + 85, 132}));
    EXPECT_EQ(eq->QHandleRect(false), (graph::Rect{x - 85, 124, x - 77, 132}));
    Paint();
    EXPECT_TRUE(eq->LastPaint().qHandles);
    Move(Mid(eq->QHandleRect(true)));
    EXPECT_EQ(eq->cursor().shape(), Qt::SizeHorCursor);
    Press(Mid(eq->QHandleRect(true)));
    EXPECT_EQ(eq->CaptureState(), UIEqualizer::kFactor);
    Move(QPoint(x + 9, 128));
    EXPECT_FLOAT_EQ(eq->BandAt(0).q, 9.0f);
    Move(QPoint(x + 162, 128));
    EXPECT_FLOAT_EQ(eq->BandAt(0).q, 0.5f);
    Move(QPoint(x + 170, 128));  // still 0.5: no notification
    Release(QPoint(x - 81, 128));
    EXPECT_FLOAT_EQ(eq->BandAt(0).q, 1.0f);
    EXPECT_EQ(eq->BandAt(0).freq, 1000);
    EXPECT_EQ(win->Types(),
              (std::vector<std::string>{"equalizer_eq", "equalizer_eq", "equalizer_eq_release"}));
    EXPECT_EQ(eq->CaptureState(), UIEqualizer::kIdle);
}

TEST_F(EqualizerTest, MarkersMoveButNeverCrossEachOther) {
    eq->SetBands({B(0, 1000)}, -1);
    eq->SetCrossoverMarkers(200, 2000);
    graph::Axes ax = eq->Axes();
    EXPECT_EQ(eq->MarkerRect(false).top, ax.YOf(-8));
    EXPECT_EQ(eq->MarkerRect(false).bottom - eq->MarkerRect(false).top, 10);
    EXPECT_EQ(eq->MarkerRect(true).top, ax.YOf(-11));
    EXPECT_EQ(eq->MarkerRect(true).bottom - eq->MarkerRect(true).top, 12);
    EXPECT_EQ(eq->MarkerRect(true).right - eq->MarkerRect(true).left, 14);

    Move(Mid(eq->MarkerRect(true)));
    EXPECT_EQ(eq->cursor().shape(), Qt::SizeHorCursor);
    Press(Mid(eq->MarkerRect(false)));
    EXPECT_EQ(eq->CaptureState(), UIEqualizer::kHighPass);
    EXPECT_EQ(eq->CurrentBand(), -1);
    int y = Mid(eq->MarkerRect(false)).y();
    Move(QPoint(ax.XOf(500), y));
    int hp = eq->mHpFreq;
    EXPECT_NEAR(hp, 500, 10);
    Paint();
    EXPECT_EQ(eq->LastPaint().hpColor, 0xFFFF0000u);  // red while dragged
    EXPECT_EQ(eq->LastPaint().lpColor, 0xFFFFFFFFu);
    Move(QPoint(ax.XOf(5000), y));  // beyond L: stays where it was
    EXPECT_EQ(eq->mHpFreq, hp);
    Release(QPoint(ax.XOf(8000), y));
    EXPECT_EQ(eq->mHpFreq, hp);
    EXPECT_EQ(win->Types(), (std::vector<std::string>{"equalizer_hp", "equalizer_hp_release"}));
    EXPECT_EQ(win->seen[0].hp, hp);

    // L cannot go to or below H.
    win->seen.clear();
    Press(Mid(eq->MarkerRect(true)));
    EXPECT_EQ(eq->CaptureState(), UIEqualizer::kLowPass);
    Move(QPoint(ax.XOf(100), y));
    EXPECT_EQ(eq->mLpFreq, 2000);
    Move(QPoint(ax.XOf(10000), y));
    Release(QPoint(ax.XOf(10000), y));
    EXPECT_EQ(eq->mLpFreq, ax.FreqAt(ax.XOf(10000)));
    EXPECT_EQ(win->Types(), (std::vector<std::string>{"equalizer_lp", "equalizer_lp_release"}));
    Paint();
    EXPECT_EQ(eq->LastPaint().lpColor, 0xFFFFFFFFu);
}

TEST_F(EqualizerTest, HiddenMarkersAreNotDrawnOrHit) {
    eq->SetCrossoverMarkers(-1, 12000);
    EXPECT_EQ(eq->mHpFreq, -1);
    EXPECT_TRUE(eq->MarkerRect(false).IsEmpty());
    EXPECT_EQ(eq->mLpFreq, 12000);
    EXPECT_FALSE(eq->MarkerRect(true).IsEmpty());
    Paint();
    EXPECT_FALSE(eq->LastPaint().hpMarker);
    EXPECT_TRUE(eq->LastPaint().lpMarker);

    eq->SetCrossoverMarkers(19, 20001);
    EXPECT_EQ(eq->mHpFreq, -1);
    EXPECT_EQ(eq->mLpFreq, -1);
    eq->SetCrossoverMarkers(20, 20000);
    EXPECT_EQ(eq->mHpFreq, 20);
    EXPECT_EQ(eq->mLpFreq, 20000);
    // Kept inside the plot at both ends.
    EXPECT_EQ(eq->MarkerRect(false).left, 0);
    EXPECT_EQ(eq->MarkerRect(true).right, 500);

    // With the low-pass hidden the high-pass moves freely.
    eq->SetCrossoverMarkers(100, -1);
    Press(Mid(eq->MarkerRect(false)));
    Move(QPoint(eq->Axes().XOf(300), 200));
    Release(QPoint(eq->Axes().XOf(300), 200));
    EXPECT_NEAR(eq->mHpFreq, 300, 10);
    EXPECT_EQ(win->Types(), (std::vector<std::string>{"equalizer_hp", "equalizer_hp_release"}));
}

TEST_F(EqualizerTest, QHandlesComeBeforeBandsAndNeedACurrentBand) {
    eq->SetDragAllDirection(true);
    // Band 1 sits right under band 0's upper Q handle.
    eq->SetBands({B(0, 1000, 1.0f), B(-1, 3100, 1.0f)}, 0);
    QPoint q = Mid(eq->QHandleRect(true));
    ASSERT_TRUE(eq->HandleRect(1).Contains(q.x(), q.y()));
    Press(q);
    EXPECT_EQ(eq->CaptureState(), UIEqualizer::kFactor);
    EXPECT_EQ(eq->CurrentBand(), 0);
    Release(q);

    // Without a current band there are no Q handles to take: the press takes band 1.
    eq->SetBands({B(0, 1000, 1.0f), B(-1, 3100, 1.0f)}, -1);
    Press(q);
    EXPECT_EQ(eq->CaptureState(), UIEqualizer::kBand);
    EXPECT_EQ(eq->CurrentBand(), 1);
    EXPECT_EQ(eq->UserData(), "1");
    Release(q);
    // Pressed and let go where they were pressed: chosen, nothing changed or notified.
    EXPECT_TRUE(win->Types().empty());
    EXPECT_EQ(eq->BandAt(0), B(0, 1000, 1.0f));
    EXPECT_EQ(eq->BandAt(1), B(-1, 3100, 1.0f));
}

}  // namespace
