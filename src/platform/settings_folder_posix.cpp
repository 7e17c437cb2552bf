#include <filesystem>

#include "platform/paths.h"
#include "platform/settings.h"

namespace fs = std::filesystem;

namespace dvdsp {

std::string SettingsFolder() {
    std::error_code ec;
    fs::path base;
    if (std::string x = platform::EnvironmentValue("XDG_CONFIG_HOME"); !x.empty()) {
        base = x;
    } else if (std::string h = platform::EnvironmentValue("HOME"); !h.empty()) {
        base = fs::path(h) / ".config";
    }
    if (!base.empty()) {
        fs::path dir = base / "dvdsp";
        fs::create_directories(dir, ec);
        if (!ec && fs::is_directory(dir, ec)) return dir.string();
    }
    return fs::current_path(ec).string();
}

}  // namespace dvdsp
