#pragma once
// Small helpers the controller's parts share: narrowing of checked values for the link's
// calls, the channel check, and the link's "not through the queue" flag.

#include <cstddef>
#include <cstdint>

#include "base/limits.h"
#include "core/model.h"

namespace dvdsp::core {

// The parts' commands are sent at once, not through the link's command queue.
inline constexpr bool kQueued = false;

inline uint8_t U8(int v) { return static_cast<uint8_t>(v); }
inline size_t Z(int v) { return static_cast<size_t>(v); }
inline bool ChannelOk(int ch) { return ch >= 0 && ch < kChannels; }
// A value held to its range of the table of limits and carried into one byte as the unit
// keeps it (`offset` added): the last guard before the link, so nothing wraps or overflows.
inline uint8_t WireByte(const Limit& limit, int32_t v, int offset = 0) {
    return static_cast<uint8_t>(static_cast<int>(limit.Clamp(v)) + offset);
}

}  // namespace dvdsp::core
