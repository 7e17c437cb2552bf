// Golden vectors of the microcontroller, scene (flash) and karaoke replies, and the device
// state the hand-shake replies leave behind.
#include "link/decode_fixture.h"

namespace dvdsp::link::testing {
namespace {

std::string Text(const std::string& s) {
    std::string hex;
    char b[4];
    for (unsigned char c : s) {
        std::snprintf(b, sizeof b, " %02X", c);
        hex += b;
    }
    return hex;
}

const std::vector<Golden> kMcuRows = {
    {"HandshakeAccepted", CMD_MCU, "08 DD 00 62 02 1B", {"main 1235 8 HandshakeValue{0 98 2 27}"}},
    {"HandshakeRefused", CMD_MCU, "08 DD F0 62 02 1B", {"main 1239 0 0"}},
    {"HandshakeAckIsDropped", CMD_MCU, "08 EE 0A", {}},
    {"FlashVersion",
     CMD_MCU,
     "0B DD 01 02 03 04",
     {"main 1235 11 FlashVersionValue[0 0 0 0 1 2 3 4]"}},
    {"BootloaderVersionPostsNothing", CMD_MCU, "0C DD 05", {}},
    {"Password",
     CMD_MCU,
     "0D DD 04" + Text("1234") + " 03" + Text("abc"),
     {"main 1235 13 PasswordValue{4 \"1234\" 3 \"abc\"}"}},
    {"LongPasswordIsCutRemarkStillFound",
     CMD_MCU,
     "0D DD 0F" + Text("ABCDEFGHIJKLMNO") + " 02" + Text("xy"),
     {"main 1235 13 PasswordValue{12 \"ABCDEFGHIJKL\" 2 \"xy\"}"}},
    {"LongRemarkIsCut",
     CMD_MCU,
     "0D DD 01 31 19" + Text("abcdefghijklmnopqrstuvwxy"),
     {"main 1235 13 PasswordValue{1 \"1\" 20 \"abcdefghijklmnopqrst\"}"}},
    {"PasswordPastPacketEnd",
     CMD_MCU,
     "0D DD 1E 31 32 33",
     {"main 1235 13 PasswordValue{3 \"123\" 0 \"\"}"}},
    {"RemarkPastPacketEnd",
     CMD_MCU,
     "0D DD 01 31 09 61 62",
     {"main 1235 13 PasswordValue{1 \"1\" 2 \"ab\"}"}},
    {"InfoString",
     CMD_MCU,
     "41 DD 05" + Text("HELLO"),
     {"main 1235 65 InfoStringValue{5 \"HELLO\"}"}},
    {"LongInfoStringIsCut",
     CMD_MCU,
     "41 DD 14" + Text("0123456789abcdefghij"),
     {"main 1235 65 InfoStringValue{16 \"0123456789abcdef\"}"}},
    {"PowerOffDelay16Bit", CMD_MCU, "91 DD 0B B8", {"main 1235 145 3000"}},
    {"AccDelayIsSigned", CMD_MCU, "92 DD FB", {"main 1235 146 -5"}},
    {"PingAnswer", CMD_MCU, "93 EE 0A", {"main 1235 147 0"}},
    {"InitPostsNothing", CMD_MCU, "60 DD", {}},
    {"PcConnectAckIgnored", CMD_MCU, "1F EE 0A", {}},
    {"UnknownPostsNothing", CMD_MCU, "50 DD 00", {}},
};

const std::vector<Golden> kFlashRows = {
    {"SaveAcknowledged", CMD_FLASH, "08 EE 0A 03", {"scene 1237 3 0"}},
    {"SaveNotReady", CMD_FLASH, "08 EE 60 03", {}},
    {"SaveUpdateIsDropped", CMD_FLASH, "08 DD 0A 03", {}},
    {"DeleteAcknowledged", CMD_FLASH, "0A EE 0A 04", {"scene 1238 4 0"}},
    {"SceneName",
     CMD_FLASH,
     "0B DD 02" + Text("Stage") + Rep("00", 11),
     {"main 1237 11 SceneNameValue{0 1 [83 116 97 103 101 0 0 0 0 0 0 0 0 0 0 0]}"}},
    {"ErasedSceneNameIsEmpty",
     CMD_FLASH,
     "0B DD 01" + Rep("FF", 16),
     {"main 1237 11 SceneNameValue{0 0 [0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0]}"}},
    {"NameOfOddBytesIsKept",
     CMD_FLASH,
     "0B DD 03" + Rep("61", 16),
     {"main 1237 11 SceneNameValue{0 2 [97 97 97 97 97 97 97 97 97 97 97 97 97 97 97 97]}"}},
    {"CurrentSceneId", CMD_FLASH, "0E DD 03", {"scene 1250 14 3"}},
    {"ValidScenesMask", CMD_FLASH, "0F DD 04 07", {"main 1237 15 Int32Value{1031}"}},
    {"SceneReadIgnored", CMD_FLASH, "09 EE 0A", {}},
    {"SceneProfileNotSupported", CMD_FLASH, "0C DD 00 00 00", {}},
};

const std::vector<Golden> kKtvRows = {
    {"MicVolume", CMD_KTV, "01 DD 1E 00 00", {"main 1246 1 30"}},
    {"VoiceChanger", CMD_KTV, "08 DD 02", {"main 1246 8 2"}},
    {"EchoDelay16Bit", CMD_KTV, "05 DD 01 2C", {"main 1246 5 300"}},
    {"BassGainSigned", CMD_KTV, "09 DD F6", {"main 1246 9 -10"}},
    {"TrebleGainSigned", CMD_KTV, "0A DD 05", {"main 1246 10 5"}},
    {"SetAcknowledgementDropped", CMD_KTV, "01 EE 0A", {}},
    {"UnknownParameter", CMD_KTV, "0B DD 01", {}},
    {"ParameterZero", CMD_KTV, "00 DD 01", {}},
};

class ReplyGolden : public DecodeTest, public ::testing::WithParamInterface<Golden> {};

TEST_P(ReplyGolden, Decodes) {
    CheckGolden(GetParam());
}

std::string McuRowName(const ::testing::TestParamInfo<Golden>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Mcu, ReplyGolden, ::testing::ValuesIn(kMcuRows), McuRowName);
INSTANTIATE_TEST_SUITE_P(Flash, ReplyGolden, ::testing::ValuesIn(kFlashRows), McuRowName);
INSTANTIATE_TEST_SUITE_P(Karaoke, ReplyGolden, ::testing::ValuesIn(kKtvRows), McuRowName);

using DeviceState = DecodeTest;

TEST_F(DeviceState, HandshakeSetsModelAndVersionsRefusalKeepsModel) {
    EXPECT_EQ(dev.Model(), -1);
    EXPECT_FALSE(dev.HandshakeOk());

    Feed(CMD_MCU, "08 DD F0 11 22 33");
    EXPECT_EQ(dev.Model(), -1);
    EXPECT_FALSE(dev.HandshakeOk());

    Feed(CMD_MCU, "08 DD 00 62 02 1B");
    EXPECT_TRUE(dev.HandshakeOk());
    EXPECT_EQ(dev.Model(), 98);
    EXPECT_EQ(dev.MasterVersion(), 2);
    EXPECT_EQ(dev.SlaveVersion(), 27);

    Feed(CMD_MCU, "08 DD F0 11 22 33");
    EXPECT_FALSE(dev.HandshakeOk());
    EXPECT_EQ(dev.Model(), 98);
    EXPECT_EQ(dev.MasterVersion(), 2);
}

TEST_F(DeviceState, PingAnswerClearsHandshake) {
    Feed(CMD_MCU, "08 DD 00 62 02 1B");
    ASSERT_TRUE(dev.HandshakeOk());
    Feed(CMD_MCU, "93 EE 0A");
    EXPECT_FALSE(dev.HandshakeOk());
    EXPECT_EQ(dev.Model(), 98);
}

TEST_F(DeviceState, BootloaderVersionOnlyFromUpdate) {
    Feed(CMD_MCU, "0C EE 07");
    EXPECT_EQ(dev.BootloaderVersion(), 0);
    Feed(CMD_MCU, "0C DD 07");
    EXPECT_EQ(dev.BootloaderVersion(), 7);
    EXPECT_TRUE(Take().empty());
}

TEST_F(DeviceState, ShortHandshakePacketChangesNothing) {
    // LEN 2 carries a command byte but no operation; stale buffer bytes must not count.
    std::array<uint8_t, kPayloadSize> buf{};
    buf[0] = MCU_HANDSHAKE;
    buf[1] = OP_UPDATE;
    buf[3] = 98;
    dev.packet_process(2, CMD_MCU, buf.data());
    EXPECT_EQ(dev.Model(), -1);
    EXPECT_TRUE(Take().empty());
}

}  // namespace
}  // namespace dvdsp::link::testing
