// The program's command line: every option it knows is taken, anything else is refused
// before a window opens; --version names the build.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/main/startup.h"

using dvdsp::ui::ParseStartOptions;
using dvdsp::ui::StartOptions;

namespace {

bool Parse(std::vector<const char*> args, StartOptions& o, QString& error) {
    args.insert(args.begin(), "dvdsp");
    return ParseStartOptions(static_cast<int>(args.size()), const_cast<char**>(args.data()), &o, &error);
}

TEST(StartOptionsCommandLine, TakesTheProgramsOwnOptionsAndRefusesOthers) {
    StartOptions o;
    QString error;
    EXPECT_TRUE(Parse({"--virtual-unit=unit.json", "--replace-damaged-state", "--script", "s.txt",
                       "--virtual-unit", "--scale", "96"},
                      o, error))
        << error.toStdString();
    EXPECT_EQ(o.script, "s.txt");
    EXPECT_EQ(o.scale, 96);

    const std::vector<std::pair<std::vector<const char*>, const char*>> refused = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--virtual-unit", "-x"}, "unknown option '-x'"},
        {{"--virtual-unitx"}, "unknown option '--virtual-unitx'"},
        {{"stray.png"}, "unexpected argument 'stray.png'"},
        // A value is taken as the option's, not as an option of its own.
        {{"--screenshot", "--bogus", "--frobnicate"}, "unknown option '--frobnicate'"},
    };
    for (const auto& [args, says] : refused) {
        StartOptions fresh;
        error.clear();
        EXPECT_FALSE(Parse(args, fresh, error)) << says;
        EXPECT_EQ(error.toStdString(), says);
    }
}

#ifdef DVDSP_PROGRAM_PATH
struct ProgramRun {
    int code = -1;
    std::string out;
};

// Runs the program itself; a window that opened by mistake is ended by the time limit.
ProgramRun RunDvdsp(const std::string& args) {
    const std::string cmd = "QT_QPA_PLATFORM=offscreen timeout 60 '" + std::string(DVDSP_PROGRAM_PATH) + "' " +
                            args + " 2>&1";
    ProgramRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(StartOptionsCommandLine, TheProgramRefusesAnUnknownOptionWithTheUsageLine) {
    for (const char* args : {"--bogus", "--virtual-unit --bogus", "--virtual-unit stray"}) {
        const ProgramRun r = RunDvdsp(args);
        EXPECT_EQ(r.code, 2) << args << ": " << r.out;
        EXPECT_NE(r.out.find("usage: dvdsp "), std::string::npos) << args << ": " << r.out;
    }
}

TEST(StartOptionsCommandLine, TheProgramNamesItsVersionAndCommit) {
    const ProgramRun r = RunDvdsp("--version");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, std::string("dvdsp v6.8.7 (commit ") + DVDSP_BUILD_COMMIT + ")\n");
}
#endif

}  // namespace
