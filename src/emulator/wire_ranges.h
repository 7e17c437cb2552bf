#pragma once
// The range of every value the unit keeps, in the wire units it keeps them in. Each range
// is the table of limits' range of the value carried through the value's wire conversion,
// so the unit, the state file and the program agree on one range. A set command's value
// is put in its range before the unit keeps it, and a state file with a value outside its
// range is refused: the unit never keeps, reports or saves a value it would not accept.

#include <algorithm>
#include <cmath>

#include "base/limits.h"
#include "emulator/unit_state.h"

namespace dvdsp::emu {

struct WireRange {
    long lo, hi;
    template <typename T>
    T Keep(long v) const {
        return static_cast<T>(std::clamp(v, lo, hi));
    }
};

// The range of wire = a * value + b for a value in the limit's range.
constexpr WireRange Carried(const Limit& l, double a, double b) {
    const double x = a * l.min + b, y = a * l.max + b;
    const double lo = x < y ? x : y, hi = x < y ? y : x;
    // Rounded to the nearest integer: the table's limits are whole numbers of wire steps.
    return WireRange{static_cast<long>(lo < 0 ? lo - 0.5 : lo + 0.5),
                     static_cast<long>(hi < 0 ? hi - 0.5 : hi + 0.5)};
}

namespace wire_range {

using namespace limits;

inline constexpr WireRange kMainVolume = Carried(limits::kMainVolume, -1, 6);  // 6 - dB
inline constexpr WireRange kTrim100 = Carried(kTrim, -100, 0);        // attenuation, 1/100 dB
inline constexpr WireRange kDelayUs = Carried(kDelayMs, 1000, 0);     // microseconds
inline constexpr WireRange kBandFreq = Carried(limits::kBandFreq, 1, 0);
inline constexpr WireRange kBandQ100 = Carried(kBandQ, 100, 0);       // Q in hundredths
inline constexpr WireRange kBandGain10 = Carried(kBandGain, 10, 180);  // (gain + 18) in tenths
inline constexpr WireRange kFilterType = Carried(limits::kFilterType, 1, 0);
inline constexpr WireRange kFilterFreq = Carried(limits::kFilterFreq, 1, 0);
inline constexpr WireRange kFilterSlope = Carried(limits::kFilterSlope, 1, 0);
inline constexpr WireRange kRole = Carried(limits::kRole, 1, 0);
inline constexpr WireRange kFlag = Carried(limits::kFlag, 1, 0);
inline constexpr WireRange kSourceCode = Carried(kSource, 1, kFirstSourceCode);
inline constexpr WireRange kScene = Carried(limits::kScene, 1, 0);
inline constexpr WireRange kCrossSource = Carried(limits::kCrossSource, 1, 0);
inline constexpr WireRange kCrossSourceChannel = Carried(limits::kCrossSourceChannel, 1, 0);
inline constexpr WireRange kCrossSourceGain =
    Carried(limits::kCrossSourceGain, 1, limits::kCrossSourceGainOffset);  // gain + 32
inline constexpr WireRange kChannel{0, kOutputs - 1};
inline constexpr WireRange kLinkCount{0, kLinkPairs};

}  // namespace wire_range

// A band and a filter put in their ranges.
inline Band InRange(Band b) {
    using namespace wire_range;
    b.freq = kBandFreq.Keep<uint16_t>(b.freq);
    b.q100 = kBandQ100.Keep<uint16_t>(b.q100);
    b.gain10 = kBandGain10.Keep<uint16_t>(b.gain10);
    return b;
}
inline Filter InRange(Filter f) {
    using namespace wire_range;
    f.type = kFilterType.Keep<uint8_t>(f.type);
    f.freq = kFilterFreq.Keep<uint16_t>(f.freq);
    f.slope = kFilterSlope.Keep<uint8_t>(f.slope);
    return f;
}

}  // namespace dvdsp::emu
