// Fuzz target for the settings file "dravik.ini": any bytes as the file, read and written
// through the program's own calls. A number read back is the one written, whatever else
// the file holds; a value too large for the program's numbers gives the default; every
// other line comes through a rewrite unchanged.
#include <unistd.h>

#include <charconv>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/settings.h"

using namespace dvdsp;
namespace fs = std::filesystem;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

const char* const kKeys[] = {"lan", "factoryEQ", "mem_addr"};
constexpr int kDefault = -12345;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The value of `key` in section "config" as a whole decimal number, when it is one.
bool WholeNumber(const IniFile& ini, const char* key, long long& out) {
    const std::string v = ini.Get("config", key);
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
    return ec == std::errc() && end == v.data() + v.size() && !v.empty();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The settings folder follows XDG_CONFIG_HOME: a scratch folder of this process, in
    // memory when the machine has a memory file system (every write is flushed to disk).
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    static const fs::path home = base / ("dvdsp_fuzz_settings_" + std::to_string(getpid()));
    fs::create_directories(home);
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(home, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = SettingsPath();
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;

    IniFile before;
    Check(before.Load(path));
    for (const char* key : kKeys) {
        const int got = ReadSettingInt(key, kDefault);
        Check(got == before.GetInt("config", key, kDefault));
        long long whole;
        if (WholeNumber(before, key, whole))
            Check(whole < INT_MIN || whole > INT_MAX ? got == kDefault : got == whole);
    }

    // A number from the input's size and last bytes, extremes included.
    int value = static_cast<int>(size * 2654435761u);
    if (size >= 4) value ^= static_cast<int>(data[size - 1] | data[size - 2] << 8 | data[size - 3] << 16 |
                                             static_cast<unsigned>(data[size - 4]) << 24);
    const char* key = kKeys[size % 3];
    Check(WriteSettingInt(key, value));
    Check(ReadSettingInt(key, kDefault) == value);

    IniFile after;
    Check(after.Load(path));
    for (const char* other : kKeys)
        if (other != key) Check(after.Get("config", other) == before.Get("config", other));
    // Written again as it was read: nothing more changes.
    const std::string once = ReadAll(path);
    Check(after.Save(path));
    Check(ReadAll(path) == once);
    return 0;
}
