// The controller's mixer part without a window, against the virtual unit: the effective
// trim of a cell, what a trim change sends (and what it does not), the bridged partner,
// clearing a source's mix, the cross-source feed and the clip flags it keeps.
#include "core/part_helpers.h"
#include "core/controller_fixture.h"
#include "link/commands.h"
#include "link/packet.h"

using namespace dvdsp;
using namespace dvdsp::core;
using dvdsp::testing::ControllerTest;

namespace {

emu::SourceMix& Mix(emu::UnitState& s, int source) { return s.scenes[0].src[Z(source)]; }

}  // namespace

TEST_F(ControllerTest, MixTrimSendsOnlyWhatChangesWhatTheCellPlays) {
    ConnectAndReadOut();
    // Source 0, output 0: input 0 routed at the default 100, input 1 not routed.
    EXPECT_EQ(mgr.MixEffectiveTrim(0, 0, 0), 100);
    EXPECT_EQ(mgr.MixEffectiveTrim(0, 1, 0), 0);
    Live().inputMixVolume[0][0][0] = 0;
    EXPECT_EQ(mgr.MixEffectiveTrim(0, 0, 0), 100) << "a routed cell with no trim plays full";

    commands.Clear();
    EXPECT_EQ(mgr.SetMixTrim(0, 0, 0, 100), -1);
    Drain();
    EXPECT_TRUE(commands.Sent(link::CMD_DSP, link::DSP_INPUT_MIX_CH_TRIM).empty()) << "it already played at 100";
    EXPECT_TRUE(commands.Sent(link::CMD_DSP, link::DSP_MIX_CH).empty()) << "its routing did not change";
    EXPECT_EQ(Live().inputMixVolume[0][0][0], 100);

    mgr.SetMixTrim(0, 1, 0, 64);
    Drain();
    EXPECT_EQ(commands.Sent(link::CMD_DSP, link::DSP_INPUT_MIX_CH_TRIM),
              (std::vector<std::vector<uint8_t>>{{0, 0, 1, 0, 0, 64}}));
    EXPECT_EQ(commands.Sent(link::CMD_DSP, link::DSP_MIX_CH).size(), 1u);
    EXPECT_EQ(Live().inputs[0][0], 3);
    const Change routing = view.Last(What::Routing, 0);
    EXPECT_EQ(routing.source, 0);
    EXPECT_EQ(routing.band, 1);
    Unit([](emu::UnitState& s) {
        EXPECT_EQ(Mix(s, 0).mixTrim[1][0], 64);
        EXPECT_EQ(Mix(s, 0).routing[0], 3);
        EXPECT_EQ(Mix(s, 5).routing[0], 1) << "another source's routing stays";
        return 0;
    });

    // A bridged output takes its partner along; the returned partner is refreshed.
    Live().bridge[1] = 1;
    EXPECT_EQ(mgr.SetMixTrim(0, 0, 3, 50), 2);
    Drain();
    EXPECT_EQ(Live().inputs[0][3] & 1, 1);
    EXPECT_EQ(Live().inputMixVolume[0][0][2], 50);
    Unit([](emu::UnitState& s) {
        EXPECT_EQ(Mix(s, 0).routing[3] & 1, 1);
        EXPECT_EQ(Mix(s, 0).mixTrim[0][3], 50);
        EXPECT_EQ(Mix(s, 0).mixTrim[0][2], 50);
        return 0;
    });
    // Out of range cells change nothing.
    EXPECT_EQ(mgr.SetMixTrim(9, 0, 0, 10), -1);
    EXPECT_EQ(mgr.SetMixTrim(0, 8, 0, 10), -1);
    EXPECT_EQ(mgr.SetMixTrim(0, 0, 10, 10), -1);
}

TEST_F(ControllerTest, ClearMixSilencesTheSourceAndSendsWhatWasRouted) {
    ConnectAndReadOut();
    commands.Clear();
    int routedCells = 0;
    for (int out = 0; out < kChannels; ++out)
        for (int in = 0; in < kInputsPerSource; ++in) routedCells += (Live().inputs[0][Z(out)] >> in) & 1;
    mgr.ClearMix(0);
    Drain();
    EXPECT_EQ(static_cast<int>(commands.Sent(link::CMD_DSP, link::DSP_INPUT_MIX_CH_TRIM).size()), routedCells);
    for (int out = 0; out < kChannels; ++out) {
        EXPECT_EQ(Live().inputs[0][Z(out)], 0);
        EXPECT_EQ(mgr.MixEffectiveTrim(0, 0, out), 0);
    }
    EXPECT_NE(Live().inputs[2][0], 0) << "only the given source is cleared";
    Unit([](emu::UnitState& s) {
        for (int out = 0; out < kChannels; ++out) {
            EXPECT_EQ(Mix(s, 0).routing[Z(out)], 0) << out;
            EXPECT_EQ(Mix(s, 0).mixTrim[0][Z(out)], 0) << out;
        }
        return 0;
    });
}

TEST_F(ControllerTest, CrossSourceFeedAndClipFlags) {
    ConnectAndReadOut();
    mgr.SetCrossSourceTag(2, 1, 1201);  // a vice source beyond 9 is held at 9
    EXPECT_EQ(Live().csmViceSource[2][1], 9);
    EXPECT_EQ(Live().csmViceCh[2][1], 1);
    EXPECT_EQ(mgr.SetCrossSourceGain(2, 1, 50), 6);
    EXPECT_EQ(mgr.SetCrossSourceGain(2, 1, -33), -32);
    Drain();
    Unit([](emu::UnitState& s) {
        EXPECT_EQ(Mix(s, 2).csmSource[1], 9);
        EXPECT_EQ(Mix(s, 2).csmCh[1], 1);
        EXPECT_EQ(Mix(s, 2).csmGain[1], 0);
        return 0;
    });

    // The clip read-out asks for the source's inputs and every output, and keeps the answers.
    commands.Clear();
    mgr.ReadClipFlags(5);
    EXPECT_EQ(commands.Sent(link::CMD_DSP, link::DSP_INPUT_CH_DISTORT),
              (std::vector<std::vector<uint8_t>>{{0, 5, 0, 7}}));
    EXPECT_EQ(commands.Sent(link::CMD_DSP, link::DSP_OUTPUT_CH_DISTORT),
              (std::vector<std::vector<uint8_t>>{{0, 5, 0, 9}}));
    link::Message in{link::WM_READ_DSP_VALUE, link::DSP_INPUT_CH_DISTORT, 0, nullptr};
    auto flags = std::make_unique<link::DistortValue>();
    flags->source = 5;
    flags->ch_start = 2;
    flags->ch_end = 3;
    flags->values[2] = 1;
    in.record = std::move(flags);
    mgr.ReadDspValueCallback(in);
    EXPECT_TRUE(mgr.InputClipped(2));
    EXPECT_FALSE(mgr.InputClipped(3));
    EXPECT_FALSE(mgr.OutputClipped(2)) << "input flags are not output flags";
    EXPECT_FALSE(mgr.InputClipped(16));
}
