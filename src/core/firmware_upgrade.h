#pragma once
// The firmware upgrade part of the controller: what the session does with the unit's
// model and firmware version after the read-out, the guard that freezes the session
// while an upgrade runs, and the forced update with the built-in image. The upgrade
// transfer and its windows will live here as well.

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <string>


namespace dvdsp::core {

struct ControllerContext;

inline constexpr const char* kNoForceUpdateMarker = "noForceUpdate.ini";

enum class FirmwareAction {
    None,         // same version as the built-in one
    Newer,        // the unit's firmware is newer: tell the user
    ForceUpdate,  // older: offer the forced update
    WrongModel,   // another model: disconnect
};

// `model`, `main`, `sub`: from the hand-shake; `noForceUpdate`: the marker file exists.
FirmwareAction DecideFirmware(int model, int main, int sub, bool noForceUpdate);

// True when the marker file that suppresses the forced update is in the current folder.
bool NoForceUpdateMarker();

// Writes a program resource to a file. 0 success, 1 resource not found, 3 empty,
// 5 file not creatable, 6 short write.
int ExtractResourceToFile(const std::string& name, const std::string& type, const std::string& path);

// Fills the "%d" fields of a language text with `values` in order, at most 1023
// characters. Other conversions are copied as they stand: the text comes from a
// language file, not from this program.
std::string FormatInts(const std::string& format, std::initializer_list<int> values);

// The folder for temporary files (platform::TempFolder: $TMP first).
std::string TempFolder();

// Model number, main and slave firmware version from the hand-shake (-1: none accepted).
struct DeviceInfo {
    int model = -1, mainVersion = -1, slaveVersion = -1;
};

class FirmwareUpgrade {
public:
    explicit FirmwareUpgrade(ControllerContext& ctx) : ctx_(ctx) {}

    // True while the unit is entering or running an upgrade: the session stays as it is.
    bool UpgradeGuard() const;
    // Asks for the forced update of a unit with older firmware and runs its window; true
    // when the update finished and the unit is to be read out again.
    bool ForceUpdatePrompt(const DeviceInfo& info);
    bool ForcedUpdateRunning() const { return forcedUpdate_ != 0; }

    // The firmware update window sets this while it is open.
    void SetUpgradeWindowOpen(bool open) { upgradeWindowOpen_ = open; }
    bool UpgradeWindowOpen() const { return upgradeWindowOpen_; }

    // An update's transfer ended well and the unit restarts into firmware main.sub (-1:
    // not known). Its going away is no plug-out to report (TakeRestartExpected), and the
    // read-out after it compares the unit with that image (TakeInstalled).
    void UpdateInstalled(int main, int sub);
    bool TakeRestartExpected() { return restartExpected_.exchange(false); }
    // The version installed by the last update, once: false when none is waiting.
    bool TakeInstalled(int* main, int* sub);

private:
    ControllerContext& ctx_;
    std::atomic<uint8_t> forcedUpdate_{0};
    bool upgradeWindowOpen_ = false;
    std::atomic<bool> restartExpected_{false};
    std::atomic<int> installed_{-1};  // main * 256 + sub of the last update, -1 none
};

}  // namespace dvdsp::core
