#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/identity.h"
#include "base/log.h"
#include "cli/cli.h"
#include "emulator/fault_spec.h"
#include "platform/file_access.h"
#include "platform/paths.h"

#ifndef DVDSP_BUILD_COMMIT
#define DVDSP_BUILD_COMMIT "unknown"
#endif

using namespace dvdsp::cli;

namespace {

void PrintHelp() {
    std::printf(
        "usage: dvdsp-cli [--virtual-unit[=STATEFILE] [--replace-damaged-state]] [--direct] COMMAND [ARGS...]\n"
        "                 [-- COMMAND ...]\n"
        "       dvdsp-cli --help | --version\n"
        "\n"
        "Talks to a VTR50 DSP amplifier (USB 0483:5750), or with --virtual-unit to the\n"
        "virtual unit (kept in STATEFILE when one is given, else in memory for this run).\n"
        "A damaged STATEFILE is refused; --replace-damaged-state keeps it as STATEFILE.bad.N\n"
        "and starts the unit from its defaults. A file that is no state file is never touched.\n"
        "Several commands may be given, separated by --; they run in order against one unit,\n"
        "after the arguments of all of them were checked.\n"
        "While the dvdsp program holds the unit, get and set run through its control\n"
        "interface (the window follows, each set is one undo step); --direct refuses\n"
        "instead (exit 3), as every other command does then.\n"
        "With \"savelog.ini\" in the current directory every exchange goes to \"save.log\".\n"
        "%s"
        "\n"
        "commands:\n",
        dvdsp::emu::kVirtualFaultHelp);
    for (const Command& c : Registry()) {
        std::printf("  %s%s%s\n", c.name.c_str(), c.usage.empty() ? "" : " ", c.usage.c_str());
        std::string h = c.help;
        size_t pos = 0;
        while (pos <= h.size()) {
            size_t nl = h.find('\n', pos);
            std::string line =
                h.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
            std::printf("      %s\n", line.c_str());
            if (nl == std::string::npos) break;
            pos = nl + 1;
        }
    }
    std::printf("\n%s\n", kExitCodeHelp);
}

const Command* FindCommand(const std::string& name) {
    for (const Command& c : Registry())
        if (c.name == name) return &c;
    return nullptr;
}

int UsageOf(const Command& cmd) {
    std::fprintf(stderr, "usage: dvdsp-cli %s %s\n", cmd.name.c_str(), cmd.usage.c_str());
    return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
    // Arguments and output are UTF-8 on every system (file and scene names in any script).
    const std::vector<std::string> argList = dvdsp::platform::Utf8Arguments(argc, argv);
    dvdsp::platform::PrepareUtf8Console();
    // A file-size limit makes a write fail (exit 6 with the reason), as a full disk does.
    dvdsp::platform::TreatFileSizeLimitAsWriteError();
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");  // numbers read and printed with a decimal point

    // For the shell's completion: the words that may follow the ones given.
    if (argc >= 2 && argList[1] == "--complete") {
        for (const std::string& w : CompletionsAfter(Words(argList.begin() + 2, argList.end()))) std::printf("%s\n", w.c_str());
        return kOk;
    }

    GlobalOptions options;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string& a = argList[static_cast<size_t>(i)];
        if (a == "--help" || a == "-h") {
            PrintHelp();
            return kOk;
        } else if (a == "--version") {
            std::printf("dvdsp-cli %s (commit %s)\n", dvdsp::kSoftwareVersion, DVDSP_BUILD_COMMIT);
            return kOk;
        } else if (a == "--virtual-unit") {
            options.virtualUnit = true;
        } else if (a == "--direct") {
            options.direct = true;
        } else if (a == "--replace-damaged-state") {
            options.replaceDamagedState = true;
        } else if (a.rfind("--virtual-unit=", 0) == 0) {
            options.virtualUnit = true;
            options.stateFile = a.substr(std::strlen("--virtual-unit="));
        } else if (a.size() >= 2 && a[0] == '-' && a != "--") {
            std::fprintf(stderr, "unknown option '%s' (see dvdsp-cli --help)\n", a.c_str());
            return kUsage;
        } else {
            break;
        }
    }
    if (i >= argc) {
        PrintHelp();
        return kUsage;
    }
    // Split the rest into commands at "--".
    std::vector<std::vector<std::string>> commands(1);
    for (; i < argc; ++i) {
        if (argList[static_cast<size_t>(i)] == "--") {
            commands.emplace_back();
        } else {
            commands.back().push_back(argList[static_cast<size_t>(i)]);
        }
    }
    // Every command's arguments are checked before the first one runs, so that a mistake
    // in the last one changes nothing on the unit.
    std::vector<std::pair<const Command*, Words>> plan;
    for (const auto& words : commands) {
        if (words.empty()) continue;
        const Command* cmd = FindCommand(words[0]);
        if (!cmd) {
            std::fprintf(stderr, "unknown command '%s' (see dvdsp-cli --help)\n", words[0].c_str());
            return kUsage;
        }
        Words args(words.begin() + 1, words.end());
        if (cmd->check && cmd->check(args) != kOk) return UsageOf(*cmd);
        plan.emplace_back(cmd, std::move(args));
    }
    // The log goes to "save.log" only: standard output carries the commands' results.
    LogSetConsole(nullptr);
    dvdsp::platform::StartLogIfEnabled();
    Session session(options);
    for (const auto& [cmd, args] : plan) {
        int r = cmd->run(session, args);
        if (r == kUsage) UsageOf(*cmd);
        if (r != kOk) {
            session.Close();
            return r;
        }
    }
    return session.Close();
}
