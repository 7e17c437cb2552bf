#pragma once
// Runs the built dvdsp-cli and collects what it prints.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace dvdsp::testing {

struct CliResult {
    int code = -1;
    std::string out;  // standard output and standard error together
};

// `shell`: shell commands run first in the same shell (limits, signals to ignore).
inline CliResult RunCli(const std::string& args, const std::string& dir = "", const std::string& shell = "") {
    std::string cmd;
    if (!dir.empty()) cmd = "cd '" + dir + "' && ";
    if (!shell.empty()) cmd += shell + "; ";
    cmd += std::string("'") + DVDSP_CLI_PATH + "' " + args + " 2>&1";
    CliResult r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace dvdsp::testing
