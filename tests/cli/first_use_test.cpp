// dvdsp-cli as a newcomer meets it: messages in words, exit codes as documented, a run
// whose arguments are all checked before anything reaches the unit, and a log that keeps
// out of the results.
#include <cjson/cJSON.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "cli/cli.h"
#include "cli/cmd_model.h"
#include "support/run_cli.h"
#include "support/test_folder.h"

namespace fs = std::filesystem;
using dvdsp::testing::CliResult;
using dvdsp::testing::RunCli;

namespace {

class CliFirstUse : public dvdsp::testing::FolderTest {
  protected:
    CliFirstUse() : FolderTest("dvdsp_cli_first_") {}
    std::string P(const std::string& name) const { return (dir_ / name).string(); }
    // A run on the virtual unit kept in this test's folder, from that folder.
    CliResult Unit(const std::string& args) { return RunCli("--virtual-unit=unit.json " + args, dir_.string()); }
    // Standard output alone, and the exit code.
    CliResult StdoutOnly(const std::string& args) {
        return RunCli(args, dir_.string(), {}, false);
    }
    static size_t Count(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }
};

TEST_F(CliFirstUse, RefusedProfilesAreExplainedInEnglishOnce) {
    ASSERT_EQ(Unit("backup good.spf").code, 0);
    std::ifstream in(P("good.spf"), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string text = ss.str();
    text.replace(text.find("\"model\":98"), 10, "\"model\":97");
    std::ofstream(P("other.spf"), std::ios::binary) << text;

    struct Row {
        const char* args;
        const char* says;
        const char* key;
    } rows[] = {
        {"profile check missing.spf", "Could not open the file", "[profile_open_error]"},
        {"profile check other.spf", "The software does not match the unit", "[software_not_match]"},
        {"restore missing.spf", "Could not open the file", "[profile_open_error]"},
        {"restore other.spf", "The software does not match the unit", "[software_not_match]"},
        {"profile diff good.spf missing.spf", "Could not open the file", "[profile_open_error]"},
    };
    for (const Row& row : rows) {
        const CliResult r = Unit(row.args);
        EXPECT_EQ(r.code, 5) << row.args << ": " << r.out;
        EXPECT_EQ(Count(r.out, row.says), 1u) << row.args << ": " << r.out;
        EXPECT_EQ(Count(r.out, row.key), 1u) << row.args << ": " << r.out;
        EXPECT_EQ(r.out.find("${"), std::string::npos) << row.args << ": " << r.out;
    }
}

// The CLI's words are the window's: the English language file's text of each key.
TEST(CliMessages, AreTheEnglishLanguageFilesTexts) {
    std::ifstream in(DVDSP_LANGUAGE_EN);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string language = ss.str();
    ASSERT_FALSE(language.empty()) << DVDSP_LANGUAGE_EN;
    using dvdsp::core::ProfileStatus;
    for (ProfileStatus status : {ProfileStatus::OpenError, ProfileStatus::ModelMismatch, ProfileStatus::LoadError,
                                 ProfileStatus::CreateError}) {
        const std::string said = dvdsp::cli::ProfileMessage({status, ""}, false);
        const std::smatch parts = [&] {
            std::smatch m;
            std::regex_match(said, m, std::regex("(.+) \\[([a-z_]+)\\]"));
            return m;
        }();
        ASSERT_EQ(parts.size(), 3u) << said;
        const std::string entry = "<Text key=\"" + parts[2].str() + "\">" + parts[1].str() + ".</Text>";
        EXPECT_NE(language.find(entry), std::string::npos) << entry;
    }
}

TEST_F(CliFirstUse, ExitCodesAreTheDocumentedOnes) {
    const CliResult help = RunCli("--help");
    EXPECT_NE(help.out.find("5 file refused"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("6 file not written"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("DVDSP_VIRTUAL_FAULT=FAULT[,FAULT...]"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("cal-fail@CODE"), std::string::npos) << help.out;

    // Files that cannot be written, whatever writes them, are neither usage nor unit errors.
    const std::string nowhere = P("no-such-folder");
    struct Row {
        std::string args;
        const char* says;
    } rows[] = {
        {"backup " + nowhere + "/a.spf", "Could not create the file [profile_create_error]"},
        {"backup --whole " + nowhere + "/a.wpf", "Could not create the file [profile_create_error]"},
        {"firmware make mcu " + nowhere + "/MCU_UPG.BIN", "cannot write"},
        {"response --plot " + nowhere + "/curve.png", "--plot"},
    };
    for (const Row& row : rows) {
        const CliResult r = Unit(row.args);
        EXPECT_EQ(r.code, dvdsp::cli::kFileNotWritten) << row.args << ": " << r.out;
        EXPECT_NE(r.out.find(row.says), std::string::npos) << row.args << ": " << r.out;
    }
    EXPECT_EQ(dvdsp::cli::kFileNotWritten, 6);
    EXPECT_EQ(dvdsp::cli::kFileRefused, 5);
}

TEST_F(CliFirstUse, AMistakeInALaterCommandChangesNothing) {
    const char* laterMistakes[] = {
        "set trim 3 -9 -- get eq 1 40",
        "set trim 3 -9 -- scene save 1 toolongname",
        "set trim 3 -9 -- raw 1 2",
        "set trim 3 -9 -- response --lp 1,12,1000",
        "set trim 3 -9 -- firmware make nothing x.bin",
        "set trim 3 -9 -- backup a.spf b.spf",
        "set trim 3 -9 -- profile frobnicate",
        "set trim 3 -9 -- info now",
        "set trim 3 -9 -- set delay 1 abc",
        "set trim 3 -9 -- frobnicate",
        "--bogus set trim 3 -9",
    };
    for (const char* args : laterMistakes) {
        const CliResult r = Unit(args);
        EXPECT_EQ(r.code, 1) << args << ": " << r.out;
        EXPECT_EQ(Unit("get trim 3").out, "0.00\n") << args;
    }
    EXPECT_FALSE(fs::exists(P("x.bin")));
    const CliResult r = Unit("set trim 3 -9 -- get eq 1 40");
    EXPECT_NE(r.out.find("usage: dvdsp-cli get"), std::string::npos) << r.out;
}

// The checks are the commands' own and need no unit: each refuses a wrong word and takes a
// right one without a session.
TEST(CliCommandChecks, EveryCommandChecksItsArgumentsWithoutAUnit) {
    using dvdsp::cli::Words;
    const std::pair<const char*, std::pair<Words, Words>> cases[] = {
        {"info", {{}, {"now"}}},
        {"ping", {{}, {"x"}}},
        {"dump", {{}, {"x"}}},
        {"raw", {{"1", "2", "0x66"}, {"1", "2", "0x666"}}},
        {"get", {{"eq", "1", "30"}, {"eq", "1", "31"}}},
        {"set", {{"trim", "3", "-9"}, {"trim", "3", "9"}}},
        {"scene", {{"save", "1", "Seven77"}, {"save", "1", "Eight888"}}},
        {"profile", {{"check", "a.spf"}, {"check"}}},
        {"backup", {{"--whole", "a.wpf"}, {}}},
        {"restore", {{"a.spf"}, {"a.spf", "b.spf"}}},
        {"response", {{"--lp", "1,8,1000"}, {"--lp", "1,9,1000"}}},
        {"firmware", {{"check", "MCU_UPG.BIN"}, {"make", "nothing", "x.bin"}}},
        {"filters", {{"import", "9", "room.txt", "--preamp"}, {"export", "10", "room.txt"}}},
        {"sheet", {{"a.pdf", "--profile", "a.wpf", "--language", "ru"}, {"a.pdf", "--language", "de"}}},
    };
    for (const dvdsp::cli::Command& c : dvdsp::cli::Registry()) {
        ASSERT_TRUE(c.check) << c.name << " has no argument check";
        bool covered = false;
        for (const auto& [name, words] : cases)
            if (c.name == name) {
                covered = true;
                EXPECT_EQ(c.check(words.first), dvdsp::cli::kOk) << name;
                EXPECT_EQ(c.check(words.second), dvdsp::cli::kUsage) << name;
            }
        EXPECT_TRUE(covered) << c.name << " is not covered here";
    }
}

TEST_F(CliFirstUse, SceneNamesHaveAtMostSevenCharacters) {
    CliResult r = Unit("scene save 1 toolongname");
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("at most 7 characters"), std::string::npos) << r.out;
    EXPECT_NE(Unit("scene list").out.find("1 empty"), std::string::npos);
    // Seven characters, counted as characters and not as bytes.
    r = Unit("scene save 1 Seven77 -- scene save 2 Дорога1");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("scene 2 saved as \"Дорога1\""), std::string::npos) << r.out;
    EXPECT_NE(Unit("scene list").out.find("1 stored Seven77\n"), std::string::npos);
    EXPECT_EQ(Unit("scene save 3 Дорога12").code, 1);
}

TEST_F(CliFirstUse, ValuesPrintWithoutANegativeZero) {
    EXPECT_EQ(Unit("get trim 2").out, "0.00\n");
    EXPECT_EQ(Unit("set trim 2 -0 -- get trim 2").out, "0.00\n");
    EXPECT_EQ(Unit("set trim 2 -0.001 -- get trim 2").out, "0.00\n");
    EXPECT_EQ(Unit("set delay 2 0 -- get delay 2").out, "0.000\n");
    EXPECT_EQ(Unit("set trim 2 -0.25 -- get trim 2").out, "-0.25\n");
}

TEST_F(CliFirstUse, WrongIndexesAndOrdersAreNamed) {
    struct Row {
        const char* args;
        const char* says;
    } rows[] = {
        {"get trim abc", "CH 'abc' is not a number"},
        {"get trim 12", "CH '12' is out of range"},
        {"get eq 1 1.5", "BAND '1.5' is not a whole number"},
        {"set delay x 1", "CH 'x' is not a number"},
        {"get filter 1 mid", "'mid' is not hp or lp"},
        {"response --lp 1,12,1000", "ORDER is 0 (off) to 8"},
        {"response --hp 1,-1,1000", "ORDER is 0 (off) to 8"},
        {"response --lp 1,9,1000", "ORDER is 0 (off) to 8"},
    };
    for (const Row& row : rows) {
        const CliResult r = Unit(row.args);
        EXPECT_EQ(r.code, 1) << row.args << ": " << r.out;
        EXPECT_NE(r.out.find(row.says), std::string::npos) << row.args << ": " << r.out;
    }
    EXPECT_EQ(Unit("response --lp 1,8,1000 --hp lr,0,20").code, 0);
}

TEST_F(CliFirstUse, AFrameWithoutAnswerFails) {
    const CliResult r = Unit("raw 9 9 9");
    EXPECT_EQ(r.code, 4) << r.out;
    EXPECT_NE(r.out.find("did not answer"), std::string::npos) << r.out;
    EXPECT_EQ(Unit("raw 1 2 0x66").code, 0);
}

TEST_F(CliFirstUse, TheLogStaysOutOfTheResults) {
    std::ofstream(P("savelog.ini")).put('\n');
    const CliResult dump = StdoutOnly("--virtual-unit dump");
    ASSERT_EQ(dump.code, 0);
    cJSON* root = cJSON_Parse(dump.out.c_str());
    EXPECT_NE(root, nullptr) << dump.out.substr(0, 400);
    EXPECT_NE(cJSON_GetObjectItem(root, "live"), nullptr);
    cJSON_Delete(root);
    EXPECT_EQ(StdoutOnly("--virtual-unit set trim 3 -1.5 -- get trim 3").out, "-1.50\n");
    // The log itself is still written.
    std::ifstream in(P("save.log"));
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_NE(ss.str().find("MODEL_NAME: VTR50"), std::string::npos);
    EXPECT_NE(ss.str().find("begain to write data to devices"), std::string::npos);
}

TEST(CliVersion, NamesTheVersionAndTheCommit) {
    const CliResult r = RunCli("--version");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, std::string("dvdsp-cli v6.8.7 (commit ") + DVDSP_BUILD_COMMIT + ")\n");
    EXPECT_TRUE(std::regex_match(std::string(DVDSP_BUILD_COMMIT), std::regex("[0-9a-f]{4,40}|unknown")))
        << DVDSP_BUILD_COMMIT;
}

}  // namespace
