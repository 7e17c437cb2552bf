// The main page's master and channel operations driven through the window's controls on
// the virtual unit: master volume, mute and ACC; channel trim with its link group, mute,
// phase and solo; the unit's on/off switches. Each checks the controls and what the unit
// was sent.
#include "channel_ops_fixture.h"

using namespace dvdsp;
using uitest::ChannelOpsTest;

namespace {

TEST_F(ChannelOpsTest, MasterVolumeShowsOffAtMinusSixtyAndAnyChangeUnmutes) {
    Open();
    ConnectAndWait();
    ClickOption("main_mute");
    EXPECT_TRUE(C("main_mute")->IsSelected());
    ASSERT_TRUE(UnitHas([&](emu::UnitState& s) { return Live(s).mute == 1; }));

    Drag("slider_main_volume", -60);
    EXPECT_EQ(C("edit_main_volume")->Text(), "${off}");
    EXPECT_EQ(Model().mainVolume, -60);
    EXPECT_FALSE(C("main_mute")->IsSelected());
    EXPECT_EQ(Model().mainMute, 0);
    EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Live(s).mainVolume == 66 && Live(s).mute == 0; }));

    Type("edit_main_volume", QStringLiteral("-20"));
    EXPECT_EQ(C("slider_main_volume")->Value(), -20);
    EXPECT_EQ(C("edit_main_volume")->Text(), "-20dB");
    EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Live(s).mainVolume == 26; }));

    // The word for off, typed, is the minimum.
    Type("edit_main_volume", Off());
    EXPECT_EQ(Model().mainVolume, -60);
    EXPECT_EQ(C("slider_main_volume")->Value(), -60);
    EXPECT_EQ(C("edit_main_volume")->Text(), "${off}");

    // Beyond the slider's range is its limit; a step moves by 1 dB.
    Type("edit_main_volume", QStringLiteral("12"));
    EXPECT_EQ(Model().mainVolume, 0);
    EXPECT_EQ(C("edit_main_volume")->Text(), "0dB");
    Spin("edit_main_volume", false);
    EXPECT_EQ(C("slider_main_volume")->Value(), -1);
    EXPECT_EQ(C("edit_main_volume")->Text(), "-1dB");
    ClickOption("main_mute");
    Spin("edit_main_volume", true);
    EXPECT_EQ(Model().mainVolume, 0);
    EXPECT_FALSE(C("main_mute")->IsSelected());
    EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Live(s).mainVolume == 6 && Live(s).mute == 0; }));
}

TEST_F(ChannelOpsTest, AccShowsOffAtTheSliderMinimum) {
    Open();
    ConnectAndWait();
    Type("edit_acc", QStringLiteral("7"));
    EXPECT_EQ(C("slider_acc")->Value(), 7);
    EXPECT_EQ(C("edit_acc")->Text(), "7");
    ASSERT_TRUE(UnitHas([](emu::UnitState& s) { return s.device.acc == 7; }));
    Spin("edit_acc", true);
    EXPECT_EQ(C("edit_acc")->Text(), "8");
    Drag("slider_acc", 0);
    EXPECT_EQ(C("edit_acc")->Text(), "${off}");
    ASSERT_TRUE(UnitHas([](emu::UnitState& s) { return s.device.acc == 0; }));
    Type("edit_acc", QStringLiteral("99"));
    EXPECT_EQ(C("slider_acc")->Value(), C("slider_acc")->Maximum());
    Type("edit_acc", Off());
    EXPECT_EQ(Model().acc, 0);
    EXPECT_EQ(C("edit_acc")->Text(), "${off}");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.device.acc == 0; }));
}

TEST_F(ChannelOpsTest, TrimShowsHalfDecibelsAndAChangeUnmutes) {
    unit->WithState([](emu::UnitState& s) {
        s.scenes[0].out[3].mute = 1;
        return 0;
    });
    Open();
    ConnectAndWait();
    ASSERT_TRUE(C("ch_mute_3")->IsSelected());
    Type("edit_ch_volume_3", QStringLiteral("-3.7"));
    EXPECT_EQ(C("slider_ch_volume_3")->Value(), -37);
    EXPECT_EQ(C("edit_ch_volume_3")->Text(), "-3.5dB");
    EXPECT_FLOAT_EQ(Model().channels[3].gain, -3.7f);
    EXPECT_FALSE(C("ch_mute_3")->IsSelected());
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[3].trim100 == 370 && s.scenes[0].out[3].mute == 0; }));

    Spin("edit_ch_volume_3", true);
    EXPECT_EQ(C("slider_ch_volume_3")->Value(), -32);
    EXPECT_EQ(C("edit_ch_volume_3")->Text(), "-3.0dB");
    Drag("slider_ch_volume_3", C("slider_ch_volume_3")->Minimum());
    EXPECT_EQ(C("edit_ch_volume_3")->Text(), "${off}");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[3].trim100 == 6000; }));
    Type("edit_ch_volume_3", QStringLiteral("0"));
    EXPECT_EQ(C("edit_ch_volume_3")->Text(), "0.0dB");
    Type("edit_ch_volume_3", Off());
    EXPECT_FLOAT_EQ(Model().channels[3].gain, -60.0f);
    EXPECT_EQ(C("edit_ch_volume_3")->Text(), "${off}");
    // Nothing above 0 dB.
    Type("edit_ch_volume_3", QStringLiteral("4"));
    EXPECT_FLOAT_EQ(Model().channels[3].gain, 0.0f);
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[3].trim100 == 0; }));
}

TEST_F(ChannelOpsTest, AReportedTrimIsLimitedToItsSliderAndSentBackAsAnAttenuation) {
    Open();
    ConnectAndWait();
    unit->WithState([](emu::UnitState& s) {
        s.scenes[0].out[7].trim100 = 350;
        s.scenes[0].out[8].trim100 = 7000;
        return 0;
    });
    wnd->Controller().Device().Get_Trim(0, 0, 7, 8);
    ASSERT_TRUE(WaitFor([&] { return C("edit_ch_volume_8")->Text() == "${off}"; }, 5000));
    ASSERT_TRUE(wnd->Controller().Device().WaitQueueIdle(5000));
    EXPECT_EQ(C("edit_ch_volume_7")->Text(), "-3.5dB");
    EXPECT_FLOAT_EQ(Model().channels[8].gain, -60.0f);
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        return s.scenes[0].out[7].trim100 == 350 && s.scenes[0].out[8].trim100 == 6000;
    }));
}

TEST_F(ChannelOpsTest, ALanguageChangeKeepsTheVolumeTexts) {
    Open();
    ConnectAndWait();
    Drag("slider_main_volume", -60);
    Drag("slider_ch_volume_2", -600);
    wnd->PostMessage(tk::WM_MENUCLICK, 0, tk::MakePayload(tk::MenuClick{"option_item_language_ru", "", ""}));
    Settle();
    EXPECT_EQ(tk::CurrentLanguages().Current(), "ru");
    EXPECT_EQ(C("edit_main_volume")->Text(), "${off}");
    EXPECT_EQ(C("edit_ch_volume_2")->ShownText(), tk::Lang(QStringLiteral("${off}")));
    EXPECT_EQ(C("edit_ch_volume_3")->Text(), "0.0dB");
    // Typing the new language's word for off still means the minimum.
    Type("edit_main_volume", QStringLiteral("-7"));
    Type("edit_main_volume", tk::Lang(QStringLiteral("${off}")));
    EXPECT_EQ(Model().mainVolume, -60);
    wnd->PostMessage(tk::WM_MENUCLICK, 0, tk::MakePayload(tk::MenuClick{"option_item_language_en", "", ""}));
    Settle();
    EXPECT_EQ(tk::CurrentLanguages().Current(), "en");
}

TEST_F(ChannelOpsTest, ATrimChangeMovesTheLinkGroupByTheSameDifference) {
    unit->WithState([](emu::UnitState& s) {
        s.scenes[0].out[6].trim100 = 100;
        s.scenes[0].out[7].trim100 = 500;
        s.scenes[0].out[8].trim100 = 50;
        return 0;
    });
    Open();
    ConnectAndWait();
    core::SceneState& m = Model();
    m.linkSel[1] = m.linkSel[4] = m.linkSel[6] = 2;
    m.linkSel[8] = 3;
    m.bridge[3] = 1;  // channels 6 and 7 play as one
    Drag("slider_ch_volume_1", -20);
    EXPECT_EQ(C("edit_ch_volume_1")->Text(), "-2.0dB");
    EXPECT_EQ(C("edit_ch_volume_4")->Text(), "-2.0dB");
    EXPECT_EQ(C("edit_ch_volume_6")->Text(), "-3.0dB");
    EXPECT_EQ(C("edit_ch_volume_7")->Text(), "-3.0dB");
    EXPECT_FLOAT_EQ(m.channels[8].gain, -0.5f);
    EXPECT_FLOAT_EQ(m.channels[0].gain, 0.0f);
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        const auto& o = s.scenes[0].out;
        return o[1].trim100 == 200 && o[4].trim100 == 200 && o[6].trim100 == 300 && o[7].trim100 == 300 &&
               o[8].trim100 == 50 && o[0].trim100 == 0;
    }));
    // A member that would pass the bottom stops there.
    Drag("slider_ch_volume_4", -590);
    EXPECT_EQ(C("slider_ch_volume_1")->Value(), -590);
    EXPECT_EQ(C("slider_ch_volume_6")->Value(), -600);
    EXPECT_EQ(C("edit_ch_volume_7")->Text(), "${off}");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[7].trim100 == 6000; }));
}

TEST_F(ChannelOpsTest, MuteAndPhaseFollowTheBridgedNeighbour) {
    Open();
    ConnectAndWait();
    Model().bridge[1] = 1;  // channels 2 and 3
    ClickOption("ch_mute_2");
    ClickOption("ch_phase_3");
    ClickOption("ch_mute_5");
    EXPECT_TRUE(C("ch_mute_3")->IsSelected());
    EXPECT_TRUE(C("ch_phase_2")->IsSelected());
    EXPECT_FALSE(C("ch_mute_4")->IsSelected());
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        const auto& o = s.scenes[0].out;
        return o[2].mute && o[3].mute && o[2].phase && o[3].phase && o[5].mute && !o[4].mute && !o[4].phase;
    }));
    ClickOption("ch_mute_3");
    EXPECT_FALSE(C("ch_mute_2")->IsSelected());
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return !s.scenes[0].out[2].mute && !s.scenes[0].out[3].mute; }));
}

TEST_F(ChannelOpsTest, SoloIsExclusiveAndOffLeavesTheOthers) {
    unit->WithState([](emu::UnitState& s) {
        s.scenes[0].out[1].solo = 1;
        s.scenes[0].out[8].solo = 1;
        return 0;
    });
    Open();
    ConnectAndWait();
    ClickOption("ch_solo_1");  // off
    EXPECT_FALSE(C("ch_solo_1")->IsSelected());
    EXPECT_TRUE(C("ch_solo_8")->IsSelected());
    ASSERT_TRUE(UnitHas([](emu::UnitState& s) { return !s.scenes[0].out[1].solo && s.scenes[0].out[8].solo; }));
    ClickOption("ch_solo_2");
    ClickOption("ch_solo_6");
    for (int ch = 0; ch < 10; ++ch) EXPECT_EQ(C(N("ch_solo_", ch))->IsSelected(), ch == 6) << ch;
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) {
        for (int ch = 0; ch < 10; ++ch)
            if ((s.scenes[0].out[static_cast<size_t>(ch)].solo != 0) != (ch == 6)) return false;
        return true;
    }));
    // With a bridged pair the partner goes along.
    Model().bridge[2] = 1;
    ClickOption("ch_solo_4");
    for (int ch = 0; ch < 10; ++ch) EXPECT_EQ(C(N("ch_solo_", ch))->IsSelected(), ch == 4 || ch == 5) << ch;
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[5].solo && !s.scenes[0].out[6].solo; }));
}

TEST_F(ChannelOpsTest, TheSwitchesToggleTheirTextsColoursAndTheUnit) {
    Open();
    ConnectAndWait();
    Click("btn_amp_onoff");
    EXPECT_EQ(C("btn_amp_onoff")->Text(), "${amp_off}");
    EXPECT_FALSE(C("btn_amp_onoff")->IsSelected());
    EXPECT_EQ(C("btn_amp_onoff")->TextColor(), 0xFFFF0000u);
    Click("btn_rem_out2_onoff");
    EXPECT_EQ(C("btn_rem_out2_onoff")->Text(), "${rem_out2_off}");
    EXPECT_EQ(C("btn_rem_out1_onoff")->Text(), "${rem_out1_on}");
    Click("btn_2ohm_spk");
    EXPECT_EQ(C("btn_2ohm_spk")->Text(), "${btn_4ohm_spk}");
    Click("btn_noise_gate");
    EXPECT_EQ(C("btn_noise_gate")->Text(), "${btn_noise_gate_on}");
    EXPECT_TRUE(C("btn_noise_gate")->IsSelected());
    EXPECT_EQ(C("btn_noise_gate")->TextColor(), 0xFFFFFFFFu);
    ASSERT_TRUE(UnitHas([](emu::UnitState& s) {
        const auto& l = s.scenes[0];
        return l.ampMute == 1 && l.remOut1 == 1 && l.remOut2 == 0 && l.spkOhm == 0 && l.noiseGate == 1;
    }));
    Click("btn_amp_onoff");
    Click("btn_2ohm_spk");
    EXPECT_EQ(C("btn_amp_onoff")->Text(), "${amp_on}");
    EXPECT_EQ(C("btn_2ohm_spk")->Text(), "${btn_2ohm_spk}");
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].ampMute == 0 && s.scenes[0].spkOhm == 1; }));
}

TEST_F(ChannelOpsTest, TheSourceListHidesTheSourcesOfOtherModels) {
    Open();
    auto* source = wnd->Find<tk::Combo>("btn_input_source");
    ASSERT_NE(source, nullptr);
    for (const char* item : {"source_opt", "source_coax", "source_bt", "source_aux", "source_low", "source_hi", "source_dmp",
                             "source_udp", "source_scp"}) {
        const int i = source->FindItem(QString::fromLatin1(item));
        ASSERT_GE(i, 0) << item;
        const std::string name = item;
        EXPECT_EQ(source->IsItemVisible(i), name != "source_coax" && name != "source_low" && name != "source_dmp") << item;
    }
}

}  // namespace
