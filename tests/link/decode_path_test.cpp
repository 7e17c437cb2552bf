// Replies on their way through the framing into the decoders, ownership of the posted
// records, the bounds every record keeps whatever the unit sends, and the log lines.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/log.h"
#include "link/decode_fixture.h"

namespace dvdsp::link::testing {
namespace {

class Framing : public DecodeTest {
  protected:
    PacketReceiver rx;

    void Receive(const std::vector<uint8_t>& bytes) {
        rx.Append(bytes.data(), bytes.size());
        rx.Drain([] { return true; },
                 [this](uint8_t len, uint8_t type, const uint8_t* payload) {
                     dev.packet_process(len, type, payload);
                 });
    }
    static std::vector<uint8_t> Reply(uint8_t type, const std::string& payload) {
        auto p = Hex(payload);
        return BuildReplyPacket(type, p[0], p[1], p.data() + 2, p.size() - 2);
    }
};

TEST_F(Framing, VolumeReportAndStrayByteBetweenSyncBytes) {
    Receive(Hex("AA 55 04 01 02 DD 1E FE"));
    Receive(Hex("AA 17 55 04 01 02 DD F6 26"));
    EXPECT_EQ(Take(), (std::vector<std::string>{"main 1234 2 30", "main 1234 2 -10"}));
}

TEST_F(Framing, EqReportSplitAcrossTwoReportsDecodedOnce) {
    auto packet = Reply(CMD_DSP, "06 DD 00 00 02 00 01 03 E8 01 32 15 05 00 64 00 32 00 00");
    Receive({packet.begin(), packet.begin() + 3});
    EXPECT_TRUE(Take().empty());
    Receive({packet.begin() + 3, packet.end()});
    EXPECT_EQ(Take(),
              (std::vector<std::string>{"main 1234 6 EqBandValue{0 2 0 1000Hz q1.5 3.5dB}",
                                        "main 1234 6 EqBandValue{0 2 1 100Hz q0.5 -18dB}"}));
}

TEST_F(Framing, TwoRepliesInOneReportInOrderBadChecksumDropped) {
    std::vector<uint8_t> report;
    auto a = Reply(CMD_DSP, "09 DD 00 00 01 01 01");
    auto bad = Reply(CMD_DSP, "09 DD 00 00 02 02 01");
    bad.back() ^= 0x01;
    auto b = Reply(CMD_FLASH, "0E DD 04");
    for (auto* p : {&a, &bad, &b}) report.insert(report.end(), p->begin(), p->end());
    report.resize(kReportSize, 0x00);
    Receive(report);
    EXPECT_EQ(Take(),
              (std::vector<std::string>{"main 1234 9 ChannelValue{0 1 1}", "scene 1250 14 4"}));
}

TEST_F(Framing, LongestReplyCarriesFiftyEightDataBytes) {
    // LEN 61: a bridge reply whose count names more bytes than fit the record.
    auto packet = Reply(CMD_DSP, "4C DD 00 00 37" + Rep("02", 55));
    ASSERT_EQ(packet[2], 61);
    Receive(packet);
    auto got = Take();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_NE(got[0].find("BridgeValue{0 0 20 "), std::string::npos) << got[0];
}

// ---- Ownership -----------------------------------------------------------------------

TEST_F(DecodeTest, RecordReachesItsSinkWithItsOwnType) {
    Feed(CMD_DSP, "06 DD 00 00 02 00 00 03 E8 01 32 15 05");
    auto& got = sinks[static_cast<size_t>(Target::Main)].messages;
    ASSERT_EQ(got.size(), 1u);
    ASSERT_NE(got[0].record, nullptr);
    ASSERT_NE(got[0].As<EqBandValue>(), nullptr);
    EXPECT_EQ(got[0].As<ChannelValue>(), nullptr);
    EXPECT_EQ(got[0].As<EqBandValue>()->freq, 1000);
    // The message owns its record: moving it moves the record along.
    Message moved = std::move(got[0]);
    EXPECT_NE(moved.As<EqBandValue>(), nullptr);
}

// Packets of every record-carrying kind, fed with no target registered and to sinks that
// throw their messages away: the leak checker of the sanitizer build watches both.
const char* const kRecordPackets[][2] = {
    {"1", "06 DD 00 00 02 00 01 03 E8 01 32 15 05 03 E8 01 32 15 05"},
    {"1", "05 DD 00 00 00 00 01 00 50 02 02 1F 40 04"},
    {"1", "0E DD 00 01 01 00 01 00 01"},
    {"1", "37 DD 00 00 00 03 01 02 03 04"},
    {"1", "42 DD 01 02 03 04 05 06 07 08"},
    {"1", "4C DD 00 00 03 01 02 03"},
    {"1", "20 DD 00 00 00 03 01 02 03 04"},
    {"1", "27 DD 00 01 46 05 64 00"},
    {"1", "14 DD 00 01 01 32 02 05"},
    {"2", "0B DD 01 41 42 43"},
    {"3", "0D DD 01 31 01 32"},
    {"3", "08 DD 00 62 02 1B"},
};

class DroppingSink final : public MessageSink {
  public:
    void Post(Message) override { ++count; }
    int count = 0;
};

TEST(DecodeOwnership, NoTargetRegisteredFreesEveryRecord) {
    NoUnitBackend backend;
    DspDevice dev(backend);
    dev.SetDeviceProfile(98, 10, 8, 1, 0);
    for (auto& row : kRecordPackets) {
        auto bytes = Hex(row[1]);
        std::array<uint8_t, kPayloadSize> buf{};
        std::copy(bytes.begin(), bytes.end(), buf.begin());
        dev.packet_process(static_cast<uint8_t>(bytes.size() + 1),
                           static_cast<uint8_t>(std::stoi(row[0])), buf.data());
    }
    EXPECT_EQ(dev.Model(), 98);  // the packets were decoded
}

TEST(DecodeOwnership, SinkThatDropsMessagesFreesTheirRecords) {
    NoUnitBackend backend;
    DspDevice dev(backend);
    DroppingSink sink;
    for (int t = 0; t < kTargetCount; ++t) dev.SetTarget(static_cast<Target>(t), &sink);
    for (auto& row : kRecordPackets) {
        auto bytes = Hex(row[1]);
        std::array<uint8_t, kPayloadSize> buf{};
        std::copy(bytes.begin(), bytes.end(), buf.begin());
        dev.packet_process(static_cast<uint8_t>(bytes.size() + 1),
                           static_cast<uint8_t>(std::stoi(row[0])), buf.data());
    }
    EXPECT_GT(sink.count, static_cast<int>(std::size(kRecordPackets)));
}

// ---- Bounds ----------------------------------------------------------------------------

constexpr int kLastChannelForTest = kRecordChannels - 1;

// Whatever a record claims as its filled range must lie inside it.
void ExpectInBounds(const Message& m) {
    const Record* r = m.record.get();
    if (!r) return;
    SCOPED_TRACE(Describe(r));
    if (auto* v = dynamic_cast<const RangeBytes*>(r)) {
        EXPECT_LE(v->ch_end, kLastChannelForTest);
    }
    if (auto* v = dynamic_cast<const RangeModes*>(r)) {
        EXPECT_LE(v->ch_end, kLastChannelForTest);
    }
    if (auto* v = dynamic_cast<const RangeDistances*>(r)) {
        EXPECT_LE(v->ch_end, kLastChannelForTest);
    }
    if (auto* v = dynamic_cast<const DistortValue*>(r)) {
        EXPECT_LE(v->ch_end, kLastChannelForTest);
    }
    if (auto* v = dynamic_cast<const InputNoiseValue*>(r)) {
        EXPECT_LE(v->ch_y, kLastChannelForTest);
    }
    if (auto* v = dynamic_cast<const InputMixTrimValue*>(r)) {
        EXPECT_LE(v->out_end - v->out_start, kLastChannelForTest);
    }
    if (auto* v = dynamic_cast<const LinkValue*>(r)) {
        EXPECT_LE(v->count, 8);
    }
    if (auto* v = dynamic_cast<const BridgeValue*>(r)) {
        EXPECT_LE(v->count, 20);
    }
    if (auto* v = dynamic_cast<const PasswordValue*>(r)) {
        EXPECT_LE(v->pwd_len, 12);
        EXPECT_LE(v->remark_len, 20);
    }
    if (auto* v = dynamic_cast<const InfoStringValue*>(r)) {
        EXPECT_LE(v->len, 16);
    }
    // Per-channel records never name a channel past the indexed records' room.
    if (auto* v = dynamic_cast<const ChannelValue*>(r)) {
        EXPECT_LE(v->ch, kLastChannelForTest);
    }
    if (auto* v = dynamic_cast<const ChannelFloat*>(r)) {
        EXPECT_LE(v->ch, kLastChannelForTest);
    }
    if (auto* v = dynamic_cast<const IrcChannelByte*>(r)) {
        EXPECT_LE(v->ch, kLastChannelForTest);
    }
}

TEST_F(DecodeTest, EveryCommandOfEveryTypeStaysInsideItsRecords) {
    const uint8_t types[] = {CMD_DSP, CMD_FLASH, CMD_MCU, CMD_DSP_DWRITE, CMD_KTV, 0, 9};
    const uint8_t ops[] = {OP_UPDATE, OP_ACK, OP_SET};
    for (uint8_t type : types)
        for (int cmd = 0; cmd < 256; ++cmd)
            for (uint8_t op : ops)
                for (int fill = 0; fill < 4; ++fill)
                    for (uint8_t len : {uint8_t{61}, uint8_t{5}}) {
                        std::array<uint8_t, kPayloadSize> buf{};
                        buf[0] = static_cast<uint8_t>(cmd);
                        buf[1] = op;
                        for (size_t i = 2; i < buf.size(); ++i)
                            buf[i] = fill == 0   ? 0xFF
                                     : fill == 1 ? static_cast<uint8_t>(i * 37)
                                     : fill == 2 ? static_cast<uint8_t>(i < 6 ? 0 : 0xF0)
                                                 : static_cast<uint8_t>(i == 4 ? 0 : 0x1F);
                        dev.packet_process(len, type, buf.data());
                        for (auto& s : sinks) {
                            for (auto& m : s.messages) ExpectInBounds(m);
                            s.messages.clear();
                        }
                    }
}

// ---- Log lines -------------------------------------------------------------------------

TEST(DecodeLog, LinesAsWritten) {
    const auto path = std::filesystem::temp_directory_path() / "dvdsp_decode_log_test.log";
    ASSERT_TRUE(LogOpen(path.string()));
    {
        NoUnitBackend backend;
        DspDevice dev(backend);
        std::array<uint8_t, kPayloadSize> buf{};
        auto feed = [&](uint8_t type, const std::string& hex) {
            auto b = Hex(hex);
            buf.fill(0);
            std::copy(b.begin(), b.end(), buf.begin());
            dev.packet_process(static_cast<uint8_t>(b.size() + 1), type, buf.data());
        };
        feed(CMD_DSP, "06 DD 00 00 02 00 00 03 E8 01 32 15 05");
        feed(CMD_DSP, "4E DD 01");
        feed(CMD_DSP, "83 DD 00 01 03");
        feed(CMD_DSP, "13 DD 0B 00 00 00 02");
        feed(CMD_DSP, "48 DD");
        feed(CMD_MCU, "0D DD 02 41 42 01 43");
        feed(CMD_FLASH, "0B DD 01" + Rep("FF", 16));
        feed(CMD_KTV, "01 DD 1E 02 03");
    }
    LogCloseForTest();
    std::string log;
    {  // closed before it is removed (an open file cannot be removed on Windows)
        std::ifstream in(path, std::ios::binary);
        log.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove(path);
    for (const char* line : {
             "dsp_ack_process 1, cmd(0x00000006), OP(dd), DSP_EQ_CH\n",
             "dsp_ack_process 2, cmd(0x0000004e), OP(dd), 78\n",
             "dsp_ack_process 3, cmd(0x00000083), OP(dd), DSP_MIX_TYPE2\n",
             "mix_type2(3)\n",
             "IRC_RET_TEST_FAIL->IRC_FAIL_NO_SPEAKER\n",
             "dsp_ack_process 5, cmd(0x00000048), OP(dd), 0x48\n",
             "!!! NOT SUPPORT MSG\n",
             "password->len(2),  pwd-->> AB\n",
             "password->remark_len(1),  -->> C\n",
             "scene_name->index(1), name -->> 0xff, 0xff, ",
             "KTV MIC VOL OP=0xdd, scene=30, src = 2, mic vol=3\n",
         })
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace dvdsp::link::testing
