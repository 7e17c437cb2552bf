// Output, global and input/mixer commands of the virtual unit at the byte level.
#include <random>

#include "emulator/unit_wire.h"

namespace dvdsp::emu {
namespace {

using namespace dvdsp::link;
using namespace dvdsp::emu::testing;

constexpr uint8_t kReady = ACK_READY;
constexpr uint8_t kNotReady = ACK_NOT_READY;

TEST(UnitGlobal, DefaultsAndRoundTrips) {
    VirtualUnit u;
    // Main volume -5 dB travels as 6 - v = 11; the amplifier is on, remote outputs on.
    EXPECT_EQ(GetDsp(u, DSP_VOLUME), (Bytes{11}));
    EXPECT_EQ(GetDsp(u, DSP_AMP_MUTE), (Bytes{0}));
    EXPECT_EQ(GetDsp(u, DSP_REM_OUT), (Bytes{1, 1}));
    EXPECT_EQ(GetDsp(u, DSP_SOURCE_SWITCH), (Bytes{81}));

    EXPECT_EQ(SetDsp(u, DSP_VOLUME, {30}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_VOLUME), (Bytes{30}));
    EXPECT_EQ(SetDsp(u, DSP_REM_OUT, {0, 1}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_REM_OUT), (Bytes{0, 1}));
    EXPECT_EQ(SetDsp(u, DSP_SEL_REMOTE_CH, {0x02, 0x01}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_SEL_REMOTE_CH), (Bytes{0x02, 0x01}));
    EXPECT_EQ(SetDsp(u, DSP_SOURCE_SWITCH, {86}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_SOURCE_SWITCH), (Bytes{86}));
    // A source code the unit does not have is refused and changes nothing.
    EXPECT_EQ(SetDsp(u, DSP_SOURCE_SWITCH, {5}), kNotReady);
    EXPECT_EQ(GetDsp(u, DSP_SOURCE_SWITCH), (Bytes{86}));
    // The automatic-effect switch is kept per source and read for the active one.
    EXPECT_EQ(SetDsp(u, DSP_AUTO_EFFECTION_ON_OFF_CONTROL, {5, 1}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_AUTO_EFFECTION_ON_OFF_CONTROL), (Bytes{1}));
    EXPECT_EQ(SetDsp(u, DSP_SOURCE_SWITCH, {81}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_AUTO_EFFECTION_ON_OFF_CONTROL), (Bytes{0}));

    Bytes config = GetDsp(u, DSP_SOURCE_CONFIG);
    EXPECT_EQ(config, (Bytes{9, 81, 82, 83, 84, 85, 86, 87, 88, 89}));
}

TEST(UnitGlobal, GoldenVolumeReport) {
    VirtualUnit u;
    SetDsp(u, DSP_VOLUME, {0x1E});
    auto replies = Send(u, CMD_DSP, DSP_VOLUME, OP_GET);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0], (Packet{0xAA, 0x55, 0x04, 0x01, 0x02, 0xDD, 0x1E, 0xFE}));
}

TEST(UnitGlobal, MemoryWords) {
    VirtualUnit u;
    // Set_MemData for address 0x1234 and data 0xFF; other addresses read 0.
    EXPECT_EQ(SetDsp(u, DSP_MEM_DATA, {0x34, 0x12, 0, 0, 0xFF, 0, 0, 0}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_MEM_DATA, {0x34, 0x12, 0, 0, 0, 0, 0, 0}),
              (Bytes{0x34, 0x12, 0, 0, 0xFF, 0, 0, 0}));
    EXPECT_EQ(GetDsp(u, DSP_MEM_DATA, {0x38, 0x12, 0, 0, 0, 0, 0, 0}),
              (Bytes{0x38, 0x12, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(u.MemoryWords(), 1u);
}

TEST(UnitOutput, DefaultsFollowTheRoles) {
    VirtualUnit u;
    EXPECT_EQ(GetDsp(u, DSP_CH_TYPE, {0, 0, 0, 9}),
              (Bytes{0, 0, 0, 9, 6, 12, 15, 18, 19, 20, 14, 17, 22, 23}));
    // Channel 8 (subwoofer left): high-pass 30 Hz slope 4, low-pass 50 Hz slope 2, type 1.
    EXPECT_EQ(GetDsp(u, DSP_FILTER_SET, {0, 0, 8, 8}),
              (Bytes{0, 0, 8, 8, 1, 0, 30, 4, 1, 0, 50, 2}));
    // Band 17 is 1000 Hz, Q 5.8, 0 dB (18.0 on the wire).
    EXPECT_EQ(GetDsp(u, DSP_EQ_CH, {0, 0, 3, 17, 17}),
              (Bytes{0, 0, 3, 17, 17, 0x03, 0xE8, 5, 80, 18, 0}));
}

TEST(UnitOutput, RangedSetThenGet) {
    VirtualUnit u;
    // Delay 2.5 ms on channel 1, 0.021 ms on channel 2.
    EXPECT_EQ(SetDsp(u, DSP_DELAY_CH, {0, 0, 1, 2, 2, 0x01, 0xF4, 0, 0, 0x15}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_DELAY_CH, {0, 0, 0, 2}),
              (Bytes{0, 0, 0, 2, 0, 0, 0, 2, 0x01, 0xF4, 0, 0, 0x15}));
    // Trim as attenuation 3.25 dB.
    EXPECT_EQ(SetDsp(u, DSP_TRIM_CH, {0, 0, 4, 4, 0x03, 0x19}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_TRIM_CH, {0, 0, 4, 4}), (Bytes{0, 0, 4, 4, 0x03, 0x19}));
    for (uint8_t cmd : {DSP_MUTE_CH, DSP_PHASE_CH, DSP_CH_SOLO, DSP_EQ_BYPASS, DSP_HPF_Q_FACT_MODE,
                        DSP_LPF_Q_FACT_MODE, DSP_COMPRESSOR_ON_CH, DSP_CH_TYPE}) {
        EXPECT_EQ(SetDsp(u, cmd, {0, 0, 7, 9, 1, 0, 1}), kReady) << int(cmd);
        EXPECT_EQ(GetDsp(u, cmd, {0, 0, 7, 9}), (Bytes{0, 0, 7, 9, 1, 0, 1})) << int(cmd);
    }
    EXPECT_EQ(SetDsp(u, DSP_SPK_DIST, {0, 0, 0, 0, 0x12, 0x34}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_SPK_DIST, {0, 0, 0, 0}), (Bytes{0, 0, 0, 0, 0x12, 0x34}));
    // A stored scene's values are separate from the live ones.
    EXPECT_EQ(SetDsp(u, DSP_MUTE_CH, {3, 0, 0, 0, 1}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_MUTE_CH, {3, 0, 0, 0}), (Bytes{3, 0, 0, 0, 1}));
    EXPECT_EQ(GetDsp(u, DSP_MUTE_CH, {0, 0, 0, 0}), (Bytes{0, 0, 0, 0, 0}));
}

TEST(UnitOutput, EqQualityGoesOutInTenthsAndComesBackInHundredths) {
    VirtualUnit u;
    // Band 5 of channel 2 to 1000 Hz, Q 2.5, gain +3.5 dB.
    EXPECT_EQ(SetDsp(u, DSP_EQ_CH, {0, 0, 2, 5, 0x03, 0xE8, 0x02, 0x05, 0x15, 0x05}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_EQ_CH, {0, 0, 2, 5, 5}),
              (Bytes{0, 0, 2, 5, 5, 0x03, 0xE8, 0x02, 0x32, 0x15, 0x05}));
    // Input EQ: band 3 of input 1 to 250 Hz, Q 0.5, -6 dB.
    EXPECT_EQ(SetDsp(u, DSP_INPUT_EQ_CH, {0, 0, 1, 3, 3, 0x00, 0xFA, 0x00, 0x05, 0x0C, 0x00}),
              kReady);
    EXPECT_EQ(GetDsp(u, DSP_INPUT_EQ_CH, {0, 0, 1, 3, 3}),
              (Bytes{0, 0, 1, 3, 3, 0x00, 0xFA, 0x00, 0x32, 0x0C, 0x00}));
}

TEST(UnitOutput, FiltersAndCompressors) {
    VirtualUnit u;
    // Filter 1 is the low-pass, filter 2 the high-pass.
    EXPECT_EQ(SetDsp(u, DSP_FILTER_SET, {0, 0, 3, 1, 2, 0x0B, 0xB8, 4}), kReady);
    EXPECT_EQ(SetDsp(u, DSP_FILTER_SET, {0, 0, 3, 2, 1, 0x00, 0x50, 3}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_FILTER_SET, {0, 0, 3, 3}),
              (Bytes{0, 0, 3, 3, 1, 0x00, 0x50, 3, 2, 0x0B, 0xB8, 4}));
    EXPECT_EQ(SetDsp(u, DSP_FILTER_SET, {0, 0, 3, 7, 2, 0x0B, 0xB8, 4}), kNotReady);

    // Compressor_Ctrl threshold -20.5 dB (79.5), ratio 4.5, knee 2.0, attack 30, release 300.
    EXPECT_EQ(
        SetDsp(u, DSP_COMPRESSOR_SETTING, {0, 0, 2, 0, 0x4F, 0x05, 4, 5, 2, 0, 0, 30, 0x01, 0x2C}),
        kReady);
    EXPECT_EQ(GetDsp(u, DSP_COMPRESSOR_SETTING, {0, 0, 2, 2}),
              (Bytes{0, 0, 2, 2, 0, 0x4F, 0x05, 4, 5, 2, 0, 0, 30, 0x01, 0x2C}));
    // Compressor_Ctrl2 threshold -20.5 dB (EC FB), release 1200 ms (01 02).
    EXPECT_EQ(SetDsp(u, DSP_COMPRESSOR_SETTING2, {0, 0, 6, 6, 0xEC, 0xFB, 0, 20, 1, 2}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_COMPRESSOR_SETTING2, {0, 0, 6, 6}),
              (Bytes{0, 0, 6, 6, 0xEC, 0xFB, 0, 20, 1, 2}));
}

TEST(UnitOutput, RangesAreBoundedToTheUnitAndThePacket) {
    VirtualUnit u;
    // The read-out asks filters for 8-11: the unit has 0-9.
    Bytes f = GetDsp(u, DSP_FILTER_SET, {0, 0, 8, 11});
    EXPECT_EQ(f[3], 9);
    EXPECT_EQ(f.size(), 4u + 2 * 8);
    // All ten filters do not fit one packet: six do.
    f = GetDsp(u, DSP_FILTER_SET, {0, 0, 0, 9});
    EXPECT_EQ(f[3], 5);
    // EQ: at most eight bands per reply.
    Bytes e = GetDsp(u, DSP_EQ_CH, {0, 0, 0, 0, 30});
    EXPECT_EQ(e[4], 7);
    EXPECT_EQ(e.size(), 5u + 8 * 6);
    // An inverted range carries no values; a range past the channels neither.
    EXPECT_EQ(GetDsp(u, DSP_MUTE_CH, {0, 0, 5, 2}), (Bytes{0, 0, 5, 2}));
    EXPECT_EQ(GetDsp(u, DSP_MUTE_CH, {0, 0, 12, 15}).size(), 4u);
    // Scenes beyond the ten stored ones are not answered, and sets to them refused.
    EXPECT_FALSE(Ask(u, CMD_DSP, DSP_MUTE_CH, OP_GET, {11, 0, 0, 9}).present);
    EXPECT_EQ(SetDsp(u, DSP_MUTE_CH, {11, 0, 0, 0, 1}), kNotReady);
    // A set whose range is longer than its data stores what it carries.
    EXPECT_EQ(SetDsp(u, DSP_MUTE_CH, {0, 0, 0, 255, 1, 1}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_MUTE_CH, {0, 0, 0, 2}), (Bytes{0, 0, 0, 2, 1, 1, 0}));
}

TEST(UnitOutput, GroupsLockBridgeAndReset) {
    VirtualUnit u;
    EXPECT_EQ(SetDsp(u, DSP_CH_LINK, {0, 1, 2, 0, 1, 2, 3}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_CH_LINK, {0}), (Bytes{0, 1, 0x01, 0x23, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(SetDsp(u, DSP_CH_DELAY_LINK, {0, 1, 1, 8, 9}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_CH_DELAY_LINK, {0}), (Bytes{0, 1, 0x89, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(GetDsp(u, DSP_CH_TRIM_LINK, {0}), (Bytes{0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(SetDsp(u, DSP_CH_LOCK, {0, 1}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_CH_LOCK, {0}), (Bytes{0, 1}));
    EXPECT_EQ(SetDsp(u, DSP_OUPUT_BRIDGE, {0, 0, 5, 0, 1, 0, 0, 1}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_OUPUT_BRIDGE, {0, 0, 5}), (Bytes{0, 0, 5, 0, 1, 0, 0, 1}));
    EXPECT_EQ(GetDsp(u, DSP_OUPUT_BRIDGE, {0, 0, 40}), (Bytes{0, 0, 5, 0, 1, 0, 0, 1}));

    SetDsp(u, DSP_EQ_CH, {0, 0, 4, 0, 0x00, 0x64, 0x01, 0x00, 0x0A, 0x00});
    EXPECT_EQ(SetDsp(u, DSP_EQ_RESET, {0, 0, 1, 4}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_EQ_CH, {0, 0, 4, 0, 0}), (Bytes{0, 0, 4, 0, 0, 0, 20, 5, 80, 18, 0}));
}

TEST(UnitMixer, PerSourceValues) {
    VirtualUnit u;
    // Default routing of source 5 and of source 0, outputs 0-9.
    EXPECT_EQ(GetDsp(u, DSP_MIX_CH, {0, 5, 0, 9}),
              (Bytes{0, 5, 0, 9, 1, 2, 4, 8, 3, 3, 1, 2, 1, 2}));
    EXPECT_EQ(GetDsp(u, DSP_MIX_CH, {0, 0, 0, 9}),
              (Bytes{0, 0, 0, 9, 1, 2, 1, 2, 3, 3, 1, 2, 1, 2}));
    // Default mix trims: 100 on outputs 0-3, 75 on 4-9 where routed.
    EXPECT_EQ(GetDsp(u, DSP_INPUT_MIX_CH_TRIM, {0, 0, 1, 0, 9}),
              (Bytes{0, 0, 1, 0, 9, 0, 100, 0, 100, 75, 75, 0, 75, 0, 75}));
    EXPECT_EQ(SetDsp(u, DSP_INPUT_MIX_CH_TRIM, {0, 2, 0, 3, 4, 0xFA, 6}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_INPUT_MIX_CH_TRIM, {0, 2, 0, 3, 4}), (Bytes{0, 2, 0, 3, 4, 0xFA, 6}));
    EXPECT_EQ(GetDsp(u, DSP_INPUT_MIX_CH_TRIM, {0, 3, 0, 3, 4}), (Bytes{0, 3, 0, 3, 4, 0, 75}));
    // Mix trims seen from one output.
    EXPECT_EQ(SetDsp(u, DSP_INPUT_MIX_CH_TRIM2, {0, 2, 0, 1, 9, 11, 12}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_INPUT_MIX_CH_TRIM, {0, 2, 1, 9, 9}), (Bytes{0, 2, 1, 9, 9, 12}));

    EXPECT_EQ(SetDsp(u, DSP_MIX_CH, {0, 7, 2, 2, 0x03}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_MIX_CH, {0, 7, 2, 2}), (Bytes{0, 7, 2, 2, 3}));
    EXPECT_EQ(SetDsp(u, DSP_INPUT_CH_PHASE, {0, 3, 1, 1, 1}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_INPUT_CH_PHASE, {0, 3, 0, 7}),
              (Bytes{0, 3, 0, 7, 0, 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(SetDsp(u, DSP_MIX_TYPE2, {0, 4, 2}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_MIX_TYPE2, {0, 4}), (Bytes{0, 4, 2}));
    EXPECT_EQ(GetDsp(u, DSP_MIX_TYPE, {0, 4}), (Bytes{0, 4, 0}));
    // Cross-source feeds: default source 9, channel 0, gain 0 dB (32).
    EXPECT_EQ(GetDsp(u, DSP_CROSS_SOURCE_MIX, {0, 1, 0, 0, 0, 0}), (Bytes{0, 1, 0, 9, 0, 32}));
    EXPECT_EQ(SetDsp(u, DSP_CROSS_SOURCE_MIX, {0, 1, 1, 3, 0, 38}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_CROSS_SOURCE_MIX, {0, 1, 1, 0, 0, 0}), (Bytes{0, 1, 1, 3, 0, 38}));
    EXPECT_EQ(SetDsp(u, DSP_CROSS_SOURCE_MIX_CS47048, {0, 1, 3, 4, 2}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_CROSS_SOURCE_MIX_CS47048, {0, 1, 0, 0, 2}), (Bytes{0, 1, 3, 4, 2}));
    EXPECT_EQ(SetDsp(u, DSP_MIX_CH, {0, 9, 0, 0, 1}), kNotReady);  // no source 9
    EXPECT_EQ(SetDsp(u, DSP_INPUT_THRESHOLD, {0xD8}), kReady);
    EXPECT_EQ(GetDsp(u, DSP_INPUT_THRESHOLD, {0, 0}), (Bytes{0xD8}));
}

TEST(UnitMixer, MovingValuesAreRepeatable) {
    link::ManualClock clock(5000);
    VirtualUnit a(clock), b(clock);
    Bytes noise = GetDsp(a, DSP_INPUT_NOISE, {0, 15});
    ASSERT_EQ(noise.size(), 2u + 2 * 8);  // eight inputs
    EXPECT_EQ(noise[1], 7);
    EXPECT_EQ(noise, GetDsp(b, DSP_INPUT_NOISE, {0, 15}));
    for (size_t i = 2; i < noise.size(); i += 2) {
        const double level = noise[i] - 100 + noise[i + 1] / 10.0;
        EXPECT_GE(level, -80.0);
        EXPECT_LT(level, -60.0);
        EXPECT_LT(noise[i + 1], 10);
    }
    Bytes clips = GetDsp(a, DSP_OUTPUT_CH_DISTORT, {0, 2, 0, 9});
    EXPECT_EQ(clips.size(), 3u + 10);
    EXPECT_EQ(clips[0], 2);  // the source comes first
    EXPECT_EQ(clips, GetDsp(b, DSP_OUTPUT_CH_DISTORT, {0, 2, 0, 9}));
    EXPECT_EQ(GetDsp(a, DSP_INPUT_CH_DISTORT, {0, 2, 0, 9}).size(), 3u + 8);
    // Over a minute every output clips now and then, and not always.
    int set = 0;
    for (int s = 0; s < 60; ++s, clock.Advance(1000))
        for (size_t i = 3; i < 13; ++i) set += GetDsp(a, DSP_OUTPUT_CH_DISTORT, {0, 0, 0, 9})[i];
    EXPECT_GT(set, 0);
    EXPECT_LT(set, 600);
}

TEST(UnitRobustness, RandomFramesNeverOverrunAndAlwaysFitAPacket) {
    VirtualUnit u;
    std::mt19937 rng(1234);
    const uint8_t types[] = {CMD_DSP, CMD_FLASH, CMD_MCU, CMD_KTV, CMD_DSP_DWRITE, 9};
    for (int i = 0; i < 20000; ++i) {
        Bytes data(rng() % 58);
        for (auto& b : data) b = static_cast<uint8_t>(rng() % 4 == 0 ? 0xFF : rng() % 40);
        const uint8_t type = types[rng() % 6];
        const uint8_t cmd = static_cast<uint8_t>(rng() % 4 == 0 ? rng() % 256 : rng() % 0x50);
        const uint8_t op = (rng() & 1) ? OP_GET : OP_SET;
        for (const Packet& p : Send(u, type, cmd, op, data)) {
            ASSERT_GE(p.size(), 7u);
            ASSERT_LE(p[2], kMaxReplyLen);
            ASSERT_EQ(p.size(), p[2] + 4u);
        }
    }
    // Malformed reports: short, bad sync, bad length, bad checksum.
    const uint8_t shortOne[] = {0xAA, 0x55, 0x03};
    EXPECT_TRUE(u.HandleReport(shortOne, sizeof shortOne).empty());
    auto r = BuildCommandReport(CMD_DSP, DSP_VOLUME, OP_GET, nullptr, 0);
    r[7] ^= 1;
    EXPECT_TRUE(u.HandleReport(r.data() + 1, 64).empty());
    r = BuildCommandReport(CMD_DSP, DSP_VOLUME, OP_GET, nullptr, 0);
    r[3] = 200;
    EXPECT_TRUE(u.HandleReport(r.data() + 1, 64).empty());
    EXPECT_GE(u.MalformedReports(), 3u);
}

}  // namespace
}  // namespace dvdsp::emu
