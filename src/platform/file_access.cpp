// What the file access of every system shares: the log's start.
#include <filesystem>
#include <system_error>

#include "base/log.h"
#include "platform/file_access.h"

namespace dvdsp::platform {

bool StartLogIfEnabled() {
    std::error_code ec;
    if (!std::filesystem::exists("savelog.ini", ec)) return false;
    std::string why;
    std::FILE* file = OpenLogFile("save.log", &why);
    if (!file) {
        std::fprintf(stderr, "the log is off: %s\n", why.c_str());
        return false;
    }
    if (!LogAttach(file)) return false;
    LogWriteHeader();
    return true;
}

}  // namespace dvdsp::platform
