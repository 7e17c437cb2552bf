// The custom EQ window against the virtual unit, driven by its controls' names: window
// band i is the current channel's band 11 + i on every path (edits, steps, slider,
// enable box, graph drag, reset, restore), with the "k" form, the limits, the steps, the
// enable rule and the drags that send nothing.
#include <QTest>

#include "channel_ops_fixture.h"
#include "toolkit/test_seams.h"
#include "ui/controls/equalizer.h"
#include "ui/custom_eq/custom_eq_wnd.h"

namespace uitest {
namespace {

using dvdsp::ui::CCustomEqWnd;

class CustomEqTest : public ChannelOpsTest {
protected:
    void SetUp() override {
        ChannelOpsTest::SetUp();
        Open();
        ConnectAndWait();
        unitBefore = unit->WithState([](emu::UnitState& s) { return s.scenes[0]; });
    }

    int WithCustomEq(const std::function<void(CCustomEqWnd&)>& body,
                     dvdsp::core::CustomEqFactory factory = dvdsp::core::DefaultCustomEqFactory()) {
        bool ran = false;
        tk::testing::ActOnNextModal([&](tk::Window& w) {
            ran = true;
            auto* c = dynamic_cast<CCustomEqWnd*>(&w);
            EXPECT_NE(c, nullptr) << w.ClassName().toStdString();
            if (c) {
                c->activateWindow();
                Settle(2);
                e = c;
                body(*c);
                e = nullptr;
            }
            if (w.isVisible()) w.Close(0);
        });
        CCustomEqWnd wnd2(wnd.get(), wnd->Controller(), factory);
        const int result = wnd2.Run();
        EXPECT_TRUE(ran) << "no custom EQ window was shown";
        return result;
    }
    tk::Control* W(const std::string& name) {
        tk::Control* c = e->FindControl(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QString TextOf(const std::string& name) {
        auto* ed = e->Find<tk::Edit>(name);
        return ed ? ed->text() : QString();
    }
    void TypeIn(const std::string& name, const QString& text) {
        auto* ed = e->Find<tk::Edit>(name);
        ASSERT_NE(ed, nullptr) << name;
        ed->setFocus();
        ed->selectAll();
        ed->insert(text);
        QTest::keyClick(ed, Qt::Key_Return);
        Settle(2);
    }
    void SpinIn(const std::string& name, bool up) {
        auto* ed = e->Find<tk::Edit>(name);
        ASSERT_NE(ed, nullptr) << name;
        ed->PressSpin(up);
        Settle(2);
    }
    emu::Band UnitBand(int b) {
        return unit->WithState([&](emu::UnitState& s) { return s.scenes[0].out[0].bands[static_cast<size_t>(b)]; });
    }
    // Waits until every queued command was answered by the unit.
    void Drain() { ASSERT_TRUE(wnd->Controller().Device().WaitQueueIdle(5000)); }
    // Marks the unit's band b, so that a later check shows whether anything was sent to it.
    void MarkUnitBand(int b) {
        unit->WithState([&](emu::UnitState& s) { s.scenes[0].out[0].bands[static_cast<size_t>(b)].freq = 777; return 0; });
    }
    // Only window band i (stored band 11 + i) of channel 0 may differ from the start.
    void OnlyBandChanged(int i) {
        unit->WithState([&](emu::UnitState& s) {
            for (int b = 0; b < 31; ++b) {
                if (b == 11 + i) continue;
                EXPECT_EQ(s.scenes[0].out[0].bands[static_cast<size_t>(b)], unitBefore.out[0].bands[static_cast<size_t>(b)]) << b;
            }
            return 0;
        });
    }
    const dvdsp::core::EqBand& Stored(int i) { return Model().Bands(0)[11 + i]; }

    CCustomEqWnd* e = nullptr;
    emu::Scene unitBefore;
};

TEST_F(CustomEqTest, OpensOnTheCurrentChannelsBands11To30InParametricMode) {
    WithCustomEq([&](CCustomEqWnd& c) {
        EXPECT_EQ(c.Channel(), 0);
        auto* graph = c.Find<dvdsp::ui::UIEqualizer>("equalizer");
        ASSERT_NE(graph, nullptr);
        EXPECT_TRUE(graph->DragAllDirection());
        EXPECT_EQ(graph->BandCount(), 20);
        EXPECT_EQ(graph->HpFreq(), -1);
        EXPECT_EQ(graph->LpFreq(), -1);
        for (int i = 0; i < 20; ++i) {
            EXPECT_EQ(TextOf(N("eq_freq_", i)), QString::number(Stored(i).freq)) << i;
            EXPECT_EQ(graph->BandAt(i).freq, Stored(i).freq) << i;
        }
        EXPECT_EQ(TextOf("eq_q_0"), QStringLiteral("5.80"));
        EXPECT_EQ(TextOf("eq_gain_0"), QStringLiteral("0.0"));
        EXPECT_FALSE(W("pt_enable_0")->IsSelected());  // 0 dB
    });
}

TEST_F(CustomEqTest, FrequencyEditsTakeTheKFormAndRefuseWhatIsOutOfRange) {
    WithCustomEq([&](CCustomEqWnd&) {
        TypeIn("eq_freq_0", QStringLiteral("2k5"));
        EXPECT_EQ(TextOf("eq_freq_0"), QStringLiteral("2500"));
        EXPECT_EQ(Stored(0).freq, 2500);
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].bands[11].freq == 2500; }));
        TypeIn("eq_freq_0", QStringLiteral("25"));
        EXPECT_EQ(Stored(0).freq, 25);
        TypeIn("eq_freq_0", QStringLiteral("30000"));
        EXPECT_EQ(TextOf("eq_freq_0"), QStringLiteral("25"));
        EXPECT_EQ(Stored(0).freq, 25);
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].bands[11].freq == 25; }));
        Drain();
        OnlyBandChanged(0);
    });
}

TEST_F(CustomEqTest, StepsFollowTheLogarithmicScaleAndStopAtTheEnds) {
    WithCustomEq([&](CCustomEqWnd&) {
        TypeIn("eq_freq_5", QStringLiteral("1000"));
        SpinIn("eq_freq_5", true);
        EXPECT_EQ(TextOf("eq_freq_5"), QStringLiteral("1026"));
        EXPECT_EQ(Stored(5).freq, 1026);
        TypeIn("eq_freq_5", QStringLiteral("1000"));
        SpinIn("eq_freq_5", false);
        EXPECT_EQ(Stored(5).freq, 957);
        TypeIn("eq_freq_5", QStringLiteral("25"));
        SpinIn("eq_freq_5", true);  // one step is 25 again: the double step
        EXPECT_EQ(Stored(5).freq, 26);
        TypeIn("eq_freq_5", QStringLiteral("20000"));
        SpinIn("eq_freq_5", true);
        EXPECT_EQ(Stored(5).freq, 20000);
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].bands[16].freq == 20000; }));

        TypeIn("eq_q_5", QStringLiteral("12"));
        EXPECT_EQ(TextOf("eq_q_5"), QStringLiteral("9.00"));
        EXPECT_FLOAT_EQ(Stored(5).q, 9.0f);
        TypeIn("eq_q_5", QStringLiteral("0.52"));
        SpinIn("eq_q_5", false);  // within 0.05 of 0.5: nothing
        EXPECT_EQ(TextOf("eq_q_5"), QStringLiteral("0.52"));
        EXPECT_NEAR(Stored(5).q, 0.52, 1e-6);
        SpinIn("eq_q_5", true);
        EXPECT_EQ(TextOf("eq_q_5"), QStringLiteral("0.57"));

        TypeIn("eq_gain_5", QStringLiteral("11.95"));
        SpinIn("eq_gain_5", true);  // to the slider's maximum, 12 dB
        EXPECT_EQ(TextOf("eq_gain_5"), QStringLiteral("12.0"));
        SpinIn("eq_gain_5", true);
        EXPECT_FLOAT_EQ(Stored(5).gain, 12.0f);
        TypeIn("eq_gain_5", QStringLiteral("40"));  // beyond the slider: its maximum
        EXPECT_EQ(TextOf("eq_gain_5"), QStringLiteral("12.0"));
        EXPECT_EQ(W("eq_slider_5")->Value(), 120);
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].bands[16].gain10 == 300; }));
        Drain();
        OnlyBandChanged(5);
    });
}

TEST_F(CustomEqTest, EnableBoxSendsFlatAndKeepsTheGainThenSendsItAgain) {
    WithCustomEq([&](CCustomEqWnd&) {
        TypeIn("eq_gain_2", QStringLiteral("3"));
        EXPECT_TRUE(W("pt_enable_2")->IsSelected());
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].bands[13].gain10 == 210; }));
        dynamic_cast<tk::CheckBox*>(W("pt_enable_2"))->Click();
        Settle(2);
        EXPECT_FALSE(W("pt_enable_2")->IsSelected());
        EXPECT_EQ(TextOf("eq_gain_2"), QStringLiteral("0.0"));
        EXPECT_EQ(W("eq_slider_2")->Value(), 0);
        EXPECT_FLOAT_EQ(Stored(2).gain, 3.0f);
        EXPECT_EQ(Stored(2).enable, 0);
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].bands[13].gain10 == 180; }));
        dynamic_cast<tk::CheckBox*>(W("pt_enable_2"))->Click();
        Settle(2);
        EXPECT_TRUE(W("pt_enable_2")->IsSelected());
        EXPECT_EQ(TextOf("eq_gain_2"), QStringLiteral("3.0"));
        EXPECT_EQ(W("eq_slider_2")->Value(), 30);
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].bands[13].gain10 == 210; }));

        // The slider: the band takes its gain, enabled, as band 11 + i.
        auto* slider = e->Find<tk::Slider>("eq_slider_7");
        ASSERT_NE(slider, nullptr);
        slider->setValue(-45);
        Settle(2);
        EXPECT_EQ(TextOf("eq_gain_7"), QStringLiteral("-4.5"));
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].bands[18].gain10 == 135; }));
        Drain();
        unitBefore.out[0].bands[13] = UnitBand(13);
        OnlyBandChanged(7);
    });
}

TEST_F(CustomEqTest, GraphDragsSendBand11PlusIOnlyWhenTheyChangeSomething) {
    WithCustomEq([&](CCustomEqWnd& c) {
        auto* graph = c.Find<dvdsp::ui::UIEqualizer>("equalizer");
        ASSERT_NE(graph, nullptr);
        const int band = 17;
        TypeIn("eq_freq_17", QStringLiteral("1000"));
        TypeIn("eq_gain_17", QStringLiteral("3"));
        Drain();
        // The graph reports the band as it is stored: nothing is sent.
        MarkUnitBand(11 + band);
        c.UpdateEqualizer(band);
        tk::TNotify same{"equalizer_eq", "equalizer", graph, 0, 0};
        c.DispatchNotify(same);
        Drain();
        EXPECT_EQ(UnitBand(11 + band).freq, 777);
        // A notification whose gain ends at 0 dB with frequency and Q unchanged sends nothing.
        std::vector<dvdsp::ui::BandPoint> bands = graph->Bands();
        bands[band].gain = 0.0f;
        graph->SetBands(bands, band);
        tk::TNotify n{"equalizer_eq", "equalizer", graph, 0, 0};
        c.DispatchNotify(n);
        Drain();
        EXPECT_EQ(UnitBand(11 + band).freq, 777);
        EXPECT_FLOAT_EQ(Stored(band).gain, 3.0f);

        // A real drag: stored and sent as band 11 + i.
        c.UpdateEqualizer(band);
        graph->grab();
        const QPoint from = graph->HandlePoint(band);
        QTest::mouseMove(graph, QPoint(from.x(), from.y() + 1));
        QTest::mousePress(graph, Qt::LeftButton, Qt::NoModifier, from);
        for (int step = 1; step <= 5; ++step) QTest::mouseMove(graph, QPoint(from.x() + 6 * step, from.y() - 8 * step));
        QTest::mouseRelease(graph, Qt::LeftButton, Qt::NoModifier, QPoint(from.x() + 30, from.y() - 40));
        Settle(4);
        const dvdsp::ui::BandPoint moved = graph->BandAt(band);
        EXPECT_GT(moved.freq, 1000);
        EXPECT_EQ(Stored(band).freq, moved.freq);
        EXPECT_EQ(TextOf("eq_freq_17"), QString::number(moved.freq));
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return s.scenes[0].out[0].bands[11 + band].freq == moved.freq; }));
        Drain();
        OnlyBandChanged(band);
    });
}

TEST_F(CustomEqTest, ADragThatEndsAtZeroDbSendsTheZero) {
    WithCustomEq([&](CCustomEqWnd& c) {
        auto* graph = c.Find<dvdsp::ui::UIEqualizer>("equalizer");
        ASSERT_NE(graph, nullptr);
        const int band = 4;
        TypeIn("eq_freq_4", QStringLiteral("1000"));
        TypeIn("eq_gain_4", QStringLiteral("6"));
        Drain();
        c.UpdateEqualizer(band);
        graph->grab();
        // From +6 dB straight down to the 0 dB line: the moves on the way send their gains,
        // the one at 0 dB none; the release sends the 0.
        const QPoint from = graph->HandlePoint(band);
        const int zero = graph->Axes().YOf(0);
        QTest::mouseMove(graph, QPoint(from.x(), from.y() + 1));
        QTest::mousePress(graph, Qt::LeftButton, Qt::NoModifier, from);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(graph, QPoint(from.x(), from.y() + (zero - from.y()) * step / 4));
        QTest::mouseRelease(graph, Qt::LeftButton, Qt::NoModifier, QPoint(from.x(), zero));
        Settle(4);
        Drain();
        EXPECT_FLOAT_EQ(graph->BandAt(band).gain, 0.0f);
        EXPECT_FLOAT_EQ(Stored(band).gain, 0.0f);
        EXPECT_EQ(TextOf("eq_gain_4"), QStringLiteral("0.0"));
        EXPECT_EQ(UnitBand(11 + band).gain10, 180);
        EXPECT_EQ(UnitBand(11 + band).freq, 1000);
    });
}

TEST_F(CustomEqTest, ResetAndRestoreSendEveryBandAs11PlusI) {
    dvdsp::core::CustomEqFactory factory = dvdsp::core::DefaultCustomEqFactory();
    for (int i = 0; i < 20; ++i) factory.gains[static_cast<size_t>(i)] = (i % 5) - 2;
    factory.freqs[3] = 44;
    WithCustomEq(
        [&](CCustomEqWnd&) {
            tk::testing::AnswerNextModal(tk::kResultConfirm);
            dynamic_cast<tk::Button*>(W("btn_reset_custom_eq"))->Click();
            Settle(2);
            EXPECT_TRUE(Shown(QStringLiteral("${restore_all_factory_eq_tips}")));
            EXPECT_EQ(TextOf("eq_freq_3"), QStringLiteral("44"));
            EXPECT_EQ(TextOf("eq_gain_0"), QStringLiteral("-2.0"));
            EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
                return s.scenes[0].out[0].bands[14].freq == 44 && s.scenes[0].out[0].bands[11].gain10 == 160 &&
                       s.scenes[0].out[0].bands[30].gain10 == 200;
            }));
            tk::testing::AnswerNextModal(tk::kResultConfirm);
            dynamic_cast<tk::Button*>(W("btn_reset_eq"))->Click();
            Settle(2);
            EXPECT_TRUE(Shown(QStringLiteral("${reset_all_eq_tips}")));
            EXPECT_EQ(TextOf("eq_freq_3"), QStringLiteral("40"));
            EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
                return s.scenes[0].out[0].bands[14].freq == 40 && s.scenes[0].out[0].bands[11].gain10 == 180 &&
                       s.scenes[0].out[0].bands[30].gain10 == 180;
            }));
            // Declined: nothing changes.
            TypeIn("eq_gain_0", QStringLiteral("2"));
            tk::testing::AnswerNextModal(tk::kResultClosed);
            dynamic_cast<tk::Button*>(W("btn_reset_eq"))->Click();
            Settle(2);
            EXPECT_FLOAT_EQ(Stored(0).gain, 2.0f);
            Drain();
            for (int b = 0; b < 11; ++b) EXPECT_EQ(UnitBand(b), unitBefore.out[0].bands[static_cast<size_t>(b)]) << b;
        },
        factory);
}

TEST_F(CustomEqTest, LeftAndRightMoveTheFocusAcrossTheBandsWithWrapping) {
    WithCustomEq([&](CCustomEqWnd&) {
        auto* first = e->Find<tk::Edit>("eq_gain_0");
        auto* last = e->Find<tk::Edit>("eq_gain_19");
        ASSERT_TRUE(first && last);
        last->setFocus();
        last->deselect();
        last->end(false);
        QTest::keyClick(last, Qt::Key_Right);  // at the end of the text: the next band
        Settle(2);
        EXPECT_TRUE(first->hasFocus());
        first->deselect();
        first->home(false);
        QTest::keyClick(first, Qt::Key_Left);  // at its start: the band before
        Settle(2);
        EXPECT_TRUE(last->hasFocus());
    });
}

}  // namespace
}  // namespace uitest
