// Fuzz target for the numbers of the command line: any word as a whole number, a value
// and an index of get/set. A decimal or 0x word reads as what it says and nothing else
// reads at all; a number reads back from its own printed form; an index is inside the
// range of its synopsis word; a value that a limit accepts is a finite number inside it.
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/numbers.h"
#include "base/limits.h"

using namespace dvdsp;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// What `s` says as [sign] digits or [sign] 0x hex digits, read independently.
bool Plain(const std::string& s, long& out) {
    size_t at = !s.empty() && (s[0] == '+' || s[0] == '-') ? 1 : 0;
    const bool negative = at == 1 && s[0] == '-';
    int base = 10;
    if (s.size() > at + 1 && s[at] == '0' && (s[at + 1] == 'x' || s[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    if (at >= s.size() || s[at] == '-' || s[at] == '+') return false;
    unsigned long magnitude = 0;
    const auto [end, ec] = std::from_chars(s.data() + at, s.data() + s.size(), magnitude, base);
    if (ec != std::errc() || end != s.data() + s.size()) return false;
    if (negative) {
        if (magnitude > static_cast<unsigned long>(LONG_MAX) + 1) return false;
        out = static_cast<long>(0 - magnitude);
    } else {
        if (magnitude > static_cast<unsigned long>(LONG_MAX)) return false;
        out = static_cast<long>(magnitude);
    }
    return true;
}

constexpr Limit kLimits[] = {
    limits::kMainVolume, limits::kTrim,       limits::kDelayMs,
    limits::kRole,       limits::kFlag,       limits::kBandFreq,
    limits::kBandQ,      limits::kBandGain,   limits::kFilterType,
    limits::kFilterSlope, limits::kRoutingMask, limits::kPartner,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string word(reinterpret_cast<const char*>(data), size);

    long n = 0, plain = 0;
    const bool isInt = cli::ParseInt(word, n);
    const bool isPlain = Plain(word, plain);
    Check(isInt == isPlain);
    if (isInt) {
        Check(n == plain);
        long again = 0;
        Check(cli::ParseInt(std::to_string(n), again) && again == n);
    }

    double v = 0;
    if (cli::ParseDouble(word, v)) {
        Check(!word.empty() && !std::isspace(static_cast<unsigned char>(word[0])));
        if (isInt && std::fabs(static_cast<double>(n)) < 9007199254740992.0)
            Check(v == static_cast<double>(n));
        if (std::isfinite(v)) {
            char printed[64];
            std::snprintf(printed, sizeof printed, "%.17g", v);
            double again = 0;
            Check(cli::ParseDouble(printed, again) && again == v);
        }
        for (const Limit& limit : kLimits)
            if (limit.Accepts(v)) Check(std::isfinite(v) && v >= limit.min && v <= limit.max && limit.Clamp(v) == v);
    }

    static const struct {
        const char* word;
        double max;
    } kIndexes[] = {{"CH", 9}, {"BAND", 30}, {"SOURCE", 8}, {"PAIR", 4}, {"hp|lp", 1}, {"GROUP", 255}};
    for (const auto& index : kIndexes) {
        double at = -1;
        if (cli::ParseIndex(index.word, word, at)) Check(at >= 0 && at <= index.max && at == std::floor(at));
    }
    return 0;
}
