// Editing the crossover filters of the current channel through the controller, against
// the virtual unit: frequency texts, steps, types and slopes, the followers, the marker
// drags of the curve control with their send throttle, and the curves handed over.
#include <cmath>

#include "core/part_helpers.h"
#include "core/controller_fixture.h"
#include "core/eq.h"
#include "dsp/channel_curve.h"
#include "link/commands.h"
#include "link/packet.h"

using namespace dvdsp;
using namespace dvdsp::core;
using dvdsp::testing::ControllerTest;

namespace {


emu::Filter UnitFilter(emu::UnitState& s, int ch, FilterSide side) {
    const emu::Output& o = s.scenes[0].out[Z(ch)];
    return side == kHighPass ? o.hp : o.lp;
}

class EqFilters : public ControllerTest {
protected:
    explicit EqFilters(link::Clock& clock = link::DefaultClock()) : ControllerTest(clock) {}
    // Filter commands sent since the last Clear, as (channel, filter 2 high-pass / 1 low-pass).
    std::vector<std::pair<int, int>> FilterCommands() {
        std::vector<std::pair<int, int>> out;
        for (const auto& d : commands.Sent(link::CMD_DSP, link::DSP_FILTER_SET)) out.emplace_back(d[2], d[3]);
        return out;
    }
    ChannelSettings& Channel(int ch) { return Live().channels[Z(ch)]; }
    void SetFilters(int ch, CrossoverFilter hp, CrossoverFilter lp) {
        Channel(ch).hp = hp;
        Channel(ch).lp = lp;
    }
};

// The marker drags are timed on the controller's clock.
struct ManualTime {
    link::ManualClock clock;
};
class EqMarkerDrag : protected ManualTime, public EqFilters {
protected:
    EqMarkerDrag() : EqFilters(clock) {}
};

}  // namespace

TEST_F(EqFilters, FrequenciesStayInRangeAndOnTheirSideOfTheOtherFilter) {
    ConnectAndReadOut();
    SetFilters(0, {80, 1, 2, 0}, {5000, 1, 2, 0});
    commands.Clear();
    mgr.SetHpFreqEdit("8k");
    EXPECT_EQ(Channel(0).hp.freq, 5000) << "a high-pass above the low-pass becomes the low-pass";
    EXPECT_EQ(view.Last(What::Filter, 0).what, What::Filter);
    mgr.SetLpFreqEdit("100Hz");
    EXPECT_EQ(Channel(0).lp.freq, 5000) << "a low-pass below the high-pass becomes the high-pass";
    mgr.SetHpFreqEdit("5");
    EXPECT_EQ(Channel(0).hp.freq, 20);
    mgr.SetLpFreqEdit("30000");
    EXPECT_EQ(Channel(0).lp.freq, 20000);
    mgr.SetLpFreqUp(true);
    EXPECT_EQ(Channel(0).lp.freq, 20000);
    mgr.SetHpFreqUp(false);
    EXPECT_EQ(Channel(0).hp.freq, 20);
    mgr.SetHpFreqUp(true);
    EXPECT_EQ(Channel(0).hp.freq, 21);
    mgr.SetLpFreqEdit("no number");
    EXPECT_EQ(Channel(0).lp.freq, 20000);
    Drain();
    EXPECT_EQ(FilterCommands().size(), 5u) << "the steps at an end send nothing";
    Unit([](emu::UnitState& s) {
        EXPECT_EQ(UnitFilter(s, 0, kHighPass).freq, 21);
        EXPECT_EQ(UnitFilter(s, 0, kLowPass).freq, 20000);
        return 0;
    });
}

TEST_F(EqFilters, LinkwitzRileyTakesEvenSlopesOnly) {
    ConnectAndReadOut();
    SetFilters(0, {100, 1, 3, 0}, {8000, 3, 5, 0});
    mgr.SetHpType(2);
    EXPECT_EQ(Channel(0).hp.type, 2);
    EXPECT_EQ(Channel(0).hp.slope, 4) << "an odd slope moves up by one";
    const Change items = view.Last(What::SlopeItems, 0);
    ASSERT_EQ(items.what, What::SlopeItems);
    EXPECT_EQ(items.value, kHighPass);
    mgr.SetHpSlope(7);
    EXPECT_EQ(Channel(0).hp.slope, 8);
    mgr.SetLpType(1);
    EXPECT_EQ(Channel(0).lp.slope, 5) << "other types keep every slope";
    EXPECT_EQ(view.Last(What::SlopeItems, 0).value, kLowPass);
    mgr.SetLpSlope(0);
    EXPECT_EQ(Channel(0).lp.bypass, 1) << "slope 0 turns the filter off";
    EXPECT_EQ(Channel(0).bpType, 1);
    mgr.SetLpType(7);
    mgr.SetLpSlope(9);
    EXPECT_EQ(Channel(0).lp.type, 1);
    EXPECT_EQ(Channel(0).lp.slope, 0);
    Drain();
    Unit([](emu::UnitState& s) {
        const emu::Filter hp = UnitFilter(s, 0, kHighPass);
        EXPECT_EQ(hp.type, 2);
        EXPECT_EQ(hp.slope, 8);
        EXPECT_EQ(UnitFilter(s, 0, kLowPass).slope, 0);
        return 0;
    });
}

TEST_F(EqFilters, ThePartnerAndTheLinkGroupTakeTheSameFilter) {
    ConnectAndReadOut();
    Live().bridge[1] = 1;  // channel 3 is channel 2's partner
    Live().linkSel[2] = Live().linkSel[0] = 4;
    Live().linkSel[6] = 4;  // beyond channels 0-3 a group does not carry filters
    Live().currOutChannel = 2;
    for (int ch : {0, 2, 3, 6}) SetFilters(ch, {50 + ch, 1, 2, 0}, {9000, 1, 2, 0});
    commands.Clear();
    mgr.SetHpFreqEdit("120");
    mgr.SetHpType(3);
    for (int ch : {0, 2, 3}) {
        EXPECT_EQ(Channel(ch).hp.freq, 120) << ch;
        EXPECT_EQ(Channel(ch).hp.type, 3) << ch;
    }
    EXPECT_EQ(Channel(6).hp.freq, 56);
    Drain();
    const auto sent = FilterCommands();
    EXPECT_EQ(sent.size(), 6u);
    for (const auto& [ch, filter] : sent) {
        EXPECT_NE(ch, 6);
        EXPECT_EQ(filter, 2);
    }
    Unit([](emu::UnitState& s) {
        for (int ch : {0, 2, 3}) {
            EXPECT_EQ(UnitFilter(s, ch, kHighPass).freq, 120) << ch;
            EXPECT_EQ(UnitFilter(s, ch, kHighPass).type, 3) << ch;
        }
        return 0;
    });
}

TEST_F(EqMarkerDrag, AtMostOneSendPer500MsAndTheRelease) {
    ConnectAndReadOut();
    SetFilters(0, {60, 1, 2, 0}, {9000, 1, 2, 0});
    // Far from any send of an earlier drag in this process.
    clock.Advance(1'000'000'000);
    commands.Clear();
    CurveEdit edit;
    edit.lpFreq = 9000;
    auto drag = [&](int hp, bool released) {
        edit.hpFreq = hp;
        mgr.EqualizerCallback(-1, kDragHighPass, released, edit);
        Drain();
        return FilterCommands().size();
    };
    EXPECT_EQ(drag(70, false), 1u) << "the first move is sent";
    clock.Advance(100);
    EXPECT_EQ(drag(80, false), 1u);
    EXPECT_EQ(Channel(0).hp.freq, 80) << "stored and shown in any case";
    EXPECT_EQ(view.Last(What::Filter, 0).what, What::Filter);
    clock.Advance(399);
    EXPECT_EQ(drag(90, false), 1u);
    clock.Advance(1);
    EXPECT_EQ(drag(100, false), 2u) << "500 ms after the last send";
    clock.Advance(10);
    EXPECT_EQ(drag(110, true), 3u) << "the release is always sent";
    EXPECT_EQ(Unit([](emu::UnitState& s) { return UnitFilter(s, 0, kHighPass).freq; }), 110);

    // The low-pass marker, bounded by the high-pass.
    clock.Advance(1000);
    edit.lpFreq = 50;
    mgr.EqualizerCallback(-1, kDragLowPass, true, edit);
    EXPECT_EQ(Channel(0).lp.freq, 110);
    Drain();
    EXPECT_EQ(Unit([](emu::UnitState& s) { return UnitFilter(s, 0, kLowPass).freq; }), 110);
}

TEST_F(EqFilters, TheStoreHoldsTheCurvesOfTheModel) {
    ConnectAndReadOut();
    auto reference = [&](int ch, bool bypassed) {
        dsp::ChannelCurve c;
        dsp::BuildChannelCurveReference(ChannelFiltersOf(Live(), ch), bypassed, dsp::CURVE_POINTS, c);
        return c;
    };
    auto same = [](const dsp::ChannelCurve& a, const dsp::ChannelCurve& b) {
        if (a.levels.size() != b.levels.size() || a.highPass.size() != b.highPass.size()) return false;
        // Deep in the stop band (below -300 dB) the two paths round differently.
        auto near = [](double x, double y) { return std::fabs(x - y) <= (y < -300.0 ? 1e-3 : 1e-6); };
        for (size_t k = 0; k < a.levels.size(); ++k)
            if (!near(a.levels[k], b.levels[k]) || !near(a.highPass[k], b.highPass[k]) ||
                !near(a.lowPass[k], b.lowPass[k]))
                return false;
        return true;
    };
    SetFilters(0, {80, 2, 4, 0}, {12000, 3, 3, 0});
    mgr.SetEqSlider(10, 60);
    EXPECT_TRUE(same(mgr.Curves().Curve(0), reference(0, false)));
    EXPECT_EQ(mgr.Curves().Curve(0).frequencies.size(), static_cast<size_t>(dsp::CURVE_POINTS));

    // A bypassed channel is drawn with flat bands.
    Live().channels[0].bypass = 1;
    mgr.UpdateEqualizer(-1);
    EXPECT_TRUE(same(mgr.Curves().Curve(0), reference(0, true)));

    // Only the channels an edit concerns are computed again; all of them on a channel-wide
    // event.
    Live().eqStore[7][3].gain = 9.0f;
    mgr.UpdateEqualizer(-1);
    EXPECT_FALSE(same(mgr.Curves().Curve(7), reference(7, false)));
    mgr.UpdateAllCurves();
    EXPECT_TRUE(same(mgr.Curves().Curve(7), reference(7, false)));
    // The partner and the link group follow the current channel's edits, so theirs are.
    Live().bridge[0] = 1;
    Live().linkSel[0] = Live().linkSel[3] = 2;
    Live().eqStore[1][5].gain = -7.0f;
    Live().eqStore[3][5].gain = 5.0f;
    Live().eqStore[8][5].gain = 5.0f;
    mgr.UpdateEqualizer(-1);
    EXPECT_TRUE(same(mgr.Curves().Curve(1), reference(1, false)));
    EXPECT_TRUE(same(mgr.Curves().Curve(3), reference(3, false)));
    EXPECT_FALSE(same(mgr.Curves().Curve(8), reference(8, false)));
    // The GEQ/PEQ switch is channel-wide.
    prompt.Answer(true);
    mgr.SwitchEqMode();
    EXPECT_TRUE(same(mgr.Curves().Curve(8), reference(8, false)));

    // The curve box stores its flag and hands the curves over again.
    const size_t updates = view.curveUpdates.size();
    mgr.ShowCurve(7, false);
    EXPECT_EQ(Live().showOutChEqualizer[7], 0);
    EXPECT_EQ(view.Last(What::CurveShown, 7).what, What::CurveShown);
    EXPECT_EQ(view.curveUpdates.size(), updates + 1);
}

TEST_F(EqFilters, ReportedBandsAndFiltersReachTheModelTheViewAndTheCurves) {
    ConnectAndReadOut();
    Unit([](emu::UnitState& s) {
        s.scenes[0].out[5].bands[2] = {3150, 200, 240};  // +6 dB, Q 2
        s.scenes[0].out[5].hp = {1, 200, 4};
        return 0;
    });
    {
        std::lock_guard lock(view.mutex);
        view.posted.clear();  // the connection is shown already
    }
    mgr.Device().Get_EQ(0, 0, 5, 2, 2);
    mgr.Device().Get_Filter(0, 0, 4, 7);
    Drain();
    Dispatch();
    const EqBand& b = Live().eqStore[5][2];
    EXPECT_EQ(b.freq, 3150);
    EXPECT_FLOAT_EQ(b.gain, 6.0f);
    EXPECT_EQ(b.enable, 1);
    const Change band = view.Last(What::Band, 5);
    EXPECT_EQ(band.band, 2);
    EXPECT_EQ(Live().channels[5].hp.freq, 200);
    EXPECT_EQ(Live().channels[5].hp.slope, 4);
    EXPECT_EQ(view.Last(What::Filter, 5).what, What::Filter);
    // The next update draws channel 5 as reported, though the edit was elsewhere.
    EXPECT_TRUE(mgr.Curves().Stale(5));
    mgr.UpdateEqualizer(-1);
    dsp::ChannelCurve expected;
    dsp::BuildChannelCurveReference(ChannelFiltersOf(Live(), 5), Live().channels[5].bypass != 0, dsp::CURVE_POINTS,
                                    expected);
    const dsp::ChannelCurve& got = mgr.Curves().Curve(5);
    for (size_t k = 0; k < got.levels.size(); ++k) ASSERT_NEAR(got.levels[k], expected.levels[k], 1e-6) << k;
}
