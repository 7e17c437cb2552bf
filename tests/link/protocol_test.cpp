// The protocol functions on their own: frames from values in the user's units, postings
// and link state from reply frames, and the unit conversions in both directions.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/log.h"
#include "link/commands.h"
#include "link/protocol/decode.h"
#include "link/protocol/device.h"
#include "link/protocol/input.h"
#include "link/protocol/output.h"
#include "link/protocol/scene_mcu.h"
#include "link/protocol/units.h"
#include "support/hex.h"

using namespace dvdsp::link;
using namespace dvdsp::link::protocol;
using dvdsp::testing::Hex;

namespace {

DeviceProfile Attenuating() {
    return DeviceProfile{};  // trims travel as attenuation, eight inputs
}

DeviceProfile SignedTrim() {
    DeviceProfile p;
    p.trim_is_attenuation = 0;
    return p;
}

// Runs `fn` with the log written to a file of its own and returns what it wrote.
template <typename Fn>
std::string LogOf(Fn fn) {
    const auto path = std::filesystem::temp_directory_path() / "dvdsp_protocol_test.log";
    EXPECT_TRUE(LogOpen(path.string()));
    fn();
    LogCloseForTest();
    std::string log;
    {  // closed before it is removed (an open file cannot be removed on Windows)
        std::ifstream in(path, std::ios::binary);
        log.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove(path);
    return log;
}

}  // namespace

// ---- Main volume ---------------------------------------------------------------------

TEST(ProtocolMainVolume, TravelsAsSixMinusTheVolume) {
    const struct {
        float db;
        const char* wire;
    } rows[] = {{-60.0f, "42"}, {0.0f, "06"}, {6.0f, "00"}, {-5.0f, "0B"}};
    for (const auto& r : rows) {
        const Frame f = Main_Volume_Ctrl(r.db);
        EXPECT_EQ(f.type, CMD_DSP) << r.db;
        EXPECT_EQ(f.cmd, DSP_VOLUME) << r.db;
        EXPECT_EQ(f.op, OP_SET) << r.db;
        EXPECT_EQ(f.data, Hex(r.wire)) << r.db;
    }
}

TEST(ProtocolMainVolume, ReportedVolumeComesBackInDb) {
    for (int db : {-60, -5, 0, 6}) {
        const Frame sent = Main_Volume_Ctrl(static_cast<float>(db));
        const Frame report{CMD_DSP, DSP_VOLUME, OP_UPDATE, sent.data};
        LinkState state;
        Postings got = DecodeReply(report, Attenuating(), state);
        ASSERT_EQ(got.size(), 1u) << db;
        // The report carries the wire value; the one inverse turns it back into dB.
        EXPECT_EQ(units::MainVolumeFromWire(static_cast<int>(got[0].message.value)), db);
    }
}

TEST(ProtocolMainVolume, LogShowsTheValueOnTheWire) {
    const std::string log = LogOf([] { Main_Volume_Ctrl(-20.0f); });
    EXPECT_NE(log.find("Main_Volume_Ctrl gain:(26.0) \n"), std::string::npos) << log;
}

// ---- Trim ------------------------------------------------------------------------------

TEST(ProtocolTrim, GainTravelsAsAttenuationWithHundredths) {
    const Frame f = Trim_Ctrl(0, 0, 3, 3, {-3.25f}, Attenuating());
    EXPECT_EQ(f.cmd, DSP_TRIM_CH);
    EXPECT_EQ(f.data, Hex("00 00 03 03 03 19"));
    EXPECT_EQ(Trim_Ctrl(0, 0, 0, 0, {-0.29f}, Attenuating()).data, Hex("00 00 00 00 00 1D"));
}

TEST(ProtocolTrim, ZeroAndNegativeZeroTravelAndLogAsZero) {
    std::string log = LogOf([] {
        EXPECT_EQ(Trim_Ctrl(0, 0, 1, 1, {0.0f}, Attenuating()).data, Hex("00 00 01 01 00 00"));
        EXPECT_EQ(Trim_Ctrl(0, 0, 2, 2, {-0.0f}, Attenuating()).data, Hex("00 00 02 02 00 00"));
    });
    EXPECT_NE(log.find("Trim_Ctrl: scene(0), channel(1), trim(0.00)\n"), std::string::npos);
    EXPECT_NE(log.find("Trim_Ctrl: scene(0), channel(2), trim(0.00)\n"), std::string::npos);
    EXPECT_EQ(log.find("-0.00"), std::string::npos) << log;
}

TEST(ProtocolTrim, SignedByteUnitsTakeTheGainItself) {
    EXPECT_EQ(Trim_Ctrl(0, 0, 0, 1, {-3.0f, -12.0f}, SignedTrim()).data, Hex("00 00 00 01 FD F4"));
}

TEST(ProtocolTrim, ReportedTrimIsTheGainThatWasSent) {
    for (const DeviceProfile& profile : {Attenuating(), SignedTrim()}) {
        for (float gain : {0.0f, -0.5f, -3.25f, -12.0f, -59.0f}) {
            const Frame sent = Trim_Ctrl(0, 0, 4, 4, {gain}, profile);
            LinkState state;
            Postings got =
                DecodeReply(Frame{CMD_DSP, DSP_TRIM_CH, OP_UPDATE, sent.data}, profile, state);
            ASSERT_EQ(got.size(), 1u) << gain;
            const auto* r = got[0].message.As<ChannelFloat>();
            ASSERT_NE(r, nullptr);
            EXPECT_EQ(r->ch, 4);
            const float expected = profile.trim_is_attenuation ? gain : std::trunc(gain);
            EXPECT_FLOAT_EQ(r->value, expected) << gain;
            EXPECT_FALSE(std::signbit(r->value) && r->value == 0.0f) << "negative zero";
        }
    }
}

// ---- Ranged commands -------------------------------------------------------------------

TEST(ProtocolRanged, OneChannelCarriesOneValue) {
    EXPECT_EQ(Mute_Ch_Ctrl(1, 2, 7, 7, {1, 0, 1}).data, Hex("01 02 07 07 01"));
    EXPECT_EQ(Delay_Ctrl(0, 0, 3, 3, {2.5f}).data, Hex("00 00 03 03 02 01 F4"));
    EXPECT_EQ(Spk_Dist_Ctrl(0, 0, 9, 9, {300}).data, Hex("00 00 09 09 01 2C"));
}

TEST(ProtocolRanged, TenChannelsCarryTenValuesInOrderMissingOnesZero) {
    std::vector<uint8_t> phases = {1, 0, 1, 1, 0, 0, 1, 0, 1};  // one short
    EXPECT_EQ(Phase_Ctrl(0, 0, 0, 9, phases).data,
              Hex("00 00 00 09 01 00 01 01 00 00 01 00 01 00"));

    std::vector<float> trims(10);
    for (size_t i = 0; i < trims.size(); ++i) trims[i] = -static_cast<float>(i) - 0.5f;
    const Frame t = Trim_Ctrl(0, 0, 0, 9, trims, Attenuating());
    ASSERT_EQ(t.data.size(), 4u + 10u * 2u);
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(t.data[4 + 2 * i], i) << i;
        EXPECT_EQ(t.data[5 + 2 * i], 50) << i;
    }
    EXPECT_TRUE(FitsOneReport(t));

    const Frame m = Mix_Ch_Ctrl(0, 3, 0, 9, std::vector<uint16_t>(10, 0x0101), Attenuating());
    EXPECT_EQ(m.data.size(), 4u + 10u);  // one byte per mask with eight inputs
}

TEST(ProtocolRanged, EachChannelWritesItsLogLine) {
    const std::string log = LogOf([] { CH_Type_Ctrl(0, 5, 2, 3, {7, 8}); });
    EXPECT_NE(log.find("CH_Type_Ctrl scene(0), source(5), channel(2), t_ch_type(0x7)\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("CH_Type_Ctrl scene(0), source(5), channel(3), t_ch_type(0x8)\n"),
              std::string::npos)
        << log;
}

TEST(ProtocolRanged, EndBeforeStartCarriesTheRangeOnly) {
    EXPECT_EQ(Delay_Ctrl(0, 0, 5, 4, {1.0f, 2.0f}).data, Hex("00 00 05 04"));
}

TEST(ProtocolRanged, FramesLongerThanOneReportAreNotFit) {
    const Frame f = Delay_Ctrl(0, 0, 0, 19, std::vector<float>(20, 1.0f));
    EXPECT_EQ(f.data.size(), 64u);
    EXPECT_FALSE(FitsOneReport(f));
    EXPECT_TRUE(FitsOneReport(Delay_Ctrl(0, 0, 0, 16, std::vector<float>(17, 1.0f))));  // 55
}

// ---- Bands -------------------------------------------------------------------------------

TEST(ProtocolBands, InputBandsMissingTravelFlat) {
    const Frame f = Input_EQ_Ctrl(0, 0, 1, 3, 4, {{-6.0f, 0.5f, 250, 1}});
    EXPECT_EQ(f.data, Hex("00 00 01 03 04 | 00 FA 00 05 0C 00 | 03 E8 01 00 12 00"));
}

TEST(ProtocolBands, ReportedBandIsTheSharedBandType) {
    LinkState state;
    Postings got =
        DecodeReply(Frame{CMD_DSP, DSP_EQ_CH, OP_UPDATE, Hex("00 00 02 00 00 03 E8 01 32 15 05")},
                    Attenuating(), state);
    ASSERT_EQ(got.size(), 1u);
    const auto* r = got[0].message.As<EqBandValue>();
    ASSERT_NE(r, nullptr);
    const dvdsp::Band expected{3.5f, 1.5f, 1000, 1};
    EXPECT_EQ(static_cast<const dvdsp::Band&>(*r), expected);
}

// ---- Replies and link state --------------------------------------------------------------

TEST(ProtocolReplies, HandshakeWritesTheStatePassedIn) {
    LinkState state;
    Postings ok = DecodeReply(Frame{CMD_MCU, MCU_HANDSHAKE, OP_UPDATE, Hex("00 62 03 04")},
                              Attenuating(), state);
    ASSERT_EQ(ok.size(), 1u);
    EXPECT_EQ(ok[0].message.msg, WM_READ_MCU_VALUE);
    EXPECT_EQ(state.handshake_ok.load(), 1);
    EXPECT_EQ(state.model.load(), 0x62);
    EXPECT_EQ(state.master_version.load(), 3);
    EXPECT_EQ(state.slave_version.load(), 4);

    Postings refused = DecodeReply(Frame{CMD_MCU, MCU_HANDSHAKE, OP_UPDATE, Hex("F0 01 01 01")},
                                   Attenuating(), state);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].message.msg, WM_DEVICE_STATUS_UNNORMAL);
    EXPECT_EQ(state.handshake_ok.load(), 0);
    EXPECT_EQ(state.model.load(), 0x62);  // unchanged

    DecodeReply(Frame{CMD_MCU, MCU_BOOTLOADER_VER, OP_UPDATE, Hex("07")}, Attenuating(), state);
    EXPECT_EQ(state.bootloader_version.load(), 7);
}

TEST(ProtocolReplies, TargetsTravelWithThePostings) {
    LinkState state;
    Postings noise = DecodeReply(Frame{CMD_DSP, DSP_INPUT_NOISE, OP_UPDATE, Hex("00 00 64 05")},
                                 Attenuating(), state);
    ASSERT_EQ(noise.size(), 1u);
    EXPECT_EQ(noise[0].target, Target::Noise);
    DeviceProfile toMain;
    toMain.noise_to_main = 1;
    noise =
        DecodeReply(Frame{CMD_DSP, DSP_INPUT_NOISE, OP_UPDATE, Hex("00 00 64 05")}, toMain, state);
    ASSERT_EQ(noise.size(), 1u);
    EXPECT_EQ(noise[0].target, Target::Main);

    Postings id =
        DecodeReply(Frame{CMD_FLASH, FLASH_SCENE_ID, OP_UPDATE, Hex("03")}, Attenuating(), state);
    ASSERT_EQ(id.size(), 1u);
    EXPECT_EQ(id[0].target, Target::Scene);
    EXPECT_EQ(id[0].message.value, 3);
}

TEST(ProtocolReplies, UnknownTypesAndShortPacketsPostNothing) {
    LinkState state;
    EXPECT_TRUE(DecodeReply(Frame{5, 0x01, OP_UPDATE, Hex("01")}, Attenuating(), state).empty());
    EXPECT_TRUE(DecodeReply(Frame{CMD_DSP_DWRITE, 0x01, OP_UPDATE, Hex("01")}, Attenuating(), state)
                    .empty());
    std::array<uint8_t, kPayloadSize> payload{};
    EXPECT_TRUE(DecodeReply(2, CMD_DSP, payload.data(), Attenuating(), state).empty());
}
