// Data bytes of the command encoders, against the worked values of the protocol.
#include <gtest/gtest.h>

#include "support/hex.h"

#include <functional>
#include <limits>
#include <string>

#include "link/commands.h"
#include "link/dsp_device.h"
#include "support/capture_backend.h"

using namespace dvdsp::link;
using dvdsp::testing::CaptureBackend;
using dvdsp::testing::Hex;

namespace {

struct Encoders : ::testing::Test {
    ManualClock clock;
    CaptureBackend backend;
    DspDevice dev{backend, clock};
    void SetUp() override {
        dev.SetDeviceProfile(98, 10, 8, 1, 0);
        dev.OpenHIDDevice();
    }
};

struct Row {
    const char* what;
    std::function<void(DspDevice&)> call;
    const char* header;  // type cmd op
    const char* data;
};

}  // namespace

TEST_F(Encoders, WorkedValues) {
    const Row rows[] = {
        {"delay 2.5 ms", [](DspDevice& d) { d.Delay_Ctrl(0, 0, 3, 3, {2.5f}, true); }, "01 07 BB",
         "00 00 03 03 | 02 01 F4"},
        {"delay 0.021 ms", [](DspDevice& d) { d.Delay_Ctrl(0, 0, 0, 0, {0.021f}, true); },
         "01 07 BB", "00 00 00 00 | 00 00 15"},
        {"trim -3.25 dB as attenuation", [](DspDevice& d) { d.Trim_Ctrl(0, 0, 3, 3, {-3.25f}, true); },
         "01 08 BB", "00 00 03 03 | 03 19"},
        {"EQ band 1000 Hz Q 2.5 +3.5 dB",
         [](DspDevice& d) { d.EQ_Ctrl(0, 0, 2, 5, 1000, 2.5f, 3.5f, true); }, "01 06 BB",
         "00 00 02 05 | 03 E8 | 02 05 | 15 05"},
        {"EQ gain -18 dB travels as 0",
         [](DspDevice& d) { d.EQ_Ctrl(0, 0, 0, 0, 20, 0.7f, -18.0f, true); }, "01 06 BB",
         "00 00 00 00 | 00 14 | 00 07 | 00 00"},
        {"compressor threshold -20.5 dB",
         [](DspDevice& d) { d.Compressor_Ctrl(0, 0, 1, 0, -20.5f, 4.0f, 2.5f, 10, 300, true); },
         "01 3E BB", "00 00 01 00 | 4F 05 | 04 00 | 02 05 | 00 0A | 01 2C"},
        {"compressor2 threshold -20.5 dB release 1200 ms",
         [](DspDevice& d) {
             d.Compressor_Ctrl2(0, 0, 2, 2, {{-20.5f, 5, 1200}}, true);
         },
         "01 4A BB", "00 00 02 02 | EC FB | 00 05 | 01 02"},
        {"mem data", [](DspDevice& d) { d.Set_MemData(0x1234, 0xFF, true); }, "01 42 BB",
         "34 12 00 00 | FF 00 00 00"},
        {"power-off time 3000 ms", [](DspDevice& d) { d.Set_Power_Off_Time(3000, true); },
         "03 91 BB", "0B B8"},
        {"mix 8 inputs",
         [](DspDevice& d) {
             d.Mix_Ch_Ctrl(0, 1, 0, 1, {0x03, 0x0C}, true);
         },
         "01 0B BB", "00 01 00 01 | 03 | 0C"},
        {"ranged set with end before start",
         [](DspDevice& d) {
             d.Mute_Ch_Ctrl(0, 0, 5, 4, {1, 1}, true);
         },
         "01 09 BB", "00 00 05 04"},
        {"scene name of 16 bytes",
         [](DspDevice& d) { d.SetSceneName(3, std::vector<uint8_t>(16, 'A')); }, "02 0B BB",
         "03 10 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41"},
        {"cross source mix CS47048 order",
         [](DspDevice& d) { d.Cross_Source_Mix_Ctrl_CS47048(0, 1, 2, 3, 4, true); }, "01 4D BB",
         "00 01 03 04 02"},
        {"calibration mask", [](DspDevice& d) { d.IRC_Ctrl(1, 0x03FF, 2, true); }, "01 13 BB",
         "01 03 FF 02"},
        {"karaoke echo delay 300", [](DspDevice& d) { d.KTV_Set(KTV_ECHO_DELAY, 300, true); },
         "07 05 BB", "01 2C"},
        {"karaoke bass gain -3", [](DspDevice& d) { d.KTV_Set(KTV_BASS_GAIN, -3, true); },
         "07 09 BB", "FD"},
        {"input EQ band 3 on input 1",
         [](DspDevice& d) {
             d.Input_EQ_Ctrl(0, 0, 1, 3, 3, {{-6.0f, 0.5f, 250, 1}}, true);
         },
         "01 23 BB", "00 00 01 03 03 | 00 FA 00 05 0C 00"},
        {"main volume -12.7 dB: 6 - v = 18.7 truncates", [](DspDevice& d) { d.Main_Volume_Ctrl(-12.7f, true); },
         "01 02 BB", "12"},
        {"remote outputs", [](DspDevice& d) { d.Rem_Out_Ctrl(1, 0, true); }, "01 45 BB", "01 00"},
        {"link pairs",
         [](DspDevice& d) {
             d.CH_Link_Ctrl(0, 1, {{0, 1}, {2, 3}}, true);
         },
         "01 0E BB", "00 01 02 | 00 01 | 02 03"},
        {"bridge",
         [](DspDevice& d) {
             d.Output_Bridge_Ctrl(0, 0, {0, 1, 0, 0, 0}, true);
         },
         "01 4C BB", "00 00 05 | 00 01 00 00 00"},
        {"EQ reset",
         [](DspDevice& d) {
             d.PEQ_Reset_Ctrl(0, 0, {4, 5}, true);
         },
         "01 11 BB", "00 00 02 04 05"},
        {"filter", [](DspDevice& d) { d.Filter_Ctrl(0, 0, 9, 1, 2, 8000, 4, true); }, "01 05 BB",
         "00 00 09 01 02 1F 40 04"},
        {"speaker distance",
         [](DspDevice& d) {
             d.Spk_Dist_Ctrl(0, 0, 0, 1, {150, 300}, true);
         },
         "01 43 BB", "00 00 00 01 | 00 96 | 01 2C"},
        {"password", [](DspDevice& d) { d.SetPWD("1234", "hint"); }, "03 0D BB",
         "04 31 32 33 34 04 68 69 6E 74"},
        {"get EQ seven bands", [](DspDevice& d) { d.Get_EQ(0, 0, 2, 0, 6); }, "01 06 66",
         "00 00 02 00 06"},
        {"get mem data", [](DspDevice& d) { d.Get_MemData(0x1234); }, "01 42 66",
         "34 12 00 00 00 00 00 00"},
        {"get mix source 2", [](DspDevice& d) { d.Get_Mix_Source2(0, 2, 5); }, "01 47 66",
         "00 02 05 00 00 00"},
        {"scene read", [](DspDevice& d) { d.ReadScene(3, 255); }, "02 09 BB", "03 FF"},
        {"scene profile", [](DspDevice& d) { d.GetSceneProfile(2, 0x0102, 50); }, "02 0C 66",
         "02 01 02 32"},
    };
    for (const Row& r : rows) {
        size_t before = backend.Count();
        r.call(dev);
        ASSERT_EQ(backend.Count(), before + 1) << r.what;
        EXPECT_EQ(backend.LastHeader(), Hex(r.header)) << r.what;
        EXPECT_EQ(backend.LastData(), Hex(r.data)) << r.what;
    }
}

TEST_F(Encoders, MixMasksAreTwoBytesAboveEightInputs) {
    dev.SetDeviceProfile(98, 10, 12, 1, 0);
    dev.Mix_Ch_Ctrl(0, 0, 0, 1, {0x0801, 0x0002}, true);
    EXPECT_EQ(backend.LastData(), Hex("00 00 00 01 | 08 01 | 00 02"));
}

TEST_F(Encoders, TrimAsSignedByteWithoutAttenuation) {
    dev.SetDeviceProfile(98, 10, 8, 0, 0);
    dev.Trim_Ctrl(0, 0, 0, 1, {-3.0f, -2.0f}, true);
    EXPECT_EQ(backend.LastData(), Hex("00 00 00 01 | FD | FE"));
}

// Whatever a caller passes, the wire carries a value of the unit's range: nothing wraps
// around in a byte, and no conversion overflows.
TEST_F(Encoders, WildValuesGoOutAsTheNearestValueTheUnitTakes) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Row {
        const char* what;
        std::function<void(DspDevice&)> call;
        const char* data;
    };
    const std::vector<Row> rows = {
        {"volume far below -60 dB", [](DspDevice& d) { d.Main_Volume_Ctrl(-1000.0f, true); }, "42"},
        {"volume above +6 dB", [](DspDevice& d) { d.Main_Volume_Ctrl(1e30f, true); }, "00"},
        {"volume NaN: the quietest", [&](DspDevice& d) { d.Main_Volume_Ctrl(nan, true); }, "42"},
        {"trim far below -60 dB", [](DspDevice& d) { d.Trim_Ctrl(0, 0, 0, 0, {-500.0f}, true); },
         "00 00 00 00 | 3C 00"},
        {"trim above 0 dB", [&](DspDevice& d) { d.Trim_Ctrl(0, 0, 0, 0, {inf}, true); },
         "00 00 00 00 | 00 00"},
        {"negative delay", [](DspDevice& d) { d.Delay_Ctrl(0, 0, 0, 0, {-5.0f}, true); },
         "00 00 00 00 | 00 00 00"},
        {"delay beyond the maximum", [](DspDevice& d) { d.Delay_Ctrl(0, 0, 0, 0, {1e30f}, true); },
         "00 00 00 00 | 0F 00 00"},
        {"EQ band: infinite gain, NaN Q, frequency 0",
         [&](DspDevice& d) { d.EQ_Ctrl(0, 0, 1, 2, 0, nan, inf, true); },
         "00 00 01 02 | 00 14 00 05 1E 00"},
        {"EQ band: gain -inf, Q 1e30, frequency above 20 kHz",
         [&](DspDevice& d) { d.EQ_Ctrl(0, 0, 1, 2, 65535, 1e30f, -inf, true); },
         "00 00 01 02 | 4E 20 09 00 00 00"},
        {"input EQ band NaN", [&](DspDevice& d) { d.Input_EQ_Ctrl(0, 0, 1, 3, 3, {{nan, nan, 20, 1}}, true); },
         "00 00 01 03 03 | 00 14 00 05 00 00"},
    };
    for (const Row& r : rows) {
        r.call(dev);
        EXPECT_EQ(backend.LastData(), Hex(r.data)) << r.what;
    }
    // Fields without a row in the table of limits still convert without overflow.
    dev.Compressor_Ctrl(0, 0, 1, 0, inf, nan, -1e30f, 10, 100, true);
    EXPECT_FALSE(backend.LastData().empty());
}

TEST_F(Encoders, AutoSettingBlockIsSentWhole) {
    std::array<uint8_t, DspDevice::kAutoSettingBlockSize> block{};
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i);
    dev.CS_Auto_Setting_Ctrl(block, true);
    EXPECT_EQ(backend.LastData().size(), 52u);
    EXPECT_EQ(backend.LastHeader(), Hex("01 3D BB"));
}

TEST_F(Encoders, QueuedFormsAreDroppedWhileTheQueueIsDisabled) {
    ASSERT_TRUE(dev.WaitQueueIdle(10000));  // the worker has found its queue empty
    size_t before = backend.Count();
    dev.Get_Input_Noise(0, 7, false);
    dev.Get_Input_Threshold(0, 0, false);
    dev.Trim_Ctrl(0, 0, 0, 0, {-1.0f}, false);
    EXPECT_EQ(backend.Count(), before);
    EXPECT_TRUE(dev.QueueIdle());  // unchanged: nothing was queued
}

TEST_F(Encoders, CommandsThatDoNotFitAFrameAreRefused) {
    size_t before = backend.Count();
    dev.Delay_Ctrl(0, 0, 0, 19, std::vector<float>(20, 1.0f), true);  // 4 + 60 bytes
    EXPECT_EQ(backend.Count(), before);
}

TEST_F(Encoders, FractionDigitsSurviveBinaryRounding) {
    dev.EQ_Ctrl(0, 0, 0, 0, 100, 0.7f, -0.3f, true);  // 17.7 for the gain
    EXPECT_EQ(backend.LastData(), Hex("00 00 00 00 | 00 64 | 00 07 | 11 07"));
    dev.Trim_Ctrl(0, 0, 0, 0, {-0.29f}, true);
    EXPECT_EQ(backend.LastData(), Hex("00 00 00 00 | 00 1D"));
}
