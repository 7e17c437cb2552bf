#pragma once
// How the main page shows and reads the channel values: master volume, trim and delay
// texts, the delay units and their conversions. Pure functions; the controller and the
// window share them so that a value reads back the way it is shown.

#include <string>

#include "base/limits.h"

namespace dvdsp::core {
namespace detail {
constexpr int Round(double v) { return static_cast<int>(v < 0 ? v - 0.5 : v + 0.5); }
}  // namespace detail

inline constexpr const char* kOffText = "${off}";
// The lowest volume of the page, shown as "${off}" (dB).
inline constexpr int kMainVolumeOff = detail::Round(limits::kMainVolume.uiMin);
// "${off}" typed in a trim edit: the lowest trim of the page, in tenths.
inline constexpr int kTrimOffTenths = detail::Round(limits::kTrim.uiMin * limits::kTrim.scale);
inline constexpr float kMaxDelayMs = static_cast<float>(limits::kDelayMs.uiMax);
inline constexpr int kDelayStepUs = detail::Round(limits::kDelayMs.step * limits::kDelayMs.scale);
inline constexpr int kTrimStepTenths = detail::Round(limits::kTrim.step * limits::kTrim.scale);

// Delay units of the delay texts.
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

// A crossover's slope as its selector shows it: "24 dB/oct" for order 4, "${off}" for 0.
std::string SlopeText(int order);
// A value in the display format of its row of the table of limits ("%d", "%.2f", ...).
std::string LimitText(const Limit& limit, double value);

// A decimal number at the start of `text` (after blanks); false when there is none.
bool ParseNumber(const std::string& text, double& value);

}  // namespace dvdsp::core
