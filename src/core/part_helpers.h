#pragma once
// Small helpers the controller's parts share: narrowing of checked values for the link's
// calls, the channel check, and the link's "not through the queue" flag.

#include <cstddef>
#include <cstdint>

#include "core/model.h"

namespace dvdsp::core {

// The parts' commands are sent at once, not through the link's command queue.
inline constexpr bool kQueued = false;

inline uint8_t U8(int v) { return static_cast<uint8_t>(v); }
inline size_t Z(int v) { return static_cast<size_t>(v); }
inline bool ChannelOk(int ch) { return ch >= 0 && ch < kChannels; }

}  // namespace dvdsp::core
