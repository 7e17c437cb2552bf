// The unit keeps only values of its range: what arrives on the wire is put in range, and a
// state file with a value outside it is refused, so the unit never saves a file it would
// not load again.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "emulator/state_file.h"
#include "emulator/unit_wire.h"
#include "emulator/wire_ranges.h"

namespace dvdsp::emu {
namespace {

using namespace dvdsp::link;
using namespace dvdsp::emu::testing;

TEST(UnitRanges, WildWireValuesAreKeptInTheUnitsRange) {
    VirtualUnit u;
    SetDsp(u, DSP_VOLUME, {0xF6});                    // +16 dB: above the maximum
    SetDsp(u, DSP_TRIM_CH, {0, 0, 0, 0, 0xF4, 0x63});  // 244.99 dB of attenuation
    SetDsp(u, DSP_DELAY_CH, {0, 0, 1, 1, 0xFB, 0x03, 0xE7});  // 251.999 ms
    SetDsp(u, DSP_CH_TYPE, {0, 0, 2, 2, 0xFF});
    SetDsp(u, DSP_MUTE_CH, {0, 0, 3, 3, 7});
    SetDsp(u, DSP_FILTER_SET, {0, 0, 4, 1, 99, 0xFF, 0xFF, 0xFD});
    SetDsp(u, DSP_EQ_CH, {0, 0, 5, 6, 0x00, 0x00, 0xFF, 0x09, 0xFF, 0x09});
    SetDsp(u, DSP_CROSS_SOURCE_MIX, {0, 2, 1, 44, 200, 230});  // source 44, channel 200, +198 dB
    SetDsp(u, DSP_CROSS_SOURCE_MIX_CS47048, {0, 3, 250, 9, 4});
    SetDsp(u, DSP_CH_LOCK, {0, 7});
    SetDsp(u, DSP_OUPUT_BRIDGE, {0, 0, 2, 1, 9});

    const Scene& s = u.State().scenes[0];
    EXPECT_EQ(s.mainVolume, 0);  // +6 dB
    EXPECT_EQ(s.out[0].trim100, 6000);
    EXPECT_EQ(s.out[1].delayUs, 15000u);
    EXPECT_EQ(s.out[2].role, 24);
    EXPECT_EQ(s.out[3].mute, 1);
    EXPECT_EQ(s.out[4].lp, (Filter{3, 20000, 8}));
    EXPECT_EQ(s.out[5].bands[6], (Band{20, 900, 300}));
    EXPECT_EQ(s.src[2].csmSource[1], 9);
    EXPECT_EQ(s.src[2].csmCh[1], 7);
    EXPECT_EQ(s.src[2].csmGain[1], 38);  // +6 dB
    EXPECT_EQ(s.src[3].csmSource[4], 9);
    EXPECT_EQ(s.src[3].csmCh[4], 7);
    EXPECT_EQ(s.lock, 1);
    EXPECT_EQ(s.bridge[1], 1);
    // Reports carry the kept values.
    EXPECT_EQ(GetDsp(u, DSP_VOLUME), (Bytes{0}));

    // What the unit keeps, it loads again.
    UnitState back = DefaultUnitState();
    std::string why;
    EXPECT_TRUE(StateFromJson(StateToJson(u.State()), back, &why)) << why;
    EXPECT_TRUE(back == u.State());
}

TEST(UnitRanges, AStateFileWithAValueOutsideTheUnitsRangeIsRefused) {
    struct Case {
        const char* what;
        std::function<void(UnitState&)> spoil;
    };
    const Case cases[] = {
        {"main volume above +6 dB", [](UnitState& s) { s.scenes[0].mainVolume = -10; }},
        {"trim below -60 dB", [](UnitState& s) { s.scenes[2].out[1].trim100 = 6001; }},
        {"delay beyond the maximum", [](UnitState& s) { s.scenes[0].out[9].delayUs = 200000; }},
        {"role code 99", [](UnitState& s) { s.scenes[0].out[0].role = 99; }},
        {"mute flag 2", [](UnitState& s) { s.scenes[0].out[0].mute = 2; }},
        {"filter type 0", [](UnitState& s) { s.scenes[0].out[0].hp.type = 0; }},
        {"filter slope 9", [](UnitState& s) { s.scenes[4].out[3].lp.slope = 9; }},
        {"band frequency 0", [](UnitState& s) { s.scenes[0].out[0].bands[0].freq = 0; }},
        {"band Q 0.2", [](UnitState& s) { s.scenes[0].out[0].bands[0].q100 = 20; }},
        {"band gain +20 dB", [](UnitState& s) { s.scenes[0].out[0].bands[0].gain10 = 380; }},
        {"input band gain", [](UnitState& s) { s.scenes[0].inEq[7][30].gain10 = 301; }},
        {"link to channel 12", [](UnitState& s) {
             s.scenes[0].link.count = 1;
             s.scenes[0].link.to[0] = 12;
         }},
        {"stored scene 11 current", [](UnitState& s) { s.device.currentScene = 11; }},
        {"cross-source gain +7 dB", [](UnitState& s) { s.scenes[3].src[5].csmGain[2] = 39; }},
        {"cross-source source 44", [](UnitState& s) { s.scenes[0].src[0].csmSource[0] = 44; }},
        {"cross-source channel 8", [](UnitState& s) { s.scenes[0].src[8].csmCh[7] = 8; }},
        {"lock 2", [](UnitState& s) { s.scenes[1].lock = 2; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UnitState spoilt = DefaultUnitState();
        c.spoil(spoilt);
        UnitState out = DefaultUnitState();
        std::string why;
        EXPECT_FALSE(StateFromJson(StateToJson(spoilt), out, &why));
        EXPECT_FALSE(why.empty());
        EXPECT_TRUE(out == DefaultUnitState());
    }
    // The edges themselves are the unit's own values.
    UnitState edges = DefaultUnitState();
    edges.scenes[0].mainVolume = static_cast<int8_t>(wire_range::kMainVolume.hi);
    edges.scenes[0].out[0].trim100 = static_cast<uint16_t>(wire_range::kTrim100.hi);
    edges.scenes[0].out[0].delayUs = static_cast<uint32_t>(wire_range::kDelayUs.hi);
    edges.scenes[0].out[0].bands[0] = Band{20000, 50, 0};
    UnitState out = DefaultUnitState();
    std::string why;
    EXPECT_TRUE(StateFromJson(StateToJson(edges), out, &why)) << why;
}

class StateFileLock : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::path(::testing::TempDir()) /
                  ("dvdsp_unit_lock_" +
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        path_ = (folder_ / "unit.json").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path folder_;
    std::string path_;
};

TEST_F(StateFileLock, OneUnitPerFileWhateverNameReachesIt) {
    auto first = std::make_unique<VirtualUnit>();
    std::string why;
    ASSERT_TRUE(first->AttachStateFile(path_, &why)) << why;
    EXPECT_TRUE(std::filesystem::exists(path_));  // a new unit is on disk at once
    // A symbolic link leads to the same file (a hard link is refused: platform's file tests).
    const std::string link = (folder_ / "link.json").string();
    std::error_code noLinks;
    std::filesystem::create_symlink("unit.json", link, noLinks);
    std::vector<std::string> names{path_, (folder_ / "." / "unit.json").string()};
    if (!noLinks) names.push_back(link);
    for (const std::string& name : names) {
        VirtualUnit second;
        bool inUse = false;
        EXPECT_FALSE(second.AttachStateFile(name, &why, false, &inUse)) << name;
        EXPECT_TRUE(inUse);
        EXPECT_NE(why.find("in use"), std::string::npos) << why;
        EXPECT_TRUE(second.StateFilePath().empty());
    }
    // Changes and their saves keep the file held.
    SetDsp(*first, DSP_MUTE_CH, {0, 0, 0, 0, 1});
    ASSERT_TRUE(first->SaveStateNow(&why)) << why;
    {
        VirtualUnit second;
        bool inUse = false;
        EXPECT_FALSE(second.AttachStateFile(path_, &why, false, &inUse));
        EXPECT_TRUE(inUse);
    }
    first.reset();
    auto second = std::make_unique<VirtualUnit>();
    // Through the link: what it saves reaches the file, and the link stays a link.
    ASSERT_TRUE(second->AttachStateFile(noLinks ? path_ : link, &why)) << why;
    EXPECT_EQ(second->State().scenes[0].out[0].mute, 1);
    SetDsp(*second, DSP_MUTE_CH, {0, 0, 0, 0, 0});
    ASSERT_TRUE(second->SaveStateNow(&why)) << why;
    second.reset();
    if (!noLinks) {
        EXPECT_TRUE(std::filesystem::is_symlink(link));
    }
    VirtualUnit third;
    ASSERT_TRUE(third.AttachStateFile(path_, &why)) << why;
    EXPECT_EQ(third.State().scenes[0].out[0].mute, 0);
    // Nothing but the file is left in the folder.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder_)) files += e.is_regular_file() && !e.is_symlink();
    EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace dvdsp::emu
