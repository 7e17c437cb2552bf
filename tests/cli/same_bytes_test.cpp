// Profiles are the same bytes on every system: written by dvdsp-cli from one committed
// virtual unit, they equal the committed files byte for byte (no line ending, separator or
// number format of the system gets in), and they save and load under folders named in any
// script.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/paths.h"
#include "support/run_cli.h"
#include "support/test_folder.h"

namespace {

namespace fs = std::filesystem;
using dvdsp::platform::PathFromUtf8;
using dvdsp::platform::Utf8FromPath;
using dvdsp::testing::CliResult;
using dvdsp::testing::Quoted;
using dvdsp::testing::RunCli;

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

fs::path Data(const std::string& name) {
    return PathFromUtf8(std::string(DVDSP_TEST_DATA) + "/" + name);
}

class SameBytes : public dvdsp::testing::FolderTest {
  protected:
    SameBytes() : FolderTest("dvdsp_cli_bytes_") {}
    // A run on the virtual unit kept in `state`, from the test's folder.
    CliResult Unit(const fs::path& state, const std::string& args) {
        return RunCli("--virtual-unit=" + Quoted(Utf8FromPath(state)) + " " + args, Utf8FromPath(dir_));
    }
};

TEST_F(SameBytes, ProfilesOfTheCommittedUnitEqualTheCommittedFiles) {
    const fs::path state = dir_ / "unit.state";
    fs::copy_file(Data("profile_unit.state"), state);
    ASSERT_EQ(Unit(state, "backup scene.spf").code, 0);
    ASSERT_EQ(Unit(state, "backup --whole whole.wpf").code, 0);
    const std::string scene = Bytes(dir_ / "scene.spf"), whole = Bytes(dir_ / "whole.wpf");
    ASSERT_FALSE(scene.empty());
    EXPECT_EQ(scene, Bytes(Data("profile_unit.spf")));
    EXPECT_EQ(whole, Bytes(Data("profile_unit.wpf")));
    EXPECT_EQ(scene.find('\r'), std::string::npos);
    EXPECT_EQ(whole.find('\r'), std::string::npos);
}

TEST_F(SameBytes, AProfileUnderAFolderNamedInChineseOrRussianSavesAndLoads) {
    const fs::path folder = dir_ / fs::path(u8"配置 Профиль");
    fs::create_directories(folder);
    const fs::path state = folder / fs::path(u8"блок.state");
    const fs::path scene = folder / fs::path(u8"сцена 场景.spf");
    const fs::path whole = folder / fs::path(u8"全部.wpf");
    ASSERT_EQ(Unit(state, "set trim 2 -7.25 -- scene save 3 Road").code, 0);
    const CliResult backup = Unit(state, "backup " + Quoted(Utf8FromPath(scene)) + " -- backup --whole " +
                                             Quoted(Utf8FromPath(whole)));
    ASSERT_EQ(backup.code, 0) << backup.out;
    EXPECT_TRUE(fs::is_regular_file(state));
    ASSERT_TRUE(fs::is_regular_file(scene));
    ASSERT_TRUE(fs::is_regular_file(whole));

    ASSERT_EQ(Unit(state, "set trim 2 0 -- scene delete 3").code, 0);
    ASSERT_EQ(Unit(state, "get trim 2").out, "0.00\n");
    CliResult r = Unit(state, "restore " + Quoted(Utf8FromPath(scene)));
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(Unit(state, "get trim 2").out, "-7.25\n");
    r = Unit(state, "restore " + Quoted(Utf8FromPath(whole)));
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(Unit(state, "scene list").out.find("3 stored Road"), std::string::npos);
    // What was loaded is saved again as it was.
    ASSERT_EQ(Unit(state, "backup " + Quoted(Utf8FromPath(folder / "again.spf"))).code, 0);
    EXPECT_EQ(Bytes(folder / "again.spf"), Bytes(scene));
}

}  // namespace
