#pragma once
// Small helpers shared by the reply decoders: the view of one reply's data bytes, bounded
// by what the packet actually carried, and the walks over channel and band ranges.

#include <algorithm>
#include <cstdint>

#include "link/messages.h"
#include "link/packet.h"
#include "link/protocol/wire_values.h"

namespace dvdsp::link::decode {

// Data bytes that fit the payload buffer after the command and operation bytes.
inline constexpr int kMaxData = static_cast<int>(kPayloadSize) - 2;

// Number of data bytes in a packet of the given LEN (LEN counts command, operation, data
// and checksum), or -1 when the packet is too short to carry a command and an operation.
inline int DataLength(uint8_t len) {
    if (len < 3) return -1;
    return std::min(static_cast<int>(len) - 3, kMaxData);
}

using wire::Be16;
using wire::F;
using wire::S8;

// Highest channel index a per-channel walk or an indexed record takes.
inline constexpr int kLastChannel = kRecordChannels - 1;

// Calls fn(ch, bytes) for each channel from first to last (inclusive, in order) whose
// `width` bytes, counted from data offset `from`, lie inside the packet's `n` data bytes.
// Channels above 15 are left out. With width 0 only the channel bound applies.
template <typename Fn>
void ForEachChannel(const uint8_t* d, int n, int first, int last, int from, int width, Fn fn) {
    last = std::min(last, kLastChannel);
    for (int ch = first; ch <= last; ++ch) {
        const int at = from + (ch - first) * width;
        if (at + width > n) return;
        fn(ch, d + at);
    }
}

// Calls fn(index, bytes) for each entry from first to last whose `width` bytes lie inside
// the packet; the entry count is bounded by the packet alone.
template <typename Fn>
void ForEachEntry(const uint8_t* d, int n, int first, int last, int from, int width, Fn fn) {
    for (int i = first; i <= last; ++i) {
        const int at = from + (i - first) * width;
        if (at + width > n) return;
        fn(i, d + at);
    }
}

// End of an indexed range as stored in a record: never past the record's last channel.
inline uint8_t ClampEnd(uint8_t end) {
    return static_cast<uint8_t>(std::min<int>(end, kLastChannel));
}

}  // namespace dvdsp::link::decode
