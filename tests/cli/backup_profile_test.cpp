// dvdsp-cli backup, restore, profile and scene, run as a program against a virtual unit
// kept in a state file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/run_cli.h"
#include "support/test_folder.h"

namespace {

namespace fs = std::filesystem;

struct CliResult {
    int exitCode = -1;
    std::string out;
};

class CliBackup : public dvdsp::testing::FolderTest {
protected:
    CliBackup() : FolderTest("dvdsp_cli_backup_") {}
    std::string P(const std::string& name) const { return (dir_ / name).string(); }
    CliResult Cli(const std::string& args) {
        const dvdsp::testing::CliResult run = dvdsp::testing::RunCli("--virtual-unit=unit.state " + args, dir_.string());
        return CliResult{run.code, run.out};
    }
    std::string Text(const std::string& name) {
        std::ifstream in(P(name), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
};

TEST_F(CliBackup, RestoreUndoesAChange) {
    ASSERT_EQ(Cli("backup a.spf").exitCode, 0);
    ASSERT_EQ(Cli("set trim 2 -7.25 -- set delay 4 3.5 -- set main-volume -30").exitCode, 0);
    ASSERT_EQ(Cli("backup changed.spf").exitCode, 0);
    const CliResult changed = Cli("profile diff a.spf changed.spf");
    EXPECT_NE(changed.out.find("CH3 trim 0 -7.25"), std::string::npos) << changed.out;
    EXPECT_NE(changed.out.find("CH5 delay 0 3.5"), std::string::npos) << changed.out;
    EXPECT_NE(changed.out.find("unit mainVolume -5 -30"), std::string::npos) << changed.out;

    const CliResult restore = Cli("restore a.spf");
    EXPECT_EQ(restore.exitCode, 0) << restore.out;
    ASSERT_EQ(Cli("backup b.spf").exitCode, 0);
    const CliResult diff = Cli("profile diff a.spf b.spf");
    EXPECT_EQ(diff.exitCode, 0);
    EXPECT_EQ(diff.out, "");
    EXPECT_EQ(Text("a.spf"), Text("b.spf"));
}

TEST_F(CliBackup, WholeBackupKeepsStoredScenes) {
    ASSERT_EQ(Cli("set trim 0 -4 -- scene save 3 Road -- set trim 0 0").exitCode, 0);
    ASSERT_EQ(Cli("backup --whole a.wpf").exitCode, 0);
    ASSERT_EQ(Cli("scene delete 3 -- set trim 1 -9").exitCode, 0);
    EXPECT_NE(Cli("scene list").out.find("3 empty"), std::string::npos);
    const CliResult restore = Cli("restore a.wpf");
    EXPECT_EQ(restore.exitCode, 0) << restore.out;
    const CliResult list = Cli("scene list");
    EXPECT_NE(list.out.find("3 stored Road"), std::string::npos) << list.out;
    ASSERT_EQ(Cli("backup --whole b.wpf").exitCode, 0);
    EXPECT_EQ(Cli("profile diff a.wpf b.wpf").out, "");
}

TEST_F(CliBackup, ScenesSaveLoadAndRefuseDuplicateNames) {
    ASSERT_EQ(Cli("set trim 5 -2.5 -- scene save 1 Club").exitCode, 0);
    const CliResult dup = Cli("scene save 2 Club");
    EXPECT_NE(dup.exitCode, 0);
    EXPECT_NE(dup.out.find("already named"), std::string::npos);
    ASSERT_EQ(Cli("set trim 5 0 -- scene load 1").exitCode, 0);
    EXPECT_NE(Cli("get trim 5").out.find("-2.50"), std::string::npos);
    EXPECT_NE(Cli("scene load 4").exitCode, 0);  // empty
    EXPECT_EQ(Cli("scene load 11").exitCode, 1);
}

TEST_F(CliBackup, CheckAndRestoreRefuseBadFiles) {
    ASSERT_EQ(Cli("backup a.spf").exitCode, 0);
    CliResult ok = Cli("profile check a.spf");
    EXPECT_EQ(ok.exitCode, 0);
    std::string text = Text("a.spf");
    text.replace(text.find("\"model\":98"), 10, "\"model\":97");
    std::ofstream(P("wrong.spf"), std::ios::binary) << text;
    const CliResult check = Cli("profile check wrong.spf");
    EXPECT_EQ(check.exitCode, 5);
    EXPECT_NE(check.out.find("wrong.spf: refused: The software does not match the unit [software_not_match]"),
              std::string::npos)
        << check.out;
    std::ofstream(P("broken.spf"), std::ios::binary) << "{\"model\":98";
    EXPECT_NE(Cli("profile check broken.spf").out.find("[profile_open_error]"), std::string::npos);
    EXPECT_NE(Cli("profile check missing.spf").out.find("[profile_open_error]"), std::string::npos);

    ASSERT_EQ(Cli("set trim 0 -6").exitCode, 0);
    const CliResult restore = Cli("restore wrong.spf");
    EXPECT_EQ(restore.exitCode, 5);
    EXPECT_NE(restore.out.find("[software_not_match]"), std::string::npos);
    EXPECT_NE(Cli("get trim 0").out.find("-6.00"), std::string::npos);  // the unit is untouched
}

}  // namespace
