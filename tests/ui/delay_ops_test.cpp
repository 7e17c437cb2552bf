// The main page's delays through the window's controls on the virtual unit: the three
// units, delay-link groups, the car diagram's speaker positions and delay edits; and the
// input boxes of the channel strips.
#include "channel_ops_fixture.h"

using namespace dvdsp;
using uitest::ChannelOpsTest;

namespace {

TEST_F(ChannelOpsTest, DelayInCentimetresInchesAndMilliseconds) {
    Open();
    ConnectAndWait();
    auto* unitBox = wnd->Find<tk::Combo>("comb_ch_unit");
    ASSERT_NE(unitBox, nullptr);
    auto pick = [&](const char* text) {
        int i = 0;
        while (i < unitBox->ItemCount() && unitBox->Item(i).text != QLatin1String(text)) ++i;
        ASSERT_LT(i, unitBox->ItemCount()) << text;
        unitBox->setCurrentIndex(i);
        unitBox->activated(i);
    };
    // The page starts in centimetres.
    EXPECT_EQ(unitBox->Item(unitBox->CurSel()).text, "cm");
    EXPECT_EQ(C("edit_ch_delay_0")->Text(), "0 cm");

    Type("edit_ch_delay_0", QStringLiteral("519"));
    EXPECT_EQ(C("edit_ch_delay_0")->Text(), "519 cm");
    EXPECT_EQ(C("slider_ch_delay_0")->Value(), 15000);
    EXPECT_EQ(C("spk_delay_6")->Text(), "519");  // channel 0 is front left full range
    pick("ms");
    EXPECT_EQ(C("edit_ch_delay_0")->Text(), "15.000 ms");
    EXPECT_EQ(C("delay_lable_0")->Text(), "ms");
    pick("in");
    EXPECT_EQ(C("edit_ch_delay_0")->Text(), "204 in");
    Type("edit_ch_delay_1", QStringLiteral("204"));
    EXPECT_FLOAT_EQ(Model().channels[1].delay, 15.0f);
    pick("ms");
    EXPECT_EQ(C("edit_ch_delay_1")->Text(), "15.000 ms");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        return s.scenes[0].out[0].delayUs == 15000 && s.scenes[0].out[1].delayUs == 15000;
    }));

    // Beyond the range is its end.
    pick("cm");
    Type("edit_ch_delay_2", QStringLiteral("600"));
    EXPECT_EQ(C("edit_ch_delay_2")->Text(), "519 cm");
    EXPECT_FLOAT_EQ(Model().channels[2].delay, 15.0f);

    // Round trips between the units.
    Type("edit_ch_delay_3", QStringLiteral("100"));
    pick("in");
    EXPECT_EQ(C("edit_ch_delay_3")->Text(), "39 in");
    pick("ms");
    EXPECT_EQ(C("edit_ch_delay_3")->Text(), "2.890 ms");
    pick("cm");
    EXPECT_EQ(C("edit_ch_delay_3")->Text(), "100 cm");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[3].delayUs == 2890; }));
    pick("in");
    Type("edit_ch_delay_3", QStringLiteral("39"));
    pick("cm");
    EXPECT_EQ(C("edit_ch_delay_3")->Text(), "99 cm");

    // The slider counts microseconds; in centimetres a set delay lands on a whole one.
    Drag("slider_ch_delay_4", 1000);
    EXPECT_EQ(C("edit_ch_delay_4")->Text(), "35 cm");
    EXPECT_EQ(C("slider_ch_delay_4")->Value(), 1012);
    Spin("edit_ch_delay_5", true);
    EXPECT_EQ(C("edit_ch_delay_5")->Text(), "1 cm");

    pick("ms");
    Spin("edit_ch_delay_9", true);
    EXPECT_EQ(C("edit_ch_delay_9")->Text(), "0.021 ms");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[9].delayUs == 21; }));
    Spin("edit_ch_delay_9", false);
    Spin("edit_ch_delay_9", false);
    EXPECT_EQ(C("edit_ch_delay_9")->Text(), "0.000 ms");
    Type("edit_ch_delay_9", QStringLiteral("20"));
    EXPECT_EQ(C("edit_ch_delay_9")->Text(), "15.000 ms");
    Type("edit_ch_delay_9", QStringLiteral("-3"));
    EXPECT_EQ(C("edit_ch_delay_9")->Text(), "0.000 ms");
    // What is shown is what the unit is sent: whole microseconds.
    Type("edit_ch_delay_9", QStringLiteral("1.2346"));
    EXPECT_EQ(C("edit_ch_delay_9")->Text(), "1.235 ms");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[9].delayUs == 1235; }));
}

TEST_F(ChannelOpsTest, ADelayChangeMovesTheDelayLinkGroupAndThePartner) {
    Open();
    ConnectAndWait();
    auto* unitBox = wnd->Find<tk::Combo>("comb_ch_unit");
    unitBox->setCurrentIndex(2);
    unitBox->activated(2);  // ms
    core::SceneState& m = Model();
    m.delayLinkSel[6] = m.delayLinkSel[8] = 4;
    m.delayLinkSel[2] = 1;
    m.bridge[0] = 1;  // channel 1 follows channel 0
    Type("edit_ch_delay_8", QStringLiteral("1"));
    EXPECT_EQ(C("edit_ch_delay_6")->Text(), "1.000 ms");
    Drag("slider_ch_delay_6", 3000);
    EXPECT_EQ(C("edit_ch_delay_8")->Text(), "3.000 ms");
    EXPECT_EQ(C("edit_ch_delay_2")->Text(), "0.000 ms");
    EXPECT_EQ(C("edit_ch_delay_7")->Text(), "0.000 ms");
    Type("edit_ch_delay_0", QStringLiteral("2.5"));
    EXPECT_EQ(C("edit_ch_delay_1")->Text(), "2.500 ms");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        const auto& o = s.scenes[0].out;
        return o[6].delayUs == 3000 && o[8].delayUs == 3000 && o[1].delayUs == 2500 && o[2].delayUs == 0;
    }));
}

TEST_F(ChannelOpsTest, TheCarDiagramEditsTheDelayOfTheChannelPlayingEachSpeaker) {
    Open();
    ConnectAndWait();
    // Nothing selected yet: the step buttons do nothing.
    Click("btn_delay_up");
    EXPECT_EQ(wnd->Controller().FocusedSpeaker(), 0);
    for (int ch = 0; ch < 10; ++ch) EXPECT_EQ(Model().channels[static_cast<size_t>(ch)].delay, 0.0f) << ch;

    // Channel 1 plays the front right full-range speaker (role 12).
    Type("spk_delay_12", QStringLiteral("100"));
    EXPECT_EQ(C("edit_ch_delay_1")->Text(), "100 cm");
    EXPECT_EQ(C("spk_delay_12")->Text(), "100");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[1].delayUs == 2890; }));
    Type("spk_delay_12", QStringLiteral("900"));
    EXPECT_EQ(C("spk_delay_12")->Text(), "519");

    // Clicking a position marks it alone and selects the channel that plays it.
    Click("speaker_22");
    EXPECT_TRUE(C("speaker_22")->IsSelected());
    EXPECT_FALSE(C("speaker_12")->IsSelected());
    EXPECT_TRUE(C("ch_enable_8")->IsSelected());
    Click("btn_delay_up");
    EXPECT_EQ(C("edit_ch_delay_8")->Text(), "1 cm");
    EXPECT_EQ(C("spk_delay_22")->Text(), "1");
    Click("btn_delay_down");
    EXPECT_EQ(C("edit_ch_delay_8")->Text(), "0 cm");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[8].delayUs == 0; }));

    // A position no channel plays has nothing to step.
    Click("speaker_21");
    Click("btn_delay_up");
    for (int ch = 2; ch < 10; ++ch) EXPECT_EQ(Model().channels[static_cast<size_t>(ch)].delay, 0.0f) << ch;

    // The speaker edits follow the unit and step like the channel's.
    auto* unitBox = wnd->Find<tk::Combo>("comb_ch_unit");
    unitBox->setCurrentIndex(2);
    unitBox->activated(2);
    EXPECT_EQ(C("spk_delay_12")->Text(), "15.000");
    Spin("spk_delay_6", true);
    EXPECT_EQ(C("edit_ch_delay_0")->Text(), "0.021 ms");
    EXPECT_EQ(C("spk_delay_6")->Text(), "0.021");
}

TEST_F(ChannelOpsTest, InputBoxesSetTheRoutingOfTheCurrentSource) {
    unit->WithState([](emu::UnitState& s) {
        s.device.sourceCode = 81 + 5;
        auto& mix = s.scenes[0].src[5];
        mix.routing[3] = 0x01;
        mix.mixTrim[2][3] = 0;
        mix.routing[7] = 0x00;
        mix.mixTrim[4][7] = 50;
        s.scenes[0].src[0].routing[3] = 0x02;
        return 0;
    });
    Open();
    ConnectAndWait();
    EXPECT_TRUE(C("option_ch_in0_3")->IsSelected());
    EXPECT_FALSE(C("option_ch_in1_3")->IsSelected());

    ClickOption("option_ch_in2_3");
    EXPECT_EQ(Model().inputs[5][3], 0x05);
    EXPECT_EQ(Model().inputMixVolume[5][2][3], 100);
    ClickOption("option_ch_in0_3");
    EXPECT_FALSE(C("option_ch_in0_3")->IsSelected());
    ClickOption("option_ch_in4_7");
    EXPECT_EQ(Model().inputMixVolume[5][4][7], 50);  // a trim already set stays
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        const auto& mix = s.scenes[0].src[5];
        return mix.routing[3] == 0x04 && mix.mixTrim[2][3] == 100 && mix.routing[7] == 0x10 && mix.mixTrim[4][7] == 50 &&
               s.scenes[0].src[0].routing[3] == 0x02;
    }));

    // Another source shows its own routing.
    auto* source = wnd->Find<tk::Combo>("btn_input_source");
    source->setCurrentIndex(0);
    source->activated(0);
    Settle();
    EXPECT_FALSE(C("option_ch_in2_3")->IsSelected());
    EXPECT_TRUE(C("option_ch_in1_3")->IsSelected());
}

TEST_F(ChannelOpsTest, TheDelayLinkMenuSetsTheGroupWithItsColour) {
    Open();
    ConnectAndWait();
    auto choose = [&](int ch, int group) {
        Click(N("delay_link_", ch));
        ASSERT_NE(wnd->CurrentMenu(), nullptr);
        EXPECT_EQ(wnd->DelayLinkChannel(), ch);
        wnd->PostMessage(tk::WM_MENUCLICK, 0,
                         tk::MakePayload(tk::MenuClick{QString::fromStdString(N("delay_link_group_", group)),
                                                       QString::number(group), QString()}));
        Settle();
    };
    choose(4, 3);
    EXPECT_EQ(Model().delayLinkSel[4], 3);
    EXPECT_EQ(C("delay_link_4")->BkColor(), 0xFF0000E3u);
    EXPECT_EQ(Model().delayLinkSel[5], 0);
    choose(9, 3);
    Drag("slider_ch_delay_9", 2000);
    EXPECT_EQ(C("slider_ch_delay_4")->Value(), C("slider_ch_delay_9")->Value());
    // A bridged pair shares the group.
    Model().bridge[1] = 1;
    choose(3, 5);
    EXPECT_EQ(Model().delayLinkSel[2], 5);
    EXPECT_EQ(C("delay_link_2")->BkColor(), 0xFFFF8040u);
    EXPECT_EQ(C("delay_link_3")->BkColor(), 0xFFFF8040u);
    choose(4, 0);
    EXPECT_EQ(Model().delayLinkSel[4], 0);
    EXPECT_EQ(C("delay_link_4")->BkColor(), 0u);  // the skin's own look
    EXPECT_EQ(C("delay_link_4")->TextColor(), 0u);
}

}  // namespace

namespace {

TEST_F(ChannelOpsTest, ASpeakerRoleBringsItsCrossoverAndMarksTheCarDiagram) {
    Open();
    ConnectAndWait();
    EXPECT_EQ(C("spk_con_15")->Text(), "CH3");  // channel 2 starts as rear left full range
    auto choose = [&](int ch, const char* item) {
        Click(N("ch_output_btn_", ch));
        EXPECT_EQ(wnd->OutputMenuChannel(), ch);
        wnd->PostMessage(tk::WM_MENUCLICK, 0, tk::MakePayload(tk::MenuClick{QString::fromLatin1(item), QString(), QString()}));
        Settle();
    };
    choose(2, "output_menu_subwoof_left");
    const core::SceneState& m = Model();
    EXPECT_EQ(m.outputs[2], 22);
    EXPECT_EQ(m.outputsBk[2], 22);
    EXPECT_EQ(m.channels[2].hp.freq, 30);
    EXPECT_EQ(m.channels[2].hp.slope, 4);
    EXPECT_EQ(m.channels[2].lp.freq, 50);
    EXPECT_EQ(m.channels[2].bpType, 3);
    EXPECT_EQ(C("ch_output_btn_2")->Text(), "${role_22}");
    EXPECT_EQ(C("spk_con_22")->Text(), "CH3");
    EXPECT_EQ(C("spk_con_15")->Text(), "");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        const auto& o = s.scenes[0].out[2];
        return o.role == 22 && o.hp.freq == 30 && o.hp.slope == 4 && o.hp.type == 1 && o.lp.freq == 50 && o.lp.slope == 2;
    }));

    // A group entry is no role; a bridged pair takes the role together.
    choose(2, "output_menu_front");
    EXPECT_EQ(m.outputs[2], 22);
    Model().bridge[2] = 1;
    choose(4, "output_item_empty");
    EXPECT_EQ(m.outputs[4], 0);
    EXPECT_EQ(m.outputs[5], 0);
    EXPECT_EQ(C("ch_output_btn_5")->Text(), "${spk_none}");
    EXPECT_EQ(C("spk_con_19")->Text(), "");
    EXPECT_EQ(C("spk_con_20")->Text(), "");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[4].role == 0 && s.scenes[0].out[5].role == 0; }));
}

}  // namespace
