// What the shell completes on a dvdsp-cli command line: the words come from the program's
// own tables (commands, synopses, value names), through `dvdsp-cli --complete` and the bash
// completion script that asks it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "support/run_cli.h"

using dvdsp::cli::CompletionsAfter;
using dvdsp::cli::Registry;
using dvdsp::testing::RunCli;
using Words = std::vector<std::string>;

namespace {

bool Has(const Words& words, const std::string& w) {
    return std::find(words.begin(), words.end(), w) != words.end();
}

Words Lines(const std::string& text) {
    Words out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) out.push_back(line);
    return out;
}

const dvdsp::cli::Command& CommandNamed(const std::string& name) {
    for (const auto& c : Registry())
        if (c.name == name) return c;
    throw std::runtime_error("no command " + name);
}

// The value names as `get`'s help lists them: lines of two blanks and a name.
Words ValueNamesOfHelp() {
    Words names;
    for (const std::string& line : Lines(CommandNamed("get").help))
        if (line.size() > 2 && line.rfind("  ", 0) == 0 && line[2] != ' ')
            names.push_back(line.substr(2, line.find(' ', 2) - 2));
    std::sort(names.begin(), names.end());
    return names;
}

#ifndef _WIN32
std::string CompletionScript() {
    return (std::filesystem::path(__FILE__).parent_path() / "../../packaging/bash-completion/dvdsp-cli")
        .lexically_normal()
        .string();
}

// The words the bash completion script offers for the last of `words` (the program's
// path is the first).
Words BashCompletes(const std::string& words) {
    const std::string script = "source '" + CompletionScript() + "'; COMP_WORDS=('" + DVDSP_CLI_PATH + "' " +
                               words + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _dvdsp_cli; "
                               "printf '%s\\n' \"${COMPREPLY[@]}\"";
    FILE* p = popen(("bash -c \"$(cat <<'END'\n" + script + "\nEND\n)\" 2>&1").c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return Lines(out);
}
#endif

}  // namespace

TEST(CliCompletion, BeforeACommandEveryCommandAndGlobalOption) {
    const Words words = CompletionsAfter({});
    for (const auto& c : Registry()) EXPECT_TRUE(Has(words, c.name)) << c.name;
    for (const char* o : {"--virtual-unit", "--replace-damaged-state", "--direct", "--help", "--version"})
        EXPECT_TRUE(Has(words, o)) << o;
    EXPECT_TRUE(std::is_sorted(words.begin(), words.end()));
    EXPECT_EQ(words.size(), Registry().size() + 5);
    // Global options do not make a command.
    EXPECT_EQ(CompletionsAfter({"--virtual-unit=unit.json"}), words);
}

TEST(CliCompletion, AfterTheSeparatorCommandsAgain) {
    const Words words = CompletionsAfter({"--virtual-unit", "info", "--"});
    EXPECT_TRUE(Has(words, "get"));
    EXPECT_TRUE(Has(words, "scene"));
    EXPECT_FALSE(Has(words, "--virtual-unit"));
    // A command after the separator completes as the first one would.
    EXPECT_EQ(CompletionsAfter({"info", "--", "scene"}), CompletionsAfter({"scene"}));
}

TEST(CliCompletion, ValueNamesAreThoseOfTheValueTable) {
    const Words names = ValueNamesOfHelp();
    ASSERT_GE(names.size(), 15u);
    EXPECT_EQ(CompletionsAfter({"get"}), names);
    EXPECT_EQ(CompletionsAfter({"set"}), names);
    EXPECT_TRUE(Has(names, "trim"));
    EXPECT_TRUE(Has(names, "main-volume"));
    // The named words of an index, in its place only.
    EXPECT_EQ(CompletionsAfter({"get", "filter", "3"}), (Words{"hp", "lp"}));
    EXPECT_TRUE(CompletionsAfter({"get", "filter"}).empty());
    EXPECT_TRUE(CompletionsAfter({"set", "trim", "3"}).empty());
}

TEST(CliCompletion, SubCommandsAndOptionsFromTheSynopsis) {
    EXPECT_EQ(CompletionsAfter({"scene"}), (Words{"delete", "list", "load", "save"}));
    EXPECT_TRUE(CompletionsAfter({"scene", "load"}).empty());
    EXPECT_EQ(CompletionsAfter({"profile"}), (Words{"check", "diff"}));
    EXPECT_EQ(CompletionsAfter({"backup"}), (Words{"--whole"}));
    const Words firmware = CompletionsAfter({"firmware"});
    EXPECT_TRUE(Has(firmware, "check"));
    EXPECT_TRUE(Has(firmware, "make"));
    EXPECT_TRUE(Has(firmware, "--model"));
    EXPECT_TRUE(Has(firmware, "--payload-file"));
    const Words response = CompletionsAfter({"response", "--hp", "1,4,80"});
    EXPECT_TRUE(Has(response, "--lp"));
    EXPECT_TRUE(Has(response, "--plot"));
    EXPECT_FALSE(Has(response, "check"));
    EXPECT_TRUE(CompletionsAfter({"no-such-command"}).empty());
}

TEST(CliCompletion, TheProgramPrintsTheWordsAndTheScriptOffersThem) {
    auto r = RunCli("--complete get");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(Lines(r.out), CompletionsAfter({"get"}));
    r = RunCli("--complete");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(Lines(r.out), CompletionsAfter({}));
    // Not a command line to run: nothing else is done or said.
    r = RunCli("--complete --virtual-unit info --");
    EXPECT_EQ(Lines(r.out), CompletionsAfter({"--virtual-unit", "info", "--"}));

#ifndef _WIN32  // the completion script is bash's, installed with the Linux package
    EXPECT_EQ(BashCompletes("in"), (Words{"info"}));
    EXPECT_EQ(BashCompletes("--virtual-unit get tr"), (Words{"trim"}));
    EXPECT_EQ(BashCompletes("get filter 2 ''"), (Words{"hp", "lp"}));
    EXPECT_EQ(BashCompletes("--virtual-unit scene l"), (Words{"list", "load"}));
    EXPECT_EQ(BashCompletes("--vir"), (Words{"--virtual-unit"}));
#endif
}
