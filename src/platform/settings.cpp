#include "platform/settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "base/log.h"
#include "platform/atomic_file.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace dvdsp {

namespace {
std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}
}  // namespace

bool IniFile::Load(const std::string& path) {
    lines_.clear();
    // A settings file is a few lines: a larger one, or no regular file, is not read.
    std::string text;
    if (platform::ReadRegularFile(path, 1u << 20, &text) != platform::ReadStatus::Ok) return false;
    std::istringstream in(text);
    std::string raw, section;
    while (std::getline(in, raw)) {
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        Line l;
        l.raw = raw;
        std::string t = Trim(raw);
        if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
            section = Trim(t.substr(1, t.size() - 2));
            l.section = section;
        } else if (!t.empty() && t[0] != ';' && t[0] != '#' && t.find('=') != std::string::npos) {
            size_t eq = t.find('=');
            l.section = section;
            l.key = Trim(t.substr(0, eq));
            l.value = Trim(t.substr(eq + 1));
        } else {
            l.section = section;
        }
        lines_.push_back(std::move(l));
    }
    return true;
}

bool IniFile::Save(const std::string& path) const {
    std::string text;
    for (const Line& l : lines_) text += l.raw + "\r\n";
    // Replaced in one step, so a crash never leaves half a file.
    return platform::WriteFileAtomically(path, text);
}

std::string IniFile::Get(const std::string& section, const std::string& key,
                         const std::string& def) const {
    for (const Line& l : lines_)
        if (!l.key.empty() && l.section == section && l.key == key) return l.value;
    return def;
}

int IniFile::GetInt(const std::string& section, const std::string& key, int def) const {
    std::string v = Get(section, key);
    if (v.empty()) return def;
    char* end = nullptr;
    errno = 0;
    long n = std::strtol(v.c_str(), &end, 10);
    if (end == v.c_str()) return def;
    // A number the program cannot hold is no setting of its (not the number cut short).
    if (errno == ERANGE || n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        return def;
    return static_cast<int>(n);
}

void IniFile::Set(const std::string& section, const std::string& key, const std::string& value) {
    for (Line& l : lines_) {
        if (!l.key.empty() && l.section == section && l.key == key) {
            l.value = value;
            l.raw = key + "=" + value;
            return;
        }
    }
    // Insert after the last line of the section, creating it when missing.
    size_t pos = lines_.size();
    bool found = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].section == section) {
            found = true;
            pos = i + 1;
        }
    }
    if (!found) {
        Line h;
        h.section = section;
        h.raw = "[" + section + "]";
        lines_.push_back(h);
        pos = lines_.size();
    }
    Line l;
    l.section = section;
    l.key = key;
    l.value = value;
    l.raw = key + "=" + value;
    lines_.insert(lines_.begin() + static_cast<long>(pos), l);
}

std::string SettingsPath() {
    return platform::Utf8FromPath(platform::PathFromUtf8(SettingsFolder()) / "dravik.ini");
}

int ReadSettingInt(const std::string& key, int def) {
    IniFile ini;
    if (!ini.Load(SettingsPath())) return def;
    return ini.GetInt("config", key, def);
}

bool WriteSettingInt(const std::string& key, int value) {
    IniFile ini;
    std::string path = SettingsPath();
    ini.Load(path);
    ini.Set("config", key, std::to_string(value));
    return ini.Save(path);
}

int ReadLanguageSetting() {
    return ReadSettingInt("lan", 0);
}

bool ScreenRect::operator<(const ScreenRect& o) const {
    if (left != o.left) return left < o.left;
    if (top != o.top) return top < o.top;
    if (right != o.right) return right < o.right;
    return bottom < o.bottom;
}

int ScaleFromFactor(float f) {
    if (f < 1.0f) return 77;
    if (f < 1.25f) return 96;
    if (f < 1.5f) return 120;
    if (f < 2.0f) return 144;
    if (f < 3.0f) return 192;
    return 288;
}

int ChooseDisplayScale(const ScreenRect& primary, const ScreenRect& virtualScreen,
                       const std::vector<ScreenRect>& monitors) {
    LogWriteNarrow("m_MainScreen (%d,%d,%d,%d)\n", primary.left, primary.top, primary.right,
                   primary.bottom);
    LogWriteNarrow("m_VirtualScreen (%d,%d,%d,%d)\n", virtualScreen.left, virtualScreen.top,
                   virtualScreen.right, virtualScreen.bottom);
    std::vector<ScreenRect> others;
    for (const ScreenRect& m : monitors)
        if (m.left != 0 || m.top != 0) others.push_back(m);
    std::sort(others.begin(), others.end());
    ScreenRect pick = primary;
    for (const ScreenRect& m : others)
        if (m.Width() > pick.Width()) pick = m;
    LogWriteNarrow("screen size %d x %d\n", pick.Width(), pick.Height());
    int scale = 96;
    if (pick.Width() > 0 && pick.Height() > 0) {
        float f = std::min(static_cast<float>(pick.Width()) / 1280.0f,
                           static_cast<float>(pick.Height()) / 720.0f);
        scale = ScaleFromFactor(f);
    }
    LogWriteNarrow("DPI %d\n", scale);
    return scale;
}

}  // namespace dvdsp
