// The sum of channels and the alignment helper: the delay and polarity it proposes for
// crossover pairs set wrong, through the measured-response seam, and the one controller
// operation that applies them to the model and the unit.
#include <cmath>

#include "core/channel_response.h"
#include "core/controller_fixture.h"
#include "core/part_helpers.h"

using namespace dvdsp;
using namespace dvdsp::core;
using dvdsp::testing::ControllerTest;

namespace {

// Channel 0 the low side, channel 1 the high side of a crossover at fc.
SceneState CrossoverPair(int type, int order, int fc) {
    SceneState s;
    for (ChannelSettings& c : s.channels) {
        c.hp = CrossoverFilter{20, 1, 0, 1};
        c.lp = CrossoverFilter{20000, 1, 0, 1};
    }
    s.channels[0].lp = CrossoverFilter{fc, type, order, 0};
    s.channels[1].hp = CrossoverFilter{fc, type, order, 0};
    return s;
}

// A channel's response as if measured: the electrical one, further delayed by `lateMs`.
class MeasuredLate final : public ChannelResponses {
public:
    MeasuredLate(const SceneState& s, int ch, double lateMs) : electrical_(s), ch_(ch), lateMs_(lateMs) {}
    const dsp::ComplexCurve& Response(int ch) override {
        if (ch != ch_) return electrical_.Response(ch);
        measured_ = electrical_.Response(ch);
        for (size_t k = 0; k < measured_.response.size(); ++k)
            measured_.response[k] *= dsp::AlignmentFactor(measured_.frequencies[k], {lateMs_, false});
        return measured_;
    }

private:
    ElectricalResponses electrical_;
    int ch_;
    double lateMs_;
    dsp::ComplexCurve measured_;
};

TEST(ChannelSum, IsTheComplexSumWithDelayAndPolarity) {
    SceneState s = CrossoverPair(dsp::kLinkwitzRiley, 4, 1500);
    s.channels[2] = s.channels[0];
    s.channels[3] = s.channels[0];
    s.channels[3].phase = 1;
    ElectricalResponses r(s);
    SumCurves same, opposite, pair;
    SumOf(r, {0, 2}, same);
    SumOf(r, {0, 3}, opposite);
    SumOf(r, {0, 1}, pair);
    ASSERT_EQ(same.levels.size(), 2u);
    for (size_t k = 0; k < 200; ++k) {  // up to about 800 Hz
        EXPECT_NEAR(same.sum[k], same.levels[0][k] + 6.0206, 1e-6) << k;
        EXPECT_LT(opposite.sum[k], -200.0) << k;
        EXPECT_NEAR(pair.sum[k], 0.0, 0.01) << k;
    }
}

TEST(ChannelAlignment, FindsTheDelayAndPolarityOfAPairSetWrong) {
    // The high side 0.5 ms late and inverted: back to no delay and positive.
    SceneState s = CrossoverPair(dsp::kLinkwitzRiley, 4, 2000);
    s.channels[1].delay = 0.5f;
    s.channels[1].phase = 1;
    ElectricalResponses r(s);
    const AlignmentProposal p = ProposeAlignment(s, r, 0, 1, kDelayMs);
    ASSERT_TRUE(p.valid);
    EXPECT_NEAR(p.crossoverHz, 2000.0, 1e-9);
    EXPECT_EQ(p.delayChannel, 1);
    EXPECT_FLOAT_EQ(p.delayMs, 0.0f);
    EXPECT_FALSE(p.secondReversed);
    EXPECT_GT(p.rippleBefore, 1.0);
    EXPECT_LT(p.rippleAfter, 0.01);
    for (double level : p.alignedSum) EXPECT_NEAR(level < -300.0 ? 0.0 : level, 0.0, 0.01);

    // Linkwitz-Riley 2 wants one side inverted.
    SceneState lr2 = CrossoverPair(dsp::kLinkwitzRiley, 2, 800);
    ElectricalResponses r2(lr2);
    const AlignmentProposal q = ProposeAlignment(lr2, r2, 0, 1, kDelayCm);
    EXPECT_TRUE(q.secondReversed);
    EXPECT_FLOAT_EQ(q.delayMs, 0.0f);
    EXPECT_LT(q.rippleAfter, 0.01);
}

TEST(ChannelAlignment, DelaysTheOtherChannelWhenTheSecondWouldNeedLessThanNone) {
    // Measured, the high side arrives 0.3 ms late with no delay set: the low side waits.
    SceneState s = CrossoverPair(dsp::kLinkwitzRiley, 4, 1000);
    MeasuredLate r(s, 1, 0.3);
    const AlignmentProposal p = ProposeAlignment(s, r, 0, 1, kDelayMs);
    EXPECT_EQ(p.delayChannel, 0);
    EXPECT_NEAR(p.delayMs, 0.3f, 1e-6);
    EXPECT_FALSE(p.secondReversed);
    EXPECT_LT(p.rippleAfter, 0.01);
}

TEST_F(ControllerTest, AligningTwoChannelsSetsTheirDelayAndPolarityOnTheUnit) {
    ConnectAndReadOut();
    mgr.SetDelayUnit(kDelayMs);
    Live().channels[0].lp = CrossoverFilter{2500, dsp::kLinkwitzRiley, 4, 0};
    Live().channels[1].hp = CrossoverFilter{2500, dsp::kLinkwitzRiley, 4, 0};
    Live().channels[0].hp.bypass = Live().channels[1].lp.bypass = 1;
    Live().channels[1].delay = 1.25f;
    Live().channels[1].phase = 1;
    const AlignmentProposal preview = mgr.ProposeAlignment(0, 1);
    EXPECT_FLOAT_EQ(Live().channels[1].delay, 1.25f) << "the preview changes nothing";
    const AlignmentProposal applied = mgr.AlignChannels(0, 1);
    EXPECT_EQ(applied.delayMs, preview.delayMs);
    EXPECT_FLOAT_EQ(Live().channels[1].delay, 0.0f);
    EXPECT_EQ(Live().channels[1].phase, 0);
    EXPECT_EQ(view.Last(What::Delay, 1).what, What::Delay);
    EXPECT_EQ(view.Last(What::Phase, 1).what, What::Phase);
    Drain();
    Unit([](emu::UnitState& u) {
        EXPECT_EQ(u.scenes[0].out[1].delayUs, 0u);
        EXPECT_EQ(u.scenes[0].out[1].phase, 0);
        return 0;
    });
}

}  // namespace
