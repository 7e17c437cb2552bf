// The noise threshold, power-off delay, DSP memory, karaoke and automatic-setting
// windows against the virtual unit: their clamps and formats, the step keys, the noise
// meters fed by the 500 ms poll, the memory word read back from the unit and kept in the
// settings file, the karaoke values with the two-byte echo delay, and the automatic-
// setting block with its restore. Each change is checked in what the unit received.
#include <cstring>

#include "emulator/signal_model.h"
#include "link/clock.h"
#include "platform/settings.h"
#include "processing_fixture.h"
#include "ui/main/script_runner.h"
#include "ui/processing/proc_common.h"

namespace uitest {
namespace {

using namespace dvdsp::link;
using dvdsp::ui::proc::ParseLiteral;

class SmallWindowsTest : public ProcessingTest {
protected:
    void SetUp() override {
        ProcessingTest::SetUp();
        // The noise levels follow the unit's clock: one held still, moved by the test.
        backend.reset();
        unit = std::make_unique<emu::VirtualUnit>(unitClock);
        backend = std::make_unique<emu::VirtualHidBackend>(*unit);
        Open();
        ConnectAndWait();
    }
    int8_t UnitThreshold() {
        return unit->WithState([](emu::UnitState& s) { return s.device.threshold; });
    }
    dvdsp::link::ManualClock unitClock;
};

TEST_F(SmallWindowsTest, NoiseThresholdIsClampedAndOffIsMinus61) {
    unit->WithState([](emu::UnitState& s) { return s.device.threshold = -50; });
    WithWindow("NoiseThresholdWnd", [&](tk::Window& w) {
        ASSERT_TRUE(WaitFor([&] { return EditText(w, "value_edt") == "-50dBu"; })) << "the unit's threshold";
        TypeIn(w, "value_edt", "-30");
        EXPECT_EQ(EditText(w, "value_edt"), "-40dBu");
        EXPECT_EQ(wnd->Controller().InputThreshold(), -40);
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.device.threshold == -40; }));

        TypeIn(w, "value_edt", "-70");
        EXPECT_EQ(RawText(w, "value_edt"), "${off}");
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.device.threshold == -61; }));

        const size_t before = Sent(CMD_DSP, DSP_INPUT_THRESHOLD).size();
        Key(w, "value_edt", Qt::Key_Down);
        EXPECT_EQ(RawText(w, "value_edt"), "${off}");
        ASSERT_TRUE(SentCount(CMD_DSP, DSP_INPUT_THRESHOLD, before + 1));
        EXPECT_EQ(Sent(CMD_DSP, DSP_INPUT_THRESHOLD).back(), std::vector<uint8_t>{0xC3}) << "-61 again";
        Key(w, "value_edt", Qt::Key_Up);
        EXPECT_EQ(EditText(w, "value_edt"), "-60dBu");
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.device.threshold == -60; }));
        EXPECT_EQ(Focused(), w.Find<tk::Edit>("value_edt"));

        TypeIn(w, "value_edt", "loud");
        EXPECT_EQ(RawText(w, "value_edt"), "${off}") << "a text that is no number is off";
    });
}

TEST_F(SmallWindowsTest, NoiseMetersShowTheSourcesInputsAndFollowTheUnit) {
    ASSERT_EQ(Model().source, 0);  // optical: two inputs
    QSize base;
    WithWindow("NoiseThresholdWnd", [&](tk::Window& w) {
        for (int i = 0; i < 12; ++i) {
            const bool shown = i < 2;
            EXPECT_EQ(w.FindControl("prg_group_" + std::to_string(i))->IsVisible(), shown) << i;
            EXPECT_EQ(w.FindControl("in_" + std::to_string(i))->IsVisible(), shown) << i;
        }
        base = w.BaseSize();
        const QString expected = QString::asprintf(" %.1f", emu::InputNoiseTenths(1, unitClock.NowMs()) / 10.0);
        ASSERT_TRUE(WaitFor([&] { return RawText(w, "noise_1") == expected; })) << expected.toStdString();
        EXPECT_EQ(w.FindControl("progress_1")->Value(),
                  static_cast<int>(std::lround(emu::InputNoiseTenths(1, unitClock.NowMs()) / 10.0)));
        // The unit's next reading reaches the meter by the next poll.
        unitClock.Advance(500);
        const QString next = QString::asprintf(" %.1f", emu::InputNoiseTenths(1, unitClock.NowMs()) / 10.0);
        ASSERT_NE(next, expected);
        EXPECT_TRUE(WaitFor([&] { return RawText(w, "noise_1") == next; }));
        EXPECT_FALSE(Sent(CMD_DSP, DSP_INPUT_NOISE, OP_GET).empty());
        EXPECT_EQ(Sent(CMD_DSP, DSP_INPUT_NOISE, OP_GET).back(), (std::vector<uint8_t>{0, 1}));
        ClickIn(w, "confirm_btn");
    });
    EXPECT_EQ(base.width(), 500 - 100) << "two inputs: the layout's width less 100 at most";
}

TEST_F(SmallWindowsTest, PowerOffDelayIsHeldToItsRangeAndFollowsTheSlider) {
    unit->WithState([](emu::UnitState& s) { return s.device.powerOffMs = 300; });
    WithWindow("PowerOffDelayWnd", [&](tk::Window& w) {
        ASSERT_TRUE(WaitFor([&] { return EditText(w, "value_edt") == "300 ms"; }));
        EXPECT_EQ(SliderValue(w, "slider_poweroff_delay"), 300);
        TypeIn(w, "value_edt", "1500");
        EXPECT_EQ(EditText(w, "value_edt"), "1000 ms");
        EXPECT_EQ(SliderValue(w, "slider_poweroff_delay"), 1000);
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.device.powerOffMs == 1000; }));
        TypeIn(w, "value_edt", "-5");
        EXPECT_EQ(EditText(w, "value_edt"), "0 ms");
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.device.powerOffMs == 0; }));
        Key(w, "value_edt", Qt::Key_Up);
        EXPECT_EQ(EditText(w, "value_edt"), "1 ms");
        DragIn(w, "slider_poweroff_delay", 640);
        EXPECT_EQ(EditText(w, "value_edt"), "640 ms");
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.device.powerOffMs == 640; }));
        // Confirm commits the typed text first.
        auto* e = w.Find<tk::Edit>("value_edt");
        e->setText("250");
        ClickIn(w, "confirm_btn");
    });
    EXPECT_EQ(wnd->Controller().PowerOffDelay(), 250);
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.device.powerOffMs == 250; }));
}

TEST(MemoryNumbers, LiteralsChooseTheirBaseByPrefix) {
    EXPECT_EQ(ParseLiteral("0x1F"), 31u);
    EXPECT_EQ(ParseLiteral("0X1f"), 31u);
    EXPECT_EQ(ParseLiteral("017"), 15u);
    EXPECT_EQ(ParseLiteral("019"), 1u) << "9 is no octal digit";
    EXPECT_EQ(ParseLiteral("19z"), 19u);
    EXPECT_EQ(ParseLiteral(""), 0u);
    EXPECT_EQ(ParseLiteral("0"), 0u);
    EXPECT_EQ(ParseLiteral("0xdeadbeef"), 0xDEADBEEFu);
    EXPECT_EQ(ParseLiteral("0x1ffffffff"), 0xFFFFFFFFu) << "beyond the word: its low 32 bits";
}

TEST_F(SmallWindowsTest, MemoryWordIsWrittenReadBackAndKeptInTheSettings) {
    WithWindow("MemWrWnd", [&](tk::Window& w) {
        auto* addr = w.Find<tk::Edit>("addr_edit");
        auto* data = w.Find<tk::Edit>("data_edit");
        ASSERT_TRUE(addr && data);
        addr->setText("0x1F");
        data->setText("3735928559");
        ClickIn(w, "write_btn");
        EXPECT_EQ(addr->text(), "0x0000001f");
        EXPECT_EQ(data->text(), "0xdeadbeef");
        ASSERT_TRUE(SentCount(CMD_DSP, DSP_MEM_DATA, 1));
        EXPECT_EQ(Sent(CMD_DSP, DSP_MEM_DATA).back(),
                  (std::vector<uint8_t>{0x1F, 0, 0, 0, 0xEF, 0xBE, 0xAD, 0xDE}));
        EXPECT_EQ(dvdsp::ReadSettingInt("mem_addr", -1), 31);

        // Another address reads 0 until written; then the word comes back from the unit.
        data->setText("0");
        addr->setText("017");
        ClickIn(w, "read_btn");
        EXPECT_TRUE(WaitFor([&] { return addr->text() == "0x0000000f" && data->text() == "0x00000000"; }));
        addr->setText("19z");
        ClickIn(w, "read_btn");
        EXPECT_EQ(Sent(CMD_DSP, DSP_MEM_DATA, OP_GET).back(), (std::vector<uint8_t>{19, 0, 0, 0, 0, 0, 0, 0}));
        addr->setText("0x1f");
        ClickIn(w, "read_btn");
        EXPECT_TRUE(WaitFor([&] { return data->text() == "0xdeadbeef"; }));
        EXPECT_EQ(dvdsp::ReadSettingInt("mem_data", 0), static_cast<int>(0xDEADBEEFu));
    });
    // The next opening starts from the settings file.
    WithWindow("MemWrWnd", [&](tk::Window& w) {
        EXPECT_EQ(EditText(w, "addr_edit"), "0x0000001f");
        EXPECT_EQ(EditText(w, "data_edit"), "0xdeadbeef");
    });
}

TEST_F(SmallWindowsTest, KaraokeValuesAreClampedToTheirSlidersAndSent) {
    unit->WithState([](emu::UnitState& s) { return s.device.karaoke[KTV_REVERB_LEVEL - 1] = 42; });
    WithWindow("KtvWnd", [&](tk::Window& w) {
        ASSERT_TRUE(WaitFor([&] { return EditText(w, "edit_reverb_level") == "42"; })) << "the unit's value";
        EXPECT_EQ(SliderValue(w, "slider_reverb_level"), 42);

        TypeIn(w, "edit_echo_delay", "300");
        EXPECT_EQ(EditText(w, "edit_echo_delay"), "300ms");
        ASSERT_TRUE(SentCount(CMD_KTV, KTV_ECHO_DELAY, 1));
        EXPECT_EQ(Sent(CMD_KTV, KTV_ECHO_DELAY).back(), (std::vector<uint8_t>{0x01, 0x2C}));
        EXPECT_EQ(wnd->Controller().Karaoke(KTV_ECHO_DELAY), 300);

        TypeIn(w, "edit_mic_volume", "99");
        EXPECT_EQ(EditText(w, "edit_mic_volume"), "60dB");
        EXPECT_EQ(SliderValue(w, "slider_mic_volume"), 60);
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.device.karaoke[KTV_MIC_VOL - 1] == 60; }));

        // Down at the minimum keeps it and sends it again.
        TypeIn(w, "edit_bass", "-12");
        ASSERT_TRUE(SentCount(CMD_KTV, KTV_BASS_GAIN, 1));
        Key(w, "edit_bass", Qt::Key_Down);
        EXPECT_EQ(EditText(w, "edit_bass"), "-12");
        ASSERT_TRUE(SentCount(CMD_KTV, KTV_BASS_GAIN, 2));
        EXPECT_EQ(Sent(CMD_KTV, KTV_BASS_GAIN).back(), std::vector<uint8_t>{0xF4});
        EXPECT_EQ(Focused(), w.Find<tk::Edit>("edit_bass"));

        DragIn(w, "slider_voice_changer", 7);
        EXPECT_EQ(EditText(w, "edit_voice_changer"), "7");
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.device.karaoke[KTV_VOICE_CHANGER - 1] == 7; }));

        ClickIn(w, "option_howling_control");
        EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.device.karaoke[KTV_HOWLING - 1] == 1; }));

        Key(w, "edit_treble", Qt::Key_End);
        Key(w, "edit_treble", Qt::Key_Right);
        EXPECT_EQ(Focused(), w.Find<tk::Edit>("edit_mic_volume")) << "the last edit's neighbour is the first";
    });
}

float FloatAt(const std::vector<uint8_t>& b, size_t at) {
    float f = 0;
    std::memcpy(&f, b.data() + at, 4);
    return f;
}

TEST_F(SmallWindowsTest, AutoSettingBlockIsSentWholeAndRestored) {
    WithWindow("CSAutoWnd", [&](tk::Window& w) {
        TypeIn(w, "edit_auto_0", "2.5");
        EXPECT_EQ(EditText(w, "edit_auto_0"), "2.000");
        EXPECT_EQ(SliderValue(w, "slider_auto_0"), 200);
        EXPECT_FLOAT_EQ(core::AutoCoefficient(wnd->Controller().AutoSetting(), 0), 2.0f);
        ASSERT_TRUE(SentCount(CMD_DSP, DSP_CS_AUTO_SETTING, 1));
        auto block = Sent(CMD_DSP, DSP_CS_AUTO_SETTING).back();
        ASSERT_EQ(block.size(), 52u);
        EXPECT_FLOAT_EQ(FloatAt(block, 12), 2.0f);

        ClickIn(w, "btn_auto_3");
        Key(w, "edit_auto_8", Qt::Key_Down);
        EXPECT_EQ(EditText(w, "edit_auto_8"), "0.990");
        auto* mode = w.Find<tk::Combo>("combo_mode");
        ASSERT_NE(mode, nullptr);
        mode->setCurrentIndex(2);  // as a user picks it
        emit mode->activated(2);
        Settle(2);
        ASSERT_TRUE(SentCount(CMD_DSP, DSP_CS_AUTO_SETTING, 4));
        block = Sent(CMD_DSP, DSP_CS_AUTO_SETTING).back();
        EXPECT_EQ(block[1 + 3], 0) << "flag 3 off";
        EXPECT_FLOAT_EQ(FloatAt(block, 12 + 4 * 8), 0.99f);
        EXPECT_EQ(block[48], 2);
        EXPECT_TRUE(UnitHas([&](emu::UnitState& s) {
            return std::equal(block.begin(), block.end(), s.device.autoSetting.begin());
        }));

        // Restore asks first: cancelled, nothing is sent.
        const size_t sentBefore = Sent(CMD_DSP, DSP_CS_AUTO_SETTING).size();
        tk::testing::AnswerNextModal(tk::kResultClosed);
        ClickIn(w, "btn_restore_cs_auto");
        EXPECT_EQ(EditText(w, "edit_auto_0"), "2.000");
        tk::testing::AnswerNextModal(tk::kResultConfirm);
        ClickIn(w, "btn_restore_cs_auto");
        ASSERT_TRUE(SentCount(CMD_DSP, DSP_CS_AUTO_SETTING, sentBefore + 1));
        EXPECT_EQ(Sent(CMD_DSP, DSP_CS_AUTO_SETTING).size(), sentBefore + 1) << "one block";
        block = Sent(CMD_DSP, DSP_CS_AUTO_SETTING).back();
        for (size_t k = 1; k <= 11; ++k) EXPECT_EQ(block[k], 1) << k;
        for (size_t at = 12; at <= 44; at += 4) EXPECT_FLOAT_EQ(FloatAt(block, at), 1.0f) << at;
        EXPECT_EQ(std::vector<uint8_t>(block.begin() + 48, block.end()), (std::vector<uint8_t>{0, 5, 5, 5}));
        EXPECT_EQ(EditText(w, "edit_auto_0"), "1.000");
        EXPECT_EQ(SliderValue(w, "slider_auto_0"), 100);
        EXPECT_TRUE(w.FindControl("btn_auto_3")->IsSelected());
        EXPECT_EQ(w.Find<tk::Combo>("combo_front")->CurSel(), 5);
    });
}

TEST_F(SmallWindowsTest, WindowsOpenByClassFromScriptsTheMenuAndTheDebugButton) {
    for (const QString& name : dvdsp::ui::ProcessingWindowNames()) {
        const QString shownAs = name == "CKtvWnd" ? QStringLiteral("KtvWnd") : name;
        const int shown = tk::Window::ShownCount(shownAs);
        dvdsp::ui::ScriptResult r = dvdsp::ui::RunScript(*wnd, {"open " + name, "click closebtn"});
        EXPECT_EQ(r.code, 0) << name.toStdString() << ": " << r.message.toStdString();
        EXPECT_EQ(tk::Window::ShownCount(shownAs), shown + 1) << name.toStdString();
    }

    // The advance menu offers the compressors; the noise threshold item stays hidden (the
    // script line "open NoiseThresholdWnd" above reaches its window).
    Click("btn_advance");
    ASSERT_NE(wnd->CurrentMenu(), nullptr);
    EXPECT_TRUE(wnd->CurrentMenu()->IsItemVisible("advance_item_compressors_on"));
    for (const char* hidden : {"advance_item_noise_threshold", "advance_item_poweroff_delay", "advance_item_ktv",
                               "advance_item_compressor", "advance_item_autocal"})
        EXPECT_FALSE(wnd->CurrentMenu()->IsItemVisible(hidden)) << hidden;
    EXPECT_FALSE(wnd->CurrentMenu()->Trigger("advance_item_noise_threshold"));
    wnd->CurrentMenu()->CloseMenu();
    QString opened;

    // Without "debug.ini" the debug button is hidden; it opens the memory window.
    EXPECT_FALSE(C("btn_debug")->IsVisible());
    tk::testing::ActOnNextModal([&](tk::Window& w) {
        opened = w.ClassName();
        w.Close(0);
    });
    Click("btn_debug");
    EXPECT_TRUE(WaitFor([&] { return opened == "MemWrWnd"; }));
}

}  // namespace
}  // namespace uitest
