#include "core/channel_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace dvdsp::core {
namespace {

std::string Printf(const char* fmt, double v) {
    char buf[48];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

int UnitMax(int unit) { return unit == kDelayCm ? kMaxDelayCm : kMaxDelayInch; }

}  // namespace

std::string MainVolumeText(int volume) {
    if (volume == kMainVolumeOff) return kOffText;
    return Printf("%gdB", static_cast<double>(volume));
}

int TrimTenths(float gain) { return static_cast<int>(std::lround(static_cast<double>(gain) * 10.0)); }

std::string TrimText(float gain, bool atMinimum) {
    if (atMinimum) return kOffText;
    // Halves of a dB from the tenths, so that -3.5 stays -3.5 whatever the float holds.
    int halves = TrimTenths(gain) / 5;
    double shown = halves / 2.0;
    if (shown == 0.0) shown = 0.0;  // no "-0.0"
    return Printf("%.1fdB", shown);
}

std::string DelayText(float ms, int unit, bool bare) {
    if (unit == kDelayCm || unit == kDelayInch) {
        long n = std::lround(static_cast<double>(ms) * UnitMax(unit) / kMaxDelayMs);
        std::string s = std::to_string(n);
        return bare ? s : s + (unit == kDelayCm ? " cm" : " in");
    }
    return Printf(bare ? "%.3f" : "%.3f ms", static_cast<double>(ms));
}

std::string SlopeText(int order) {
    if (order <= 0) return kOffText;
    return std::to_string(6 * std::min(order, static_cast<int>(limits::kFilterSlope.max))) + " dB/oct";
}

std::string LimitText(const Limit& limit, double value) {
    // A format of "%d" takes an int, every other one a double.
    const std::string f = limit.format;
    if (f.find('d') != std::string::npos && f.find('f') == std::string::npos && f.find('g') == std::string::npos) {
        char buf[48];
        std::snprintf(buf, sizeof buf, limit.format, static_cast<int>(std::lround(value)));
        return buf;
    }
    std::string s = Printf(limit.format, value);
    // "-0.0" reads as "0.0".
    if (!s.empty() && s[0] == '-' && s.find_first_of("123456789") == std::string::npos) s.erase(0, 1);
    return s;
}

bool ParseNumber(const std::string& text, double& value) {
    const char* begin = text.c_str();
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(v)) return false;
    value = v;
    return true;
}

float DelayFromText(const std::string& text, int unit) {
    double v = 0.0;
    if (!ParseNumber(text, v)) v = 0.0;
    if (unit == kDelayCm || unit == kDelayInch) {
        const int max = UnitMax(unit);
        long n = std::clamp(std::lround(v), 0L, static_cast<long>(max));
        return static_cast<float>(static_cast<double>(n) * kMaxDelayMs / max);
    }
    return static_cast<float>(std::clamp(v, 0.0, static_cast<double>(kMaxDelayMs)));
}

float NormalizeDelay(float ms, int unit) {
    double v = std::isfinite(ms) ? std::clamp(static_cast<double>(ms), 0.0, static_cast<double>(kMaxDelayMs)) : 0.0;
    if (unit == kDelayCm || unit == kDelayInch) {
        const int max = UnitMax(unit);
        long n = std::lround(v * max / kMaxDelayMs);
        v = static_cast<double>(n) * kMaxDelayMs / max;
    } else {
        // Whole microseconds, as the slider and the unit count them.
        v = static_cast<double>(std::lround(v * 1000.0)) / 1000.0;
    }
    return static_cast<float>(v);
}

}  // namespace dvdsp::core
