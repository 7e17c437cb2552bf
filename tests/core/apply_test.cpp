// Replies stored in the model: which settings a reply changes, and for which scene.
#include <gtest/gtest.h>

#include <memory>

#include "core/apply.h"
#include "link/commands.h"

namespace dvdsp::core {
namespace {

using namespace link;

template <typename R>
Message Rec(uint32_t msg, uint32_t code, R r) {
    Message m;
    m.msg = msg;
    m.wparam = code;
    m.record = std::make_unique<R>(r);
    return m;
}
Message Val(uint32_t msg, uint32_t code, int64_t v) {
    Message m;
    m.msg = msg;
    m.wparam = code;
    m.value = v;
    return m;
}
template <typename R>
Message Dsp(uint32_t code, R r) { return Rec(WM_READ_DSP_VALUE, code, r); }

class Apply : public ::testing::Test {
protected:
    std::unique_ptr<UnitModel> m = std::make_unique<UnitModel>();
};

TEST_F(Apply, PlainValuesOfTheLiveSettings) {
    EXPECT_EQ(ApplyMessage(*m, Val(WM_READ_DSP_VALUE, DSP_VOLUME, 11)).what, What::MainVolume);
    EXPECT_EQ(m->current.mainVolume, -5);  // the unit reports 6 - volume
    ApplyMessage(*m, Val(WM_READ_DSP_VALUE, DSP_VOLUME, 66));
    EXPECT_EQ(m->current.mainVolume, -60);
    for (auto [code, index] : {std::pair{81, 0}, {83, 2}, {85, 4}, {89, 8}, {12, 4}}) {
        ApplyMessage(*m, Val(WM_READ_DSP_VALUE, DSP_SOURCE_SWITCH, code));
        EXPECT_EQ(m->current.source, index) << code;
    }
    ApplyMessage(*m, Val(WM_READ_DSP_VALUE, DSP_AMP_MUTE, 1));
    EXPECT_EQ(m->current.ampOn, 0);
    ApplyMessage(*m, Val(WM_READ_MCU_VALUE, MCU_ACC, 7));
    EXPECT_EQ(m->current.acc, 7);
    ApplyMessage(*m, Val(WM_READ_DSP_VALUE, DSP_SUBWOOFER_VOLUME, -3));
    EXPECT_EQ(m->current.subVolume, -3);
    const Change c = ApplyMessage(*m, Val(WM_READ_DSP_VALUE, DSP_DSP_STATUS, 0));
    EXPECT_EQ(c.what, What::DspStatus);
    EXPECT_EQ(c.value, 0);
}

TEST_F(Apply, SceneNumberChoosesLiveStateOrCopy) {
    ChannelFloat t;
    t.scene = 0, t.ch = 2, t.value = -3.5f;
    EXPECT_EQ(ApplyMessage(*m, Dsp(DSP_TRIM_CH, t)).scene, 0);
    t.scene = 4, t.value = -70.0f;  // below any slider: the controller clamps, not the model
    const Change c = ApplyMessage(*m, Dsp(DSP_TRIM_CH, t));
    EXPECT_EQ(c.what, What::Trim);
    EXPECT_EQ(c.scene, 4);
    EXPECT_EQ(c.channel, 2);
    EXPECT_EQ(m->current.channels[2].gain, -3.5f);
    EXPECT_EQ(m->scenes[3].channels[2].gain, -70.0f);
    t.scene = 11;
    EXPECT_FALSE(ApplyMessage(*m, Dsp(DSP_TRIM_CH, t)));
    t.scene = 0, t.ch = 10;
    EXPECT_FALSE(ApplyMessage(*m, Dsp(DSP_TRIM_CH, t)));
}

TEST_F(Apply, BandsBeyondTheBandCountAreDropped) {
    m->current.channels[1].eqSize = 20;
    EqBandValue b;
    b.scene = 0, b.ch = 1, b.band = 19, b.freq = 900, b.q = 2.5f, b.gain = 4.0f;
    m->current.Bands(1)[19].enable = 0;
    EXPECT_EQ(ApplyMessage(*m, Dsp(DSP_EQ_CH, b)).band, 19);
    EXPECT_EQ(m->current.Bands(1)[19], (EqBand{4.0f, 2.5f, 900, 1}));
    b.band = 20;
    const EqBand before = m->current.Bands(1)[20];
    EXPECT_FALSE(ApplyMessage(*m, Dsp(DSP_EQ_CH, b)));
    EXPECT_EQ(m->current.Bands(1)[20], before);
}

TEST_F(Apply, FilterSetsBothFiltersAndBpType) {
    FilterValue f;
    f.scene = 0, f.ch = 5, f.hp_type = 2, f.hp_freq = 80, f.hp_slope = 4, f.lp_type = 1,
    f.lp_freq = 5000, f.lp_slope = 0;
    ApplyMessage(*m, Dsp(DSP_FILTER_SET, f));
    const ChannelSettings& c = m->current.channels[5];
    EXPECT_EQ(c.hp, (CrossoverFilter{80, 2, 4, 0}));
    EXPECT_EQ(c.lp, (CrossoverFilter{5000, 1, 0, 1}));
    EXPECT_EQ(c.bpType, 1);
}

TEST_F(Apply, RoleGoesToBothRoleTables) {
    ChannelValue v;
    v.scene = 0, v.ch = 3, v.value = 9;
    EXPECT_EQ(ApplyMessage(*m, Dsp(DSP_CH_TYPE, v)).what, What::Role);
    EXPECT_EQ(m->current.outputs[3], 9);
    EXPECT_EQ(m->current.outputsBk[3], 9);
}

TEST_F(Apply, LinkAndLock) {
    LinkValue l;
    l.scene = 0, l.link = 1;
    ApplyMessage(*m, Dsp(DSP_CH_LINK, l));
    EXPECT_EQ(m->current.linkMode, 1);
    EXPECT_EQ(m->current.lockMode, 1);
    EXPECT_EQ(m->current.linkOutputs[0], 1);
    LockValue k;
    k.scene = 0, k.lock = 0;
    const Change c = ApplyMessage(*m, Dsp(DSP_CH_LOCK, k));
    EXPECT_TRUE(c.unlinked);
    EXPECT_EQ(m->current.linkMode, 0);
    EXPECT_EQ(m->current.linkOutputs[0], -1);
    EXPECT_FALSE(ApplyMessage(*m, Dsp(DSP_CH_LOCK, k)).unlinked);
}

TEST_F(Apply, MixTrimOfRoutedInputIsNeverZero) {
    InputMixTrimValue t;
    t.scene = 0, t.source = 2, t.in_ch = 0, t.out_start = 0, t.out_end = 9;
    t.trims.fill(0);
    t.trims[4] = 50;
    ApplyMessage(*m, Dsp(DSP_INPUT_MIX_CH_TRIM, t));
    // Source 2 routes input 0 to outputs 0, 2, 4, 5, 6, 8.
    const auto& v = m->current.inputMixVolume[2][0];
    EXPECT_EQ(v, (std::array<int32_t, 10>{100, 0, 100, 0, 50, 100, 100, 0, 100, 0}));
}

TEST_F(Apply, CrossSourceGainIsStoredLessItsOffset) {
    CrossSourceMixValue x;
    x.scene = 0, x.source = 3, x.ch = 1, x.vice_source = 5, x.vice_ch = 2, x.vice_gain = 29;
    ApplyMessage(*m, Dsp(DSP_CROSS_SOURCE_MIX, x));
    EXPECT_EQ(m->current.csmViceSource[3][1], 5);
    EXPECT_EQ(m->current.csmViceCh[3][1], 2);
    EXPECT_EQ(m->current.csmViceGain[3][1], -3);
    x.ch = 8;
    EXPECT_FALSE(ApplyMessage(*m, Dsp(DSP_CROSS_SOURCE_MIX, x)));
}

TEST_F(Apply, SceneNamesMaskAndKaraoke) {
    SceneNameValue n;
    n.index = 2;
    const char text[] = "Club";
    std::copy(text, text + 4, n.name.begin());
    const Change c = ApplyMessage(*m, Rec(WM_READ_SCENE_VALUE, FLASH_SCENE_NAME, n));
    EXPECT_EQ(c.scene, 3);
    EXPECT_EQ(SceneNameToUtf8(m->names[2]), "Club");
    n.index = 10;
    EXPECT_FALSE(ApplyMessage(*m, Rec(WM_READ_SCENE_VALUE, FLASH_SCENE_NAME, n)));
    Int32Value mask;
    mask.value = 0x6;
    ApplyMessage(*m, Rec(WM_READ_SCENE_VALUE, FLASH_SCENE_VALID, mask));
    EXPECT_EQ(m->validScenes, 6);
    ApplyMessage(*m, Val(WM_READ_KTV_VALUE, 4, 12));
    EXPECT_EQ(m->karaoke[3], 12);
    EXPECT_FALSE(ApplyMessage(*m, Val(WM_READ_KTV_VALUE, 11, 1)));
}

TEST_F(Apply, LongNamesAreCutToTheSlot) {
    SceneNameValue n;
    n.index = 0;
    n.name.fill('x');  // 16 characters, no terminator
    ApplyMessage(*m, Rec(WM_READ_SCENE_VALUE, FLASH_SCENE_NAME, n));
    EXPECT_EQ(SceneNameToUtf8(m->names[0]), "xxxxxxx");
}

}  // namespace
}  // namespace dvdsp::core
