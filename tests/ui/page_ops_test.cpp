// The main page's group, selection and mode controls through the window on the virtual
// unit: link groups, the current channel, the output lock, the EQ mode switch and the EQ
// bypass.
#include <QComboBox>

#include "channel_ops_fixture.h"

using namespace dvdsp;
using uitest::ChannelOpsTest;

namespace {

TEST_F(ChannelOpsTest, LinkGroupsFromTheButtonsAndTheGroupMenu) {
    Open();
    ConnectAndWait();
    Click("ch_synchronize_1");
    Click("ch_synchronize_5");
    EXPECT_EQ(Model().linkSel[1], 1);
    EXPECT_TRUE(C("ch_synchronize_5")->IsSelected());
    Drag("slider_ch_volume_1", -40);
    EXPECT_EQ(C("edit_ch_volume_5")->Text(), "-4.0dB");
    Click("ch_synchronize_1");
    EXPECT_EQ(Model().linkSel[1], 0);
    EXPECT_FALSE(C("ch_synchronize_1")->IsSelected());
    Drag("slider_ch_volume_1", -10);
    EXPECT_EQ(C("edit_ch_volume_5")->Text(), "-4.0dB");
    // A bridged pair joins together.
    Model().bridge[4] = 1;
    Click("ch_synchronize_8");
    EXPECT_EQ(Model().linkSel[9], 1);

    // The group menu of a channel; the current channel's EQ bypass goes to the group.
    auto choose = [&](int ch, int group) {
        Click(N("ch_output_btn_", ch));
        wnd->PostMessage(tk::WM_MENUCLICK, 0,
                         tk::MakePayload(tk::MenuClick{QString::fromStdString(N("link_group_", group)),
                                                       QString::number(group), QString()}));
        Settle();
    };
    Model().channels[0].bypass = 1;
    choose(0, 2);
    choose(2, 2);
    EXPECT_EQ(Model().linkSel[2], 2);
    EXPECT_TRUE(C("ch_synchronize_2")->IsSelected());
    EXPECT_EQ(Model().channels[2].bypass, 1);
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        return s.scenes[0].out[2].eqBypass == 1 && s.scenes[0].out[5].trim100 == 400 && s.scenes[0].out[1].trim100 == 100;
    }));
}

TEST_F(ChannelOpsTest, TheCurrentChannelIsEditedFromTheGraphPanel) {
    Open();
    ConnectAndWait();
    ClickOption("ch_enable_3");
    EXPECT_EQ(Model().currOutChannel, 3);
    EXPECT_EQ(C("label_channel_name")->Text(), "CH4");
    EXPECT_EQ(qobject_cast<QComboBox*>(C("btn_channel_select")->Widget())->currentIndex(), 3);
    EXPECT_TRUE(C("ch_enable_3")->IsSelected());
    EXPECT_FALSE(C("ch_enable_0")->IsSelected());
    EXPECT_TRUE(C("ch_border_top_3")->IsVisible());
    EXPECT_FALSE(C("ch_border_top_0")->IsVisible());

    Type("edit_ch_volume", QStringLiteral("-6"));
    EXPECT_EQ(C("edit_ch_volume_3")->Text(), "-6.0dB");
    EXPECT_EQ(C("edit_ch_volume")->Text(), "-6.0dB");
    EXPECT_EQ(C("slider_ch_volume")->Value(), -60);
    Drag("slider_ch_volume", -85);
    EXPECT_EQ(C("slider_ch_volume_3")->Value(), -85);
    EXPECT_EQ(C("edit_ch_volume")->Text(), "-8.5dB");
    ClickOption("ch_mute");
    ClickOption("ch_phase");
    EXPECT_TRUE(C("ch_mute_3")->IsSelected());
    EXPECT_TRUE(C("ch_phase_3")->IsSelected());
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        const auto& o = s.scenes[0].out[3];
        return o.trim100 == 850 && o.mute == 1 && o.phase == 1;
    }));
    // A trim change of a channel strip shows on the panel only for the current channel.
    Drag("slider_ch_volume_4", -20);
    EXPECT_EQ(C("edit_ch_volume")->Text(), "-8.5dB");
    ClickOption("ch_enable_4");
    EXPECT_EQ(C("edit_ch_volume")->Text(), "-2.0dB");
    EXPECT_FALSE(C("ch_mute")->IsSelected());
    EXPECT_FALSE(C("ch_phase")->IsSelected());
}

TEST_F(ChannelOpsTest, LockingAsksAndKeepsTheSpeakerRolesFixed) {
    Open();
    ConnectAndWait();
    namespace seam = dvdsp::tk::testing;
    seam::AnswerNextModal(0);  // refused: nothing changes
    Click("btn_lock_output");
    EXPECT_EQ(Model().lockMode, 0);
    EXPECT_TRUE(Shown("${lock_output_tips}"));
    EXPECT_TRUE(C("ch_output_btn_0")->IsEnabled());
    seam::AnswerNextModal(1);
    Click("btn_lock_output");
    EXPECT_EQ(Model().lockMode, 1);
    for (int ch = 0; ch < 10; ++ch) EXPECT_FALSE(C(N("ch_output_btn_", ch))->IsEnabled()) << ch;
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].lock == 1; }));

    // Unlocking ends a stereo link.
    Model().linkMode = 1;
    Model().linkOutputs[0] = 1;
    seam::AnswerNextModal(1);
    Click("btn_lock_output");
    EXPECT_TRUE(Shown("${unlock_output_tips}"));
    EXPECT_EQ(Model().lockMode, 0);
    EXPECT_EQ(Model().linkMode, 0);
    EXPECT_EQ(Model().linkOutputs[0], -1);
    EXPECT_TRUE(C("ch_output_btn_9")->IsEnabled());
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].lock == 0 && s.scenes[0].link.on == 0; }));
}

TEST_F(ChannelOpsTest, AUnitReadOutLockedHasItsRoleButtonsDisabled) {
    unit->WithState([](emu::UnitState& s) {
        s.scenes[0].lock = 1;
        return 0;
    });
    Open();
    ConnectAndWait();
    EXPECT_EQ(Model().lockMode, 1);
    for (int ch = 0; ch < 10; ++ch) EXPECT_FALSE(C(N("ch_output_btn_", ch))->IsEnabled()) << ch;
}

TEST_F(ChannelOpsTest, TheEqModeSwitchAsksAndNamesTheMode) {
    Open();
    namespace seam = dvdsp::tk::testing;
    EXPECT_FALSE(C("btn_arg_eq")->IsSelected());  // graphic EQ at start
    seam::AnswerNextModal(0);
    Click("btn_arg_eq");
    EXPECT_TRUE(Shown("${peq_mode_tips}"));
    EXPECT_FALSE(C("btn_arg_eq")->IsSelected());
    EXPECT_EQ(C("btn_arg_eq")->Text(), "${geq_mode}");
    seam::AnswerNextModal(1);
    Click("btn_arg_eq");
    EXPECT_TRUE(wnd->Controller().ParametricEq());
    EXPECT_TRUE(C("btn_arg_eq")->IsSelected());
    EXPECT_EQ(C("btn_arg_eq")->Text(), "${peq_mode}");
    seam::AnswerNextModal(1);
    Click("btn_arg_eq");
    EXPECT_TRUE(Shown("${geq_mode_tips}"));
    EXPECT_FALSE(C("btn_arg_eq")->IsSelected());
    EXPECT_EQ(C("btn_arg_eq")->Text(), "${geq_mode}");
}

TEST_F(ChannelOpsTest, EqBypassAsksWhenTheBandsAreNotFlatAndFollowsTheGroup) {
    Open();
    ConnectAndWait();
    namespace seam = dvdsp::tk::testing;
    Model().linkSel[0] = Model().linkSel[2] = 1;
    Model().eqStore[0][3].gain = 5.0f;
    C("eq_slider_3")->SetValue(50);
    seam::AnswerNextModal(1);
    Click("btn_bypass");
    EXPECT_TRUE(Shown("${bypass_all_eq_tips}"));
    EXPECT_EQ(Model().channels[0].bypass, 1);
    EXPECT_EQ(Model().channels[2].bypass, 1);
    EXPECT_EQ(C("btn_bypass")->Text(), "${restore_eq}");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].eqBypass == 1 && s.scenes[0].out[2].eqBypass == 1; }));

    // Flat sliders over stored gains: the question is to restore.
    C("eq_slider_3")->SetValue(0);
    seam::AnswerNextModal(0);
    Click("btn_bypass");
    EXPECT_TRUE(Shown("${restore_all_eq_tips}"));
    EXPECT_EQ(Model().channels[0].bypass, 1);
    seam::AnswerNextModal(1);
    Click("btn_bypass");
    EXPECT_EQ(Model().channels[0].bypass, 0);
    EXPECT_EQ(C("btn_bypass")->Text(), "${bypass_eq}");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[0].eqBypass == 0 && s.scenes[0].out[2].eqBypass == 0; }));
}

TEST_F(ChannelOpsTest, EqResetFlattensTheChannelItsGroupAndItsPartner) {
    unit->WithState([](emu::UnitState& s) {
        s.scenes[0].out[0].bands[4].gain10 = 180 + 60;
        s.scenes[0].out[2].bands[7].gain10 = 180 - 30;
        s.scenes[0].out[1].bands[9].gain10 = 180 + 20;
        return 0;
    });
    Open();
    ConnectAndWait();
    namespace seam = dvdsp::tk::testing;
    Model().linkSel[0] = Model().linkSel[2] = 1;
    Model().bridge[0] = 1;  // channel 1 is the partner
    ASSERT_FLOAT_EQ(Model().eqStore[0][4].gain, 6.0f);
    seam::AnswerNextModal(0);
    Click("btn_reset_eq");
    EXPECT_TRUE(Shown("${reset_all_eq_tips}"));
    EXPECT_FLOAT_EQ(Model().eqStore[0][4].gain, 6.0f);
    seam::AnswerNextModal(1);
    Click("btn_reset_eq");
    for (int ch : {0, 1, 2})
        for (int b = 0; b < 31; ++b) EXPECT_EQ(Model().eqStore[static_cast<size_t>(ch)][static_cast<size_t>(b)], core::DefaultBand(31, b));
    EXPECT_EQ(C("btn_bypass")->Text(), "${bypass_eq}");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        const auto& o = s.scenes[0].out;
        return o[0].bands[4].gain10 == 180 && o[2].bands[7].gain10 == 180 && o[1].bands[9].gain10 == 180;
    }));
}

TEST_F(ChannelOpsTest, RefreshAllControlsShowsTheWholeModel) {
    Open();
    ConnectAndWait();
    core::SceneState& m = Model();
    m.mainVolume = -60;
    m.mainMute = 1;
    m.outputs[3] = 24;
    m.channels[3].gain = -12.0f;
    m.channels[4].mute = 1;
    m.channels[5].solo = 1;
    m.channels[6].phase = 1;
    m.channels[7].delay = 15.0f;
    m.linkSel[8] = 2;
    m.delayLinkSel[9] = 6;
    m.lockMode = 1;
    wnd->Controller().RefreshAllControls();
    EXPECT_EQ(C("edit_main_volume")->Text(), "${off}");
    EXPECT_TRUE(C("main_mute")->IsSelected());
    EXPECT_EQ(C("ch_output_btn_3")->Text(), "${role_24}");
    EXPECT_EQ(C("spk_con_24")->Text(), "CH4");
    EXPECT_EQ(C("edit_ch_volume_3")->Text(), "-12.0dB");
    EXPECT_TRUE(C("ch_mute_4")->IsSelected());
    EXPECT_TRUE(C("ch_solo_5")->IsSelected());
    EXPECT_TRUE(C("ch_phase_6")->IsSelected());
    EXPECT_EQ(C("edit_ch_delay_7")->Text(), "519 cm");
    EXPECT_TRUE(C("ch_synchronize_8")->IsSelected());
    EXPECT_EQ(C("delay_link_9")->BkColor(), 0xFF8600FFu);
    EXPECT_EQ(C("delay_link_9")->TextColor(), 0xFFFFFFFFu);
    // A channel in no group keeps the skin's button, not a grey block with a dark "D".
    EXPECT_EQ(C("delay_link_8")->BkColor(), 0u);
    EXPECT_EQ(C("delay_link_8")->TextColor(), 0u);
    EXPECT_FALSE(C("ch_output_btn_0")->IsEnabled());
}

}  // namespace
