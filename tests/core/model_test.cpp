// Defaults of the settings model, checked row by row against the tables.
#include <gtest/gtest.h>

#include "core/model.h"
#include "core/model_items.h"

namespace dvdsp::core {
namespace {

struct RoleRow {
    int code;
    const char* name;
    int hp, lp, hpSlope, lpSlope, type, mirror;
};
const RoleRow kRoleRows[] = {
    {0, "output_item_empty", 20, 20000, 0, 0, 3, -1},
    {1, "output_menu_front_left_high_freq", 3400, 20000, 2, 0, 3, 7},
    {2, "output_menu_front_left_mid_freq", 600, 1900, 2, 2, 3, 8},
    {3, "output_menu_front_left_low_freq", 70, 320, 3, 2, 3, 9},
    {4, "output_menu_front_left_mid_high_freq", 600, 20000, 2, 0, 3, 10},
    {5, "output_menu_front_left_mid_low_freq", 70, 1900, 2, 2, 3, 11},
    {6, "output_menu_front_left_all_freq", 20, 20000, 0, 0, 3, 12},
    {7, "output_menu_front_right_high_freq", 3400, 20000, 2, 0, 3, 1},
    {8, "output_menu_front_right_mid_freq", 600, 1900, 2, 2, 3, 2},
    {9, "output_menu_front_right_low_freq", 70, 320, 3, 2, 3, 3},
    {10, "output_menu_front_right_mid_high_freq", 600, 20000, 2, 0, 3, 4},
    {11, "output_menu_front_right_mid_low_freq", 70, 1900, 2, 2, 3, 5},
    {12, "output_menu_front_right_all_freq", 20, 20000, 0, 0, 3, 6},
    {13, "output_menu_rear_left_high_freq", 3400, 20000, 2, 0, 3, 16},
    {14, "output_menu_rear_left_low_freq", 70, 320, 3, 2, 3, 17},
    {15, "output_menu_rear_left_all_freq", 20, 20000, 0, 0, 3, 18},
    {16, "output_menu_rear_right_high_freq", 3400, 20000, 2, 0, 3, 13},
    {17, "output_menu_rear_right_low_freq", 70, 320, 3, 2, 3, 14},
    {18, "output_menu_rear_right_all_freq", 20, 20000, 0, 0, 3, 15},
    {19, "output_menu_center_high_freq", 3400, 20000, 2, 0, 3, -1},
    {20, "output_menu_center_low_freq", 70, 320, 3, 2, 3, -1},
    {21, "output_menu_center_all_freq", 20, 20000, 0, 0, 3, -1},
    {22, "output_menu_subwoof_left", 30, 50, 4, 2, 1, 23},
    {23, "output_menu_subwoof_right", 30, 50, 4, 2, 1, 22},
    {24, "output_menu_subwoof_low", 30, 50, 4, 2, 1, -1},
};

class RoleTable : public ::testing::TestWithParam<RoleRow> {};

TEST_P(RoleTable, NameCodeCrossoverAndMirror) {
    const RoleRow& r = GetParam();
    EXPECT_EQ(RoleCode(r.name), r.code);
    EXPECT_STREQ(Role(r.code).menuItem, r.name);
    EXPECT_EQ(Role(r.code).mirror, r.mirror);
    int32_t bpType = -1;
    CrossoverFilter hp, lp;
    RoleCrossover(r.code, bpType, hp, lp);
    EXPECT_EQ(hp, (CrossoverFilter{r.hp, r.type, r.hpSlope, r.hpSlope == 0}));
    EXPECT_EQ(lp, (CrossoverFilter{r.lp, r.type, r.lpSlope, r.lpSlope == 0}));
    EXPECT_EQ(bpType, (r.hpSlope ? 1 : 0) + (r.lpSlope ? 2 : 0));
}
INSTANTIATE_TEST_SUITE_P(AllRoles, RoleTable, ::testing::ValuesIn(kRoleRows));

TEST(Roles, UnknownNamesAndCodes) {
    EXPECT_EQ(RoleCode("output_menu_front"), -1);  // a group entry, not a role
    EXPECT_EQ(RoleCode(""), -1);
    EXPECT_EQ(Role(25).hpFreq, Role(0).hpFreq);
    EXPECT_STREQ(Role(-3).menuItem, "output_item_empty");
}

struct CountRow {
    int count;
    std::vector<int32_t> roles;
};
class ChannelCountDefaults : public ::testing::TestWithParam<CountRow> {};

TEST_P(ChannelCountDefaults, RolesAndTheirCrossovers) {
    const CountRow& r = GetParam();
    EXPECT_EQ(DefaultRoles(r.count), r.roles);
    const SceneState s(r.count);
    for (size_t ch = 0; ch < kChannels; ++ch) {
        const int32_t role = ch < r.roles.size() ? r.roles[ch] : 0;
        EXPECT_EQ(s.outputs[ch], role) << "channel " << ch;
        EXPECT_EQ(s.outputsBk[ch], role);
        int32_t bpType;
        CrossoverFilter hp, lp;
        RoleCrossover(role, bpType, hp, lp);
        EXPECT_EQ(s.channels[ch].hp, hp);
        EXPECT_EQ(s.channels[ch].lp, lp);
        EXPECT_EQ(s.channels[ch].bpType, bpType);
    }
}
INSTANTIATE_TEST_SUITE_P(
    Counts, ChannelCountDefaults,
    ::testing::Values(CountRow{6, {6, 12, 15, 18, 22, 23}},
                      CountRow{8, {6, 12, 15, 18, 19, 20, 22, 23}},
                      CountRow{10, {6, 12, 15, 18, 19, 20, 14, 17, 22, 23}},
                      CountRow{12, {1, 7, 2, 8, 3, 9, 13, 16, 14, 17, 22, 23}}));

TEST(SceneDefaults, ScalarsOfTenChannels) {
    const SceneState s;
    EXPECT_EQ(s.model, -1);
    EXPECT_EQ(s.mainVersion, -1);
    EXPECT_EQ(s.slaveVersion, -1);
    EXPECT_EQ(s.mainVolume, -5);
    EXPECT_EQ(s.acc, 0);
    EXPECT_EQ(s.subVolume, 0);
    EXPECT_EQ(s.mainMute, 0);
    EXPECT_EQ(s.ampOn, 1);
    EXPECT_EQ(s.remOut1, 1);
    EXPECT_EQ(s.remOut2, 1);
    EXPECT_EQ(s.twoOhm, 1);
    EXPECT_EQ(s.noiseGate, 0);
    EXPECT_EQ(s.channelCount, 10);
    EXPECT_EQ(s.currOutChannel, 0);
    EXPECT_EQ(s.linkMode, 0);
    EXPECT_EQ(s.lockMode, 0);
    for (size_t ch = 0; ch < kChannels; ++ch) {
        EXPECT_EQ(s.linkOutputs[ch], -1);
        EXPECT_EQ(s.linkSel[ch], 0);
        EXPECT_EQ(s.channels[ch].eqSize, 31);
        EXPECT_EQ(s.channels[ch].gain, 0.0f);
    }
    for (int32_t b : s.bridge) EXPECT_EQ(b, 0);
}

TEST(SceneDefaults, BandsAreThirdOctavesFlat) {
    const SceneState s;
    const int32_t expected[31] = {20,   25,   31,   40,   50,   63,   80,   100,   125,   160,   200,
                                  250,  315,  400,  500,  630,  800,  1000, 1250,  1600,  2000,  2500,
                                  3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};
    for (int ch = 0; ch < kChannels; ++ch)
        for (int b = 0; b < 31; ++b) {
            const EqBand& band = s.Bands(ch)[b];
            EXPECT_EQ(band.freq, expected[b]);
            EXPECT_EQ(band.gain, 0.0f);
            EXPECT_EQ(band.q, 5.8f);
            EXPECT_EQ(band.enable, 1);
        }
}

TEST(SceneDefaults, BandTablesByBandCount) {
    const int32_t octave[11] = {20, 40, 80, 160, 315, 630, 1250, 2500, 5000, 10000, 20000};
    const int32_t half[21] = {20,  28,   40,   56,   80,   112,  160,  220,   315,   450,  630,
                              890, 1250, 1800, 2500, 3600, 5000, 7100, 10000, 14000, 20000};
    for (int size : {1, 5, 11})
        for (int b = 0; b < 11; ++b) EXPECT_EQ(DefaultBandFrequency(size, b), octave[b]);
    for (int size : {12, 16, 21})
        for (int b = 0; b < 21; ++b) EXPECT_EQ(DefaultBandFrequency(size, b), half[b]);
    for (int b = 0; b < 31; ++b) EXPECT_EQ(DefaultBandFrequency(22, b), kStandardFrequencies[b]);
}

TEST(SceneDefaults, RoutingMixTrimsAndCrossSource) {
    const SceneState s;
    const int32_t mask45[10] = {1, 2, 4, 8, 3, 3, 1, 2, 1, 2};
    const int32_t maskOther[10] = {1, 2, 1, 2, 3, 3, 1, 2, 1, 2};
    for (size_t src = 0; src < kSources; ++src) {
        const int32_t* mask = (src == 4 || src == 5) ? mask45 : maskOther;
        for (size_t o = 0; o < kChannels; ++o) {
            EXPECT_EQ(s.inputs[src][o], mask[o]) << "source " << src << " output " << o;
            for (size_t in = 0; in < kInputsPerSource; ++in)
                EXPECT_EQ(s.inputMixVolume[src][in][o], (mask[o] >> in) & 1 ? (o < 4 ? 100 : 75) : 0);
        }
        for (size_t in = 0; in < kInputsPerSource; ++in) {
            EXPECT_EQ(s.csmViceSource[src][in], 9);
            EXPECT_EQ(s.csmViceCh[src][in], 0);
            EXPECT_EQ(s.csmViceGain[src][in], 0);
            EXPECT_EQ(s.inMixPhase[src][in], 0);
        }
    }
    EXPECT_EQ(kInputChannelsPerSource, (std::array<int, 9>{2, 0, 2, 2, 0, 8, 0, 2, 2}));
}

TEST(SceneState, CopyKeepsItsOwnBands) {
    SceneState a;
    a.Bands(3)[4].gain = 6.0f;
    SceneState b = a;
    EXPECT_EQ(b.Bands(3)[4].gain, 6.0f);
    b.Bands(3)[4].gain = -2.0f;
    EXPECT_EQ(a.Bands(3)[4].gain, 6.0f);
    EXPECT_FALSE(a == b);
    a = b;
    EXPECT_EQ(a.Bands(3)[4].gain, -2.0f);
    EXPECT_TRUE(a == b);
}

TEST(Partners, MirrorRuleAndHalves) {
    SceneState s;  // roles 6, 12, 15, 18, 19, 20, 14, 17, 22, 23
    EXPECT_TRUE(MirrorPartners(s, 0, 1));
    EXPECT_TRUE(MirrorPartners(s, 2, 3));
    EXPECT_FALSE(MirrorPartners(s, 4, 5));  // centre roles mirror nothing
    EXPECT_TRUE(MirrorPartners(s, 6, 7));
    EXPECT_TRUE(MirrorPartners(s, 8, 9));
    s.outputs[6] = 15;  // mirrors channel 3's role, but in the other half
    EXPECT_FALSE(MirrorPartners(s, 3, 6));
    const auto p = ComputeLinkPartners(SceneState());
    EXPECT_EQ(p, (std::array<int32_t, 10>{1, 0, 3, 2, -1, -1, 7, 6, 9, 8}));
}

TEST(Partners, LinkThenBridgeThenNone) {
    SceneState s;
    EXPECT_EQ(PartnerChannel(s, 0), -1);
    s.bridge[2] = 1;
    EXPECT_EQ(PartnerChannel(s, 4), 5);
    EXPECT_EQ(PartnerChannel(s, 5), 4);
    s.linkMode = 1;
    s.linkOutputs = ComputeLinkPartners(s);
    EXPECT_EQ(PartnerChannel(s, 0), 1);
    EXPECT_EQ(PartnerChannel(s, 4), 5);  // no link partner: the bridge decides
    s.linkMode = 0;
    EXPECT_EQ(PartnerChannel(s, 0), -1);
}

TEST(Sources, CodesToIndexes) {
    EXPECT_EQ(SourceFromCode(81), 0);
    EXPECT_EQ(SourceFromCode(85), 4);
    EXPECT_EQ(SourceFromCode(89), 8);
    EXPECT_EQ(SourceFromCode(90), 4);
    EXPECT_EQ(SourceFromCode(0), 4);
}

}  // namespace
}  // namespace dvdsp::core

namespace dvdsp::core {
namespace {

// Every stored item of a model has an address: what differs between two models, stored
// back, turns one into the other, in either direction.
TEST(ModelItems, DifferencesStoredBackMakeTheOtherModel) {
    const UnitModel a;
    UnitModel b = a;
    b.current.eqStore[3][7].gain = 4.5f;
    b.current.channels[2].hp.freq = 120;
    b.current.csmViceGain[5][1] = -12;
    b.scenes[4].channels[9].gain = -7.0f;
    b.scenes[9].inputMixVolume[8][7][9] = 33;
    b.names[1] = SceneNameFromUtf8("Road");
    b.karaoke[9] = 40;
    b.autoSetting[50] = 3;
    b.validScenes = 0x3FF;

    const std::vector<ItemChange> diff = UnitDifferences(a, b);
    ASSERT_EQ(diff.size(), 9u);
    EXPECT_EQ(diff[0].key, (ItemKey{Field::HighPass, 0, 2})) << "in the model's order";
    EXPECT_EQ(diff[1].key, (ItemKey{Field::Band, 0, 3, 7}));
    EXPECT_EQ(std::get<EqBand>(diff[1].before).gain, 0.0f);
    EXPECT_EQ(std::get<EqBand>(diff[1].after).gain, 4.5f);

    UnitModel forward = a, back = b;
    for (const ItemChange& c : diff) {
        EXPECT_TRUE(StoreItem(forward, c.key, c.after));
        EXPECT_TRUE(StoreItem(back, c.key, c.before));
    }
    EXPECT_TRUE(forward == b);
    EXPECT_TRUE(back == a);
    EXPECT_TRUE(UnitDifferences(b, forward).empty());

    EXPECT_EQ(std::get<int32_t>(*ItemOf(b, {Field::Karaoke, -1, 10})), 40);
    EXPECT_FALSE(ItemOf(b, {Field::Karaoke, -1, 11}).has_value()) << "no such setting";
    EXPECT_FALSE(StoreItem(forward, {Field::Trim, 0, 1}, ItemValue(int32_t{3}))) << "a trim is a float";
}

}  // namespace
}  // namespace dvdsp::core
