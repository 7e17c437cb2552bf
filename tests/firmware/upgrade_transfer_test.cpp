// The direct road of the firmware upgrade against the virtual unit: the blocks and their
// order on the wire, the acknowledgements, the reboot into the loader and back, faults in
// the middle and a second attempt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>

#include "base/log.h"
#include "emulator/fault_spec.h"
#include "emulator/virtual_transport.h"
#include "emulator/virtual_unit.h"
#include "firmware/image.h"
#include "firmware/upgrade_transfer.h"
#include "link/commands.h"
#include "link/dsp_device.h"
#include "link/protocol/upgrade.h"
#include "platform/paths.h"
#include "support/recording_backend.h"

namespace dvdsp {
namespace {

using namespace dvdsp::link;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes Payload(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i + 1);
    return b;
}

struct Upgrade : ::testing::Test {
    ManualClock clock;
    emu::VirtualUnit unit{clock};
    emu::VirtualHidBackend backend{unit, clock};
    testing::RecordingBackend rec{backend};
    DspDevice device{rec, clock};
    fw::UpgradeTransfer transfer{device, clock};
    fs::path dir;

    void SetUp() override {
        device.SetDeviceProfile(98, 10, 8, 1, 0);
        dir = fs::temp_directory_path() /
              ("dvdsp-upg-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override {
        if (device.IsConnected()) device.CloseHIDDevice(false);
        fs::remove_all(dir);
    }
    bool Connect() {
        device.OpenHIDDevice();
        if (!device.IsConnected()) return false;
        device.PC_Connect(1);
        device.Hand_Connect();
        return device.HandshakeOk();
    }
    std::string Write(const std::string& name, const Bytes& bytes) {
        const fs::path p = dir / platform::PathFromUtf8(name);
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
        return platform::Utf8FromPath(p);
    }
    std::string McuImage(const std::string& name, size_t payload, uint8_t main = 2, uint8_t sub = 28) {
        return Write(name, fw::MakeSingleImage(fw::FW_ID_MCU, 98, {main, sub, 0, 0}, Payload(payload)));
    }
    // Steps until the end; the progress values seen, in order, without repeats.
    std::vector<int> Run(int* result) {
        std::vector<int> seen;
        for (int i = 0; i < 100000; ++i) {
            const int r = transfer.UpgradeStep();
            if (r == fw::kUpgradeStepDone || r == fw::kUpgradeStepFailed) {
                *result = r;
                return seen;
            }
            if (seen.empty() || seen.back() != r) seen.push_back(r);
        }
        *result = -1;
        return seen;
    }
    // The unit comes back after its reboot: open it and shake hands.
    bool Reconnect() {
        if (device.IsConnected()) device.CloseHIDDevice(false);
        for (int i = 0; i < 20; ++i) {
            if (Connect()) return true;
            clock.SleepMs(500);
        }
        return false;
    }
    std::vector<uint32_t> McuOffsets(uint8_t cmd = MCU_UPG_DATA) {
        std::vector<uint32_t> out;
        for (auto& c : rec.CommandsOf(CMD_MCU, cmd))
            out.push_back((uint32_t{c.data[0]} << 24) | (uint32_t{c.data[1]} << 16) |
                          (uint32_t{c.data[2]} << 8) | c.data[3]);
        return out;
    }
};

TEST(UpgradeFrames, GoldenBytes) {
    // MCU data: offset 64 big-endian, 6 bytes padded to 32.
    const Bytes six{1, 2, 3, 4, 5, 6};
    protocol::Frame f = protocol::McuUpgradeData(false, 64, six);
    EXPECT_EQ(f.type, CMD_MCU);
    EXPECT_EQ(f.cmd, 0x03);
    EXPECT_EQ(f.op, OP_SET);
    Bytes expect{0, 0, 0, 0x40, 1, 2, 3, 4, 5, 6};
    expect.resize(36, 0);
    EXPECT_EQ(f.data, expect);
    EXPECT_EQ(protocol::McuUpgradeData(true, 0, six).cmd, 0xA2);
    // Flash data: offset, count, the bytes; never more than 50.
    protocol::Frame d = protocol::FlashUpgradeData(0x0102, Payload(60));
    EXPECT_EQ(d.type, CMD_FLASH);
    EXPECT_EQ(d.cmd, 0x04);
    ASSERT_EQ(d.data.size(), 55u);
    EXPECT_EQ((Bytes{d.data.begin(), d.data.begin() + 6}), (Bytes{0, 0, 1, 2, 50, 1}));
    EXPECT_EQ(protocol::McuUpgradeStart(false, {2, 28, 0, 0}).data, (Bytes{2, 28, 0, 0}));
    EXPECT_EQ(protocol::McuUpgradeStart(true, {1, 2, 3, 4}).cmd, 0xA1);
    EXPECT_EQ(protocol::McuUpgradeEnter(false).cmd, 0x01);
    EXPECT_EQ(protocol::McuUpgradeEnter(true).cmd, 0xA0);
    EXPECT_EQ(protocol::McuUpgradeFinish(false).cmd, 0x04);
    EXPECT_EQ(protocol::McuUpgradeFinish(true).cmd, 0xA3);
    EXPECT_EQ(protocol::FlashChipErase().cmd, 0x02);
    EXPECT_EQ(protocol::FlashUpgradeStart({9, 8, 7, 6}).data, (Bytes{9, 8, 7, 6}));
    EXPECT_EQ(protocol::FlashUpgradeFinish().cmd, 0x05);
}

TEST(UpgradeAcks, TableOfEffects) {
    UpgradeStatus st;
    st.Set(UPG_START);
    protocol::ApplyUpgradeAck(CMD_FLASH, FLASH_CHIP_ERASE, ACK_READY, st);
    EXPECT_EQ(st.Get(), UPG_ERASED);
    protocol::ApplyUpgradeAck(CMD_MCU, MCU_ENTER_UPG, ACK_READY, st);
    EXPECT_EQ(st.Get(), UPG_START);
    protocol::ApplyUpgradeAck(CMD_FLASH, FLASH_UPG_START, ACK_READY, st);
    EXPECT_EQ(st.Get(), UPG_SEND_BIN_DATA);
    // A data acknowledgement counts only while a block is in flight.
    protocol::ApplyUpgradeAck(CMD_FLASH, FLASH_UPG_DATA, ACK_NOT_READY, st);
    EXPECT_EQ(st.Get(), UPG_SEND_BIN_DATA);
    st.Set(UPG_WAITING_BIN_DATA_ACK);
    st.SetPhase(kStepAct);
    protocol::ApplyUpgradeAck(CMD_FLASH, FLASH_UPG_DATA, ACK_NOT_READY, st);
    EXPECT_EQ(st.Get(), UPG_WAITING_BIN_DATA_ACK);
    EXPECT_EQ(st.Phase(), kStepReplyExpected);
    protocol::ApplyUpgradeAck(CMD_MCU, MCU_UPG_DATA, ACK_READY, st);
    EXPECT_EQ(st.Get(), UPG_SEND_BIN_DATA);
    // Any answer to a start but "ready" fails; a refused erase fails in any state.
    protocol::ApplyUpgradeAck(CMD_MCU, MCU_BL_START, 0x33, st);
    EXPECT_EQ(st.Get(), UPG_FAIL);
    st.Set(UPG_SEND_BIN_DATA);
    protocol::ApplyUpgradeAck(CMD_FLASH, FLASH_CHIP_ERASE, ACK_NOT_READY, st);
    EXPECT_EQ(st.Get(), UPG_FAIL);
    // Finish acknowledgements change nothing.
    st.Set(UPG_FINISH);
    protocol::ApplyUpgradeAck(CMD_MCU, MCU_UPG_FINISH, ACK_READY, st);
    protocol::ApplyUpgradeAck(CMD_FLASH, FLASH_UPG_FINISH, ACK_READY, st);
    EXPECT_EQ(st.Get(), UPG_FINISH);
}

TEST_F(Upgrade, FileNamesChooseTheKind) {
    ASSERT_TRUE(Connect());
    // Upper-cased before the comparison: a merged image.
    const std::string merged = Write(
        "new_upg_fw.bin",
        fw::MakeMergedImage(fw::MakeSingleImage(fw::FW_ID_MCU, 98, {2, 28, 0, 0}, Payload(40)),
                            fw::MakeSingleImage(fw::FW_ID_DSP, 98, {3, 0, 0, 1}, Payload(70))));
    rec.Clear();
    EXPECT_EQ(transfer.UpgradeStart(merged, false), 0);
    EXPECT_EQ(transfer.Images().UpgDeviceValue(), fw::UPG_DEVICE_FLASH);
    int result = 0;
    Run(&result);
    EXPECT_EQ(result, fw::kUpgradeStepDone);
    EXPECT_EQ(rec.CommandsOf(CMD_FLASH, FLASH_UPG_DATA).size(), 2u);
    EXPECT_EQ(rec.CommandsOf(CMD_MCU, MCU_REBOOT).size(), 1u);
    ASSERT_TRUE(Reconnect());
    EXPECT_EQ(unit.Identity().flashVersion, (std::array<uint8_t, 4>{3, 0, 0, 1}));
    EXPECT_FALSE(unit.InUpgradeMode());

    // A download batch file anywhere is accepted and nothing is sent.
    rec.Clear();
    EXPECT_EQ(transfer.UpgradeStart((dir / "sub" / "my_download.bat").string(), false), 0);
    EXPECT_TRUE(transfer.BatchFileAccepted());
    EXPECT_TRUE(rec.Commands().empty());
    // Nothing fits: refused, nothing sent.
    EXPECT_EQ(transfer.UpgradeStart((dir / "firmware.bin").string(), false), fw::UPG_FILE_INVALID);
    EXPECT_TRUE(rec.Commands().empty());
    EXPECT_EQ(device.UpgStatusValue(), UPG_IDLE);
}

TEST_F(Upgrade, ImagesInFoldersWithNonAsciiNamesAreOpened) {
    // Names are UTF-8: Russian and Chinese folder names reach the file whole.
    for (const char* folder : {"\u041f\u0440\u043e\u0448\u0438\u0432\u043a\u0430", "\u56fa\u4ef6"}) {
        SCOPED_TRACE(folder);
        ASSERT_TRUE(Reconnect());
        fs::create_directories(dir / platform::PathFromUtf8(folder));
        const std::string path = McuImage(std::string(folder) + "/MCU_UPG.BIN", 100);
        ASSERT_EQ(transfer.UpgradeStart(path, false), 0);
        int result = 0;
        Run(&result);
        EXPECT_EQ(result, fw::kUpgradeStepDone);
        // The wide form names the same file.
        ASSERT_TRUE(Reconnect());
        EXPECT_EQ(transfer.UpgradeStart(Utf8ToWide(path), false), 0);
        Run(&result);
        EXPECT_EQ(result, fw::kUpgradeStepDone);
    }
}

TEST_F(Upgrade, McuBlocksTravelFromTheEnd) {
    for (size_t len : {size_t{70}, size_t{64}}) {
        SCOPED_TRACE(len);
        ASSERT_TRUE(Reconnect());
        rec.Clear();
        ASSERT_EQ(transfer.UpgradeStart(McuImage("MCU_UPG.BIN", len), false), 0);
        int result = 0;
        Run(&result);
        ASSERT_EQ(result, fw::kUpgradeStepDone);
        if (len == 70) {
            EXPECT_EQ(McuOffsets(), (std::vector<uint32_t>{64, 32, 0}));
            // The short last block first, padded with zeros.
            Bytes first = rec.CommandsOf(CMD_MCU, MCU_UPG_DATA)[0].data;
            Bytes expect{0, 0, 0, 64, 65, 66, 67, 68, 69, 70};
            expect.resize(36, 0);
            EXPECT_EQ(first, expect);
        } else {
            EXPECT_EQ(McuOffsets(), (std::vector<uint32_t>{32, 0}));
        }
        EXPECT_EQ(rec.CommandsOf(CMD_MCU, MCU_UPG_FINISH).size(), 1u);
    }
}

TEST_F(Upgrade, DspBlocksOfFiftyWithTheirProgress) {
    ASSERT_TRUE(Connect());
    const std::string path =
        Write("FLASH_UPG.BIN", fw::MakeSingleImage(fw::FW_ID_DSP, 98, {2, 30, 0, 2}, Payload(120)));
    rec.Clear();
    ASSERT_EQ(transfer.UpgradeStart(path, false), 0);
    int result = 0;
    std::vector<int> progress = Run(&result);
    ASSERT_EQ(result, fw::kUpgradeStepDone);
    auto blocks = rec.CommandsOf(CMD_FLASH, FLASH_UPG_DATA);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ((Bytes{blocks[0].data.begin(), blocks[0].data.begin() + 5}), (Bytes{0, 0, 0, 0, 50}));
    EXPECT_EQ((Bytes{blocks[1].data.begin(), blocks[1].data.begin() + 5}), (Bytes{0, 0, 0, 50, 50}));
    EXPECT_EQ((Bytes{blocks[2].data.begin(), blocks[2].data.begin() + 5}), (Bytes{0, 0, 0, 100, 20}));
    EXPECT_EQ(progress, (std::vector<int>{41, 83, 100}));
    // No erase unless asked; the unit was switched with MCU_Enter_Upg_Mode first.
    EXPECT_TRUE(rec.CommandsOf(CMD_FLASH, FLASH_CHIP_ERASE).empty());
    EXPECT_EQ(rec.Commands().front().cmd, MCU_ENTER_UPG);
}

TEST_F(Upgrade, WholeMcuUpgradeRebootsIntoTheNewImage) {
    ASSERT_TRUE(Connect());
    EXPECT_EQ(device.SlaveVersion(), 27);
    const int opensBefore = rec.Opens();
    ASSERT_EQ(transfer.UpgradeStart(McuImage("VTR50_MCU_UPG.BIN", 1000, 2, 28), false), 0);
    // The unit went into its loader and was opened again after the wait.
    EXPECT_GT(rec.Opens(), opensBefore);
    EXPECT_TRUE(unit.InUpgradeMode());
    int result = 0;
    Run(&result);
    EXPECT_EQ(result, fw::kUpgradeStepDone);
    EXPECT_EQ(device.UpgStatusValue(), UPG_IDLE);
    ASSERT_TRUE(Reconnect());
    EXPECT_EQ(device.MasterVersion(), 2);
    EXPECT_EQ(device.SlaveVersion(), 28);
    EXPECT_FALSE(unit.InUpgradeMode());
}

TEST_F(Upgrade, NotReadyBlocksAreWaitedForNotResent) {
    ASSERT_TRUE(Connect());
    unit.SetUpgradeNotReady(3);
    ASSERT_EQ(transfer.UpgradeStart(McuImage("MCU_UPG.BIN", 200), false), 0);
    rec.Clear();
    int result = 0;
    Run(&result);
    EXPECT_EQ(result, fw::kUpgradeStepDone);
    EXPECT_EQ(McuOffsets().size(), 7u);  // 8 + 6 * 32: every block once
    ASSERT_TRUE(Reconnect());
    EXPECT_EQ(device.SlaveVersion(), 28);
}

TEST_F(Upgrade, InterruptedTransferLeavesTheLoaderForASecondAttempt) {
    ASSERT_TRUE(Connect());
    const std::string image = McuImage("MCU_UPG.BIN", 640);
    ASSERT_EQ(transfer.UpgradeStart(image, false), 0);
    // Pulled out after a few blocks.
    backend.ArmFault(emu::VirtualHidBackend::Fault::Unplug, 5);
    int result = 0;
    Run(&result);
    EXPECT_EQ(result, fw::kUpgradeStepFailed);
    EXPECT_EQ(device.UpgStatusValue(), UPG_IDLE);
    backend.Plug();
    // The unit stays in its loader: it refuses the hand-shake ...
    ASSERT_FALSE(Reconnect());
    EXPECT_TRUE(device.IsConnected());
    EXPECT_TRUE(unit.InUpgradeMode());
    // ... and takes the transfer again, without the reboot wait (no accepted hand-shake).
    const int opens = rec.Opens();
    ASSERT_EQ(transfer.UpgradeStart(image, false), 0);
    EXPECT_EQ(rec.Opens(), opens);
    Run(&result);
    EXPECT_EQ(result, fw::kUpgradeStepDone);
    ASSERT_TRUE(Reconnect());
    EXPECT_EQ(device.SlaveVersion(), 28);
}

TEST_F(Upgrade, RefusedStartAndLostAcknowledgementsFail) {
    ASSERT_TRUE(Connect());
    const std::string image = McuImage("MCU_UPG.BIN", 100);
    unit.RefuseUpgradeStart(1);
    EXPECT_EQ(transfer.UpgradeStart(image, false), fw::kUpgradeRefused);
    EXPECT_EQ(device.UpgStatusValue(), UPG_IDLE);
    EXPECT_TRUE(rec.CommandsOf(CMD_MCU, MCU_UPG_DATA).empty());

    // A unit that stops answering ends the transfer as failed instead of keeping it.
    ASSERT_EQ(transfer.UpgradeStart(image, false), 0);
    backend.DropReplies(1000);
    int result = 0;
    Run(&result);
    EXPECT_EQ(result, fw::kUpgradeStepFailed);
    EXPECT_EQ(McuOffsets().size(), 1u);
}

TEST_F(Upgrade, FaultsNamedInTextReachTheUnitAndTheLink) {
    // As DVDSP_VIRTUAL_FAULT names them for both programs.
    std::string why;
    for (const char* bad : {"not-ready@x", "cal-fail@6", "drop@", "refuse-upgrade", "jam@1", "drop@1x"}) {
        EXPECT_FALSE(emu::ArmVirtualFaults(bad, unit, backend, &why)) << bad;
        EXPECT_NE(why.find(bad), std::string::npos) << why;
    }
    ASSERT_TRUE(Connect());
    const std::string image = McuImage("MCU_UPG.BIN", 100);
    ASSERT_TRUE(emu::ArmVirtualFaults("refuse-upgrade@1,not-ready@2,cal-fail@3", unit, backend, &why)) << why;
    EXPECT_EQ(transfer.UpgradeStart(image, false), fw::kUpgradeRefused);
    ASSERT_EQ(transfer.UpgradeStart(image, false), 0);
    int result = 0;
    Run(&result);
    EXPECT_EQ(result, fw::kUpgradeStepDone);
    // A link fault: the unit is pulled out at the next reply.
    ASSERT_TRUE(Reconnect());
    ASSERT_TRUE(emu::ArmVirtualFaults("unplug@0", unit, backend, &why)) << why;
    device.Hand_Connect();
    EXPECT_FALSE(backend.Plugged());
    backend.Plug();
}

TEST_F(Upgrade, NoUnitAndUnitThatDoesNotComeBack) {
    // No unit: the check says so before anything is sent.
    EXPECT_EQ(transfer.UpgradeStart(McuImage("MCU_UPG.BIN", 40), false), fw::UPG_CONNECT_FAIL);
    ASSERT_TRUE(Connect());
    // The unit reboots into its loader but stays away longer than the wait and the tries.
    unit.SetRebootDowntimeMs(60000);
    EXPECT_EQ(transfer.UpgradeStart(McuImage("MCU_UPG.BIN", 40), false), fw::UPG_CONNECT_FAIL);
    EXPECT_EQ(device.UpgStatusValue(), UPG_IDLE);
}

}  // namespace
}  // namespace dvdsp
