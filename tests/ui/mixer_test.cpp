// The input mixer window against the virtual unit, driven by its controls' names: its
// rows for the source's inputs, the cells' switches, sliders and edits with their
// clamps, the bridged partner, the cross-source feeds, moving between cells, clearing
// the mix, the clip indicators on the status timer, the refresh from routing replies
// and the closing when the unit goes away. Every edit is read back from the unit.
#include <QApplication>
#include <QTest>

#include "channel_ops_fixture.h"
#include "emulator/signal_model.h"
#include "link/clock.h"
#include "toolkit/test_seams.h"
#include "ui/mixer/mixer_wnd.h"

namespace uitest {
namespace {

using dvdsp::ui::CMixerWnd;

class MixerTest : public ChannelOpsTest {
protected:
    void SetUp() override {
        ChannelOpsTest::SetUp();
        // The unit's clip flags follow its clock: one held still, moved by the test.
        backend.reset();
        unit = std::make_unique<emu::VirtualUnit>(unitClock);
        backend = std::make_unique<emu::VirtualHidBackend>(*unit);
    }

    // Opens the mixer through the controller (or the advance menu) and runs `body` on it
    // while it is up; the window is closed afterwards unless `body` closed it. Returns the
    // window's result.
    int WithMixer(const std::function<void(CMixerWnd&)>& body, bool fromMenu = false) {
        bool ran = false;
        tk::testing::ActOnNextModal([&](tk::Window& w) {
            ran = true;
            auto* m = dynamic_cast<CMixerWnd*>(&w);
            EXPECT_NE(m, nullptr) << w.ClassName().toStdString();
            if (m) {
                m->activateWindow();
                Settle(2);
                body(*m);
            }
            if (w.isVisible()) w.Close(0);
        });
        int result = -1;
        if (fromMenu) {
            Click("btn_advance");
            EXPECT_TRUE(wnd->CurrentMenu() && wnd->CurrentMenu()->Trigger("advance_item_mixer"));
            EXPECT_TRUE(WaitFor([&] { return ran && !AnyMixer(); }));
        } else {
            result = wnd->Controller().OpenMixer();
        }
        EXPECT_TRUE(ran) << "no mixer window was shown";
        return result;
    }
    static bool AnyMixer() {
        for (tk::Window* w : tk::Window::OpenWindows())
            if (w->ClassName() == QLatin1String("CMixerWnd") && w->isVisible()) return true;
        return false;
    }
    static std::string Cell(const char* prefix, int o, int i) {
        return prefix + std::to_string(o) + "_" + std::to_string(i);
    }
    static bool Shown(CMixerWnd& m, const std::string& name) {
        tk::Control* c = m.FindControl(name);
        EXPECT_NE(c, nullptr) << name;
        return c && c->IsVisible();
    }
    static QString TextOf(CMixerWnd& m, const std::string& name) {
        auto* e = m.Find<tk::Edit>(name);
        return e ? e->text() : m.FindControl(name) ? m.FindControl(name)->Text() : QString();
    }
    void TypeIn(CMixerWnd& m, const std::string& name, const QString& text) {
        auto* e = m.Find<tk::Edit>(name);
        ASSERT_NE(e, nullptr) << name;
        e->setFocus();
        e->selectAll();
        e->insert(text);
        QTest::keyClick(e, Qt::Key_Return);
        Settle(2);
    }
    void ClickIn(CMixerWnd& m, const std::string& name) {
        auto* b = dynamic_cast<tk::Button*>(m.FindControl(name));
        ASSERT_NE(b, nullptr) << name;
        b->Click();
        Settle(2);
    }
    static void DragIn(CMixerWnd& m, const std::string& name, int value) {
        auto* s = m.Find<tk::Slider>(name);
        ASSERT_NE(s, nullptr) << name;
        s->setValue(value);
        Settle(2);
    }
    emu::SourceMix& Mix(emu::UnitState& s, int source) { return s.scenes[0].src[static_cast<size_t>(source)]; }
    int StoredTrim(int source, int in, int out) {
        return Model().inputMixVolume[static_cast<size_t>(source)][static_cast<size_t>(in)][static_cast<size_t>(out)];
    }
    int Mask(int source, int out) { return Model().inputs[static_cast<size_t>(source)][static_cast<size_t>(out)]; }

    dvdsp::link::ManualClock unitClock;
};

TEST_F(MixerTest, RowsFollowTheSourceInputsAndTheWindowLosesTheirHeight) {
    Open();
    QSize two, eight;
    // Source 0 (optical) has two inputs; the advance menu opens the mixer over it.
    WithMixer(
        [&](CMixerWnd& m) {
            EXPECT_EQ(m.Source(), 0);
            EXPECT_EQ(m.InputCount(), 2);
            for (int i = 0; i < 8; ++i) {
                const bool row = i < 2;
                EXPECT_EQ(Shown(m, "left_box_" + std::to_string(i)), row) << i;
                EXPECT_EQ(Shown(m, "title_label_" + std::to_string(i)), row) << i;
                EXPECT_EQ(Shown(m, "in_phase_box_" + std::to_string(i)), row) << i;
                EXPECT_EQ(Shown(m, "cmb_csm_vice_source_" + std::to_string(i)), row) << i;
                for (int o = 0; o < 10; ++o) EXPECT_EQ(Shown(m, Cell("box_", o, i)), row) << o << "," << i;
                if (i < 7) {
                    EXPECT_EQ(Shown(m, Cell("box_grap_", 3, i)), i < 1) << i;
                }
            }
            EXPECT_EQ(m.FindControl("title_label_0")->Text(), QStringLiteral("${source_opt} L"));
            EXPECT_EQ(m.FindControl("title_label_1")->Text(), QStringLiteral("${source_opt} R"));
            two = m.BaseSize();
        },
        true);
    // Source 5 (high level) has eight, numbered, and takes no second source.
    wnd->Controller().SetInputSource(5);
    WithMixer([&](CMixerWnd& m) {
        EXPECT_EQ(m.InputCount(), 8);
        EXPECT_EQ(m.FindControl("title_label_0")->Text(), QStringLiteral("${source_hi}1"));
        EXPECT_EQ(m.FindControl("title_label_7")->Text(), QStringLiteral("${source_hi}8"));
        EXPECT_TRUE(Shown(m, Cell("box_", 9, 7)));
        EXPECT_TRUE(Shown(m, Cell("box_grap_", 9, 6)));
        EXPECT_FALSE(Shown(m, "cmb_csm_vice_source_0"));
        EXPECT_FALSE(Shown(m, "csm_vice_gain_edit_3"));
        EXPECT_FALSE(Shown(m, "arrow_up_0"));
        eight = m.BaseSize();
    });
    EXPECT_EQ(two.width(), eight.width());
    EXPECT_EQ(eight.height() - two.height(), 6 * dvdsp::ui::kMixerRowHeight);
    EXPECT_EQ(eight.height() - two.height(), 432);
}

TEST_F(MixerTest, CheckingACellWithoutTrimPlaysItFullAndUncheckingSilencesIt) {
    Open();
    ConnectAndWait();
    // Output 0 takes input 0 of source 0 by default; input 1 is off with no trim stored.
    ASSERT_EQ(Mask(0, 0), 1);
    ASSERT_EQ(StoredTrim(0, 1, 0), 0);
    WithMixer([&](CMixerWnd& m) {
        EXPECT_FALSE(m.FindControl(Cell("box_enable_", 0, 1))->IsSelected());
        EXPECT_EQ(TextOf(m, Cell("box_edit_", 0, 1)), QStringLiteral("0dB"));
        ClickIn(m, Cell("box_enable_", 0, 1));
        EXPECT_EQ(StoredTrim(0, 1, 0), 100);
        EXPECT_EQ(Mask(0, 0), 3);
        EXPECT_EQ(TextOf(m, Cell("box_edit_", 0, 1)), QStringLiteral("100dB"));
        EXPECT_EQ(m.FindControl(Cell("box_volume_", 0, 1))->Value(), 100);
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Mix(s, 0).mixTrim[1][0] == 100 && Mix(s, 0).routing[0] == 3; }));

        ClickIn(m, Cell("box_enable_", 0, 1));
        EXPECT_EQ(StoredTrim(0, 1, 0), 0);
        EXPECT_EQ(Mask(0, 0), 1);
        EXPECT_FALSE(m.FindControl(Cell("box_enable_", 0, 1))->IsSelected());
        EXPECT_EQ(TextOf(m, Cell("box_edit_", 0, 1)), QStringLiteral("0dB"));
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Mix(s, 0).mixTrim[1][0] == 0 && Mix(s, 0).routing[0] == 1; }));

        // A routed cell whose stored trim is 0 shows and re-sends nothing less than full.
        ClickIn(m, Cell("box_enable_", 0, 1));
        EXPECT_EQ(StoredTrim(0, 1, 0), 100);
    });
}

TEST_F(MixerTest, TypedAndSteppedTrimsStayInTheCellSliderRange) {
    Open();
    ConnectAndWait();
    WithMixer([&](CMixerWnd& m) {
        tk::Control* slider = m.FindControl(Cell("box_volume_", 2, 0));
        ASSERT_NE(slider, nullptr);
        slider->SetRange(-94, 6);
        TypeIn(m, Cell("box_edit_", 2, 0), QStringLiteral("12"));
        EXPECT_EQ(StoredTrim(0, 0, 2), 6);
        EXPECT_EQ(TextOf(m, Cell("box_edit_", 2, 0)), QStringLiteral("6dB"));
        EXPECT_EQ(slider->Value(), 6);
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Mix(s, 0).mixTrim[0][2] == 6; }));

        auto* e = m.Find<tk::Edit>(Cell("box_edit_", 2, 0));
        QTest::keyClick(e, Qt::Key_Up);  // held at the top
        EXPECT_EQ(StoredTrim(0, 0, 2), 6);
        QTest::keyClick(e, Qt::Key_Down);
        EXPECT_EQ(StoredTrim(0, 0, 2), 5);
        EXPECT_EQ(TextOf(m, Cell("box_edit_", 2, 0)), QStringLiteral("5dB"));
        TypeIn(m, Cell("box_edit_", 2, 0), QStringLiteral("-200dB"));
        EXPECT_EQ(StoredTrim(0, 0, 2), -94);  // not above 0: the cell goes off
        EXPECT_EQ(TextOf(m, Cell("box_edit_", 2, 0)), QStringLiteral("-94dB"));
        EXPECT_FALSE(m.FindControl(Cell("box_enable_", 2, 0))->IsSelected());
        EXPECT_EQ(Mask(0, 2) & 1, 0);
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Mix(s, 0).mixTrim[0][2] == -94 && Mix(s, 0).routing[2] == 0; }));

        // The default slider spans 0..100: a drag is a trim.
        DragIn(m, Cell("box_volume_", 3, 1), 42);
        EXPECT_EQ(StoredTrim(0, 1, 3), 42);
        EXPECT_EQ(TextOf(m, Cell("box_edit_", 3, 1)), QStringLiteral("42dB"));
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Mix(s, 0).mixTrim[1][3] == 42; }));
    });
}

TEST_F(MixerTest, CrossSourceGainIsHeldAndSentWithItsOffset) {
    Open();
    ConnectAndWait();
    WithMixer([&](CMixerWnd& m) {
        TypeIn(m, "csm_vice_gain_edit_0", QStringLiteral("-40"));
        EXPECT_EQ(TextOf(m, "csm_vice_gain_edit_0"), QStringLiteral("-32dB"));
        EXPECT_EQ(Model().csmViceGain[0][0], -32);
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Mix(s, 0).csmGain[0] == 0; }));
        TypeIn(m, "csm_vice_gain_edit_1", QStringLiteral("6"));
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Mix(s, 0).csmGain[1] == 38; }));
        // A step beyond the top changes nothing; one below goes out at once.
        auto* e = m.Find<tk::Edit>("csm_vice_gain_edit_1");
        QTest::keyClick(e, Qt::Key_Up);
        EXPECT_EQ(Model().csmViceGain[0][1], 6);
        QTest::keyClick(e, Qt::Key_Down);
        EXPECT_EQ(TextOf(m, "csm_vice_gain_edit_1"), QStringLiteral("5dB"));
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Mix(s, 0).csmGain[1] == 37; }));

        // The combo's item names the vice source and channel (Bluetooth R: 0201).
        auto* combo = m.Find<tk::Combo>("cmb_csm_vice_source_0");
        ASSERT_NE(combo, nullptr);
        const int bt = [&] {
            for (int k = 0; k < combo->ItemCount(); ++k)
                if (combo->Item(k).userData == QLatin1String("0201")) return k;
            return -1;
        }();
        ASSERT_GE(bt, 0);
        combo->setCurrentIndex(bt);
        emit combo->activated(bt);  // as a user picks it
        Settle(2);
        EXPECT_EQ(Model().csmViceSource[0][0], 2);
        EXPECT_EQ(Model().csmViceCh[0][0], 1);
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) {
            return Mix(s, 0).csmSource[0] == 2 && Mix(s, 0).csmCh[0] == 1 && Mix(s, 0).csmGain[0] == 0;
        }));
    });
    // Opened again, the combo shows the stored feed.
    WithMixer([&](CMixerWnd& m) {
        auto* combo = m.Find<tk::Combo>("cmb_csm_vice_source_0");
        EXPECT_EQ(combo->Item(combo->CurSel()).userData, QStringLiteral("0201"));
        EXPECT_EQ(TextOf(m, "csm_vice_gain_edit_0"), QStringLiteral("-32dB"));
    });
}

TEST_F(MixerTest, CursorKeysMoveAcrossTheGridAndWrap) {
    Open();
    WithMixer([&](CMixerWnd& m) {
        const auto press = [&](int o, int i, Qt::Key key) {
            auto* e = m.Find<tk::Edit>(Cell("box_edit_", o, i));
            e->setFocus();
            e->deselect();
            if (key == Qt::Key_Right) e->end(false);
            else e->home(false);
            QTest::keyClick(e, key);
            Settle(2);
        };
        const auto focused = [&](int o, int i) {
            return QApplication::focusWidget() == m.Find<tk::Edit>(Cell("box_edit_", o, i));
        };
        press(9, 1, Qt::Key_Right);  // last output of the last row
        EXPECT_TRUE(focused(0, 0));
        press(9, 0, Qt::Key_Right);
        EXPECT_TRUE(focused(0, 1));
        press(4, 0, Qt::Key_Right);
        EXPECT_TRUE(focused(5, 0));
        press(0, 0, Qt::Key_Left);
        EXPECT_TRUE(focused(9, 1));
        press(0, 1, Qt::Key_Left);
        EXPECT_TRUE(focused(9, 0));
    });
}

TEST_F(MixerTest, BridgedPairCopiesEitherOutputToTheOther) {
    Open();
    ConnectAndWait();
    WithMixer([&](CMixerWnd& m) {
        ClickIn(m, "ch_bridge_2");
        EXPECT_EQ(Model().bridge[2], 1);
        ASSERT_TRUE(WaitFor([&] {
            Settle(1);
            return wnd->LoadingWindow() == nullptr && wnd->Controller().RunningWorkers() == 0;
        }));
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return s.scenes[0].bridge[2] == 1; }));

        DragIn(m, Cell("box_volume_", 4, 0), 40);
        EXPECT_EQ(StoredTrim(0, 0, 4), 40);
        EXPECT_EQ(StoredTrim(0, 0, 5), 40);
        EXPECT_EQ(Mask(0, 5) & 1, 1);
        EXPECT_EQ(TextOf(m, Cell("box_edit_", 5, 0)), QStringLiteral("40dB"));
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) {
            return Mix(s, 0).mixTrim[0][4] == 40 && Mix(s, 0).mixTrim[0][5] == 40 && (Mix(s, 0).routing[5] & 1);
        }));

        DragIn(m, Cell("box_volume_", 5, 1), 30);
        EXPECT_EQ(StoredTrim(0, 1, 4), 30);
        EXPECT_TRUE(m.FindControl(Cell("box_enable_", 4, 1))->IsSelected());
        EXPECT_EQ(TextOf(m, Cell("box_edit_", 4, 1)), QStringLiteral("30dB"));
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Mix(s, 0).mixTrim[1][4] == 30 && Mix(s, 0).mixTrim[1][5] == 30; }));

        // An unbridged pair leaves the partner alone.
        DragIn(m, Cell("box_volume_", 2, 0), 20);
        EXPECT_NE(StoredTrim(0, 0, 3), 20);
    });
}

TEST_F(MixerTest, PhaseAndClearReachTheUnit) {
    Open();
    ConnectAndWait();
    const int out = wnd->Controller().SetMixTrim(0, 1, 6, 55);  // routed from the controller first
    EXPECT_EQ(out, -1);
    WithMixer([&](CMixerWnd& m) {
        EXPECT_EQ(TextOf(m, Cell("box_edit_", 6, 1)), QStringLiteral("55dB"));
        ClickIn(m, "in_phase_1");
        EXPECT_EQ(Model().inMixPhase[0][1], 1);
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Mix(s, 0).inPhase[1] == 1; }));

        ClickIn(m, "btn_reset_input");
        for (int o = 0; o < 10; ++o) {
            EXPECT_EQ(Mask(0, o), 0) << o;
            EXPECT_FALSE(m.FindControl(Cell("box_enable_", o, 0))->IsSelected()) << o;
            EXPECT_EQ(TextOf(m, Cell("box_edit_", o, 1)), QStringLiteral("0dB")) << o;
        }
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) {
            for (int o = 0; o < 10; ++o)
                if (Mix(s, 0).routing[static_cast<size_t>(o)] != 0 || Mix(s, 0).mixTrim[1][static_cast<size_t>(o)] != 0 ||
                    Mix(s, 0).mixTrim[0][static_cast<size_t>(o)] != 0)
                    return false;
            return true;
        }));
    });
}

TEST_F(MixerTest, ClipIndicatorsFollowTheUnitOnTheStatusTimer) {
    Open();
    ConnectAndWait();
    // Seconds of the unit's clock at which input 0 of source 0 clips, and at which it does not.
    uint64_t clipAt = unitClock.NowMs();
    while (!emu::InputClip(0, 0, clipAt) && clipAt < unitClock.NowMs() + 60000) clipAt += 1000;
    uint64_t cleanAt = clipAt + 1000;
    while (emu::InputClip(0, 0, cleanAt) && cleanAt < clipAt + 60000) cleanAt += 1000;
    ASSERT_TRUE(emu::InputClip(0, 0, clipAt));
    ASSERT_FALSE(emu::InputClip(0, 0, cleanAt));
    WithMixer([&](CMixerWnd& m) {
        EXPECT_TRUE(m.HasTimer(dvdsp::ui::STATUS_READ_TIMER));
        const auto tick = [&] {
            m.OnTimer(dvdsp::ui::STATUS_READ_TIMER);
            Settle(4);
        };
        const auto image = [&](const std::string& name) { return m.FindControl(name)->BkImage(); };
        const auto expectFlags = [&](uint64_t t) {
            for (int i = 0; i < 2; ++i)
                EXPECT_EQ(image("in_distort_" + std::to_string(i)),
                          emu::InputClip(0, i, t) ? QStringLiteral("images/off.png") : QStringLiteral("images/on.png"))
                    << i << " at " << t;
            for (int o = 0; o < 10; ++o)
                EXPECT_EQ(image("out_distort_" + std::to_string(o)),
                          emu::OutputClip(0, o, t, 0) ? QStringLiteral("images/off.png") : QStringLiteral("images/on.png"))
                    << o << " at " << t;
        };
        unitClock.Advance(clipAt - unitClock.NowMs());
        tick();  // asks the unit
        tick();  // shows what it answered
        expectFlags(clipAt);
        EXPECT_EQ(image("in_distort_0"), QStringLiteral("images/off.png"));
        unitClock.Advance(cleanAt - clipAt);
        const uint64_t now = unitClock.NowMs();
        tick();
        // Until the next tick the indicators still show the previous answer.
        expectFlags(clipAt);
        tick();
        expectFlags(now);

        // Two inputs routed at full onto output 0 drive it into clipping, whatever the time.
        ClickIn(m, Cell("box_enable_", 0, 1));
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Mix(s, 0).routing[0] == 3; }));
        tick();
        tick();
        EXPECT_EQ(image("out_distort_0"), QStringLiteral("images/off.png"));
        unitClock.Advance(1000);
        tick();
        tick();
        EXPECT_EQ(image("out_distort_0"), QStringLiteral("images/off.png"));
        ClickIn(m, Cell("box_enable_", 0, 1));
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Mix(s, 0).routing[0] == 1; }));
        tick();
        tick();
        EXPECT_EQ(image("out_distort_0"), emu::OutputClip(0, 0, unitClock.NowMs(), 100) ? QStringLiteral("images/off.png")
                                                                                          : QStringLiteral("images/on.png"));
    });
}

TEST_F(MixerTest, RoutingRepliesRefreshTheCellsAndUnpluggingClosesTheWindow) {
    Open();
    ConnectAndWait();
    bool closedByUnplug = false;
    const int result = WithMixer([&](CMixerWnd& m) {
        // The unit reports another routing (as after a scene load): the cells follow.
        unit->WithState([](emu::UnitState& s) {
            s.scenes[0].src[0].routing[7] = 0x3;
            return 0;
        });
        wnd->Controller().Device().Get_Mix_Ch(0, 0, 7, 7);
        EXPECT_TRUE(WaitFor([&] { return m.FindControl(Cell("box_enable_", 7, 0))->IsSelected(); }));
        EXPECT_EQ(Mask(0, 7), 3);

        ClickIn(m, Cell("box_enable_", 8, 1));  // sent before the unit goes
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Mix(s, 0).mixTrim[1][8] == 100; }));
        backend->Unplug();
        closedByUnplug = WaitFor([&] { return !m.isVisible(); });
    });
    EXPECT_TRUE(closedByUnplug);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(StoredTrim(0, 1, 8), 100);
    EXPECT_TRUE(unit->WithState([&](emu::UnitState& s) { return Mix(s, 0).mixTrim[1][8] == 100; }));
}

}  // namespace
}  // namespace uitest
