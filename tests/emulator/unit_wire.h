#pragma once
// Byte-level access to a VirtualUnit for tests: frames a command as the host does, hands
// it to the unit without the report ID, and takes the single reply apart.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "emulator/virtual_unit.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::emu::testing {

using Bytes = std::vector<uint8_t>;

inline std::vector<Packet> Send(VirtualUnit& u, uint8_t type, uint8_t cmd, uint8_t op,
                                const Bytes& data = {}) {
    const auto report = link::BuildCommandReport(type, cmd, op, data.data(), data.size());
    return u.HandleReport(report.data() + 1, report.size() - 1);
}

// The reply to one command: its operation and data bytes (checked for framing).
struct Answer {
    bool present = false;
    uint8_t type = 0, cmd = 0, op = 0;
    Bytes data;
};

inline Answer Ask(VirtualUnit& u, uint8_t type, uint8_t cmd, uint8_t op, const Bytes& data = {}) {
    Answer a;
    const std::vector<Packet> replies = Send(u, type, cmd, op, data);
    EXPECT_LE(replies.size(), 1u);
    if (replies.empty()) return a;
    const Packet& p = replies.front();
    EXPECT_GE(p.size(), 7u);
    if (p.size() < 7) return a;
    EXPECT_EQ(p[0], 0xAA);
    EXPECT_EQ(p[1], 0x55);
    EXPECT_LE(p[2], link::kMaxReplyLen);
    EXPECT_EQ(p.size(), static_cast<size_t>(p[2]) + 4);
    unsigned sum = 0;
    for (size_t i = 2; i < p.size(); ++i) sum += p[i];
    EXPECT_EQ(sum & 0xFF, 0u) << "checksum";
    a.present = true;
    a.type = p[3];
    a.cmd = p[4];
    a.op = p[5];
    a.data.assign(p.begin() + 6, p.end() - 1);
    return a;
}

inline Bytes Get(VirtualUnit& u, uint8_t type, uint8_t cmd, const Bytes& data = {}) {
    Answer a = Ask(u, type, cmd, link::OP_GET, data);
    EXPECT_TRUE(a.present);
    EXPECT_EQ(a.op, link::OP_UPDATE);
    EXPECT_EQ(a.cmd, cmd);
    return a.data;
}

// The acknowledgement status of a set (0 when there was none).
inline uint8_t Set(VirtualUnit& u, uint8_t type, uint8_t cmd, const Bytes& data = {}) {
    Answer a = Ask(u, type, cmd, link::OP_SET, data);
    if (!a.present || a.op != link::OP_ACK || a.data.empty()) return 0;
    return a.data[0];
}

inline Bytes GetDsp(VirtualUnit& u, uint8_t cmd, const Bytes& data = {}) {
    return Get(u, link::CMD_DSP, cmd, data);
}
inline uint8_t SetDsp(VirtualUnit& u, uint8_t cmd, const Bytes& data = {}) {
    return Set(u, link::CMD_DSP, cmd, data);
}

}  // namespace dvdsp::emu::testing
