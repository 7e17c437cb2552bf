// dvdsp-cli against the virtual unit: first contact, values, dumps, the log.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "emulator/virtual_unit.h"
#include "support/run_cli.h"

namespace fs = std::filesystem;
using dvdsp::testing::RunCli;

namespace {
struct TempDir {
    fs::path path;
    TempDir() {
        path = fs::temp_directory_path() /
               ("dvdsp_cli_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    static inline int counter = 0;
};
}  // namespace

TEST(CliUnit, InfoReportsModelAndFirmware) {
    auto r = RunCli("--virtual-unit info");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("model: 98"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("firmware: 2.27"), std::string::npos) << r.out;
}

TEST(CliUnit, SetThenGetInOneRun) {
    auto r = RunCli("--virtual-unit set trim 3 -3.25 -- get trim 3");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "-3.25\n");
    r = RunCli(
        "--virtual-unit set main-volume -12 -- get main-volume -- set eq 2 5 1000 2.5 3.5 "
        "-- get eq 2 5 -- set filter 4 hp 2 120 4 -- get filter 4 hp -- set delay 1 2.5 -- "
        "get delay 1");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "-12\n1000 2.50 3.5\n2 120 4\n2.500\n");
}

// A channel value set from the command line follows the rules the window follows for what
// the unit holds: a bridged pair plays as one channel.
TEST(CliUnit, SetFollowsTheBridgedNeighbourAsTheWindowDoes) {
    TempDir dir;
    const std::string unit = "--virtual-unit=" + (dir.path / "unit.json").string();
    ASSERT_EQ(RunCli(unit + " set bridge 1 1").code, 0);
    auto r = RunCli(unit + " set trim 2 -6.5 -- set eq 3 5 1000 2.5 3.5 -- set ch-mute 2 1 -- set delay 6 1.5 -- "
                           "get trim 3 -- get eq 2 5 -- get ch-mute 3 -- get delay 7");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "-6.50\n1000 2.50 3.5\n1\n0.000\n") << "channels 6 and 7 are not bridged";
}

TEST(CliUnit, StateFileKeepsValuesAcrossRuns) {
    TempDir dir;
    std::string unit = "--virtual-unit=" + (dir.path / "unit.json").string();
    ASSERT_EQ(RunCli(unit + " set trim 7 -6.5 -- set bridge 1 1").code, 0);
    auto r = RunCli(unit + " get trim 7 -- get bridge 1");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "-6.50\n1\n");
}

TEST(CliUnit, AFileThatIsNoStateFileStopsTheRunUntouched) {
    TempDir dir;
    const fs::path notes = dir.path / "notes.txt";
    std::ofstream(notes) << "my own notes\n";
    for (const char* extra : {"", " --replace-damaged-state"}) {
        auto r = RunCli("--virtual-unit=" + notes.string() + extra + " set trim 1 -3");
        EXPECT_EQ(r.code, 4) << r.out;
        EXPECT_NE(r.out.find("not a virtual unit's state file"), std::string::npos) << r.out;
    }
    std::ifstream in(notes);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), "my own notes\n");
    EXPECT_FALSE(fs::exists(dir.path / "notes.txt.bad"));
    EXPECT_FALSE(fs::exists(dir.path / "notes.txt.bad.1"));
}

TEST(CliUnit, ADamagedStateFileIsReplacedOnlyWhenAsked) {
    TempDir dir;
    const fs::path state = dir.path / "unit.json";
    ASSERT_EQ(RunCli("--virtual-unit=" + state.string() + " set trim 7 -6.5").code, 0);
    fs::resize_file(state, fs::file_size(state) / 2);  // cut short, as a crash would once
    auto r = RunCli("--virtual-unit=" + state.string() + " get trim 7");
    EXPECT_EQ(r.code, 4) << r.out;
    EXPECT_NE(r.out.find("--replace-damaged-state"), std::string::npos) << r.out;
    r = RunCli("--virtual-unit=" + state.string() + " --replace-damaged-state get trim 7");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("0.00"), std::string::npos) << r.out;  // the defaults
    EXPECT_TRUE(fs::exists(dir.path / "unit.json.bad.1"));
}

TEST(CliUnit, AStateFileThatCannotBeWrittenFailsTheRun) {
#ifdef _WIN32
    GTEST_SKIP() << "a full disk is made with a file size limit of the shell, which Windows has not";
#else
    TempDir dir;
    const fs::path state = dir.path / "unit.json";
    const std::string unit = "--virtual-unit=" + state.string();
    ASSERT_EQ(RunCli(unit + " set trim 7 -6.5").code, 0);
    const auto before = fs::file_size(state);
    // As on a full disk: files may not grow beyond 1 KiB, and the write fails.
    const std::string full = "trap '' XFSZ; ulimit -f 1";
    for (const char* command : {" set trim 7 -3", " scene save 2 Car", " restore "}) {
        std::string args = unit + command;
        if (std::string(command) == " restore ") {
            const fs::path profile = dir.path / "p.wpf";
            ASSERT_EQ(RunCli(unit + " backup --whole " + profile.string()).code, 0);
            args += profile.string();
        }
        auto r = dvdsp::testing::RunCliInShell(args, full);
        EXPECT_EQ(r.code, 6) << command << ": " << r.out;
        EXPECT_NE(r.out.find("not saved"), std::string::npos) << command << ": " << r.out;
        EXPECT_EQ(fs::file_size(state), before) << command;
    }
    auto r = RunCli(unit + " get trim 7");
    EXPECT_EQ(r.out, "-6.50\n");
#endif
}

TEST(CliUnit, AStateFileInAMissingFolderIsAnError) {
    TempDir dir;
    auto r = RunCli("--virtual-unit=" + (dir.path / "nope" / "unit.json").string() + " set trim 1 -3");
    EXPECT_EQ(r.code, 4) << r.out;
    EXPECT_NE(r.out.find("does not exist"), std::string::npos) << r.out;
}

// A unit held by another program (the windowed one, say) is refused under every name of its
// file, and nothing is changed in it.
TEST(CliUnit, AVirtualUnitInUseElsewhereIsRefusedWhateverItsFileIsCalled) {
    TempDir dir;
    const fs::path file = dir.path / "unit.json";
    auto holder = std::make_unique<dvdsp::emu::VirtualUnit>();
    std::string why;
    ASSERT_TRUE(holder->AttachStateFile(file.string(), &why)) << why;
    // (A second name made as a hard link is refused: file_safety_test.cpp.)
    std::error_code noLinks;  // Windows asks for a privilege to make one
    fs::create_symlink("unit.json", dir.path / "same-unit.json", noLinks);
    std::vector<std::string> names{"unit.json", file.string()};
    if (!noLinks) names.push_back("same-unit.json");
    for (const std::string& name : names) {
        auto r = RunCli("--virtual-unit=" + name + " set trim 1 -3", dir.path.string());
        EXPECT_EQ(r.code, 3) << name << ": " << r.out;
        EXPECT_NE(r.out.find("in use"), std::string::npos) << r.out;
    }
    EXPECT_EQ(holder->State().scenes[0].out[1].trim100, 0);
    holder.reset();
    auto r = RunCli("--virtual-unit=" + file.string() + " set trim 1 -3 -- get trim 1");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "-3.00\n");
}

TEST(CliUnit, BadInputIsRefusedBeforeAnythingIsSent) {
    struct Row {
        const char* args;
        const char* says;
    } rows[] = {
        {"set trim 3 5", "outside"},
        {"set trim 10 -1", "out of range"},
        {"set eq 0 31 1000 1 0", "out of range"},
        {"set delay 0 abc", "not a number"},
        {"get nothing", "unknown value"},
        {"frobnicate", "unknown command"},
        {"raw 1 2", "usage"},
        {"raw 257 2 0x66", "not 0..255"},
        {"raw 1 0x102 0x66", "not 0..255"},
        {"raw 1 2 -1", "not 0..255"},
        {"set main-volume nan", "outside"},
        {"set eq 0 3 1000 nan 0", "outside"},
        {"set delay 0 inf", "outside"},
        // Whole numbers on the unit: a fraction is not cut without a word.
        {"set filter 4 hp 2 120 2.5", "'2.5' is not a whole number"},
        {"set filter 4 hp 2 120.5 4", "not a whole number"},
        {"set main-volume -12.5", "not a whole number"},
        // A control character would break the list of the names.
        {"scene save 2 Ro\x01" "ad", "control characters"},
    };
    for (const Row& row : rows) {
        auto r = RunCli(std::string("--virtual-unit ") + row.args);
        EXPECT_EQ(r.code, 1) << row.args << ": " << r.out;
        EXPECT_NE(r.out.find(row.says), std::string::npos) << row.args << ": " << r.out;
    }
}

TEST(CliUnit, DumpPrintsTheReadOut) {
    auto r = RunCli("--virtual-unit dump");
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("\"model\":\t98"), std::string::npos);
    EXPECT_NE(r.out.find("\"mainVolume\":\t-5"), std::string::npos);  // the live settings
    EXPECT_NE(r.out.find("\"cmd\":\t\"DSP_EQ_CH\""), std::string::npos);
    EXPECT_NE(r.out.find("\"cmd\":\t\"DSP_OUPUT_BRIDGE\""), std::string::npos);
}

TEST(CliUnit, RawFrameIsDecoded) {
    auto r = RunCli("--virtual-unit raw 1 2 0x66");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("DSP_VOLUME"), std::string::npos) << r.out;
}

TEST(CliUnit, LogShowsTheHandshakeReport) {
    TempDir dir;
    std::ofstream(dir.path / "savelog.ini").put('\n');
    auto r = RunCli("--virtual-unit info", dir.path.string());
    EXPECT_EQ(r.code, 0);
    std::ifstream in(dir.path / "save.log");
    std::stringstream ss;
    ss << in.rdbuf();
    std::string zeros;
    for (int i = 0; i < 57; ++i) zeros += "00 ";
    std::string report =
        "begain to write data to devices:\n00 aa 55 03 03 08 bb 37 " + zeros + "\n";
    EXPECT_NE(ss.str().find(report), std::string::npos) << ss.str().substr(0, 2000);
    EXPECT_NE(ss.str().find("MODEL_NAME: VTR50"), std::string::npos);
}

TEST(CliUnit, HelpListsEveryCommand) {
    auto r = RunCli("--help");
    EXPECT_EQ(r.code, 0);
    for (const char* c : {"info", "ping", "dump", "raw", "get", "set", "main-volume", "bridge"})
        EXPECT_NE(r.out.find(c), std::string::npos) << c;
}

// Without --virtual-unit the run goes through hidapi (hidraw on Linux, the HID class driver on
// Windows): on a machine without the unit it says so, and nothing else happens.
TEST(CliUnit, TheRealLinkWithoutAUnitSaysNoneWasFound) {
    auto r = RunCli("info");
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_NE(r.out.find("no VTR50 (USB 0483:5750) was found"), std::string::npos) << r.out;
}
