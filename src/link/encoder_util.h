#pragma once
// Building blocks of the ranged encoders: the four range bytes, then one group of bytes per
// channel of the inclusive range.

#include <cstdint>
#include <vector>

namespace dvdsp::link::wire {

// Channels of an inclusive range; none when the end lies before the start.
inline int RangeCount(uint8_t first, uint8_t last) {
    return last < first ? 0 : last - first + 1;
}

// The k-th value given for a range, 0 when the caller gave fewer.
template <typename T>
T ValueAt(const std::vector<T>& v, int k) {
    return k < static_cast<int>(v.size()) ? v[static_cast<size_t>(k)] : T{};
}

// scene, source, first, last, then one byte per channel; `log(channel, byte)` writes the
// channel's log line.
template <typename T, typename Log>
std::vector<uint8_t> RangedBytes(uint8_t scene, uint8_t source, uint8_t first, uint8_t last,
                                 const std::vector<T>& values, Log log) {
    std::vector<uint8_t> d = {scene, source, first, last};
    for (int k = 0; k < RangeCount(first, last); ++k) {
        auto v = static_cast<uint8_t>(ValueAt(values, k));
        log(first + k, v);
        d.push_back(v);
    }
    return d;
}

}  // namespace dvdsp::link::wire
