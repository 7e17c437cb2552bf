#pragma once
// The ranged commands: scene, source, first and last channel of an inclusive range, then
// one group of bytes per channel of the range, in channel order. The per-channel loop is
// written here once; each command gives only its value encoder and its log line.

#include <cstdint>
#include <vector>

#include "base/log.h"
#include "link/protocol/frame.h"

namespace dvdsp::link::wire {

// Channels of an inclusive range; none when the end lies before the start.
inline int RangeCount(uint8_t first, uint8_t last) {
    return last < first ? 0 : last - first + 1;
}

// The k-th value given for a range, `missing` when the caller gave fewer.
template <typename T>
T ValueAt(const std::vector<T>& v, int k, const T& missing = T{}) {
    return k < static_cast<int>(v.size()) ? v[static_cast<size_t>(k)] : missing;
}

// Appends `put(data, channel, value)` for each channel from first to last, the values
// taken in order (missing ones as `missing`).
template <typename T, typename Put>
void AppendRanged(std::vector<uint8_t>& d, uint8_t first, uint8_t last,
                  const std::vector<T>& values, Put put, const T& missing = T{}) {
    for (int k = 0; k < RangeCount(first, last); ++k)
        put(d, first + k, ValueAt(values, k, missing));
}

}  // namespace dvdsp::link::wire

namespace dvdsp::link::protocol {

// What a ranged set command's per-channel log line shows before its value.
enum class RangeLog {
    SceneChannel,        // scene, channel, value
    SceneSourceChannel,  // scene, source, channel, value
};

// A ranged CMD_DSP set command. `encode(data, value)` appends the bytes of one channel's
// value and returns what the channel's log line shows of it.
template <typename T, typename Encode>
Frame RangedSet(uint8_t cmd, uint8_t scene, uint8_t source, uint8_t first, uint8_t last,
                const std::vector<T>& values, const char* logFormat, RangeLog shown,
                Encode encode) {
    Frame f{CMD_DSP, cmd, OP_SET, {scene, source, first, last}};
    wire::AppendRanged(f.data, first, last, values,
                       [&](std::vector<uint8_t>& d, int ch, const T& v) {
                           const auto logged = encode(d, v);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
                           if (shown == RangeLog::SceneSourceChannel)
                               LogWriteNarrow(logFormat, scene, source, ch, logged);
                           else
                               LogWriteNarrow(logFormat, scene, ch, logged);
#pragma GCC diagnostic pop
                       });
    return f;
}

// A ranged set command of one byte per channel.
template <typename T>
Frame RangedBytes(uint8_t cmd, uint8_t scene, uint8_t source, uint8_t first, uint8_t last,
                  const std::vector<T>& values, const char* logFormat,
                  RangeLog shown = RangeLog::SceneChannel) {
    return RangedSet(cmd, scene, source, first, last, values, logFormat, shown,
                     [](std::vector<uint8_t>& d, T v) {
                         const auto b = static_cast<uint8_t>(v);
                         d.push_back(b);
                         return static_cast<int>(b);
                     });
}

// The query of a ranged command: the range alone.
inline Frame RangedGet(uint8_t cmd, uint8_t scene, uint8_t source, uint8_t first, uint8_t last) {
    return Frame{CMD_DSP, cmd, OP_GET, {scene, source, first, last}};
}

}  // namespace dvdsp::link::protocol
