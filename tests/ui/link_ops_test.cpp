// Operations that join channels or reset many at once, through the window on the virtual
// unit: the stereo link and its copy direction, bridge pairs, the output reset, the reset
// of the groups; and what the page shows with them (selectors, phase text, delay slider,
// source marks).
#include <QApplication>
#include <QFocusEvent>

#include "channel_ops_fixture.h"

using namespace dvdsp;
using uitest::ChannelOpsTest;

namespace {

namespace seam = dvdsp::tk::testing;

int Gain10(double db) { return static_cast<int>(180 + db * 10); }

class LinkOpsTest : public ChannelOpsTest {
protected:
    // Band 4 of channels 0 and 1 set apart in the unit, so that a copy shows.
    void DistinctBands() {
        unit->WithState([](emu::UnitState& s) {
            s.scenes[0].out[0].bands[4].gain10 = static_cast<uint16_t>(Gain10(6));
            s.scenes[0].out[1].bands[4].gain10 = static_cast<uint16_t>(Gain10(-3));
            s.scenes[0].out[1].eqBypass = 1;
            return 0;
        });
    }
    bool Busy() { return wnd->LoadingWindow() != nullptr; }
    // The control takes the focus as from a mouse click.
    void Focus(const std::string& name) {
        QWidget* w = wnd->Find<tk::Edit>(name);
        ASSERT_NE(w, nullptr) << name;
        QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(w, &in);
        Settle(2);
    }
    bool BusyWindowClosed() {
        return WaitFor([&] {
            Settle(1);
            return !Busy();
        });
    }
};

TEST_F(LinkOpsTest, LinkingWithoutMirroredRolesShowsWhyAndStaysOff) {
    unit->WithState([](emu::UnitState& s) {
        for (auto& o : s.scenes[0].out) o.role = 0;
        s.scenes[0].out[0].role = 19;  // a centre speaker mirrors nothing
        return 0;
    });
    Open();
    ConnectAndWait();
    Click("btn_link_output");
    EXPECT_TRUE(Shown("${not_linkable_tips}"));
    EXPECT_EQ(Model().linkMode, 0);
    EXPECT_FALSE(C("btn_link_output")->IsSelected());
    for (int ch = 0; ch < 10; ++ch) EXPECT_EQ(Model().linkOutputs[static_cast<size_t>(ch)], -1);
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].link.on == 0 && s.scenes[0].lock == 0; }));
}

TEST_F(LinkOpsTest, LinkCopiesLeftOntoRightAndUnlinkingEndsIt) {
    DistinctBands();
    Open();
    ConnectAndWait();
    seam::AnswerNextModal(0);  // cancelled: nothing changes
    Click("btn_link_output");
    EXPECT_TRUE(Shown("${link_tips}"));
    EXPECT_EQ(Model().linkMode, 0);
    EXPECT_FLOAT_EQ(Model().eqStore[1][4].gain, -3.0f);

    seam::AnswerNextModal(1);  // copy left to right
    Click("btn_link_output");
    EXPECT_EQ(Model().linkMode, 1);
    EXPECT_EQ(Model().lockMode, 1);
    // Default roles: 0-1, 2-3, 6-7 and 8-9 mirror each other; 4 and 5 are centre speakers.
    const std::array<int, 10> partners = {1, 0, 3, 2, -1, -1, 7, 6, 9, 8};
    for (int ch = 0; ch < 10; ++ch) EXPECT_EQ(Model().linkOutputs[static_cast<size_t>(ch)], partners[static_cast<size_t>(ch)]) << ch;
    EXPECT_FLOAT_EQ(Model().eqStore[1][4].gain, 6.0f);
    EXPECT_EQ(Model().channels[1].bypass, 0);
    EXPECT_TRUE(C("btn_link_output")->IsSelected());
    EXPECT_TRUE(C("btn_lock_output")->IsSelected());
    EXPECT_FALSE(C("ch_output_btn_3")->IsEnabled());
    EXPECT_FALSE(C("delay_link_3")->IsEnabled());
    // The current channel and its partner are shown selected together.
    EXPECT_TRUE(C("ch_enable_0")->IsSelected());
    EXPECT_TRUE(C("ch_enable_1")->IsSelected());
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        const emu::Scene& l = s.scenes[0];
        return l.link.on == 1 && l.link.count == 4 && l.link.from[0] == 0 && l.link.to[0] == 1 && l.link.from[3] == 8 &&
               l.link.to[3] == 9 && l.lock == 1 && l.out[1].bands[4].gain10 == Gain10(6) && l.out[1].eqBypass == 0;
    }));
    // The partner follows the channel's edits now.
    Drag("slider_ch_volume_0", -30);
    EXPECT_EQ(C("edit_ch_volume_1")->Text(), "-3.0dB");
    ClickOption("ch_enable_4");
    EXPECT_TRUE(C("ch_enable_4")->IsSelected());
    EXPECT_FALSE(C("ch_enable_0")->IsSelected());
    EXPECT_FALSE(C("ch_enable_1")->IsSelected());

    Click("btn_link_output");  // ends the link without asking
    EXPECT_EQ(Model().linkMode, 0);
    EXPECT_EQ(Model().lockMode, 0);
    EXPECT_EQ(Model().linkOutputs[0], -1);
    EXPECT_TRUE(C("ch_output_btn_3")->IsEnabled());
    EXPECT_TRUE(C("delay_link_3")->IsEnabled());
    EXPECT_FALSE(C("btn_link_output")->IsSelected());
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].link.on == 0 && s.scenes[0].lock == 0; }));
}

TEST_F(LinkOpsTest, LinkCopiesRightOntoLeft) {
    DistinctBands();
    Open();
    ConnectAndWait();
    seam::AnswerNextModal(2);
    Click("btn_link_output");
    EXPECT_EQ(Model().linkMode, 1);
    EXPECT_FLOAT_EQ(Model().eqStore[0][4].gain, -3.0f);
    EXPECT_FLOAT_EQ(Model().eqStore[1][4].gain, -3.0f);
    EXPECT_EQ(Model().channels[0].bypass, 1);
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        const emu::Scene& l = s.scenes[0];
        return l.link.on == 1 && l.link.from[0] == 1 && l.link.to[0] == 0 && l.out[0].bands[4].gain10 == Gain10(-3) &&
               l.out[0].eqBypass == 1;
    }));
}

TEST_F(LinkOpsTest, AUnitThatReportsItsLinkLocksThePage) {
    unit->WithState([](emu::UnitState& s) {
        s.scenes[0].link.on = 1;
        s.scenes[0].lock = 1;
        return 0;
    });
    Open();
    ConnectAndWait();
    EXPECT_EQ(Model().linkMode, 1);
    EXPECT_EQ(Model().linkOutputs[2], 3);
    EXPECT_TRUE(C("btn_link_output")->IsSelected());
    EXPECT_FALSE(C("delay_link_0")->IsEnabled());
    EXPECT_FALSE(C("ch_output_btn_0")->IsEnabled());

    // The unit reports itself unlocked: the link ends on the page and in the unit.
    wnd->Controller().Device().CH_Lock_Ctrl(0, 0, true);
    wnd->Controller().Device().Get_CH_Lock(0);
    EXPECT_TRUE(WaitFor([&] {
        Settle(1);
        return Model().linkMode == 0;
    }));
    EXPECT_EQ(Model().linkOutputs[2], -1);
    EXPECT_TRUE(C("delay_link_0")->IsEnabled());
    EXPECT_TRUE(C("ch_output_btn_0")->IsEnabled());
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].link.on == 0; }));
}

TEST_F(LinkOpsTest, BridgingPairTwoCopiesChannelFourOntoFive) {
    unit->WithState([](emu::UnitState& s) {
        emu::Output& o = s.scenes[0].out[4];
        o.trim100 = 350;
        o.delayUs = 2016;
        o.mute = 1;
        o.phase = 1;
        o.bands[3].gain10 = static_cast<uint16_t>(Gain10(2));
        o.hp.freq = 150;
        s.scenes[0].src[0].mixTrim[1][4] = 55;
        s.scenes[0].src[0].routing[4] = 0x3;
        s.scenes[0].src[5].mixTrim[6][4] = 70;
        return 0;
    });
    Open();
    ConnectAndWait();
    const int savedRole = Model().outputsBk[5];
    auto* box = dynamic_cast<tk::CheckBox*>(C("bridge_checkbox_2"));
    ASSERT_NE(box, nullptr);
    box->Click();
    EXPECT_EQ(Model().bridge[2], 1);
    EXPECT_TRUE(C("ch_bridge_2")->IsSelected());
    EXPECT_TRUE(BusyWindowClosed());
    const core::ChannelSettings& five = Model().channels[5];
    EXPECT_FLOAT_EQ(five.gain, -3.5f);
    EXPECT_NEAR(five.delay, 2.016f, 1e-6f);
    EXPECT_EQ(five.mute, 1);
    EXPECT_EQ(five.phase, 1);
    EXPECT_EQ(five.hp.freq, 150);
    EXPECT_EQ(Model().outputs[5], Model().outputs[4]);
    EXPECT_EQ(Model().outputsBk[5], savedRole);
    EXPECT_EQ(C("edit_ch_volume_5")->Text(), "-3.5dB");
    EXPECT_TRUE(C("ch_mute_5")->IsSelected());
    EXPECT_TRUE(C("option_ch_in1_5")->IsSelected());
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        const emu::Scene& l = s.scenes[0];
        const emu::Output& o = l.out[5];
        return l.bridge[2] == 1 && o.trim100 == 350 && o.delayUs == 2016 && o.mute == 1 && o.phase == 1 &&
               o.bands[3].gain10 == Gain10(2) && o.hp.freq == 150 && o.role == l.out[4].role &&
               l.src[0].mixTrim[1][5] == 55 && l.src[0].routing[5] == 0x3 && l.src[5].mixTrim[6][5] == 70;
    }));

    // Unbridged from the pair's button: channel 5 plays its own role again.
    Click("ch_bridge_2");
    EXPECT_EQ(Model().bridge[2], 0);
    EXPECT_FALSE(C("ch_bridge_2")->IsSelected());
    EXPECT_FALSE(C("bridge_checkbox_2")->IsSelected());
    EXPECT_EQ(Model().outputs[5], savedRole);
    EXPECT_TRUE(BusyWindowClosed());
    EXPECT_TRUE(UnitHas([savedRole](emu::UnitState& s) {
        return s.scenes[0].bridge[2] == 0 && s.scenes[0].out[5].role == savedRole;
    }));
}

TEST_F(LinkOpsTest, OutputResetToDefaultRolesAndToEmptied) {
    unit->WithState([](emu::UnitState& s) {
        s.scenes[0].out[0].role = 1;
        s.scenes[0].out[7].role = 0;
        s.scenes[0].lock = 1;
        s.scenes[0].bridge[1] = 1;
        return 0;
    });
    Open();
    ConnectAndWait();
    const std::vector<int32_t> defaults = core::DefaultRoles(10);
    seam::AnswerNextModal(0);  // cancel
    Click("btn_reset_output");
    EXPECT_TRUE(Shown("${empty_output_tips}"));
    EXPECT_EQ(Model().outputs[0], 1);
    EXPECT_EQ(Model().lockMode, 1);
    EXPECT_FALSE(Busy());

    seam::AnswerNextModal(1);  // default roles
    Click("btn_reset_output");
    EXPECT_EQ(wnd->Controller().ResetChoice(), 1);
    EXPECT_EQ(Model().lockMode, 0);
    EXPECT_EQ(Model().linkMode, 0);
    EXPECT_TRUE(C("ch_output_btn_0")->IsEnabled());
    for (int ch = 0; ch < 10; ++ch) {
        // Channel 3 is bridged with 2 and plays its role.
        const int expected = defaults[static_cast<size_t>(ch == 3 ? 2 : ch)];
        EXPECT_EQ(Model().outputs[static_cast<size_t>(ch)], expected) << ch;
        EXPECT_EQ(Model().outputsBk[static_cast<size_t>(ch)], defaults[static_cast<size_t>(ch)]) << ch;
    }
    EXPECT_EQ(Model().channels[0].hp.freq, core::Role(defaults[0]).hpFreq);
    EXPECT_TRUE(BusyWindowClosed());
    EXPECT_TRUE(UnitHas([&](emu::UnitState& s) {
        const emu::Scene& l = s.scenes[0];
        return l.lock == 0 && l.out[0].role == defaults[0] && l.out[7].role == defaults[7] && l.out[3].role == defaults[2];
    }));

    seam::AnswerNextModal(2);  // emptied
    Click("btn_reset_output");
    EXPECT_EQ(wnd->Controller().ResetChoice(), 2);
    for (int ch = 0; ch < 10; ++ch) EXPECT_EQ(Model().outputs[static_cast<size_t>(ch)], 0) << ch;
    EXPECT_EQ(C("ch_output_btn_6")->Text(), "${spk_none}");
    EXPECT_TRUE(BusyWindowClosed());
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        for (const emu::Output& o : s.scenes[0].out)
            if (o.role != 0) return false;
        return true;
    }));
}

TEST_F(LinkOpsTest, ResetLinkClearsTheGroupsOfEveryChannel) {
    Open();
    ConnectAndWait();
    Click("ch_synchronize_1");
    Click("ch_synchronize_6");
    Model().delayLinkSel[2] = 3;
    Click("btn_reset_link");
    for (int ch = 0; ch < 10; ++ch) {
        EXPECT_EQ(Model().linkSel[static_cast<size_t>(ch)], 0) << ch;
        EXPECT_EQ(Model().delayLinkSel[static_cast<size_t>(ch)], 0) << ch;
    }
    EXPECT_FALSE(C("ch_synchronize_6")->IsSelected());
    Drag("slider_ch_volume_1", -40);
    EXPECT_EQ(C("edit_ch_volume_6")->Text(), "0.0dB");
}

TEST_F(LinkOpsTest, TheCurrentChannelShowsItsBypassCurveAndSpeakerPositions) {
    unit->WithState([](emu::UnitState& s) {
        s.scenes[0].out[2].eqBypass = 1;
        s.scenes[0].bridge[1] = 1;  // channel 3 follows channel 2
        return 0;
    });
    Open();
    ConnectAndWait();
    Model().showOutChEqualizer[2] = 1;
    ClickOption("ch_enable_2");
    EXPECT_EQ(C("btn_bypass")->Text(), "${restore_eq}");
    EXPECT_TRUE(C("ch_show_2")->IsSelected());
    EXPECT_FALSE(C("ch_show_0")->IsSelected());
    EXPECT_TRUE(C("ch_enable_3")->IsSelected());  // the bridged partner
    const int own = Model().outputs[2];
    EXPECT_TRUE(C(N("speaker_", own))->IsSelected());
    EXPECT_FALSE(C(N("speaker_", Model().outputs[0]))->IsSelected());
    // The delay steps act on the marked position.
    const float before = Model().channels[2].delay;
    Click("btn_delay_up");
    EXPECT_GT(Model().channels[2].delay, before);
    ClickOption("ch_enable_0");
    EXPECT_EQ(C("btn_bypass")->Text(), "${bypass_eq}");
    EXPECT_FALSE(C("ch_enable_3")->IsSelected());
}

TEST_F(LinkOpsTest, FocusPhaseTextAndSourceMarks) {
    Open();
    ConnectAndWait();
    // A delay edit with the focus shows its channel's slider and makes the channel current.
    Focus("edit_ch_delay_3");
    EXPECT_TRUE(C("slider_ch_delay_3")->IsVisible());
    EXPECT_EQ(Model().currOutChannel, 3);
    Focus("edit_ch_volume_5");
    EXPECT_FALSE(C("slider_ch_delay_3")->IsVisible());
    EXPECT_EQ(Model().currOutChannel, 5);

    EXPECT_EQ(C("ch_phase")->Text(), "${positive_phase}");
    ClickOption("ch_phase");
    EXPECT_EQ(C("ch_phase")->Text(), "${reverse phase}");
    EXPECT_EQ(Model().channels[5].phase, 1);

    auto* sources = wnd->Find<tk::Combo>("btn_input_source");
    ASSERT_NE(sources, nullptr);
    wnd->Controller().SetInputSource(3);
    for (int i = 0; i < sources->ItemCount(); ++i)
        EXPECT_EQ(sources->Item(i).image, i == 3 ? "images/source_select.png" : "images/source_normal.png") << i;
}

}  // namespace
