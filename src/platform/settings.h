#pragma once
// The per-machine settings file "dravik.ini" (section "config") and the display scale.

#include <map>
#include <string>
#include <vector>

namespace dvdsp {

// Minimal INI file: sections of key=value lines. Unknown lines are kept on rewrite.
class IniFile {
  public:
    bool Load(const std::string& path);
    bool Save(const std::string& path) const;
    std::string Get(const std::string& section, const std::string& key,
                    const std::string& def = "") const;
    int GetInt(const std::string& section, const std::string& key, int def) const;
    void Set(const std::string& section, const std::string& key, const std::string& value);

  private:
    struct Line {
        std::string section, key, value, raw;
    };
    std::vector<Line> lines_;
};

// Folder of the settings file: $XDG_CONFIG_HOME/dvdsp or ~/.config/dvdsp, created when
// missing (Windows: the machine-wide application-data folder, C:\ProgramData); the current
// directory when neither can be had.
std::string SettingsFolder();
// Full path of "dravik.ini".
std::string SettingsPath();

int ReadSettingInt(const std::string& key, int def);
bool WriteSettingInt(const std::string& key, int value);

// Value of "lan" (0 English, 1 Chinese, 2 Russian), default 0.
int ReadLanguageSetting();

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator<(const ScreenRect& o) const;
    bool operator==(const ScreenRect& o) const = default;
};

// Picks the toolkit's scale value (77, 96, 120, 144, 192 or 288) from the primary
// screen, the virtual screen and the monitor rectangles, logging as it goes.
int ChooseDisplayScale(const ScreenRect& primary, const ScreenRect& virtualScreen,
                       const std::vector<ScreenRect>& monitors);
// The mapping of the scale factor alone.
int ScaleFromFactor(float f);

}  // namespace dvdsp
