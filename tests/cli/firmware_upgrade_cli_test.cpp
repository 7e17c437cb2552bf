// dvdsp-cli firmware upgrade against the virtual unit kept in a state file: the whole
// road to the unit reporting the new version, a cut-off transfer finished by a second
// run, and files refused before anything is sent.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/paths.h"
#include "support/run_cli.h"
#include "support/test_folder.h"

namespace {

namespace fs = std::filesystem;
using dvdsp::testing::CliResult;
using dvdsp::testing::RunCli;

class CliUpgrade : public dvdsp::testing::FolderTest {
protected:
    CliUpgrade() : FolderTest("dvdsp_cli_upg_") {}
    CliResult Cli(const std::string& args, const std::string& fault = "") {
        const std::string env = fault.empty() ? "DVDSP_VIRTUAL_FAULT" : "DVDSP_VIRTUAL_FAULT=" + fault;
        return RunCli(args, dir_.string(), {env});
    }
    CliResult Unit(const std::string& args, const std::string& fault = "") {
        return Cli("--virtual-unit=unit.state " + args, fault);
    }
    static bool Has(const CliResult& r, const std::string& text) { return r.out.find(text) != std::string::npos; }
};

// The second run of a cut-off transfer in a suite of its own, beside the first.
class CliUpgradeRecovery : public CliUpgrade {};

TEST_F(CliUpgrade, UpgradeEndsWithTheNewVersionAndPlainProgress) {
    ASSERT_EQ(Cli("firmware make mcu MCU_UPG.BIN --version 2.28 --payload-size 700").code, 0);
    CliResult r = Unit("firmware upgrade MCU_UPG.BIN");
    EXPECT_EQ(r.code, 0) << r.out;
    // Not a terminal: one percentage per line, up to 100.
    EXPECT_TRUE(Has(r, "upgrading MCU_UPG.BIN (MCU image)\n4%\n8%\n")) << r.out;
    EXPECT_TRUE(Has(r, "\n100%\n")) << r.out;
    EXPECT_TRUE(Has(r, "the unit is back: model 98, firmware 2.28")) << r.out;
    // The unit keeps it in its state file.
    CliResult info = Unit("info");
    EXPECT_TRUE(Has(info, "firmware: 2.28")) << info.out;
}

TEST_F(CliUpgrade, ImagesInFoldersWithNonAsciiNamesAreTaken) {
    // Folder names given as UTF-8 arguments reach the file whole: a Russian one for the
    // whole road, a Chinese one for the check before it (an image of another model).
    const std::string russian = "\u041f\u0440\u043e\u0448\u0438\u0432\u043a\u0430";
    const std::string chinese = "\u56fa\u4ef6";
    for (const std::string& folder : {russian, chinese})
        fs::create_directories(dir_ / dvdsp::platform::PathFromUtf8(folder));
    const std::string image = dvdsp::testing::Quoted(russian + "/MCU_UPG.BIN");
    ASSERT_EQ(Cli("firmware make mcu " + image + " --version 2.28").code, 0);
    CliResult r = Unit("firmware upgrade " + image);
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(Has(r, "firmware 2.28")) << r.out;
    const std::string other = dvdsp::testing::Quoted(chinese + "/MCU_UPG.BIN");
    ASSERT_EQ(Cli("firmware make mcu " + other + " --model 3").code, 0);
    CliResult refused = Unit("firmware upgrade " + other);
    EXPECT_EQ(refused.code, 5) << refused.out;
    EXPECT_TRUE(Has(refused, "not a valid image for this unit")) << refused.out;
}

TEST_F(CliUpgradeRecovery, CutOffTransferIsFinishedByASecondRun) {
    ASSERT_EQ(Cli("firmware make mcu MCU_UPG.BIN --version 2.30 --payload-size 900").code, 0);
    CliResult cut = Unit("firmware upgrade MCU_UPG.BIN", "unplug@20");
    EXPECT_EQ(cut.code, 4) << cut.out;
    EXPECT_TRUE(Has(cut, "upgrade failed")) << cut.out;
    EXPECT_FALSE(Has(cut, "the unit is back")) << cut.out;
    // In its loader the unit refuses the hand-shake of other commands ...
    EXPECT_EQ(Unit("info").code, 4);
    // ... and the upgrade takes it as it is.
    CliResult again = Unit("firmware upgrade MCU_UPG.BIN");
    EXPECT_EQ(again.code, 0) << again.out;
    EXPECT_TRUE(Has(again, "runs its loader")) << again.out;
    EXPECT_TRUE(Has(again, "firmware 2.30")) << again.out;
}

TEST_F(CliUpgrade, BadFilesAreRefusedBeforeAnythingIsSent) {
    ASSERT_EQ(Cli("firmware make mcu MCU_UPG.BIN --model 3").code, 0);
    CliResult wrongModel = Unit("firmware upgrade MCU_UPG.BIN");
    EXPECT_EQ(wrongModel.code, 5) << wrongModel.out;
    EXPECT_TRUE(Has(wrongModel, "nothing was sent")) << wrongModel.out;
    ASSERT_EQ(Cli("firmware make mcu image.bin").code, 0);
    EXPECT_EQ(Unit("firmware upgrade image.bin").code, 5);
    EXPECT_EQ(Unit("firmware upgrade MISSING_MCU_UPG.BIN").code, 5);
    EXPECT_EQ(Unit("firmware upgrade MCU_UPG.BIN --bogus").code, 1);
    EXPECT_EQ(Cli("firmware make mcu X_MCU_UPG.BIN --version 2").code, 1);
    // The unit was never touched: it still runs its firmware.
    CliResult info = Unit("info");
    EXPECT_TRUE(Has(info, "firmware: 2.27")) << info.out;
}

}  // namespace
