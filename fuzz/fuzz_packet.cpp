// Fuzz target for the receive parser: an arbitrary byte stream, cut into reports of
// arbitrary sizes, must yield exactly the packets that the same stream yields byte by byte,
// each with a valid length and checksum, and leave nothing behind in the ring.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "link/packet.h"

using namespace dvdsp::link;

namespace {

struct Got {
    uint8_t len, type;
    std::vector<uint8_t> payload;
    bool operator==(const Got&) const = default;
};

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

PacketHandler Collect(std::vector<Got>& out) {
    return [&out](uint8_t len, uint8_t type, const uint8_t* payload) {
        // Only packets that complete within one reply frame, checksum included.
        Check(len >= 1 && len <= kMaxReplyLen);
        uint32_t sum = len + type;
        for (int i = 0; i < len - 1; ++i) sum += payload[i];
        Check(static_cast<uint8_t>(packet_checksum(len, type, payload)) ==
              static_cast<uint8_t>(0u - sum));
        out.push_back({len, type, std::vector<uint8_t>(payload, payload + len - 1)});
    };
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte seeds the report sizes; the rest is the stream.
    uint8_t seed = data[0];
    const uint8_t* stream = data + 1;
    const size_t n = size - 1;

    std::vector<Got> whole;
    {
        uint8_t state = 0, len = 0, type = 0;
        uint8_t payload[kPayloadSize] = {};
        auto handler = Collect(whole);
        for (size_t i = 0; i < n; ++i) {
            state = packet_parse_byte(state, stream[i], len, type, payload, handler);
            Check(state <= 64);
        }
    }

    std::vector<Got> chunked;
    PacketReceiver rx;
    auto handler = Collect(chunked);
    size_t at = 0;
    while (at < n) {
        seed = static_cast<uint8_t>(seed * 37 + 11);
        const size_t chunk = std::min<size_t>(n - at, 1 + seed % kReportSize);
        Check(rx.Append(stream + at, chunk) == 0);
        rx.Drain([] { return true; }, handler);
        Check(rx.Pending() == 0);
        at += chunk;
    }
    Check(whole == chunked);

    // A closed handle stops the drain and keeps the bytes for later.
    PacketReceiver held;
    const size_t first = std::min<size_t>(n, kReportSize);
    held.Append(stream, first);
    std::vector<Got> none;
    held.Drain([] { return false; }, Collect(none));
    Check(none.empty() && held.Pending() == first);
    return 0;
}
