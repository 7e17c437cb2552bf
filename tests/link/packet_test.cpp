// Framing, checksum and the receive parser.
#include <gtest/gtest.h>

#include "support/hex.h"

#include <string>
#include <vector>

#include "link/packet.h"

using namespace dvdsp::link;
using dvdsp::testing::Hex;

namespace {

struct Seen {
    uint8_t len, type;
    std::vector<uint8_t> payload;
};

struct Parser {
    PacketReceiver rx;
    std::vector<Seen> seen;
    void Feed(const std::vector<uint8_t>& bytes) {
        rx.Append(bytes.data(), bytes.size());
        rx.Drain([] { return true; },
                 [this](uint8_t len, uint8_t type, const uint8_t* p) {
                     seen.push_back({len, type, std::vector<uint8_t>(p, p + (len ? len - 1 : 0))});
                 });
    }
};

}  // namespace

TEST(CommandFrame, GoldenReports) {
    struct Row {
        const char* what;
        uint8_t type, cmd, op;
        std::vector<uint8_t> data;
        const char* expect;  // report ID | sync | LEN | type cmd op | data | checksum
    } rows[] = {
        {"hand-shake", CMD_MCU, 0x08, OP_SET, {}, "00 | AA 55 | 03 | 03 08 BB | | 37"},
        {"keep-alive", CMD_MCU, 0x93, OP_SET, {}, "00 | AA 55 | 03 | 03 93 BB | | AC"},
        {"detach notice", CMD_MCU, 0x1F, OP_SET, {0x00}, "00 | AA 55 | 04 | 03 1F BB | 00 | 1F"},
    };
    for (const Row& r : rows) {
        auto rep = BuildCommandReport(r.type, r.cmd, r.op, r.data.data(), r.data.size());
        auto want = Hex(r.expect);
        ASSERT_EQ(rep.size(), 65u) << r.what;
        for (size_t i = 0; i < want.size(); ++i)
            EXPECT_EQ(rep[i], want[i]) << r.what << " byte " << i;
        for (size_t i = want.size(); i < rep.size(); ++i)
            EXPECT_EQ(rep[i], 0) << r.what << " fill " << i;
    }
}

TEST(CommandFrame, ChecksumMakesTheSumZero) {
    std::vector<uint8_t> data = {0x00, 0x00, 0x02, 0x02, 0x03, 0x19};
    auto rep = BuildCommandReport(CMD_DSP, 0x08, OP_SET, data.data(), data.size());
    unsigned sum = 0;
    for (size_t i = 3; i <= 7 + data.size(); ++i) sum += rep[i];
    EXPECT_EQ(sum & 0xFF, 0u);
    EXPECT_EQ(rep[3], data.size() + 3);
}

TEST(CommandFrame, OversizedDataIsCut) {
    std::vector<uint8_t> data(80, 0x11);
    auto rep = BuildCommandReport(CMD_DSP, 0x3D, OP_SET, data.data(), data.size());
    EXPECT_EQ(rep[3], 57 + 3);
}

TEST(ReplyParser, VolumeReportGolden) {
    auto pkt = BuildReplyPacket(CMD_DSP, 0x02, OP_UPDATE, std::vector<uint8_t>{0x1E}.data(), 1);
    EXPECT_EQ(pkt, Hex("AA 55 | 04 | 01 02 DD | 1E | FE"));
    Parser p;
    p.Feed(pkt);
    ASSERT_EQ(p.seen.size(), 1u);
    EXPECT_EQ(p.seen[0].type, CMD_DSP);
    EXPECT_EQ(p.seen[0].payload, Hex("02 DD 1E"));
}

TEST(ReplyParser, SplitAtEveryByteDecodesOnceAfterTheLastPiece) {
    auto pkt = Hex("00 00 AA 55 04 01 02 DD 1E FE 00");
    for (size_t cut = 0; cut <= pkt.size(); ++cut) {
        Parser p;
        p.Feed(std::vector<uint8_t>(pkt.begin(), pkt.begin() + static_cast<long>(cut)));
        size_t afterFirst = p.seen.size();
        p.Feed(std::vector<uint8_t>(pkt.begin() + static_cast<long>(cut), pkt.end()));
        EXPECT_EQ(p.seen.size(), 1u) << "cut at " << cut;
        EXPECT_EQ(afterFirst, cut >= 10 ? 1u : 0u) << "cut at " << cut;
    }
}

TEST(ReplyParser, TwoRepliesInOneReportInOrder) {
    auto a = BuildReplyPacket(CMD_DSP, 0x02, OP_UPDATE, std::vector<uint8_t>{0x05}.data(), 1);
    auto b = BuildReplyPacket(CMD_MCU, 0x92, OP_UPDATE, std::vector<uint8_t>{0x07}.data(), 1);
    std::vector<uint8_t> report(a);
    report.insert(report.end(), b.begin(), b.end());
    report.resize(64, 0);
    Parser p;
    p.Feed(report);
    ASSERT_EQ(p.seen.size(), 2u);
    EXPECT_EQ(p.seen[0].type, CMD_DSP);
    EXPECT_EQ(p.seen[1].type, CMD_MCU);
}

TEST(ReplyParser, JunkBetweenSyncBytesIsSkipped) {
    Parser p;
    p.Feed(Hex("AA 17 55 04 01 02 DD 1E FE"));
    ASSERT_EQ(p.seen.size(), 1u);
    EXPECT_EQ(p.seen[0].payload, Hex("02 DD 1E"));
}

TEST(ReplyParser, BadChecksumDropsOnlyThatPacket) {
    Parser p;
    p.Feed(Hex("AA 55 04 01 02 DD 1E FF  AA 55 04 01 02 DD 1E FE"));
    ASSERT_EQ(p.seen.size(), 1u);
    EXPECT_EQ(p.seen[0].payload, Hex("02 DD 1E"));
}

TEST(ReplyParser, LengthLimits) {
    // LEN 61 is the largest packet that completes; 62 is dropped at index 64.
    std::vector<uint8_t> data61(58, 0x01);
    auto ok = BuildReplyPacket(CMD_DSP, 0x05, OP_UPDATE, data61.data(), data61.size());
    ASSERT_EQ(ok[2], 61);
    Parser p;
    p.Feed(ok);
    ASSERT_EQ(p.seen.size(), 1u);
    EXPECT_EQ(p.seen[0].payload.size(), 60u);

    std::vector<uint8_t> big = {0xAA, 0x55, 62, CMD_DSP, 0x05, OP_UPDATE};
    big.resize(6 + 59, 0x01);
    unsigned sum = 0;
    for (size_t i = 2; i < big.size(); ++i) sum += big[i];
    big.push_back(static_cast<uint8_t>(0u - sum));
    Parser q;
    q.Feed(big);
    q.Feed(Hex("AA 55 04 01 02 DD 1E FE"));  // the parser hunts again afterwards
    ASSERT_EQ(q.seen.size(), 1u);
    EXPECT_EQ(q.seen[0].payload, Hex("02 DD 1E"));
}

TEST(ReplyParser, LengthZeroNeverCompletes) {
    Parser p;
    std::vector<uint8_t> bytes = {0xAA, 0x55, 0x00, 0x01};
    bytes.resize(70, 0x00);
    p.Feed(bytes);
    EXPECT_TRUE(p.seen.empty());
    EXPECT_EQ(p.rx.State(), 0);  // back to hunting after index 64
    p.Feed(Hex("AA 55 04 01 02 DD 1E FE"));
    EXPECT_EQ(p.seen.size(), 1u);
}

TEST(ReplyParser, StatePersistsWhenDrainingStops) {
    PacketReceiver rx;
    auto pkt = Hex("AA 55 04 01 02 DD 1E FE");
    rx.Append(pkt.data(), pkt.size());
    int fed = 0, got = 0;
    rx.Drain([&] { return fed++ < 3; }, [&](uint8_t, uint8_t, const uint8_t*) { ++got; });
    EXPECT_EQ(rx.Pending(), 5u);  // the rest stays for the next read
    rx.Drain([] { return true; }, [&](uint8_t, uint8_t, const uint8_t*) { ++got; });
    EXPECT_EQ(got, 1);
}
