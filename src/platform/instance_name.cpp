#include <filesystem>
#include <functional>
#include <string>

#include "platform/instance_lock.h"

namespace dvdsp::platform {

std::string VirtualUnitMutexName(const std::string& stateFile) {
    // The same file reached by another relative path is the same unit.
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(stateFile, ec);
    std::string key = std::filesystem::weakly_canonical(full, ec).string();
    if (ec) key = full.string();
    return "dvdsp-unit-" + std::to_string(std::hash<std::string>{}(key));
}

}  // namespace dvdsp::platform
