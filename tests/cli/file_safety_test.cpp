// dvdsp-cli and the files it is given: links, read-only files, file-size limits and files
// that are no regular files. POSIX only (links, modes, FIFOs and limits are made with its
// calls and the shell).
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/run_cli.h"
#include "support/test_folder.h"

namespace {

namespace fs = std::filesystem;
using dvdsp::testing::CliResult;
using dvdsp::testing::RunCli;

class CliFileSafety : public dvdsp::testing::FolderTest {
protected:
    CliFileSafety() : FolderTest("dvdsp_cli_files_") {}
    CliResult Cli(const std::string& args) { return RunCli(args, dir_.string()); }
    // The same with a shell command before it (a limit), run in the test's folder.
    CliResult CliAfter(const std::string& shell, const std::string& args) {
        return dvdsp::testing::RunCliInShell(args, "cd '" + dir_.string() + "' && " + shell);
    }
    std::string Text(const std::string& name) {
        std::ifstream in(dir_ / name, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    static bool Has(const CliResult& r, const std::string& text) { return r.out.find(text) != std::string::npos; }
};

TEST_F(CliFileSafety, TwoRunsThroughALinkAndTheNameShareOneUnit) {
    fs::create_directory(dir_ / "units");
    ASSERT_EQ(Cli("--virtual-unit=units/car.state set trim 2 -3").code, 0);
    fs::create_symlink("units/car.state", dir_ / "car.state");
    ASSERT_EQ(Cli("--virtual-unit=car.state set trim 3 -5").code, 0);
    EXPECT_TRUE(fs::is_symlink(dir_ / "car.state"));
    const CliResult r = Cli("--virtual-unit=units/car.state get trim 2 -- get trim 3");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(Has(r, "-3")) << r.out;
    EXPECT_TRUE(Has(r, "-5")) << "the change made through the link was kept: " << r.out;

    // A state file with a second name is refused, both names left as they are.
    fs::create_hard_link(dir_ / "units" / "car.state", dir_ / "twin.state");
    const std::string before = Text("twin.state");
    const CliResult twin = Cli("--virtual-unit=twin.state set trim 2 -9");
    EXPECT_NE(twin.code, 0);
    EXPECT_TRUE(Has(twin, "hard links")) << twin.out;
    EXPECT_EQ(Text("twin.state"), before);
    EXPECT_EQ(fs::hard_link_count(dir_ / "twin.state"), 2u);
}

TEST_F(CliFileSafety, AReadOnlyFileIsNotReplaced) {
    ASSERT_EQ(Cli("--virtual-unit=unit.state backup a.spf").code, 0);
    const std::string profile = Text("a.spf");
    fs::permissions(dir_ / "a.spf", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const CliResult backup = Cli("--virtual-unit=unit.state set trim 2 -3 -- backup a.spf");
    EXPECT_EQ(backup.code, 6) << backup.out;
    EXPECT_TRUE(Has(backup, "a.spf is read-only")) << backup.out;
    EXPECT_EQ(Text("a.spf"), profile);

    const std::string state = Text("unit.state");
    fs::permissions(dir_ / "unit.state", fs::perms::owner_read);
    const CliResult set = Cli("--virtual-unit=unit.state set trim 2 -6");
    EXPECT_EQ(set.code, 6) << set.out;
    EXPECT_TRUE(Has(set, "read-only")) << set.out;
    EXPECT_EQ(Text("unit.state"), state);
    EXPECT_EQ(fs::status(dir_ / "unit.state").permissions(), fs::perms::owner_read);
}

TEST_F(CliFileSafety, AFileSizeLimitIsAWriteErrorAndKeepsTheOldFile) {
    ASSERT_EQ(Cli("firmware make mcu MCU_UPG.BIN --payload-size 100").code, 0);
    ASSERT_EQ(Cli("--virtual-unit=unit.state get trim 2").code, 0);
    const std::string image = Text("MCU_UPG.BIN");
    // 4 KiB at most; the new image is larger.
    const CliResult make = CliAfter("ulimit -f 8", "firmware make mcu MCU_UPG.BIN --payload-size 60000");
    EXPECT_EQ(make.code, 6) << make.out;
    EXPECT_TRUE(Has(make, "cannot write the image")) << make.out;
    EXPECT_EQ(Text("MCU_UPG.BIN"), image);

    const CliResult backup = CliAfter("ulimit -f 8", "--virtual-unit=unit.state backup --whole a.wpf");
    EXPECT_EQ(backup.code, 6) << backup.out;
    EXPECT_FALSE(fs::exists(dir_ / "a.wpf"));
    for (const auto& e : fs::directory_iterator(dir_))
        EXPECT_EQ(e.path().filename().string().find(".dvdsp-tmp-"), std::string::npos) << e.path();
}

TEST_F(CliFileSafety, WhatIsNoRegularFileIsRefusedUnread) {
    // A FIFO would wait for a writer and a device never ends: both are refused at once.
    ASSERT_EQ(::mkfifo((dir_ / "pipe.spf").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir_ / "pipe_MCU_UPG.BIN").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir_ / "zero_MCU_UPG.BIN");
    for (const char* path : {"/dev/zero", "pipe.spf"}) {
        const CliResult check = Cli(std::string("profile check ") + path);
        EXPECT_EQ(check.code, 5) << path << ": " << check.out;
        EXPECT_TRUE(Has(check, "is not a regular file")) << check.out;
        const CliResult payload = Cli(std::string("firmware make mcu MCU_UPG.BIN --payload-file ") + path);
        EXPECT_NE(payload.code, 0) << payload.out;
        EXPECT_TRUE(Has(payload, "is not a regular file")) << payload.out;
    }
    for (const char* path : {"zero_MCU_UPG.BIN", "pipe_MCU_UPG.BIN"}) {
        const CliResult image = Cli(std::string("firmware check ") + path);
        EXPECT_NE(image.code, 0) << path << ": " << image.out;
    }
}

}  // namespace
#endif  // _WIN32
