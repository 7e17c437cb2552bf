// The two compressor windows against the virtual unit: typed values with their formats
// and the limits of the sliders, the step keys (the simple window's coarse steps land on
// multiples), the slider at its end sending nothing, the cursor grid of the simple
// window, the on/off boxes, and the unit's values shown as the windows open.
#include "processing_fixture.h"
#include "ui/processing/compressors_on_wnd.h"

namespace uitest {
namespace {

using namespace dvdsp::link;

class CompressorTest : public ProcessingTest {
protected:
    void SetUp() override {
        ProcessingTest::SetUp();
        Open();
        ConnectAndWait();
    }
    emu::Output& Out(emu::UnitState& s, int ch) { return s.scenes[0].out[static_cast<size_t>(ch)]; }
    const core::CompressorSettings& Comp(int ch) { return Model().compressor[static_cast<size_t>(ch)]; }
};

TEST_F(CompressorTest, FullWindowTakesTypedValuesInTheSlidersLimits) {
    wnd->Controller().SetCurChannelChange(2);
    Settle();
    WithWindow("CCompressorWnd", [&](tk::Window& w) {
        EXPECT_EQ(RawText(w, "curr_channel_text"), "CH3");
        TypeIn(w, "edit_noise", "-30.5");
        EXPECT_FLOAT_EQ(Comp(2).threshold, -30.5f);
        EXPECT_EQ(EditText(w, "edit_noise"), "-30.5dB");
        EXPECT_EQ(SliderValue(w, "slider_noise"), -305);
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Out(s, 2).comp.thr10 == 695; }))
            << "-30.5 dB goes out as 69.5 (threshold + 100)";

        // The limits are the slider's ends over 10 with the fraction dropped.
        w.FindControl("slider_noise")->SetRange(-905, 0);
        TypeIn(w, "edit_noise", "-95");
        EXPECT_FLOAT_EQ(Comp(2).threshold, -90.0f);
        EXPECT_EQ(EditText(w, "edit_noise"), "-90.0dB");
        EXPECT_EQ(SliderValue(w, "slider_noise"), -900);
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Out(s, 2).comp.thr10 == 100; }));

        TypeIn(w, "edit_ratio", "abc");  // no number: 0, then the slider's minimum
        EXPECT_EQ(EditText(w, "edit_ratio"), "1.0");
        TypeIn(w, "edit_attack_time", "37.9");
        EXPECT_EQ(EditText(w, "edit_attack_time"), "37ms");
        EXPECT_EQ(Comp(2).attack, 37);
        TypeIn(w, "edit_soft_knee", "55");
        EXPECT_EQ(EditText(w, "edit_soft_knee"), "10.0dB");
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) {
            const emu::Compressor& c = Out(s, 2).comp;
            return c.ratio10 == 10 && c.attack == 37 && c.knee10 == 100;
        }));

        ClickIn(w, "btn_bp");
        const int bypass = Comp(2).bypass;
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Out(s, 2).comp.bypass == bypass; }));
    });
    EXPECT_EQ(Comp(0), core::CompressorSettings{}) << "only the current channel changed";
}

TEST_F(CompressorTest, StepKeysMoveBySteppedSliderUnitsAndStopAtTheEnds) {
    WithWindow("CCompressorWnd", [&](tk::Window& w) {
        SetSlider(w, "slider_release_time", 1250);
        Key(w, "edit_release_time", Qt::Key_Up);
        EXPECT_EQ(SliderValue(w, "slider_release_time"), 1350);
        EXPECT_EQ(EditText(w, "edit_release_time"), "1350ms");
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Out(s, 0).comp.release == 1350; }));

        Key(w, "edit_noise", Qt::Key_Down);
        EXPECT_EQ(EditText(w, "edit_noise"), "-0.1dB");

        // At the minimum a step down sends nothing: the next command is the step up.
        TypeIn(w, "edit_attack_time", "0");
        ASSERT_TRUE(UnitHas([&](emu::UnitState& s) { return Out(s, 0).comp.attack == 0; }));
        const size_t before = Sent(CMD_DSP, DSP_COMPRESSOR_SETTING).size();
        Key(w, "edit_attack_time", Qt::Key_Down);
        EXPECT_EQ(SliderValue(w, "slider_attack_time"), 0);
        Key(w, "edit_attack_time", Qt::Key_Up);
        ASSERT_TRUE(SentCount(CMD_DSP, DSP_COMPRESSOR_SETTING, before + 1));
        const auto sent = Sent(CMD_DSP, DSP_COMPRESSOR_SETTING);
        ASSERT_EQ(sent.size(), before + 1);
        EXPECT_EQ((sent.back()[10] << 8) | sent.back()[11], 10) << "the one command is the step to 10 ms";

        // The cursor keys cycle through the five edits.
        Key(w, "edit_soft_knee", Qt::Key_End);
        Key(w, "edit_soft_knee", Qt::Key_Right);
        EXPECT_EQ(Focused(), w.Find<tk::Edit>("edit_noise"));
    });
}

TEST_F(CompressorTest, FullWindowShowsTheUnitsCompressorAndTheSliderSendsIt) {
    unit->WithState([&](emu::UnitState& s) {
        emu::Compressor& c = Out(s, 0).comp;
        c.bypass = 0;
        c.thr10 = 800;  // -20 dB
        c.ratio10 = 25;
        c.knee10 = 15;
        c.attack = 40;
        c.release = 700;
        return 0;
    });
    WithWindow("CCompressorWnd", [&](tk::Window& w) {
        ASSERT_TRUE(WaitFor([&] { return EditText(w, "edit_noise") == "-20.0dB"; }));
        EXPECT_EQ(EditText(w, "edit_ratio"), "2.5");
        EXPECT_EQ(EditText(w, "edit_soft_knee"), "1.5dB");
        EXPECT_EQ(EditText(w, "edit_attack_time"), "40ms");
        EXPECT_EQ(EditText(w, "edit_release_time"), "700ms");
        EXPECT_EQ(SliderValue(w, "slider_ratio"), 25);
        EXPECT_FALSE(w.FindControl("btn_bp")->IsSelected());

        DragIn(w, "slider_ratio", 80);
        EXPECT_EQ(EditText(w, "edit_ratio"), "8.0");
        EXPECT_EQ(Focused(), w.Find<tk::Edit>("edit_ratio"));
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Out(s, 0).comp.ratio10 == 80; }));
    });
}

TEST_F(CompressorTest, SimpleWindowStepsRoundToTheirMultiplesAndTheGridWraps) {
    const int result = WithWindow("CCompressorsOnWnd", [&](tk::Window& w) {
        using W = dvdsp::ui::CCompressorsOnWnd;
        SetSlider(w, W::SliderName(W::kRelease, 4), 1250);
        Key(w, W::EditName(W::kRelease, 4), Qt::Key_Up);
        EXPECT_EQ(SliderValue(w, W::SliderName(W::kRelease, 4)), 1300);
        EXPECT_EQ(EditText(w, W::EditName(W::kRelease, 4)), "1300ms");
        EXPECT_EQ(Comp(4).release, 1300);
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Out(s, 4).comp2.release10 == 13; }));

        TypeIn(w, W::EditName(W::kThreshold, 4), "-20.5");
        EXPECT_EQ(EditText(w, W::EditName(W::kThreshold, 4)), "-20.5dB");
        EXPECT_EQ(SliderValue(w, W::SliderName(W::kThreshold, 4)), -205);
        ASSERT_TRUE(UnitHas([&](emu::UnitState& s) { return Out(s, 4).comp2.thr10 == -205; }));
        const auto sent = Sent(CMD_DSP, DSP_COMPRESSOR_SETTING2);
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.back(), (std::vector<uint8_t>{0, 0, 4, 4, 0xEC, 0xFB, 0, 10, 1, 3}))
            << "one channel: -20 and -5, attack 10 ms, release 1.3 s";

        TypeIn(w, W::EditName(W::kAttack, 4), "5000");
        EXPECT_EQ(EditText(w, W::EditName(W::kAttack, 4)), "1000ms");

        // Down at the minimum sends nothing.
        TypeIn(w, W::EditName(W::kAttack, 1), "0");
        ASSERT_TRUE(UnitHas([&](emu::UnitState& s) { return Out(s, 1).comp2.attack == 0; }));
        const size_t before = Sent(CMD_DSP, DSP_COMPRESSOR_SETTING2).size();
        Key(w, W::EditName(W::kAttack, 1), Qt::Key_Down);
        Key(w, W::EditName(W::kAttack, 1), Qt::Key_Up);
        ASSERT_TRUE(SentCount(CMD_DSP, DSP_COMPRESSOR_SETTING2, before + 1));
        const auto after = Sent(CMD_DSP, DSP_COMPRESSOR_SETTING2);
        ASSERT_EQ(after.size(), before + 1);
        EXPECT_EQ((after.back()[6] << 8) | after.back()[7], 10) << "the one command is the step to 10 ms";
        EXPECT_EQ(EditText(w, W::EditName(W::kAttack, 1)), "10ms");

        // Right from channel 9's release reaches channel 0's threshold; left goes back.
        Key(w, W::EditName(W::kRelease, 9), Qt::Key_End);
        Key(w, W::EditName(W::kRelease, 9), Qt::Key_Right);
        EXPECT_EQ(Focused(), w.Find<tk::Edit>(W::EditName(W::kThreshold, 0)));
        Key(w, W::EditName(W::kThreshold, 0), Qt::Key_Home);
        Key(w, W::EditName(W::kThreshold, 0), Qt::Key_Left);
        EXPECT_EQ(Focused(), w.Find<tk::Edit>(W::EditName(W::kRelease, 9)));
        Key(w, W::EditName(W::kThreshold, 9), Qt::Key_End);
        Key(w, W::EditName(W::kThreshold, 9), Qt::Key_Right);
        EXPECT_EQ(Focused(), w.Find<tk::Edit>(W::EditName(W::kAttack, 0)));

        // The on/off box of a channel.
        ClickIn(w, "box_enable_3");
        EXPECT_EQ(Model().channels[3].compressorOn, 1);
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) { return Out(s, 3).compOn == 1; }));
        ClickIn(w, "third_btn");
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(Comp(4).release, 1300) << "closing keeps the changes";
}

TEST_F(CompressorTest, SimpleWindowOpensFromTheAdvanceMenuWithTheUnitsValues) {
    unit->WithState([&](emu::UnitState& s) {
        Out(s, 6).compOn = 1;
        Out(s, 6).comp2.thr10 = -123;
        Out(s, 6).comp2.attack = 60;
        Out(s, 6).comp2.release10 = 25;
        return 0;
    });
    WithWindow("CCompressorsOnWnd", [&](tk::Window& w) {
        EXPECT_TRUE(WaitFor([&] { return EditText(w, "edit_threshold_6") == "-12.3dB"; }));
        EXPECT_EQ(EditText(w, "edit_attack_time_6"), "60ms");
        EXPECT_EQ(EditText(w, "edit_release_time_6"), "2500ms");
        EXPECT_TRUE(w.FindControl("box_enable_6")->IsSelected());
        EXPECT_FALSE(w.FindControl("box_enable_5")->IsSelected());
    });
    // The advance menu's item opens it.
    QString opened;
    tk::testing::ActOnNextModal([&](tk::Window& w) {
        opened = w.ClassName();
        w.Close(1);
    });
    wnd->OpenMenu(QStringLiteral("xml/advance_menu.xml"), nullptr);
    ASSERT_NE(wnd->CurrentMenu(), nullptr);
    EXPECT_TRUE(wnd->CurrentMenu()->Trigger("advance_item_compressors_on"));
    EXPECT_TRUE(WaitFor([&] { return opened == "CCompressorsOnWnd"; }));
}

}  // namespace
}  // namespace uitest
