#include <unistd.h>

#include <cstdlib>

#include "platform/paths.h"

namespace dvdsp::platform {

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(utf8);
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return path.string();
}

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
    return std::fopen(utf8Path.c_str(), mode);
}

std::string EnvironmentValue(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string TempFolder() {
    for (const char* var : {"TMP", "TMPDIR"})
        if (std::string v = EnvironmentValue(var); !v.empty()) return v;
    return "/tmp";
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void PrepareUtf8Console() {}

bool IsTerminal(std::FILE* stream) {
    return stream && ::isatty(::fileno(stream)) != 0;
}

unsigned long HiddenConsoleFlags() {
    return 0;
}

}  // namespace dvdsp::platform
