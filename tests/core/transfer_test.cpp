// Backup and restore through the virtual unit: read-out into a model, profile text, bulk
// transfer back, read-out again.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "core/apply.h"
#include "core/profile.h"
#include "core/profile_diff.h"
#include "core/readout.h"
#include "core/transfer.h"
#include "profile_fixture.h"
#include "support/link_fixture.h"

namespace dvdsp::core {
namespace {

class Transfer : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { ASSERT_TRUE(f.Connect()); }

    void Apply(UnitModel& m) {
        for (const link::Message& msg : f.sink.Take()) ApplyMessage(m, msg);
    }
    std::unique_ptr<UnitModel> ReadOut() {
        auto m = std::make_unique<UnitModel>();
        f.sink.Take();
        EXPECT_EQ(ReadOutUnitStatus(f.device), 0);
        Apply(*m);
        return m;
    }
    std::unique_ptr<UnitModel> WholeBackup() {
        auto m = std::make_unique<UnitModel>();
        f.sink.Take();
        for (int n = 1; n <= kStoredScenes; ++n) {
            ReadStoredScene(f.device, n, f.manual);
            Apply(*m);
        }
        EXPECT_EQ(ReadOutUnitStatus(f.device), 0);
        Apply(*m);
        return m;
    }
    // Settings away from the defaults, set the way the program's controls set them.
    void ChangeUnit(float trimDb) {
        auto& d = f.device;
        d.Main_Volume_Ctrl(-20, true);
        d.Trim_Ctrl(0, 0, 2, 2, {trimDb}, true);
        d.Delay_Ctrl(0, 0, 3, 3, {1.234f}, true);
        d.EQ_Ctrl(0, 0, 1, 5, 1000, 2.5f, 4.5f, true);
        d.EQ_Ctrl(0, 0, 9, 30, 18000, 0.7f, -12.3f, true);
        d.CH_Type_Ctrl(0, 0, 4, 4, {7}, true);
        d.Filter_Ctrl(0, 0, 4, 2, 2, 3400, 4, true);
        d.Phase_Ctrl(0, 0, 6, 6, {1}, true);
        d.Mix_Ch_Ctrl(0, 0, 0, 9, {3, 3, 1, 2, 3, 3, 1, 2, 1, 2}, true);
        d.Input_Mix_Trim_Ctrl(0, 5, 7, 0, 9, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, true);
    }

    dvdsp::testing::LinkFixture f;
};

TEST_P(Transfer, BackupThenRestoreReproducesTheUnit) {
    std::unique_ptr<fixtures::DecimalCommaLocale> german;
    if (GetParam()) {
        german = std::make_unique<fixtures::DecimalCommaLocale>();
        if (!german->Ok()) GTEST_SKIP() << "no decimal-comma locale could be made";
    }
    ChangeUnit(-3.5f);
    const auto backup = ReadOut();
    EXPECT_EQ(backup->current.mainVolume, -20);
    EXPECT_EQ(backup->current.channels[2].gain, -3.5f);
    const std::string text = SceneProfileText(backup->current);

    ChangeUnit(-12.0f);  // something else meanwhile
    f.device.EQ_Ctrl(0, 0, 1, 5, 250, 8.0f, -7.0f, true);
    auto model = ReadOut();
    ASSERT_TRUE(ParseSceneProfile(text, model->current).ok());
    const uint64_t before = f.unit.CommandsHandled();
    SetReadCurProfileToMCU(f.device, model->current);
    EXPECT_EQ(f.unit.CommandsHandled() - before, static_cast<uint64_t>(CurProfileCommandCount(model->current)));

    const auto after = ReadOut();
    EXPECT_EQ(SceneProfileText(after->current), text);
}

INSTANTIATE_TEST_SUITE_P(Locales, Transfer, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "DecimalComma" : "C"; });

class WholeTransfer : public Transfer {};

TEST_F(WholeTransfer, WholeBackupRestoresScenesAndNames) {
    ChangeUnit(-6.0f);
    f.device.SetSceneName(2, {'R', 'o', 'a', 'd'});
    f.device.SaveScene(2, 0);
    f.device.Trim_Ctrl(0, 0, 0, 0, {-9.25f}, true);
    f.device.SetSceneName(7, {'B', 'a', 's', 's'});
    f.device.SaveScene(7, 0);
    f.device.Trim_Ctrl(0, 0, 0, 0, {-1.5f}, true);

    const auto backup = WholeBackup();
    EXPECT_EQ(backup->scenes[1].channels[2].gain, -6.0f);
    EXPECT_EQ(backup->scenes[6].channels[0].gain, -9.25f);
    EXPECT_EQ(backup->current.channels[0].gain, -1.5f);
    EXPECT_EQ(SceneNameToUtf8(backup->names[6]), "Bass");
    const std::string text = WholeProfileText(*backup);

    f.unit.FactoryReset();
    auto model = ReadOut();
    ASSERT_TRUE(ParseWholeProfile(text, *model).ok());
    SetReadWholeProfileToMCU(f.device, *model);
    EXPECT_EQ(WholeProfileText(*WholeBackup()), text);
}

// What the bulk sequence leaves out on its own: the routing of sources other than the
// current one, cross-source feeds, bridge pairs, lock and the stereo link.
class RestOfTheSettings : public Transfer {
protected:
    void SetRest(uint8_t scene) {
        auto& d = f.device;
        d.Mix_Ch_Ctrl(scene, 5, 0, 9, {0x81, 0x42, 0x24, 0x18, 3, 3, 0x0F, 0xF0, 1, 2}, true);
        d.Mix_Ch_Ctrl(scene, 7, 0, 9, {2, 1, 2, 1, 3, 3, 0, 0, 1, 2}, true);
        d.Cross_Source_Mix_Ctrl(scene, 0, 1, 5, 3, 32 - 6, true);
        d.Cross_Source_Mix_Ctrl(scene, 5, 7, 2, 1, 32 + 4, true);
        d.Output_Bridge_Ctrl(scene, 0, {0, 1, 0, 0, 1}, true);
        // Mirrored roles make channels 0 and 1 partners.
        d.CH_Type_Ctrl(scene, 0, 0, 1, {1, 7}, true);
        d.CH_Lock_Ctrl(scene, 1, true);
        d.CH_Link_Ctrl(scene, 1, {{0, 1}}, true);
    }
};

TEST_F(RestOfTheSettings, ARestoreOnAResetUnitBringsEverySettingOfTheFileBack) {
    ChangeUnit(-4.5f);
    SetRest(0);
    const auto backup = ReadOut();
    ASSERT_EQ(backup->current.bridge[1], 1);
    ASSERT_EQ(backup->current.linkMode, 1);
    ASSERT_EQ(backup->current.csmViceGain[0][1], -6);
    ASSERT_EQ(backup->current.inputs[7][0], 2);
    const std::string text = SceneProfileText(backup->current);

    f.unit.FactoryReset();
    auto model = ReadOut();
    ASSERT_TRUE(ParseSceneProfile(text, model->current).ok());
    std::string why;
    EXPECT_TRUE(SetReadCurProfileToMCU(f.device, model->current, nullptr, &why)) << why;

    auto again = std::make_unique<UnitModel>();
    ASSERT_TRUE(ParseSceneProfile(SceneProfileText(ReadOut()->current), again->current).ok());
    auto saved = std::make_unique<UnitModel>();
    ASSERT_TRUE(ParseSceneProfile(text, saved->current).ok());
    EXPECT_EQ(DiffScenes(saved->current, again->current), std::vector<std::string>{});
}

TEST_F(RestOfTheSettings, AWholeRestoreBringsTheRestOfEveryStoredSceneBack) {
    ChangeUnit(-2.0f);
    SetRest(0);
    f.device.SetSceneName(4, {'C', 'i', 't', 'y'});
    f.device.SaveScene(4, 0);
    const auto backup = WholeBackup();
    ASSERT_EQ(backup->scenes[3].inputs[5][0], 0x81);
    ASSERT_EQ(backup->scenes[3].csmViceSource[5][7], 2);
    ASSERT_EQ(backup->scenes[3].linkMode, 1);
    const std::string text = WholeProfileText(*backup);

    f.unit.FactoryReset();
    auto model = ReadOut();
    ASSERT_TRUE(ParseWholeProfile(text, *model).ok());
    std::string why;
    EXPECT_TRUE(SetReadWholeProfileToMCU(f.device, *model, nullptr, &why)) << why;
    const auto after = WholeBackup();
    EXPECT_EQ(after->scenes[3].inputs[5][0], 0x81);
    EXPECT_EQ(after->scenes[3].csmViceGain[5][7], 4);
    EXPECT_EQ(after->scenes[3].lockMode, 1);
    // The wiring of the file, live and stored: a replacement unit is wired as the file.
    EXPECT_EQ(after->scenes[3].bridge[1], 1);
    EXPECT_EQ(after->scenes[3].bridge[4], 1);
    EXPECT_EQ(after->current.bridge[4], 1);
    EXPECT_EQ(after->current.csmViceGain[0][1], -6);
    EXPECT_EQ(after->current.csmViceSource[5][7], 2);
    auto saved = std::make_unique<UnitModel>(), again = std::make_unique<UnitModel>();
    ASSERT_TRUE(ParseWholeProfile(text, *saved).ok());
    ASSERT_TRUE(ParseWholeProfile(WholeProfileText(*after), *again).ok());
    EXPECT_EQ(DiffUnits(*saved, *again), std::vector<std::string>{});
}

TEST_F(RestOfTheSettings, FeedsAndLockOutsideTheirRangesReachTheUnitInRange) {
    // A model that no file can hold any more: the transfer still sends nothing that wraps.
    auto model = ReadOut();
    SceneState& s = model->current;
    s.csmViceGain[0][0] = std::numeric_limits<int32_t>::max();
    s.csmViceGain[0][1] = -33;
    s.csmViceSource[2][0] = 300;
    s.csmViceCh[2][0] = 257;
    s.lockMode = 2;
    EXPECT_TRUE(SetReadCurProfileToMCU(f.device, s));
    const emu::Scene live = f.unit.WithState([](const emu::UnitState& u) { return u.scenes[0]; });
    EXPECT_EQ(live.src[0].csmGain[0], 38) << "+6 dB, the most";
    EXPECT_EQ(live.src[0].csmGain[1], 0) << "-32 dB, the least";
    EXPECT_EQ(live.src[2].csmSource[0], 9);
    EXPECT_EQ(live.src[2].csmCh[0], 7);
    EXPECT_EQ(live.lock, 1);
}

TEST_F(WholeTransfer, ReadingAStoredSceneFillsOnlyItsCopy) {
    f.device.Trim_Ctrl(0, 0, 5, 5, {-4.0f}, true);
    f.device.SaveScene(3, 0);
    f.device.Trim_Ctrl(0, 0, 5, 5, {0.0f}, true);
    auto m = std::make_unique<UnitModel>();
    f.sink.Take();
    ReadStoredScene(f.device, 3, f.manual);
    Apply(*m);
    EXPECT_EQ(m->scenes[2].channels[5].gain, -4.0f);
    EXPECT_EQ(m->current.channels[5].gain, 0.0f);
}

}  // namespace
}  // namespace dvdsp::core
