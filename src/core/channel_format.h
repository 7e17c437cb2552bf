#pragma once
// How the main page shows and reads the channel values: master volume, trim and delay
// texts, the delay units and their conversions. Pure functions; the controller and the
// window share them so that a value reads back the way it is shown.

#include <string>

namespace dvdsp::core {

inline constexpr const char* kOffText = "${off}";
inline constexpr int kMainVolumeOff = -60;  // dB, shown as "${off}"
inline constexpr int kTrimOffTenths = -600;  // "${off}" typed in a trim edit
inline constexpr float kMaxDelayMs = 15.0f;
inline constexpr int kDelayStepUs = 21;
inline constexpr int kTrimStepTenths = 5;

// Delay units of "comb_ch_unit".
inline constexpr int kDelayMs = 0, kDelayCm = 1, kDelayInch = 2;
inline constexpr int kMaxDelayCm = 519;
inline constexpr int kMaxDelayInch = 204;

// "%gdB" of the whole-dB volume, "${off}" at -60.
std::string MainVolumeText(int volume);
// The trim truncated toward zero to a multiple of 0.5 dB, "%.1fdB"; "${off}" when `atMinimum`.
std::string TrimText(float gain, bool atMinimum);
// Slider position (tenths) of a trim.
int TrimTenths(float gain);

// The delay in the unit: "%d cm", "%d in" or "%.3f ms"; `bare` leaves the unit out.
std::string DelayText(float ms, int unit, bool bare = false);
// A delay edit's text in the unit, clamped to the unit's range, as milliseconds.
float DelayFromText(const std::string& text, int unit);
// Clamped to 0-15 ms and put on the nearest whole centimetre or inch, or microsecond in
// milliseconds.
float NormalizeDelay(float ms, int unit);

// A decimal number at the start of `text` (after blanks); false when there is none.
bool ParseNumber(const std::string& text, double& value);

}  // namespace dvdsp::core
