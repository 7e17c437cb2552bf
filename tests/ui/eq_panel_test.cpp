// Tuning a channel on the main page against the virtual unit: band edits, the graph's
// drags and keys, crossover selectors, the curves and the curve boxes.
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>

#include "channel_ops_fixture.h"
#include "ui/controls/equalizer.h"

using namespace dvdsp;
using uitest::ChannelOpsTest;

namespace {

class EqPanelTest : public ChannelOpsTest {
  protected:
    void SetUp() override {
        ChannelOpsTest::SetUp();
        Open();
        ConnectAndWait();
        graph = wnd->Find<ui::UIEqualizer>("equalizer");
        ASSERT_NE(graph, nullptr);
    }
    void Parametric() {
        tk::testing::AnswerNextModal(tk::kResultConfirm);
        Click("btn_arg_eq");
        Settle();
        ASSERT_TRUE(wnd->Controller().ParametricEq());
        ASSERT_TRUE(graph->DragAllDirection());
    }
    // The level of channel ch's curve at the grid point nearest to `freq`.
    double LevelAt(int ch, double freq) {
        const dsp::ChannelCurve& c = wnd->Controller().Curves().Curve(ch);
        size_t best = 0;
        for (size_t i = 0; i < c.frequencies.size(); ++i)
            if (std::fabs(std::log(c.frequencies[i] / freq)) < std::fabs(std::log(c.frequencies[best] / freq))) best = i;
        return c.levels[best];
    }
    void Press(QPoint p) { QTest::mousePress(graph, Qt::LeftButton, Qt::NoModifier, p); }
    void Move(QPoint p) { QTest::mouseMove(graph, p); }
    void Release(QPoint p) { QTest::mouseRelease(graph, Qt::LeftButton, Qt::NoModifier, p); }
    emu::Band UnitBand(int ch, int b) {
        return unit->WithState([&](emu::UnitState& s) { return s.scenes[0].out[static_cast<size_t>(ch)].bands[static_cast<size_t>(b)]; });
    }
    ui::UIEqualizer* graph = nullptr;
};

TEST_F(EqPanelTest, TypedBandValuesReachTheUnitTheEditsAndTheCurve) {
    Parametric();
    Type("eq_freq_4", QStringLiteral("1k2"));
    EXPECT_EQ(C("eq_freq_4")->Text(), "1200");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].bands[4].freq == 1200; }));
    // Outside 20-20000 Hz: refused, the stored frequency shown again, nothing sent.
    Type("eq_freq_4", QStringLiteral("25000"));
    EXPECT_EQ(C("eq_freq_4")->Text(), "1200");
    EXPECT_EQ(Model().Bands(0)[4].freq, 1200);

    Type("eq_gain_4", QStringLiteral("6"));
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].bands[4].gain10 == 240; }));
    EXPECT_EQ(C("eq_gain_4")->Text(), "6.0");
    EXPECT_EQ(C("eq_slider_4")->Value(), 60);
    EXPECT_TRUE(C("pt_enable_4")->IsSelected());
    EXPECT_EQ(C("btn_bypass")->Text(), "${bypass_eq}");
    EXPECT_FLOAT_EQ(graph->BandAt(4).gain, 6.0f);
    EXPECT_NEAR(LevelAt(0, 1200), 6.0, 0.3);

    // Back to flat: the channel's EQ is bypassed, the button offers to restore it.
    Type("eq_gain_4", QStringLiteral("0"));
    EXPECT_EQ(C("btn_bypass")->Text(), "${restore_eq}");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].eqBypass == 1; }));
    EXPECT_NEAR(LevelAt(0, 1200), 0.0, 0.01);
}

TEST_F(EqPanelTest, BypassAndResetShowTheBandsAsTheUnitPlaysThem) {
    Type("eq_gain_4", QStringLiteral("6"));
    tk::testing::AnswerNextModal(tk::kResultConfirm);
    Click("btn_bypass");
    Settle();
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].eqBypass == 1; }));
    EXPECT_EQ(C("eq_gain_4")->Text(), "0.0");
    EXPECT_EQ(C("eq_slider_4")->Value(), 0);
    EXPECT_FLOAT_EQ(graph->BandAt(4).gain, 0.0f);
    EXPECT_NEAR(LevelAt(0, Model().Bands(0)[4].freq), 0.0, 0.01);
    tk::testing::AnswerNextModal(tk::kResultConfirm);
    Click("btn_bypass");
    Settle();
    EXPECT_EQ(C("eq_gain_4")->Text(), "6.0");
    EXPECT_EQ(C("eq_slider_4")->Value(), 60);

    tk::testing::AnswerNextModal(tk::kResultConfirm);
    Click("btn_reset_eq");
    Settle();
    EXPECT_EQ(C("eq_gain_4")->Text(), "0.0");
    EXPECT_EQ(C("eq_slider_4")->Value(), 0);
    EXPECT_FALSE(C("pt_enable_4")->IsSelected());
}

TEST_F(EqPanelTest, GraphicModeKeepsFrequencyAndQFixed) {
    EXPECT_FALSE(C("eq_freq_3")->IsEnabled());
    EXPECT_FALSE(C("eq_q_3")->IsEnabled());
    EXPECT_TRUE(C("eq_gain_3")->IsEnabled());
    Parametric();
    EXPECT_TRUE(C("eq_freq_3")->IsEnabled());
    EXPECT_TRUE(C("eq_q_3")->IsEnabled());
}

TEST_F(EqPanelTest, ABandDraggedOnTheGraphEndsInTheUnit) {
    Parametric();
    const int band = 12;
    const QPoint a = graph->HandlePoint(band);
    const float gainBefore = graph->BandAt(band).gain;
    const QPoint b(a.x() + 40, a.y() - 50);
    Move(QPoint(a.x(), a.y() + 1));
    Press(a);
    for (int step = 1; step <= 5; ++step) Move(QPoint(a.x() + 8 * step, a.y() - 10 * step));
    Release(b);
    Settle();
    const ui::BandPoint moved = graph->BandAt(band);
    EXPECT_GT(moved.freq, Model().Bands(1)[band].freq);  // channel 2's band is untouched
    EXPECT_EQ(Model().Bands(0)[band].freq, moved.freq);
    EXPECT_GT(moved.gain, gainBefore + 1.0f);
    const int wantGain10 = static_cast<int>(std::lround((moved.gain + 18.0f) * 10.0f));
    EXPECT_TRUE(UnitHas([&](emu::UnitState& s) {
        const emu::Band& u = s.scenes[0].out[0].bands[band];
        return u.freq == moved.freq && std::abs(static_cast<int>(u.gain10) - wantGain10) <= 1;
    })) << UnitBand(0, band).freq << " " << UnitBand(0, band).gain10;
    // The curve rises at the band's new frequency by about the band's gain.
    EXPECT_NEAR(LevelAt(0, moved.freq), static_cast<double>(Model().Bands(0)[band].gain), 0.5);
}

TEST_F(EqPanelTest, AClickOnABandOnlySelectsIt) {
    Parametric();
    Type("eq_freq_4", QStringLiteral("1000"));
    ASSERT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].bands[4].freq == 1000; }));
    ASSERT_TRUE(wnd->Controller().Device().WaitQueueIdle(5000));
    const emu::Band before = UnitBand(0, 4);
    const core::EqBand stored = Model().Bands(0)[4];
    const int bypass = Model().channels[0].bypass;
    const QPoint a = graph->HandlePoint(4);
    Move(QPoint(a.x(), a.y() + 1));  // hovering selects the band
    Press(a);
    Release(a);
    Settle();
    EXPECT_EQ(graph->CurrentBand(), 4);
    ASSERT_TRUE(wnd->Controller().Device().WaitQueueIdle(5000));
    EXPECT_EQ(UnitBand(0, 4), before);
    EXPECT_EQ(Model().Bands(0)[4].freq, 1000);
    EXPECT_FLOAT_EQ(Model().Bands(0)[4].gain, stored.gain);
    EXPECT_EQ(Model().channels[0].bypass, bypass);
    EXPECT_EQ(C("eq_freq_4")->Text(), "1000");
}

TEST_F(EqPanelTest, ADraggedQShowsWhatTheUnitStores) {
    Parametric();
    const int band = 2;
    Type("eq_gain_2", QStringLiteral("3"));  // not flat: the channel is not bypassed
    const QPoint a = graph->HandlePoint(band);
    Move(a);  // hovering selects the band and shows its Q handles
    Settle(2);
    ASSERT_EQ(graph->CurrentBand(), band);
    const auto r = graph->QHandleRect(true);
    const QPoint from((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    // 150 px from the point: Q 81 / 150 = 0.54 on the graph, which travels as 0.5.
    const QPoint to(a.x() + 150, from.y());
    Press(from);
    Move(QPoint(to.x() - 20, to.y()));
    Move(to);
    Release(to);
    Settle();
    ASSERT_TRUE(wnd->Controller().Device().WaitQueueIdle(5000));
    const int q100 = UnitBand(0, band).q100;
    EXPECT_EQ(q100, 50);
    EXPECT_NEAR(Model().Bands(0)[band].q, q100 / 100.0, 1e-4);
    EXPECT_EQ(C("eq_q_2")->Text(), QString::asprintf("%.2f", q100 / 100.0));
    EXPECT_NEAR(graph->BandAt(band).q, q100 / 100.0, 1e-4);
}

TEST_F(EqPanelTest, KeysOnTheFocusedGraphMoveTheSelectedBand) {
    Parametric();
    const int band = 8;
    const QPoint a = graph->HandlePoint(band);
    Move(a);  // hovering selects the band
    Settle(2);
    ASSERT_EQ(graph->CurrentBand(), band);
    graph->setFocus();
    QTest::keyClick(graph, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(graph, Qt::Key_Up);
    Settle();
    EXPECT_NEAR(Model().Bands(0)[band].gain, 1.1f, 1e-4f);
    EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return s.scenes[0].out[0].bands[band].gain10 == 191; }));
    const int before = Model().Bands(0)[band].freq;
    QTest::keyClick(graph, Qt::Key_Right);
    Settle();
    EXPECT_GT(Model().Bands(0)[band].freq, before);
    EXPECT_EQ(C("eq_freq_8")->Text(), QString::number(Model().Bands(0)[band].freq));
}

TEST_F(EqPanelTest, CrossoverSelectorsAndMarkersReachTheUnit) {
    auto choose = [&](const char* name, int item) {
        auto* combo = wnd->Find<tk::Combo>(name);
        ASSERT_NE(combo, nullptr);
        combo->setCurrentIndex(item);  // as a user picks it
        emit combo->activated(item);
        Settle(2);
    };
    choose("hp_type", 1);
    choose("hp_slop", 4);
    Type("hp_freq", QStringLiteral("120"));
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        const emu::Filter& f = s.scenes[0].out[0].hp;
        return f.type == 1 && f.slope == 4 && f.freq == 120;
    }));
    EXPECT_EQ(graph->mHpFreq, 120);
    EXPECT_LT(LevelAt(0, 40), -15.0);  // 24 dB/oct an octave and a half below

    // Linkwitz-Riley offers even slopes only: 3 becomes 4 and the odd items are hidden.
    choose("hp_slop", 3);
    choose("hp_type", 2);
    auto* slopes = wnd->Find<tk::Combo>("hp_slop");
    EXPECT_FALSE(slopes->IsItemVisible(3));
    EXPECT_TRUE(slopes->IsItemVisible(4));
    EXPECT_EQ(Model().channels[0].hp.slope, 4);
    EXPECT_EQ(slopes->CurSel(), 4);

    // A high-pass typed above the low-pass becomes the low-pass frequency.
    Type("lp_freq", QStringLiteral("5000"));
    Type("hp_freq", QStringLiteral("9000"));
    EXPECT_EQ(Model().channels[0].hp.freq, 5000);
    EXPECT_EQ(C("hp_freq")->Text(), "5000Hz");

    // The "H" marker dragged to the left ends with the unit holding its frequency.
    Type("hp_freq", QStringLiteral("1000"));
    const auto h = graph->MarkerRect(false);
    const QPoint from((h.left + h.right) / 2, (h.top + h.bottom) / 2);
    Move(QPoint(from.x(), from.y() + 1));
    Press(from);
    Move(QPoint(from.x() - 30, from.y()));
    Release(QPoint(from.x() - 60, from.y()));
    Settle();
    const int dragged = graph->mHpFreq;
    EXPECT_LT(dragged, 1000);
    EXPECT_EQ(Model().channels[0].hp.freq, dragged);
    EXPECT_EQ(C("hp_freq")->Text(), QString("%1Hz").arg(dragged));
    EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return s.scenes[0].out[0].hp.freq == dragged; }));
}

TEST_F(EqPanelTest, TheGraphFollowsTheCurrentChannelAndTheCurveBoxes) {
    Type("eq_gain_2", QStringLiteral("-6"));
    ClickOption("ch_enable_3");
    Settle();
    // Channel 4's bands are flat; channel 1 keeps its band.
    EXPECT_FLOAT_EQ(graph->BandAt(2).gain, 0.0f);
    EXPECT_EQ(C("eq_gain_2")->Text(), "0.0");
    EXPECT_NEAR(LevelAt(0, Model().Bands(0)[2].freq), -6.0, 0.3);
    EXPECT_EQ(graph->CurrentBand(), -1);  // no band selected by the change
    auto* box = dynamic_cast<tk::CheckBox*>(C("ch_show_0"));
    ASSERT_NE(box, nullptr);
    const bool shown = box->IsSelected();
    box->click();
    Settle();
    EXPECT_EQ(Model().showOutChEqualizer[0] != 0, !shown);
    EXPECT_EQ(box->IsSelected(), !shown);
}

}  // namespace

// The panel's filter text button: the file chosen, the summary asked about, and the bands,
// the crossover and (first button) the trim shown and at the unit.
TEST_F(EqPanelTest, TheFilterTextMenuImportsAFileIntoTheShownChannel) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("room.txt"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Preamp: -4 dB\nFilter 1: ON PK Fc 120 Hz Gain -12 dB Q 1\nFilter 2: ON LP Fc 5000 Hz\n");
    f.close();
    tk::testing::AnswerNextFileDialog(path);
    tk::testing::AnswerNextModal(1);
    Click("btn_filters");
    ASSERT_NE(wnd->CurrentMenu(), nullptr);
    ASSERT_TRUE(wnd->CurrentMenu()->Trigger(QStringLiteral("filters_item_import")));
    ASSERT_TRUE(UnitHas([](emu::UnitState& s) {
        const emu::Output& o = s.scenes[0].out[0];
        return o.bands[0].q100 == 200 && o.bands[0].gain10 == 60 && o.lp.freq == 5000 && o.trim100 == 400;
    }));
    ASSERT_FALSE(wnd->MessagesShown().isEmpty());
    EXPECT_TRUE(wnd->MessagesShown().last().startsWith(QStringLiteral("${filters_import_ask}\n1 peaking filter")));
    EXPECT_EQ(C("eq_gain_0")->Text(), "-12.0");
    EXPECT_EQ(C("lp_freq")->Text(), "5000Hz");
}
