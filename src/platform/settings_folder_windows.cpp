#include <windows.h>
#include <shlobj.h>

#include <filesystem>

#include "base/log.h"
#include "platform/paths.h"
#include "platform/settings.h"

namespace fs = std::filesystem;

namespace dvdsp {

// The machine-wide application-data folder (C:\ProgramData), where the settings of every
// user of the machine are kept; the current directory when the system names none.
std::string SettingsFolder() {
    std::error_code ec;
    wchar_t* known = nullptr;
    std::wstring dir;
    if (::SHGetKnownFolderPath(FOLDERID_ProgramData, KF_FLAG_DEFAULT, nullptr, &known) == S_OK && known)
        dir = known;
    if (known) ::CoTaskMemFree(known);
    if (!dir.empty() && fs::is_directory(fs::path(dir), ec)) return WideToUtf8(dir);
    return platform::Utf8FromPath(fs::current_path(ec));
}

}  // namespace dvdsp
