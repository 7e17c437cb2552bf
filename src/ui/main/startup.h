#pragma once
// Start-up and shut-down of the windowed program, and the language change.

#include <QString>
#include <functional>
#include <string>

namespace dvdsp::link {
class HidBackend;
}

namespace dvdsp::ui {

class CMainWnd;

inline constexpr const char* kSkinResourceName = "IDR_ZIPRES";
inline constexpr const char* kSkinResourceType = "ZIPRES";

// A unit that can be unplugged and plugged back from the program (the virtual unit):
// listeners hear both events (true: plugged in).
struct PlugControl {
    std::function<int(std::function<void(bool)>)> addListener;
    std::function<void(int)> removeListener;
    std::function<void(bool)> setPlugged;
    // Lets a rebooting unit go and come back when it is due (called now and then).
    std::function<void()> poll;
    explicit operator bool() const { return bool(addListener); }
};

struct StartOptions {
    QString screenshot;   // render the main window into this PNG and exit
    QString language;     // "en", "cn_zh" or "ru": overrides the setting
    int scale = 0;        // display scale; 0 = from the screens
    bool checkSingleInstance = true;
    // A virtual unit's state file taken by another process: the window says so and closes.
    // (The unit holds its file's lock; the program's own single-instance lock is then not
    // used, so that programs on two virtual units run side by side.)
    bool onVirtualUnit = false;
    bool unitInUse = false;
    bool autoConnect = true;      // connect when the window has initialised
    int readOutPauseMs = 1000;    // pause after the read-out
    PlugControl plug;             // virtual unit only
    QString script;               // --script FILE
    // The control interface's socket (ui/remote/control_server.h); none when empty.
    QString controlSocket;
};

// Reads --script FILE, --screenshot FILE, --language CODE, --scale N. False (with
// `error`) on a bad option value, an unknown option or any other argument; the options
// the program's entry reads itself (--virtual-unit[=FILE], --replace-damaged-state,
// --help, --version) are let through.
bool ParseStartOptions(int argc, char** argv, StartOptions* out, QString* error);

// Loads the skin from the program's resource. A missing or empty resource leaves the
// program without skin (false).
bool LoadSkinFromResource();

// Registers the three languages with the toolkit, in order.
void RegisterLanguages();
// The language code of a "lan" value: 0 "en", 1 "cn_zh", 2 "ru"; "" for any other.
QString LanguageCodeOf(int value);

// Switches to `code` and stores `value` as "lan"; the language already in use changes
// nothing and writes nothing. Returns true when the language changed.
bool ChangeLanguage(const QString& code, const QString& value);

// The whole program: QApplication, skin, main window, message loop, tear-down.
// `backend` is how the controller will reach the unit. Returns the process result.
int RunProgram(int argc, char** argv, const StartOptions& options, link::HidBackend* backend);

}  // namespace dvdsp::ui
