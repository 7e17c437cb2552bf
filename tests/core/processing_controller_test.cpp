// The controller's processing part without a window, against the virtual unit: what
// reaches the unit is kept in its range whatever a caller hands over, the replies that
// feed the windows are stored, and the automatic-setting block's layout.
#include <cmath>
#include <limits>

#include "core/controller_fixture.h"
#include "link/commands.h"
#include "link/packet.h"

using namespace dvdsp;
using namespace dvdsp::core;
using dvdsp::testing::ControllerTest;

TEST_F(ControllerTest, ProcessingValuesAreHeldToTheUnitsRanges) {
    ConnectAndReadOut();
    EXPECT_EQ(mgr.SetInputThreshold(-30), -40);
    EXPECT_EQ(mgr.SetInputThreshold(-200), -61);
    EXPECT_EQ(mgr.SetPowerOffDelay(70000), 1000);
    EXPECT_EQ(mgr.SetKaraoke(link::KTV_BASS_GAIN, -40), -12);
    EXPECT_EQ(mgr.SetKaraoke(link::KTV_HOWLING, 7), 1);
    EXPECT_EQ(mgr.SetKaraoke(0, 5), 0) << "no such setting";
    CompressorSettings k;
    k.threshold = std::numeric_limits<float>::quiet_NaN();
    k.ratio = 99;
    k.attack = -5;
    k.release = 100000;
    k.softKnee = 3.04f;
    mgr.SetCompressor(1, k);
    mgr.SetCompressor(10, k);  // no such channel: nothing
    Drain();
    const CompressorSettings& kept = Live().compressor[1];
    EXPECT_FLOAT_EQ(kept.threshold, -90.0f);
    EXPECT_FLOAT_EQ(kept.ratio, 20.0f);
    EXPECT_EQ(kept.attack, 0);
    EXPECT_EQ(kept.release, 5000);
    EXPECT_FLOAT_EQ(kept.softKnee, 3.0f);
    EXPECT_EQ(commands.Sent(link::CMD_DSP, link::DSP_COMPRESSOR_SETTING).size(), 1u);
    Unit([](emu::UnitState& s) {
        EXPECT_EQ(s.device.threshold, -61);
        EXPECT_EQ(s.device.powerOffMs, 1000);
        EXPECT_EQ(s.device.karaoke[link::KTV_BASS_GAIN - 1], 0xF4);
        EXPECT_EQ(s.scenes[0].out[1].comp.thr10, 100);
        EXPECT_EQ(s.scenes[0].out[1].comp.release, 5000);
        return 0;
    });
    EXPECT_EQ(view.Last(What::InputThreshold).what, What::InputThreshold);
    EXPECT_EQ(view.Last(What::Compressor, 1).what, What::Compressor);

    AutoSettingBlock block = RestoredAutoSetting(0);
    SetAutoCoefficient(block, 4, std::numeric_limits<float>::infinity());
    SetAutoCoefficient(block, 5, std::nanf(""));
    block[1] = 9;
    mgr.SetAutoSetting(block);
    EXPECT_FLOAT_EQ(AutoCoefficient(mgr.AutoSetting(), 4), 2.0f);
    EXPECT_FLOAT_EQ(AutoCoefficient(mgr.AutoSetting(), 5), 0.0f);
    EXPECT_EQ(mgr.AutoSetting()[1], 1);
}

TEST_F(ControllerTest, RepliesOfTheProcessingValuesAreStored) {
    Unit([](emu::UnitState& s) {
        s.device.powerOffMs = 750;
        s.device.threshold = -45;
        s.device.karaoke[link::KTV_TREBLE_GAIN - 1] = 0xFB;  // -5
        s.scenes[0].out[3].compOn = 1;
        s.scenes[0].out[3].comp2.thr10 = -205;
        s.scenes[0].out[3].comp2.release10 = 12;
        return 0;
    });
    ConnectAndReadOut();
    mgr.ReadPowerOffDelay();
    mgr.ReadInputThreshold();
    mgr.ReadKaraoke();
    mgr.ReadCompressors();
    for (link::Message& m : sink.Take()) {
        if (m.msg == link::WM_READ_DSP_VALUE) mgr.ReadDspValueCallback(m);
        else if (m.msg == link::WM_READ_MCU_VALUE) mgr.ReadMcuValueCallback(m);
        else if (m.msg == link::WM_READ_KTV_VALUE) mgr.ReadKtvValueCallback(m);
    }
    EXPECT_EQ(mgr.PowerOffDelay(), 750);
    EXPECT_EQ(mgr.InputThreshold(), -45);
    EXPECT_EQ(mgr.Karaoke(link::KTV_TREBLE_GAIN), -5);
    EXPECT_EQ(Live().channels[3].compressorOn, 1);
    EXPECT_FLOAT_EQ(Live().compressor[3].threshold, -20.5f);
    EXPECT_EQ(Live().compressor[3].release, 1200);
}

TEST(AutoSettingBlock, RestoredBlockHasItsLayout) {
    const AutoSettingBlock b = RestoredAutoSetting(3);
    EXPECT_EQ(b[0], 3);
    for (size_t k = 1; k <= 11; ++k) EXPECT_EQ(b[k], 1);
    // 1.0f little-endian.
    for (size_t at = 12; at < 48; at += 4)
        EXPECT_EQ(std::vector<uint8_t>(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4),
                  (std::vector<uint8_t>{0x00, 0x00, 0x80, 0x3F}));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 48, b.end()), (std::vector<uint8_t>{0, 5, 5, 5}));
}
