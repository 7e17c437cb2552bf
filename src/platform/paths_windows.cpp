#include <windows.h>
#include <shellapi.h>

#include <io.h>

#include <cstdlib>
#include <cwchar>

#include "base/log.h"
#include "platform/paths.h"

namespace dvdsp::platform {

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(Utf8ToWide(utf8));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return WideToUtf8(path.wstring());
}

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) {
    return ::_wfopen(Utf8ToWide(utf8Path).c_str(), Utf8ToWide(mode).c_str());
}

std::string EnvironmentValue(const char* name) {
    const wchar_t* v = ::_wgetenv(Utf8ToWide(name).c_str());
    return v ? WideToUtf8(v) : std::string();
}

std::string TempFolder() {
    for (const char* var : {"TMP", "TEMP"})
        if (std::string v = EnvironmentValue(var); !v.empty()) return v;
    wchar_t buf[MAX_PATH + 2] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buf);
    std::wstring dir(buf, n > 0 && n <= MAX_PATH + 1 ? n : 0);
    while (dir.size() > 3 && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
    return dir.empty() ? std::string(".") : WideToUtf8(dir);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int n = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &n);
    if (!wide || n != argc) {
        if (wide) ::LocalFree(wide);
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> out;
    out.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) out.push_back(WideToUtf8(wide[i]));
    ::LocalFree(wide);
    return out;
}

void PrepareUtf8Console() {
    ::SetConsoleOutputCP(CP_UTF8);
}

bool IsTerminal(std::FILE* stream) {
    return stream && ::_isatty(::_fileno(stream)) != 0;
}

unsigned long HiddenConsoleFlags() {
    return CREATE_NO_WINDOW;
}

}  // namespace dvdsp::platform
