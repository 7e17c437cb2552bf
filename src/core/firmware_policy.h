#pragma once
// What the session does with the unit's model and firmware version after the read-out,
// and the built-in firmware image written out for a forced update.

#include <initializer_list>
#include <string>

namespace dvdsp::core {

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

// The folder for temporary files: $TMP, else $TMPDIR, else /tmp.
std::string TempFolder();

}  // namespace dvdsp::core
