// The main page's master and channel operations driven through the window's controls on
// the virtual unit: master volume, mute and ACC; channel trim with its link group, mute,
// phase and solo; delay in its three units; the unit's on/off switches. Each checks the
// controls and what the unit was sent.
#include <QTest>

#include "core/channel_format.h"
#include "session_fixture.h"
#include "toolkit/edit.h"
#include "toolkit/language.h"

using namespace dvdsp;
using uitest::SessionTest;

namespace {

class ChannelOpsTest : public SessionTest {
protected:
    // Types `text` into the edit as a user would and presses Enter.
    void Type(const std::string& name, const QString& text) {
        auto* e = wnd->Find<tk::Edit>(name);
        ASSERT_NE(e, nullptr) << name;
        e->setFocus();
        e->selectAll();
        e->insert(text);  // as typed or pasted; key clicks know no letters beyond ASCII
        QTest::keyClick(e, Qt::Key_Return);
        Settle(2);
    }
    void Spin(const std::string& name, bool up) {
        auto* e = wnd->Find<tk::Edit>(name);
        ASSERT_NE(e, nullptr) << name;
        e->PressSpin(up);
    }
    // Moves the slider as a user drags it.
    void Drag(const std::string& name, int value) {
        auto* s = wnd->Find<tk::Slider>(name);
        ASSERT_NE(s, nullptr) << name;
        s->setValue(value);
    }
    void ClickOption(const std::string& name) {
        auto* o = dynamic_cast<tk::Option*>(C(name));
        ASSERT_NE(o, nullptr) << name;
        o->Click();
    }
    // Waits until the unit's state satisfies `pred` (the commands go through the queue).
    bool UnitHas(const std::function<bool(emu::UnitState&)>& pred) {
        return WaitFor([&] { return unit->WithState([&](emu::UnitState& s) { return pred(s); }); }, 5000);
    }
    emu::Scene& Live(emu::UnitState& s) { return s.scenes[0]; }
    static std::string N(const char* prefix, int ch) { return prefix + std::to_string(ch); }
    core::SceneState& Model() { return wnd->Controller().Model().current; }
    QString Off() { return tk::Lang(QStringLiteral("${off}")); }
};

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
    EXPECT_EQ(C("delay_link_4")->BkColor(), 0xFF666666u);
}

}  // namespace
