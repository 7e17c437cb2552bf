// dvdsp-cli when the unit goes away in the middle of a command: the command says what
// failed on stderr, exits with 4 and never claims success. The virtual unit is unplugged
// at a chosen reply through DVDSP_VIRTUAL_FAULT.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/run_cli.h"
#include "support/test_folder.h"

namespace {

namespace fs = std::filesystem;
using dvdsp::testing::CliResult;
using dvdsp::testing::RunCli;

class CliFaults : public dvdsp::testing::FolderTest {
protected:
    CliFaults() : FolderTest("dvdsp_cli_faults_") {}
    // Runs on the unit kept in the test's state file, with the fault `fault` ("" for none).
    CliResult Cli(const std::string& args, const std::string& fault = "") {
        const std::string env = fault.empty() ? "DVDSP_VIRTUAL_FAULT" : "DVDSP_VIRTUAL_FAULT=" + fault;
        return RunCli("--virtual-unit=unit.state " + args, dir_.string(), {env});
    }
    bool Has(const CliResult& r, const std::string& text) { return r.out.find(text) != std::string::npos; }
};

TEST_F(CliFaults, DumpCutShortSaysWhatWasNotRead) {
    const CliResult r = Cli("dump", "unplug@60");
    EXPECT_EQ(r.code, 4) << r.out;
    EXPECT_TRUE(Has(r, "the unit's settings could not all be read (read-out: the unit went away at ")) << r.out;
    EXPECT_FALSE(Has(r, "\"live\"")) << "no settings are printed: " << r.out;
}

TEST_F(CliFaults, RestoreCutShortIsNeverReportedWritten) {
    ASSERT_EQ(Cli("backup a.spf").code, 0);
    // The restore's read-out answers some 200 replies; the unplug hits the writing after it.
    const CliResult r = Cli("restore a.spf", "unplug@400");
    EXPECT_EQ(r.code, 4) << r.out;
    EXPECT_TRUE(Has(r, "a.spf was not written to the unit completely")) << r.out;
    EXPECT_TRUE(Has(r, "restore failed: restore: the unit went away at ")) << r.out;
    EXPECT_FALSE(Has(r, "written to the unit\n")) << r.out;
}

TEST_F(CliFaults, WholeBackupCutShortWritesNoFile) {
    const CliResult r = Cli("backup --whole a.wpf", "unplug@30");
    EXPECT_EQ(r.code, 4) << r.out;
    EXPECT_TRUE(Has(r, "reading the stored scenes failed: reading scene 1: the unit went away at ")) << r.out;
    EXPECT_FALSE(fs::exists(dir_ / "a.wpf"));
}

TEST_F(CliFaults, SceneSaveCutShortIsNotReportedSaved) {
    // The names and the valid mask come first (11 replies), then the name and the save.
    const CliResult r = Cli("scene save 2 Road", "unplug@12");
    EXPECT_EQ(r.code, 4) << r.out;
    EXPECT_TRUE(Has(r, "saving the scene failed: saving scene 2: the unit went away at FLASH_SCENE_SAVE set"))
        << r.out;
    EXPECT_FALSE(Has(r, "saved as")) << r.out;
}

TEST_F(CliFaults, SceneListCutShortFails) {
    const CliResult r = Cli("scene list", "unplug@5");
    EXPECT_EQ(r.code, 4) << r.out;
    EXPECT_TRUE(Has(r, "reading the scenes failed: reading the scene names: the unit went away at FLASH_SCENE_NAME get"))
        << r.out;
}

}  // namespace
