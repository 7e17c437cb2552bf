// The virtual unit's state file: what survives a power cycle, and damaged files.
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "emulator/state_file.h"
#include "emulator/unit_wire.h"
#include "support/file_size_limit.h"

namespace dvdsp::emu {
namespace {

using namespace dvdsp::link;
using namespace dvdsp::emu::testing;

class StateFile : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = ::testing::TempDir() + "dvdsp_unit_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".json";
        std::remove(path_.c_str());
        std::remove((path_ + ".bad").c_str());
    }
    void TearDown() override {
        std::remove(path_.c_str());
        std::remove((path_ + ".bad").c_str());
    }
    void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
    std::string Read(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    bool Exists(const std::string& p) { return std::ifstream(p).good(); }
    std::string path_;
};

TEST_F(StateFile, EverythingKeptSurvivesAPowerCycle) {
    UnitState before;
    {
        ManualClock clock;
        VirtualUnit u(clock);
        std::string why;
        ASSERT_TRUE(u.AttachStateFile(path_, &why)) << why;  // no file yet: defaults
        SetDsp(u, DSP_TRIM_CH, {0, 0, 3, 3, 4, 25});
        SetDsp(u, DSP_EQ_CH, {0, 0, 9, 30, 0x4E, 0x20, 9, 0, 30, 0});
        SetDsp(u, DSP_INPUT_MIX_CH_TRIM, {0, 8, 1, 0, 0, 0x94});
        SetDsp(u, DSP_COMPRESSOR_SETTING2, {0, 0, 1, 1, 0xEC, 0xFB, 0, 20, 1, 2});
        SetDsp(u, DSP_CH_LINK, {0, 1, 1, 0, 1});
        Set(u, CMD_FLASH, FLASH_SCENE_NAME, {4, 4, 'H', 'o', 'm', 'e'});
        Set(u, CMD_FLASH, FLASH_SCENE_SAVE, {4, 0});
        Set(u, CMD_FLASH, FLASH_SCENE_PROFILE, {4, 0, 16, 3, 1, 2, 3});
        Set(u, CMD_MCU, MCU_PASSWORD, {2, 'p', 'w', 1, 'r'});
        Set(u, CMD_KTV, KTV_ECHO_DELAY, {1, 44});
        SetDsp(u, DSP_SOURCE_SWITCH, {88});
        before = u.State();
    }  // the unit writes what is pending when it goes away
    ASSERT_TRUE(Exists(path_));
    VirtualUnit again;
    std::string why;
    ASSERT_TRUE(again.AttachStateFile(path_, &why)) << why;
    EXPECT_TRUE(again.State() == before);
    EXPECT_EQ(Get(again, CMD_FLASH, FLASH_SCENE_VALID), (Bytes{0x00, 0x10}));
    EXPECT_EQ(GetDsp(again, DSP_TRIM_CH, {0, 0, 3, 3}), (Bytes{0, 0, 3, 3, 4, 25}));
    EXPECT_FALSE(Exists(path_ + ".tmp"));
}

TEST_F(StateFile, SceneChangesAreWrittenAtOnce) {
    ManualClock clock;
    VirtualUnit u(clock);
    ASSERT_TRUE(u.AttachStateFile(path_, nullptr));
    Set(u, CMD_FLASH, FLASH_SCENE_SAVE, {2, 0});
    // Read the file while the unit is still on, as a crash would leave it.
    UnitState onDisk = DefaultUnitState();
    std::string why;
    ASSERT_TRUE(StateFromJson(Read(path_), onDisk, &why)) << why;
    EXPECT_EQ(onDisk.validMask, 1u << 2);

    // A live change right after is pending until flushed.
    SetDsp(u, DSP_MUTE_CH, {0, 0, 0, 0, 1});
    u.FlushState();
    ASSERT_TRUE(StateFromJson(Read(path_), onDisk, &why)) << why;
    EXPECT_EQ(onDisk.scenes[0].out[0].mute, 1);
}

TEST_F(StateFile, DamagedStateFilesAreLeftAloneUnlessReplacingIsAsked) {
    const std::string good = StateToJson(DefaultUnitState());
    struct Case {
        const char* what;
        std::string text;
    };
    std::string badSource = good;
    badSource.replace(badSource.find("\"values\":[81"), 12, "\"values\":[200");
    std::string badNumber = good;
    badNumber.replace(badNumber.find("\"settings\":[11"), 14, "\"settings\":[1.5");
    const Case cases[] = {
        {"not JSON", "{\"format\": \"dvdsp-virtual-unit\", "},
        {"truncated", good.substr(0, good.size() / 2)},
        {"source out of range", badSource},
        {"fraction", badNumber},
        {"wrong version", "{\"format\":\"dvdsp-virtual-unit\",\"version\":2}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Write(c.text);
        {
            VirtualUnit u;
            std::string why;
            EXPECT_FALSE(u.AttachStateFile(path_, &why));
            EXPECT_NE(why.find(path_), std::string::npos);
            EXPECT_NE(why.find("--replace-damaged-state"), std::string::npos);
            EXPECT_TRUE(u.StateFilePath().empty());
        }  // a unit that did not take the file never writes it
        EXPECT_EQ(Read(path_), c.text);
        EXPECT_FALSE(Exists(path_ + ".bad.1"));

        // Replacing keeps the damaged file numbered and starts from the defaults, written
        // at once.
        std::string why;
        {
            VirtualUnit u;
            u.State().scenes[0].mute = 1;  // anything the file would have replaced
            EXPECT_TRUE(u.AttachStateFile(path_, &why, true));
            EXPECT_NE(why.find("defaults"), std::string::npos);
            EXPECT_TRUE(u.State() == DefaultUnitState());
            EXPECT_EQ(Read(path_ + ".bad.1"), c.text);
            EXPECT_EQ(Read(path_), StateToJson(DefaultUnitState()));
            // The unit goes on working and keeps its next change.
            EXPECT_EQ(Set(u, CMD_FLASH, FLASH_SCENE_SAVE, {1, 0}), ACK_READY);
        }
        VirtualUnit again;
        EXPECT_TRUE(again.AttachStateFile(path_, &why)) << why;
        EXPECT_EQ(again.State().validMask, 2u);
        std::remove(path_.c_str());
        std::remove((path_ + ".bad.1").c_str());
    }
    // The good text itself loads.
    Write(good);
    VirtualUnit u;
    EXPECT_TRUE(u.AttachStateFile(path_, nullptr));
}

TEST_F(StateFile, ASecondDamagedFileNeverReplacesTheFirstKeptAside) {
    Write("{\"format\":\"dvdsp-virtual-unit\",\"version\":7}");
    {
        VirtualUnit u;
        ASSERT_TRUE(u.AttachStateFile(path_, nullptr, true));
    }
    Write("{\"format\":\"dvdsp-virtual-unit\",\"version\":8}");
    {
        VirtualUnit u;
        ASSERT_TRUE(u.AttachStateFile(path_, nullptr, true));
    }
    EXPECT_NE(Read(path_ + ".bad.1").find("7"), std::string::npos);
    EXPECT_NE(Read(path_ + ".bad.2").find("8"), std::string::npos);
    std::remove((path_ + ".bad.1").c_str());
    std::remove((path_ + ".bad.2").c_str());
}

TEST_F(StateFile, AFileThatIsNoStateFileIsNeverMovedOrChanged) {
    for (const std::string& text : {std::string(""), std::string("shopping: milk, eggs\n"),
                                   std::string("{\"format\":\"something\",\"version\":1}")}) {
        SCOPED_TRACE(text);
        Write(text);
        for (bool replace : {false, true}) {
            {
                VirtualUnit u;
                std::string why;
                EXPECT_FALSE(u.AttachStateFile(path_, &why, replace));
                EXPECT_NE(why.find("not a virtual unit's state file"), std::string::npos) << why;
                EXPECT_TRUE(u.StateFilePath().empty());  // the unit keeps nothing there
                SetDsp(u, DSP_MUTE_CH, {0, 0, 0, 0, 1});
            }
            EXPECT_EQ(Read(path_), text);
            EXPECT_FALSE(Exists(path_ + ".bad.1"));
        }
    }
}

TEST_F(StateFile, AFolderThatDoesNotExistIsAnError) {
    VirtualUnit u;
    std::string why;
    EXPECT_FALSE(u.AttachStateFile(::testing::TempDir() + "no_such_folder_dvdsp/unit.json", &why));
    EXPECT_NE(why.find("does not exist"), std::string::npos);
}

TEST_F(StateFile, AStateThatCannotBeWrittenIsReportedAndTheOldFileKept) {
    DVDSP_NEEDS_FILE_SIZE_LIMIT();
    {
        VirtualUnit u;
        ASSERT_TRUE(u.AttachStateFile(path_, nullptr));
        Set(u, CMD_FLASH, FLASH_SCENE_SAVE, {3, 0});
    }
    const std::string kept = Read(path_);
    ASSERT_FALSE(kept.empty());
    VirtualUnit u;
    ASSERT_TRUE(u.AttachStateFile(path_, nullptr));
    std::string why;
    {
        // As on a full disk: no file may grow beyond a few bytes (root included).
        dvdsp::testing::FileSizeLimit full(16);
        SetDsp(u, DSP_MUTE_CH, {0, 0, 0, 0, 1});
        EXPECT_FALSE(u.FlushState(&why));
    }
    EXPECT_NE(why.find(path_), std::string::npos);
    EXPECT_TRUE(Read(path_) == kept);
    // The change is still pending and goes out once the disk has room again.
    EXPECT_TRUE(u.FlushState(&why)) << why;
    EXPECT_FALSE(Read(path_) == kept);
}

TEST(StateJson, DamagedTextNeverCrashesTheReader) {
    UnitState s = DefaultUnitState();
    s.validMask = 0x0012;
    s.scenes[1].out[2].bands[3].gain10 = 250;
    const std::string good = StateToJson(s);
    UnitState back = DefaultUnitState();
    ASSERT_TRUE(StateFromJson(good, back, nullptr));
    EXPECT_TRUE(back == s);
    std::mt19937 rng(99);
    const char junk[] = "0123456789-.,[]{}\":eE ";
    for (int i = 0; i < 60; ++i) {
        std::string text = good;
        for (int k = 0; k < 3; ++k) text[rng() % text.size()] = junk[rng() % (sizeof junk - 1)];
        UnitState out = DefaultUnitState();
        std::string why;
        if (!StateFromJson(text, out, &why)) {
            EXPECT_FALSE(why.empty());
            EXPECT_TRUE(out == DefaultUnitState());  // untouched on refusal
        }
    }
}

}  // namespace
}  // namespace dvdsp::emu
