#pragma once
// Small helpers of the unit's command handlers: big-endian fields and channel ranges
// bounded to what the unit has and to what fits one reply packet.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "emulator/unit_state.h"
#include "emulator/wire_ranges.h"

namespace dvdsp::emu {

// Data bytes a reply packet can carry (LEN 61 minus command, operation and checksum).
inline constexpr size_t kMaxReplyData = 58;

inline uint16_t Be16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

inline void PutBe16(std::vector<uint8_t>& v, unsigned x) {
    v.push_back(static_cast<uint8_t>((x >> 8) & 0xFF));
    v.push_back(static_cast<uint8_t>(x & 0xFF));
}

inline uint8_t B(int x) {
    return static_cast<uint8_t>(x & 0xFF);
}

// An inclusive item range as a request names it, bounded to the items the unit has
// (`count`) and to `maxItems` per reply. `first`..`last` is what the reply carries;
// `last` < `first` means nothing.
struct BoundedRange {
    int first = 0, last = -1;
    int Size() const { return last >= first ? last - first + 1 : 0; }
    // The end byte the reply states: the last item sent (below the start when none).
    uint8_t EndByte() const { return static_cast<uint8_t>(last); }
};

inline BoundedRange Bound(uint8_t start, uint8_t end, int count, int maxItems) {
    BoundedRange r;
    r.first = start;
    if (end < start || start >= count || maxItems <= 0) {
        r.last = start - 1;
        if (end < start) r.last = end;  // keep an inverted request as it was
        return r;
    }
    r.last = std::min({static_cast<int>(end), count - 1, start + maxItems - 1});
    return r;
}

// Items of `perItem` bytes that fit one reply after `header` bytes.
inline int FitItems(size_t header, size_t perItem) {
    return static_cast<int>((kMaxReplyData - header) / perItem);
}

// An integer byte and a signed tenths digit, as tenths (never negative).
inline uint16_t Tenths(uint8_t whole, uint8_t tenth) {
    return static_cast<uint16_t>(std::clamp(whole * 10 + static_cast<int8_t>(tenth), 0, 2559));
}

// A band as EQ_Ctrl and Input_EQ_Ctrl carry it: frequency, Q in tenths, gain + 18 dB in
// tenths. The unit keeps Q in hundredths, as its reports carry it, and each field in its
// range.
inline Band DecodeSetBand(const uint8_t* p) {
    Band b;
    b.freq = Be16(p);
    b.q100 =
        static_cast<uint16_t>(std::clamp(p[2] * 100 + static_cast<int8_t>(p[3]) * 10, 0, 25599));
    b.gain10 = Tenths(p[4], p[5]);
    return InRange(b);
}

// A band as the reports carry it: frequency, Q in hundredths, gain + 18 dB in tenths.
inline void EncodeBand(std::vector<uint8_t>& v, const Band& b) {
    PutBe16(v, b.freq);
    v.push_back(B(b.q100 / 100));
    v.push_back(B(b.q100 % 100));
    v.push_back(B(b.gain10 / 10));
    v.push_back(B(b.gain10 % 10));
}

}  // namespace dvdsp::emu
