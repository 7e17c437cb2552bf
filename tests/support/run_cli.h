#pragma once
// Runs the built dvdsp-cli and collects what it prints: through the shell on POSIX systems,
// through cmd.exe on Windows (arguments are passed as UTF-8 and reach the program whole).

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "base/log.h"

namespace dvdsp::testing {

struct CliResult {
    int code = -1;
    std::string out;  // standard output and standard error together (or standard output alone)
};

// The program under test: on Windows the one beside the running test program (both are in
// the build's bin folder), so that the name holds whatever drive the build is on.
inline std::string CliPath() {
#ifdef _WIN32
    std::wstring self(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    self.resize(n);
    const size_t slash = self.find_last_of(L"\\/");
    return WideToUtf8(self.substr(0, slash == std::wstring::npos ? 0 : slash + 1)) + "dvdsp-cli.exe";
#else
    return DVDSP_CLI_PATH;
#endif
}

// One argument as the shell that RunCli goes through reads it whole (spaces and all): in
// single quotes for a POSIX shell, in double quotes for cmd.exe.
inline std::string Quoted(const std::string& arg) {
#ifdef _WIN32
    return "\"" + arg + "\"";
#else
    return "'" + arg + "'";
#endif
}

// Runs `args` in `dir` (the current directory when empty). `env`: "NAME=value" sets a
// variable for the run, a bare "NAME" removes it. `withStderr`: standard error is collected
// too, else thrown away.
inline CliResult RunCli(const std::string& args, const std::string& dir = "",
                        const std::vector<std::string>& env = {}, bool withStderr = true) {
    CliResult r;
#ifdef _WIN32
    std::string cmd;
    if (!dir.empty()) cmd = "cd /d \"" + dir + "\" && ";
    for (const std::string& e : env) cmd += "set \"" + (e.find('=') == std::string::npos ? e + "=" : e) + "\" && ";
    cmd += "\"" + CliPath() + "\" " + args + (withStderr ? " 2>&1" : " 2>NUL");
    FILE* p = ::_wpopen(Utf8ToWide(cmd).c_str(), L"rt");
#else
    std::string cmd;
    if (!dir.empty()) cmd = "cd '" + dir + "' && ";
    for (const std::string& e : env) {
        const size_t eq = e.find('=');
        cmd += eq == std::string::npos ? "unset " + e + "; "
                                       : "export " + e.substr(0, eq) + "='" + e.substr(eq + 1) + "'; ";
    }
    cmd += "'" + CliPath() + "' " + args + (withStderr ? " 2>&1" : " 2>/dev/null");
    FILE* p = popen(cmd.c_str(), "r");
#endif
    if (!p) return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
#ifdef _WIN32
    r.code = ::_pclose(p);
#else
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return r;
}

#ifndef _WIN32
// Runs `args` after the shell commands `shell` (limits, signals to ignore) in the same shell.
inline CliResult RunCliInShell(const std::string& args, const std::string& shell) {
    const std::string cmd = shell + "; '" + CliPath() + "' " + args + " 2>&1";
    CliResult r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}
#endif

}  // namespace dvdsp::testing
