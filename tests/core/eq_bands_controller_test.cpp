// Editing the bands of the current channel through the controller, against the virtual
// unit: the edit texts, the steps, the enable box, the bypass flag that follows the
// gains, the channels that follow an edit, and what the unit holds afterwards.
#include <cmath>

#include "core/part_helpers.h"
#include "core/controller_fixture.h"
#include "core/eq.h"
#include "link/commands.h"
#include "link/packet.h"

using namespace dvdsp;
using namespace dvdsp::core;
using dvdsp::testing::ControllerTest;

namespace {


// A band as the unit keeps it.
struct UnitBand {
    int freq, q100, gain10;
};
UnitBand UnitBandOf(emu::UnitState& s, int ch, int b) {
    const auto& band = s.scenes[0].out[Z(ch)].bands[Z(b)];
    return {band.freq, band.q100, band.gain10};
}
int Tenths(float gain) { return static_cast<int>(std::lround(gain * 10.0f)); }

class EqBands : public ControllerTest {
protected:
    size_t BandCommands() { return commands.Sent(link::CMD_DSP, link::DSP_EQ_CH).size(); }
    size_t BypassCommands() { return commands.Sent(link::CMD_DSP, link::DSP_EQ_BYPASS).size(); }
    EqBand& Band(int ch, int b) { return Live().eqStore[Z(ch)][Z(b)]; }
};

}  // namespace

TEST(EqTexts, FrequencyTextsInPlainAndThousandsForm) {
    int f = 0;
    ASSERT_TRUE(ParseFrequencyText("1k2", f));
    EXPECT_EQ(f, 1200);
    ASSERT_TRUE(ParseFrequencyText("2K5", f));
    EXPECT_EQ(f, 2500);
    ASSERT_TRUE(ParseFrequencyText("1k", f));
    EXPECT_EQ(f, 1000);
    ASSERT_TRUE(ParseFrequencyText("12k57", f)) << "only one digit of hundreds";
    EXPECT_EQ(f, 12500);
    ASSERT_TRUE(ParseFrequencyText("80Hz", f)) << "the filter edits show a unit";
    EXPECT_EQ(f, 80);
    ASSERT_TRUE(ParseFrequencyText("25000", f));
    EXPECT_EQ(f, 25000) << "the range is the caller's";
    EXPECT_FALSE(ParseFrequencyText("k5", f));
    EXPECT_FALSE(ParseFrequencyText("", f));
    EXPECT_FALSE(ParseFrequencyText("-40", f));
}

TEST(EqTexts, LogarithmicStepsWithTheirDoubleStepAndEnds) {
    EXPECT_EQ(LogFrequencyStep(20000, true), 20000);
    EXPECT_EQ(LogFrequencyStep(20, false), 20);
    // Position 0 to 1: 20 x 1000^(1/200) = 20.7.
    EXPECT_EQ(LogFrequencyStep(20, true), 21);
    // 21 sits at position 1; position 2 is 21.4, again 21, so the step is taken twice.
    EXPECT_EQ(LogFrequencyStep(21, true), 22);
    EXPECT_EQ(LogFrequencyStep(22, false), 21);
    // 1000 Hz lies between positions 113 and 114.
    EXPECT_EQ(LogFrequencyStep(1000, true), 1026);
    EXPECT_EQ(LogFrequencyStep(1000, false), 957);
    EXPECT_EQ(LogFrequencyStep(19500, true), 20000);
}

TEST_F(EqBands, EditTextsAreReadLimitedAndSent) {
    ConnectAndReadOut();
    ASSERT_EQ(Live().currOutChannel, 0);
    commands.Clear();
    mgr.SetChEqEdit(5, "1k2", "2.5", "3.04");
    EXPECT_EQ(Band(0, 5).freq, 1200);
    EXPECT_FLOAT_EQ(Band(0, 5).q, 2.5f);
    EXPECT_EQ(Tenths(Band(0, 5).gain), 30) << "the gain goes through the slider's tenths";
    EXPECT_EQ(view.Last(What::Band, 0).band, 5);
    EXPECT_EQ(view.curveUpdates.back(), 5) << "the curves are handed over with the band selected";

    // Out of range: the frequency is refused and shown again; nothing else happens.
    view.changes.clear();
    mgr.SetChEqEdit(5, "25000", "1.0", "6");
    EXPECT_EQ(Band(0, 5).freq, 1200);
    EXPECT_EQ(Tenths(Band(0, 5).gain), 30);
    EXPECT_EQ(view.Last(What::Band, 0).band, 5) << "the stored frequency is shown again";

    // Q and gain are limited to their ranges.
    mgr.SetChEqEdit(6, "40", "20", "-30");
    EXPECT_FLOAT_EQ(Band(0, 6).q, 9.0f);
    EXPECT_EQ(Tenths(Band(0, 6).gain), -180);
    mgr.SetChEqEdit(7, "50", "0.1", "99");
    EXPECT_FLOAT_EQ(Band(0, 7).q, 0.5f);
    EXPECT_EQ(Tenths(Band(0, 7).gain), 120);
    // Bands beyond the channel's band count and beyond the storage are left alone.
    Live().channels[0].eqSize = 12;
    mgr.SetChEqEdit(12, "1000", "1", "3");
    mgr.SetChEqEdit(31, "1000", "1", "3");
    EXPECT_EQ(Tenths(Band(0, 12).gain), 0);
    Drain();
    EXPECT_EQ(BandCommands(), 3u);
    Unit([](emu::UnitState& s) {
        const UnitBand b5 = UnitBandOf(s, 0, 5);
        EXPECT_EQ(b5.freq, 1200);
        EXPECT_EQ(b5.q100, 250);
        EXPECT_EQ(b5.gain10, 210);
        EXPECT_EQ(UnitBandOf(s, 0, 6).gain10, 0);
        EXPECT_EQ(UnitBandOf(s, 0, 6).q100, 900);
        EXPECT_EQ(UnitBandOf(s, 0, 7).gain10, 300);
        return 0;
    });
}

TEST_F(EqBands, TheBypassFlagFollowsTheGains) {
    ConnectAndReadOut();
    commands.Clear();
    mgr.SetEqSlider(3, 50);
    EXPECT_EQ(Live().channels[0].bypass, 0);
    EXPECT_EQ(view.Last(What::BypassButton, 0).value, 0);
    // Every band back at 0 dB: the channel counts as bypassed.
    mgr.SetEqSlider(3, 0);
    EXPECT_EQ(Live().channels[0].bypass, 1);
    EXPECT_EQ(view.Last(What::BypassButton, 0).value, 1) << "the button offers to restore";
    Drain();
    EXPECT_EQ(BypassCommands(), 1u) << "sent only when it changed";
    EXPECT_EQ(Unit([](emu::UnitState& s) { return s.scenes[0].out[0].eqBypass; }), 1);
    // Raising one band clears it.
    mgr.SetEqGainUp(3, true);
    EXPECT_EQ(Tenths(Band(0, 3).gain), 1);
    EXPECT_EQ(Live().channels[0].bypass, 0);
    Drain();
    EXPECT_EQ(BypassCommands(), 2u);
    EXPECT_EQ(Unit([](emu::UnitState& s) { return s.scenes[0].out[0].eqBypass; }), 0);

    // Bands less than a whole dB in all leave the channel counted flat.
    mgr.SetEqSlider(4, 5);
    mgr.SetEqSlider(3, 0);
    EXPECT_EQ(Live().channels[0].bypass, 1);

    // An edit of a bypassed channel first puts its raised bands back to 0 dB.
    Band(0, 9).gain = 4.0f;
    mgr.SetChEqEdit(10, "10000", "1.0", "2");
    EXPECT_EQ(Tenths(Band(0, 9).gain), 0);
    EXPECT_EQ(Tenths(Band(0, 4).gain), 0);
    EXPECT_EQ(Live().channels[0].bypass, 0);
    Drain();
    Unit([](emu::UnitState& s) {
        EXPECT_EQ(UnitBandOf(s, 0, 4).gain10, 180);
        EXPECT_EQ(UnitBandOf(s, 0, 10).gain10, 200);
        EXPECT_EQ(s.scenes[0].out[0].eqBypass, 0);
        return 0;
    });
}

TEST_F(EqBands, StepsStopAtTheirEnds) {
    ConnectAndReadOut();
    Band(0, 2) = {1.0f, 9.0f, 20000, 1};
    Band(0, 3) = {1.0f, 0.52f, 20, 1};
    commands.Clear();
    mgr.SetEqQUp(2, true);
    mgr.SetEqFreqUp(2, true);
    mgr.SetEqQUp(3, false);
    mgr.SetEqFreqUp(3, false);
    EXPECT_FLOAT_EQ(Band(0, 2).q, 9.0f);
    EXPECT_EQ(Band(0, 2).freq, 20000);
    EXPECT_FLOAT_EQ(Band(0, 3).q, 0.52f);
    EXPECT_EQ(Band(0, 3).freq, 20);

    mgr.SetEqQUp(2, false);
    EXPECT_FLOAT_EQ(Band(0, 2).q, 8.95f);
    mgr.SetEqFreqUp(3, true);
    EXPECT_EQ(Band(0, 3).freq, 21);
    mgr.SetEqFreqUp(3, true);
    EXPECT_EQ(Band(0, 3).freq, 22) << "the double step";
    Band(0, 4).gain = 12.0f;
    mgr.SetEqGainUp(4, true);
    EXPECT_EQ(Tenths(Band(0, 4).gain), 120);
    mgr.SetEqGainUp(4, false);
    EXPECT_EQ(Tenths(Band(0, 4).gain), 119);
    Drain();
    EXPECT_EQ(BandCommands(), 5u) << "the steps at an end send nothing";
    Unit([](emu::UnitState& s) {
        EXPECT_EQ(UnitBandOf(s, 0, 2).q100, 890) << "Q goes out in tenths";
        EXPECT_EQ(UnitBandOf(s, 0, 3).freq, 22);
        EXPECT_EQ(UnitBandOf(s, 0, 4).gain10, 299);
        return 0;
    });
}

TEST_F(EqBands, TheLinkGroupTakesTheDifferenceThePartnerTheValues) {
    ConnectAndReadOut();
    // Channel 1 is channel 0's partner (bridge pair 0); channel 2 shares its link group.
    Live().bridge[0] = 1;
    Live().linkSel[0] = Live().linkSel[2] = 3;
    Band(0, 8) = {2.0f, 1.0f, 250, 1};
    Band(2, 8) = {-4.0f, 3.0f, 400, 1};
    Band(1, 8) = {7.0f, 7.0f, 7000, 0};
    mgr.SetChEqEdit(8, "300", "1.5", "3");
    EXPECT_EQ(Band(2, 8).freq, 450);
    EXPECT_FLOAT_EQ(Band(2, 8).q, 3.5f);
    EXPECT_EQ(Tenths(Band(2, 8).gain), -30);
    EXPECT_EQ(Band(1, 8), (EqBand{3.0f, 1.5f, 300, 1}));
    EXPECT_EQ(Tenths(Band(3, 8).gain), 0) << "channel 3 is in no group";
    Drain();
    Unit([](emu::UnitState& s) {
        EXPECT_EQ(UnitBandOf(s, 2, 8).freq, 450);
        EXPECT_EQ(UnitBandOf(s, 2, 8).gain10, 150);
        EXPECT_EQ(UnitBandOf(s, 1, 8).freq, 300);
        EXPECT_EQ(UnitBandOf(s, 1, 8).gain10, 210);
        EXPECT_EQ(UnitBandOf(s, 0, 8).q100, 150);
        return 0;
    });
}

TEST_F(EqBands, TheEnableBoxKeepsTheGainForLater) {
    ConnectAndReadOut();
    Live().bridge[0] = 1;
    mgr.SetEqSlider(6, -55);
    mgr.OnEqEnable(6);
    EXPECT_EQ(Band(0, 6).enable, 0);
    EXPECT_EQ(Band(1, 6).enable, 0) << "the partner follows";
    EXPECT_EQ(Tenths(Band(0, 6).gain), -55);
    Drain();
    EXPECT_EQ(Unit([](emu::UnitState& s) { return UnitBandOf(s, 0, 6).gain10; }), 180) << "plays flat";
    mgr.OnEqEnable(6);
    EXPECT_EQ(Band(0, 6).enable, 1);
    Drain();
    EXPECT_EQ(Unit([](emu::UnitState& s) { return UnitBandOf(s, 0, 6).gain10; }), 125);
    // A flat band has nothing to switch.
    commands.Clear();
    mgr.OnEqEnable(7);
    EXPECT_EQ(Band(0, 7).enable, 1);
    Drain();
    EXPECT_EQ(BandCommands(), 0u);
}

TEST_F(EqBands, ABandDragWithoutChangeWaitsForTheRelease) {
    ConnectAndReadOut();
    Band(0, 4) = {2.0f, 1.0f, 250, 1};
    commands.Clear();
    CurveEdit edit;
    edit.gain = 2.004f;
    edit.q = 1.01f;
    edit.freq = 250;
    mgr.EqualizerCallback(4, kDragBand, false, edit);
    Drain();
    EXPECT_EQ(BandCommands(), 0u);
    mgr.EqualizerCallback(4, kDragBand, true, edit);
    Drain();
    EXPECT_EQ(BandCommands(), 1u) << "the release is sent";
    edit.gain = 5.0f;
    edit.freq = 320;
    mgr.EqualizerCallback(4, kDragBand, false, edit);
    EXPECT_EQ(Band(0, 4).freq, 320);
    EXPECT_EQ(view.curveUpdates.back(), 4);
    mgr.EqualizerCallback(40, kDragBand, true, edit);  // no such band
    Drain();
    EXPECT_EQ(BandCommands(), 2u);
    EXPECT_EQ(Unit([](emu::UnitState& s) { return UnitBandOf(s, 0, 4).freq; }), 320);

    // A bypassed channel ignores a flat drag, and wakes up on a raised one.
    mgr.SetEqSlider(4, 0);
    ASSERT_EQ(Live().channels[0].bypass, 1);
    edit.gain = 0.0f;
    Drain();
    commands.Clear();
    mgr.EqualizerCallback(4, kDragBand, true, edit);
    Drain();
    EXPECT_EQ(BandCommands(), 0u);
    edit.gain = -3.0f;
    mgr.EqualizerCallback(4, kDragBand, false, edit);
    EXPECT_EQ(Live().channels[0].bypass, 0);
    Drain();
    EXPECT_EQ(Unit([](emu::UnitState& s) { return UnitBandOf(s, 0, 4).gain10; }), 150);
}
