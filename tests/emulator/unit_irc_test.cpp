// Calibration runs of the virtual unit, driven by a manual clock.
#include <algorithm>

#include "emulator/signal_model.h"
#include "emulator/unit_wire.h"

namespace dvdsp::emu {
namespace {

using namespace dvdsp::link;
using namespace dvdsp::emu::testing;

struct Status {
    uint8_t status, channel, progress, failCode;
};

Status Poll(VirtualUnit& u) {
    Bytes d = GetDsp(u, DSP_IRC_CTRL);
    EXPECT_EQ(d.size(), 5u);
    return Status{d[0], d[1], d[3], d[4]};
}

class Irc : public ::testing::Test {
  protected:
    ManualClock clock{1000};
    VirtualUnit unit{clock};
    void SetUp() override { unit.SetCalibrationStepMs(100); }
    uint8_t Start(uint16_t mask) {
        return SetDsp(unit, DSP_IRC_CTRL,
                      {1, static_cast<uint8_t>(mask >> 8), static_cast<uint8_t>(mask), 0});
    }
    // Polls as the program does, reading each channel's data when offered, until the run ends.
    Status RunToEnd() {
        Status s{};
        for (int i = 0; i < 200; ++i) {
            s = Poll(unit);
            if (s.status >= IRC_RET_TEST_DONE) break;
            if (s.status == IRC_RET_SPEAKER_RTA_UPDATE) GetDsp(unit, DSP_IRC_SPECTRUM, {s.channel, 117, 120});
            if (s.status == IRC_RET_EQ_DATA_UPDATE) GetDsp(unit, DSP_IRC_EQ, {s.channel, 6, 10});
            clock.Advance(100);
        }
        return s;
    }
};

TEST_F(Irc, RunAdvancesThroughTheStatusCodes) {
    EXPECT_EQ(Start(0x0005), ACK_READY);  // channels 0 and 2
    std::vector<std::pair<uint8_t, uint8_t>> seen;
    int lastProgress = -1;
    for (int i = 0; i < 60; ++i) {
        Status s = Poll(unit);
        EXPECT_GE(s.progress, lastProgress);
        lastProgress = s.progress;
        if (seen.empty() || seen.back() != std::make_pair(s.status, s.channel))
            seen.emplace_back(s.status, s.channel);
        if (s.status == IRC_RET_TEST_DONE) break;
        clock.Advance(100);
    }
    // The data updates wait for their data: without a read the run stays there.
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), std::make_pair(uint8_t{IRC_RET_SPEAKER_RTA_UPDATE}, uint8_t{0}));
    for (int i = 0; i < 60; ++i) {
        Status s = Poll(unit);
        if (seen.back() != std::make_pair(s.status, s.channel)) seen.emplace_back(s.status, s.channel);
        if (s.status == IRC_RET_TEST_DONE) break;
        if (s.status == IRC_RET_SPEAKER_RTA_UPDATE) GetDsp(unit, DSP_IRC_SPECTRUM, {s.channel, 117, 120});
        if (s.status == IRC_RET_EQ_DATA_UPDATE) GetDsp(unit, DSP_IRC_EQ, {s.channel, 6, 10});
        clock.Advance(100);
    }
    const std::vector<std::pair<uint8_t, uint8_t>> expected = {
        {0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0},
        {7, 0}, {8, 0}, {6, 2}, {7, 2}, {8, 2}, {9, 0}, {10, 0}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(Poll(unit).progress, 100);

    // Results of a measured channel; an unmeasured one reads zero. Channel 0 (front left)
    // sits 95 cm away, channel 2 (rear left) 176 cm.
    EXPECT_EQ(GetDsp(unit, DSP_IRC_DISTANCE, {2, 3}), (Bytes{2, 3, 1, 76, 0, 0}));
    EXPECT_EQ(GetDsp(unit, DSP_IRC_DISTANCE, {0, 0}), (Bytes{0, 0, 0, 95}));
    EXPECT_EQ(GetDsp(unit, DSP_IRC_TRIM, {0, 2}), (Bytes{0, 2, 5, 0, 0}));
    Bytes spectrum = GetDsp(unit, DSP_IRC_SPECTRUM, {0, 108, 120});
    EXPECT_EQ(spectrum[2], 118);  // eleven points fit one reply
    spectrum = GetDsp(unit, DSP_IRC_SPECTRUM, {0, 117, 120});
    ASSERT_EQ(spectrum.size(), 3u + 4 * 5);
    EXPECT_EQ((spectrum[3 + 15] << 8 | spectrum[3 + 16]), 19834);  // point 120: 19834.87 Hz
    EXPECT_EQ(spectrum[3 + 17], 87);
    EXPECT_EQ(static_cast<int8_t>(spectrum[3 + 18]),
              IrcSpectrumLevel100(SpeakerFor(6, 0), 0, 19834.87) / 100);
    Bytes eq = GetDsp(unit, DSP_IRC_EQ, {2, 6, 10});
    ASSERT_EQ(eq.size(), 3u + 5 * 6);
    EXPECT_EQ((eq[3 + 24] << 8 | eq[3 + 25]), 20000);  // band 10
    const int gain10 = 180 + IrcBandGain10(SpeakerFor(15, 2), 2, 10);  // dB + 18, tenths
    EXPECT_EQ(eq[3 + 28] * 10 + eq[3 + 29], gain10);

    // Apply: the live channels take the measured delay, trim and bands.
    EXPECT_EQ(SetDsp(unit, DSP_IRC_CTRL, {2, 0, 0, 0}), ACK_READY);
    EXPECT_EQ(GetDsp(unit, DSP_TRIM_CH, {0, 0, 0, 0}), (Bytes{0, 0, 0, 0, 5, 0}));
    EXPECT_EQ(GetDsp(unit, DSP_TRIM_CH, {0, 0, 2, 2}), (Bytes{0, 0, 2, 2, 0, 0}));  // the farthest
    EXPECT_EQ(GetDsp(unit, DSP_DELAY_CH, {0, 0, 2, 2}), (Bytes{0, 0, 2, 2, 0, 0, 0}));
    Bytes delay0 = GetDsp(unit, DSP_DELAY_CH, {0, 0, 0, 0});
    EXPECT_EQ((delay0[4] * 1000 + (delay0[5] << 8 | delay0[6])), (176 - 95) * 10000 / 343);
    Bytes live = GetDsp(unit, DSP_EQ_CH, {0, 0, 2, 10, 10});
    EXPECT_TRUE(std::equal(live.begin() + 5, live.end(), eq.begin() + 3 + 24));
    // A result is applied or discarded once.
    EXPECT_EQ(SetDsp(unit, DSP_IRC_CTRL, {3, 0, 0, 0}), ACK_NOT_READY);
}

TEST_F(Irc, MeasurementsFollowTheSpeakerRole) {
    // A tweeter (role 19, from 3400 Hz) is heard far below its band and gets no correction
    // there; a full-range speaker is heard everywhere.
    const SpeakerModel tweeter = SpeakerFor(19, 4), full = SpeakerFor(6, 0);
    EXPECT_LT(IrcSpectrumLevel100(tweeter, 4, 200), IrcSpectrumLevel100(tweeter, 4, 8000) - 3000);
    EXPECT_GT(IrcSpectrumLevel100(full, 0, 200), IrcSpectrumLevel100(full, 0, 8000) - 800);
    for (int b = 0; b < kIrcBands; ++b) {
        if (IrcBandFreq(b) < 3400) {
            EXPECT_EQ(IrcBandGain10(tweeter, 4, b), 0) << b;
        }
        EXPECT_GE(IrcBandGain10(full, 0, b), -90);
        EXPECT_LE(IrcBandGain10(full, 0, b), 60);
    }
    // The correction turns the cabin's colouring round: where the cabin lifts, the band cuts.
    int cuts = 0, lifts = 0;
    for (int b = 0; b < kIrcBands; ++b) {
        const int g = IrcBandGain10(full, 0, b);
        cuts += g < 0;
        lifts += g > 0;
    }
    EXPECT_GT(cuts, 0);
    EXPECT_GT(lifts, 0);
    // The subwoofer in the boot is the farthest; the nearer a speaker, the more it is turned down.
    EXPECT_GT(SpeakerFor(22, 8).distanceCm, SpeakerFor(15, 2).distanceCm);
    EXPECT_GT(IrcTrimDb(80, 240), IrcTrimDb(170, 240));
    EXPECT_EQ(IrcTrimDb(240, 240), 0);
}

TEST_F(Irc, StopEndsTheRunWithExitAndNoResult) {
    Start(0x0001);
    clock.Advance(250);
    EXPECT_EQ(Poll(unit).status, IRC_RET_LEVEL_TEST);
    EXPECT_EQ(SetDsp(unit, DSP_IRC_CTRL, {0, 0, 0, 0}), ACK_READY);
    clock.Advance(10000);
    EXPECT_EQ(Poll(unit).status, IRC_RET_TEST_EXIT);
    EXPECT_EQ(SetDsp(unit, DSP_IRC_CTRL, {2, 0, 0, 0}), ACK_NOT_READY);
}

TEST_F(Irc, DiscardLeavesTheLiveSettings) {
    Start(0x0200);
    EXPECT_EQ(RunToEnd().status, IRC_RET_TEST_DONE);
    const Scene before = unit.State().scenes[0];
    EXPECT_EQ(SetDsp(unit, DSP_IRC_CTRL, {3, 0, 0, 0}), ACK_READY);
    EXPECT_TRUE(unit.State().scenes[0] == before);
}

TEST_F(Irc, ChosenFailureCodeIsReported) {
    unit.SetCalibrationFailure(4);  // IRC_FAIL_TRIM
    Start(0x0003);
    clock.Advance(350);
    EXPECT_EQ(Poll(unit).status, IRC_RET_DELAY_TEST);
    clock.Advance(100);
    Status s = Poll(unit);
    EXPECT_EQ(s.status, IRC_RET_TEST_FAIL);
    EXPECT_EQ(s.failCode, 4);
    clock.Advance(100000);
    EXPECT_EQ(Poll(unit).status, IRC_RET_TEST_FAIL);
    EXPECT_EQ(SetDsp(unit, DSP_IRC_CTRL, {2, 0, 0, 0}), ACK_NOT_READY);

    // No channel selected: no speaker.
    unit.SetCalibrationFailure(-1);
    Start(0);
    s = Poll(unit);
    EXPECT_EQ(s.status, IRC_RET_TEST_FAIL);
    EXPECT_EQ(s.failCode, 2);
}

TEST_F(Irc, SwitchesAreAcknowledged) {
    EXPECT_EQ(SetDsp(unit, DSP_IRC_SEL_TEST_MODULE, {5}), ACK_READY);
    EXPECT_EQ(SetDsp(unit, DSP_IRC_TEST_MIC, {1}), ACK_READY);
    EXPECT_EQ(SetDsp(unit, DSP_IRC_ACTIVE_BYPASS_CONTROL, {2, 1}), ACK_READY);
    EXPECT_EQ(SetDsp(unit, DSP_IRC_ACTIVE_BYPASS_CONTROL, {9, 1}), ACK_NOT_READY);
    EXPECT_EQ(unit.CalibrationState().modules, 5);
    EXPECT_EQ(SetDsp(unit, DSP_IRC_CTRL, {7, 0, 0, 0}), ACK_NOT_READY);
}

}  // namespace
}  // namespace dvdsp::emu
