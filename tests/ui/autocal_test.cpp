// The calibration window against the virtual unit, driven by its controls' names: the
// channel boxes and their rules, the corrections and the audio effect sent with the
// start, stopping, every failure code, a whole run with the graph holding what the unit
// measured, apply changing the unit, and closing with the apply question.
#include <QApplication>
#include <QTest>

#include "channel_ops_fixture.h"
#include "emulator/fault_spec.h"
#include "emulator/signal_model.h"
#include "link/clock.h"
#include "toolkit/test_seams.h"
#include "ui/autocal/autocal_wnd.h"
#include "ui/controls/equalizer_ac.h"

namespace uitest {
namespace {

using dvdsp::ui::CAutoCalWnd;

class AutoCalTest : public ChannelOpsTest {
protected:
    void SetUp() override {
        ChannelOpsTest::SetUp();
        // The unit's run follows its clock; the worker pauses on the same manual clock, so
        // a run takes as many rounds as a real one without waiting.
        backend.reset();
        unit = std::make_unique<emu::VirtualUnit>(unitClock);
        unit->SetCalibrationStepMs(500);
        backend = std::make_unique<emu::VirtualHidBackend>(*unit);
        Open();
        ConnectAndWait();
        wnd->Controller().AutoCal().SetPollClock(&unitClock);
    }

    // Runs the calibration window with `body` while it is up; returns its result.
    int WithAutoCal(const std::function<void(CAutoCalWnd&)>& body) {
        bool ran = false;
        tk::testing::ActOnNextModal([&](tk::Window& w) {
            ran = true;
            auto* a = dynamic_cast<CAutoCalWnd*>(&w);
            EXPECT_NE(a, nullptr) << w.ClassName().toStdString();
            if (a) {
                Settle(2);
                body(*a);
            }
            if (w.isVisible()) w.Close(0);
        });
        CAutoCalWnd cal(wnd.get(), wnd->Controller());
        const int result = cal.Run();
        EXPECT_TRUE(ran) << "no calibration window was shown";
        return result;
    }
    static tk::Control* Of(CAutoCalWnd& a, const std::string& name) {
        tk::Control* c = a.FindControl(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static void Press(CAutoCalWnd& a, const std::string& name) {
        if (auto* b = dynamic_cast<tk::Button*>(Of(a, name))) b->Click();
        else if (auto* cb = dynamic_cast<tk::CheckBox*>(Of(a, name))) cb->Click();
        Settle(2);
    }
    static QString Tips(CAutoCalWnd& a) { return Of(a, "tips")->Text(); }
    bool TipsBecome(CAutoCalWnd& a, const QString& text) {
        return WaitFor([&] { return Tips(a) == text; }, 15000);
    }
    emu::Calibration UnitRun() { return unit->CalibrationState(); }
    // The unit's live band b of channel ch.
    emu::Band UnitBand(int ch, int b) {
        return unit->WithState([&](emu::UnitState& s) { return s.scenes[0].out[static_cast<size_t>(ch)].bands[static_cast<size_t>(b)]; });
    }
    void CompleteRun(CAutoCalWnd& a) {
        Press(a, "start_auto_cal");
        ASSERT_TRUE(TipsBecome(a, QStringLiteral("${irc_completed}"))) << Tips(a).toStdString();
        EXPECT_EQ(Of(a, "start_auto_cal")->Text(), QStringLiteral("${start_irc}"));
        EXPECT_TRUE(Of(a, "closebtn")->IsEnabled());
    }

    dvdsp::link::ManualClock unitClock;
};

TEST_F(AutoCalTest, ChannelBoxesLeaveOutLinkedNoRoleAndSubwooferChannels) {
    // Channels 2 and 3 (rear left and right) linked; channel 5 without a role.
    Model().linkMode = 1;
    Model().linkOutputs[2] = 3;
    Model().linkOutputs[3] = 2;
    Model().outputs[5] = 0;
    WithAutoCal([&](CAutoCalWnd& a) {
        for (int n = 0; n < 10; ++n) {
            auto* box = dynamic_cast<tk::CheckBox*>(Of(a, N("ch_checkbox_", n)));
            ASSERT_NE(box, nullptr);
            const bool measured = n != 3 && n != 5 && n != 8 && n != 9;
            EXPECT_EQ(box->IsSelected(), measured) << n;
            EXPECT_EQ(box->IsEnabled(), measured) << n;
            EXPECT_EQ(a.ChannelSelected(n), measured) << n;
        }
        EXPECT_EQ(Of(a, "ch_checkbox_3")->TextColor(), dvdsp::ui::kAutoCalDisabledTextColor);
        EXPECT_EQ(Of(a, "ch_checkbox_8")->ToolTip(), QStringLiteral("${irc_subwoof_not_test}"));
        EXPECT_EQ(Of(a, "ch_checkbox_9")->ToolTip(), QStringLiteral("${irc_subwoof_not_test}"));
        // A left-out channel cannot be checked.
        Press(a, "ch_checkbox_9");
        EXPECT_FALSE(Of(a, "ch_checkbox_9")->IsSelected());
        // Unchecking a channel hides its series; the graph's legend names those shown.
        Press(a, "ch_checkbox_1");
        EXPECT_FALSE(a.ChannelSelected(1));
        auto* graph = a.Find<dvdsp::ui::UIEqualizerAc>("equalizer_ac");
        ASSERT_NE(graph, nullptr);
        (void)graph->grab();
        EXPECT_EQ(graph->LastPaint().legend, (std::vector<QString>{"CH1", "CH3", "CH5", "CH7", "CH8"}));
        EXPECT_EQ(graph->LastPaint().legendColors[1], dvdsp::ui::kAcEqPalette[2]);
    });
}

TEST_F(AutoCalTest, StartWithoutAnyCorrectionWarnsAndSendsNothing) {
    WithAutoCal([&](CAutoCalWnd& a) {
        for (const char* o : {"irc_eq", "irc_delay", "irc_phase"}) Press(a, o);
        EXPECT_EQ(wnd->Controller().AutoCal().IrcModel(), 0);
        tk::testing::AnswerNextModal(1);
        Press(a, "start_auto_cal");
        EXPECT_TRUE(WaitFor([&] { return Answered(); }));
        EXPECT_TRUE(Shown(QStringLiteral("${irc_option_warning_tips}")));
        EXPECT_FALSE(UnitRun().started);
        EXPECT_EQ(Of(a, "start_auto_cal")->Text(), QStringLiteral("${start_irc}"));
        EXPECT_TRUE(Of(a, "closebtn")->IsEnabled());
    });
}

TEST_F(AutoCalTest, StartSendsTheChannelsCorrectionsAndEffectAndAStatusAfterStopChangesNoText) {
    // The unit's run stands still at its start while the worker polls on its own clock.
    dvdsp::link::ManualClock pollClock;
    wnd->Controller().AutoCal().SetPollClock(&pollClock);
    WithAutoCal([&](CAutoCalWnd& a) {
        Press(a, "irc_phase");  // EQ and delay only
        Press(a, "start_auto_cal");
        EXPECT_EQ(Tips(a), QStringLiteral("${start_irc_tips}"));
        EXPECT_EQ(Of(a, "start_auto_cal")->Text(), QStringLiteral("${stop}"));
        EXPECT_FALSE(Of(a, "closebtn")->IsEnabled());
        ASSERT_TRUE(WaitFor([&] { return UnitRun().started; }));
        EXPECT_EQ(UnitRun().eqMode, 0);  // no audio effect
        EXPECT_EQ(UnitRun().modules, 3);
        EXPECT_EQ(UnitRun().mask, 0x00FF);  // subwoofers 8 and 9 left out

        Press(a, "start_auto_cal");  // stop
        EXPECT_EQ(Tips(a), QStringLiteral("${irc_stoped}"));
        EXPECT_EQ(Of(a, "start_auto_cal")->Text(), QStringLiteral("${start_irc}"));
        EXPECT_TRUE(Of(a, "closebtn")->IsEnabled());
        EXPECT_FALSE(wnd->Controller().AutoCal().Active());
        EXPECT_EQ(UnitRun().status, emu::IRC_RET_TEST_EXIT);
        // The unit's report of its stopped run comes after the stop: it shows nothing.
        wnd->Controller().Device().IRC_Get();
        Settle(10);
        EXPECT_EQ(Tips(a), QStringLiteral("${irc_stoped}"));

        // The third audio effect alone: EQ mode 3.
        Press(a, "audio_effect_2");
        Press(a, "start_auto_cal");
        ASSERT_TRUE(WaitFor([&] { return UnitRun().started && !UnitRun().finished && UnitRun().eqMode == 3; }));
        Press(a, "start_auto_cal");
        EXPECT_EQ(Tips(a), QStringLiteral("${irc_stoped}"));
    });
}

TEST_F(AutoCalTest, EveryFailureCodeShowsItsTextAndLeavesNothingToApply) {
    const char* const texts[] = {"${irc_failed_level}", "${irc_failed_mic}", "${irc_failed_speaker}",
                                 "${irc_failed_delay}", "${irc_failed_ch_volume}", "${irc_failed_eq}"};
    WithAutoCal([&](CAutoCalWnd& a) {
        for (int code = 0; code < 6; ++code) {
            unit->SetCalibrationFailure(code);
            Press(a, "start_auto_cal");
            ASSERT_TRUE(TipsBecome(a, QString::fromLatin1(texts[code]))) << code << " " << Tips(a).toStdString();
            EXPECT_EQ(Of(a, "start_auto_cal")->Text(), QStringLiteral("${start_irc}"));
            EXPECT_TRUE(Of(a, "closebtn")->IsEnabled());
            EXPECT_FALSE(wnd->Controller().AutoCal().Completed());
            Press(a, "irc_save_data");
            EXPECT_EQ(Tips(a), QStringLiteral("${irc_start_tips}"));
            Press(a, "irc_cancel_data");
            EXPECT_EQ(Tips(a), QStringLiteral("${irc_start_tips}"));
        }
    });
    // Closing after a failure asks nothing and cancels.
    EXPECT_FALSE(Shown(QStringLiteral("${irc_apply_tips}")));
}

TEST_F(AutoCalTest, AFailureCodeNamedInTextEndsTheRun) {
    // As DVDSP_VIRTUAL_FAULT gives it to the program.
    std::string why;
    ASSERT_TRUE(dvdsp::emu::ArmVirtualFaults("cal-fail@2", *unit, *backend, &why)) << why;
    WithAutoCal([&](CAutoCalWnd& a) {
        Press(a, "start_auto_cal");
        EXPECT_TRUE(TipsBecome(a, QStringLiteral("${irc_failed_speaker}"))) << Tips(a).toStdString();
    });
}

TEST_F(AutoCalTest, ACompletedRunShowsTheMeasurementsAndApplyChangesTheUnit) {
    const int result = WithAutoCal([&](CAutoCalWnd& a) {
        CompleteRun(a);
        auto* graph = a.Find<dvdsp::ui::UIEqualizerAc>("equalizer_ac");
        ASSERT_NE(graph, nullptr);
        EXPECT_EQ(graph->EqCurveCount(), 10);
        EXPECT_EQ(graph->SpectrumCount(), 10);
        const dvdsp::core::Calibration& cal = wnd->Controller().AutoCal();
        // Channel 4 is the centre tweeter: the spectrum the window holds is the unit's, quiet
        // below the crossover; its correction bands are flat there.
        const auto& spectrum = cal.Spectrum(4);
        const emu::SpeakerModel tweeter = emu::SpeakerFor(19, 4);
        for (int i : {3, 60, 120}) {
            const double f = emu::IrcSpectrumFreq100(i) / 100.0;
            EXPECT_EQ(spectrum[static_cast<size_t>(i)].freq, static_cast<int>(f)) << i;
            EXPECT_NEAR(spectrum[static_cast<size_t>(i)].level, emu::IrcSpectrumLevel100(tweeter, 4, f) / 100.0, 0.011) << i;
        }
        EXPECT_NEAR(cal.MeasuredBands(4)[2].gain, 0.0, 1e-6);  // 80 Hz, below the tweeter's band
        // The correction curve of channel 0 (full range) is the sum of its reported bands.
        const emu::SpeakerModel full = emu::SpeakerFor(6, 0);
        for (int b = 0; b < 11; ++b)
            EXPECT_NEAR(cal.MeasuredBands(0)[static_cast<size_t>(b)].gain, emu::IrcBandGain10(full, 0, b) / 10.0, 0.01) << b;
        bool curveMoved = false;
        for (double level : cal.EqCurve(0).levels) curveMoved = curveMoved || std::fabs(level) > 0.5;
        EXPECT_TRUE(curveMoved);
        // Drawn: the selected channels' curves (dashed, their palette) and spectra.
        graph->grab();
        const std::vector<int> selected = {0, 1, 2, 3, 4, 5, 6, 7};
        EXPECT_EQ(graph->LastPaint().eqCurves, selected);
        EXPECT_EQ(graph->LastPaint().spectra, selected);
        ASSERT_FALSE(graph->LastPaint().eqColors.empty());
        EXPECT_EQ(graph->LastPaint().eqColors[0], dvdsp::ui::kAcEqPalette[0]);
        EXPECT_EQ(graph->LastPaint().spectrumColors[0], dvdsp::ui::kAcSpectrumPalette[0]);
        Press(a, "display_spk");
        graph->grab();
        EXPECT_TRUE(graph->LastPaint().spectra.empty());
        EXPECT_EQ(graph->LastPaint().eqCurves, selected);
        Press(a, "display_eq");
        graph->grab();
        EXPECT_TRUE(graph->LastPaint().eqCurves.empty());

        // A distance the unit reports shows in its channel's label.
        EXPECT_FALSE(Of(a, "ch_0: ")->IsVisible());
        wnd->Controller().Device().IRC_Get_Distance(0, 0);
        ASSERT_TRUE(WaitFor([&] { return Of(a, "ch_0: ")->IsVisible(); }));
        EXPECT_EQ(Of(a, "ch_0: ")->Text(), QString::asprintf("%f", full.distanceCm / 100.0));

        // Apply: the unit's channels take the measured bands, delay and trim, and the page follows.
        Press(a, "irc_save_data");
        EXPECT_EQ(Tips(a), QStringLiteral("${irc_applyed}"));
        const int gain10 = emu::IrcBandGain10(full, 0, 3);
        EXPECT_EQ(UnitBand(0, 3).gain10, 180 + gain10);
        EXPECT_EQ(UnitBand(0, 3).freq, 160);
        EXPECT_GT(unit->WithState([](emu::UnitState& s) { return s.scenes[0].out[0].delayUs; }), 0u);
        EXPECT_TRUE(WaitFor([&] { return std::fabs(Model().Bands(0)[3].gain - static_cast<float>(gain10) / 10.0f) < 0.01f; }));
        EXPECT_EQ(unit->WithState([](emu::UnitState& s) { return s.scenes[0].out[0].eqBypass; }), 0);
        EXPECT_TRUE(WaitFor([&] { return Model().channels[0].bypass == 0; }));
        // Applied once: a second apply or a discard only asks for a new run.
        Press(a, "irc_save_data");
        EXPECT_EQ(Tips(a), QStringLiteral("${irc_start_tips}"));
        Press(a, "irc_cancel_data");
        EXPECT_EQ(Tips(a), QStringLiteral("${irc_start_tips}"));
        Press(a, "closebtn");
    });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(Shown(QStringLiteral("${irc_apply_tips}")));
}

TEST_F(AutoCalTest, ClosingAfterACompletedRunAsksAndNoCancels) {
    const emu::Band before = UnitBand(0, 3);
    const int result = WithAutoCal([&](CAutoCalWnd& a) {
        CompleteRun(a);
        EXPECT_TRUE(UnitRun().resultPending);
        tk::testing::AnswerNextModal(0);
        Press(a, "closebtn");
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(Shown(QStringLiteral("${irc_apply_tips}")));
    EXPECT_FALSE(UnitRun().resultPending);  // cancelled
    EXPECT_EQ(UnitBand(0, 3), before);

    // Answering OK applies.
    const int applied = WithAutoCal([&](CAutoCalWnd& a) {
        CompleteRun(a);
        tk::testing::AnswerNextModal(1);
        Press(a, "closebtn");
    });
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(UnitBand(0, 3).gain10, 180 + emu::IrcBandGain10(emu::SpeakerFor(6, 0), 0, 3));
}

}  // namespace
}  // namespace uitest
