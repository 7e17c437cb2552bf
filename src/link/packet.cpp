#include "link/packet.h"

#include <algorithm>

#include "base/log.h"

namespace dvdsp::link {

int32_t packet_checksum(uint8_t len, uint8_t type, const uint8_t* payload) {
    uint32_t sum = len;
    sum += type;
    for (int i = 0; i < static_cast<int>(len) - 1 && i < static_cast<int>(kPayloadSize); ++i)
        sum += payload[i];
    auto result = static_cast<int32_t>(0u - sum);
    LogWriteNarrow("packet_checksum: temp_sum(0x%08x)\n", static_cast<unsigned>(result));
    return result;
}

std::array<uint8_t, kOutReportSize> BuildCommandReport(uint8_t type, uint8_t cmd, uint8_t op,
                                                       const uint8_t* data, size_t n) {
    std::array<uint8_t, kOutReportSize> r{};
    n = std::min(n, kMaxCommandData);
    r[0] = 0x00;
    r[1] = kSync1;
    r[2] = kSync2;
    r[3] = static_cast<uint8_t>(n + 3);
    r[4] = type;
    r[5] = cmd;
    r[6] = op;
    if (n) std::copy(data, data + n, r.begin() + 7);
    uint32_t sum = r[3] + r[4];
    for (size_t i = 5; i < 7 + n; ++i) sum += r[i];
    r[7 + n] = static_cast<uint8_t>(0u - sum);
    return r;
}

std::vector<uint8_t> BuildReplyPacket(uint8_t type, uint8_t cmd, uint8_t op, const uint8_t* data,
                                      size_t n) {
    n = std::min(n, static_cast<size_t>(kMaxReplyLen - 3));
    std::vector<uint8_t> p;
    p.reserve(n + 7);
    p.push_back(kSync1);
    p.push_back(kSync2);
    p.push_back(static_cast<uint8_t>(n + 3));
    p.push_back(type);
    p.push_back(cmd);
    p.push_back(op);
    p.insert(p.end(), data, data + n);
    uint32_t sum = 0;
    for (size_t i = 2; i < p.size(); ++i) sum += p[i];
    p.push_back(static_cast<uint8_t>(0u - sum));
    return p;
}

uint8_t packet_parse_byte(uint8_t state, uint8_t b, uint8_t& len, uint8_t& type, uint8_t* payload,
                          const PacketHandler& onPacket) {
    switch (state) {
        case 0:
            return b == kSync1 ? 1 : 0;
        case 1:
            return b == kSync2 ? 2 : 1;
        case 2:
            len = b;
            return 3;
        case 3:
            type = b;
            return 4;
        default:
            break;
    }
    LogWriteNarrow(
        "packet_process: temp_index(0x%02x), packet_length(0x%02x), packet_byte(0x%02x)\n", state,
        len + 3, b);
    if (state == len + 3) {
        int32_t sum = packet_checksum(len, type, payload);
        if (static_cast<uint8_t>(sum) == b && onPacket) onPacket(len, type, payload);
        return 0;
    }
    if (state >= 64) return 0;
    payload[state - 4] = b;
    return static_cast<uint8_t>(state + 1);
}

size_t PacketReceiver::Append(const uint8_t* data, size_t n) {
    size_t dropped = 0;
    for (size_t i = 0; i < n; ++i) {
        if (Pending() == kRingMask) {  // full: keep what is older, it completes first
            ++dropped;
            continue;
        }
        ring_[write_] = data[i];
        write_ = (write_ + 1) & kRingMask;
    }
    return dropped;
}

void PacketReceiver::Drain(const std::function<bool()>& keepGoing, const PacketHandler& onPacket) {
    while (read_ != write_ && keepGoing()) {
        last_ = ring_[read_];
        read_ = (read_ + 1) & kRingMask;
        state_ = packet_parse_byte(state_, last_, len_, type_, payload_.data(), onPacket);
    }
}

void PacketReceiver::Reset() {
    write_ = read_ = 0;
    state_ = 0;
    len_ = type_ = last_ = 0;
    payload_.fill(0);
}

}  // namespace dvdsp::link
