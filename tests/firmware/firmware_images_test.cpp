// The entry points over real files: results, the connected-unit rule, the state they
// leave (buffers, headers, upg_device, sys_upg_status) and their log lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/log.h"
#include "firmware/firmware_images.h"
#include "link/dsp_device.h"

namespace dvdsp::fw {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const Bytes kExample = {0x01, 0x62, 0x00, 0x00, 0x00, 0x00, 0x10, 0x20,
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x93};

class FakeLink final : public UpgradeLink {
  public:
    bool connected = true;
    int ringResets = 0;
    bool IsConnected() const override { return connected; }
    void ResetReceiveRing() override { ++ringResets; }
};

class FirmwareImagesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("dvdsp_fw_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        images_.SetLink(&link_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::wstring Write(const std::string& name, const Bytes& bytes) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return p.wstring();
    }
    std::wstring Missing() const { return (dir_ / "missing" / "MCU_UPG.BIN").wstring(); }

    fs::path dir_;
    FakeLink link_;
    FirmwareImages images_;
};

TEST_F(FirmwareImagesTest, McuEntryKeepsPayloadAndHeader) {
    const Bytes img = MakeSingleImage(1, 98, {0xDE, 0xAD, 0xBE, 0xEF}, Bytes{1, 2, 3, 4, 5});
    EXPECT_EQ(images_.MCUUpgParsingFile(Write("MCU_UPG.BIN", img)), UPG_FILE_VALID);
    EXPECT_EQ(images_.UpgDeviceValue(), UPG_DEVICE_MCU);
    EXPECT_EQ(images_.SysUpgStatus(), link::UPG_ENTER);
    EXPECT_EQ(images_.McuPayload(), (Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(images_.McuPayloadLength(), 5u);
    EXPECT_EQ(images_.McuRemaining(), 5u);
    EXPECT_EQ(images_.McuImageHeader(), (std::array<uint8_t, 4>{0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_TRUE(images_.DspPayload().empty());
}

TEST_F(FirmwareImagesTest, BootloaderEntry) {
    EXPECT_EQ(images_.MCUUpgBLParsingFile(Write("BL_UPG.BIN", kExample)), UPG_FILE_VALID);
    EXPECT_EQ(images_.UpgDeviceValue(), UPG_DEVICE_BOOTLOADER);
    EXPECT_EQ(images_.SysUpgStatus(), link::UPG_ENTER);
    EXPECT_EQ(images_.McuPayload(), (Bytes{0x10, 0x20}));
    EXPECT_EQ(images_.LastReport().kind, ImageKind::kBootloader);
}

TEST_F(FirmwareImagesTest, FlashEntryIgnoresFwIdAndResetsTheRing) {
    Bytes img = kExample;
    img[0] = 2;
    img[15] = 0x94;
    const std::wstring path = Write("FLASH_UPG.BIN", img);
    EXPECT_EQ(images_.CopyFileToBuffer(path), UPG_FILE_INVALID);
    EXPECT_EQ(images_.FlashUpgParsingFile(path), UPG_FILE_VALID);
    EXPECT_EQ(images_.UpgDeviceValue(), UPG_DEVICE_FLASH);
    EXPECT_EQ(images_.SysUpgStatus(), link::UPG_START);
    EXPECT_EQ(link_.ringResets, 1);
    EXPECT_EQ(images_.DspPayload(), (Bytes{0x10, 0x20}));
    EXPECT_TRUE(images_.McuPayload().empty());
}

TEST_F(FirmwareImagesTest, WithoutUnitThreeEntriesReturnConnectFailBeforeTheFile) {
    link_.connected = false;
    images_.SetUpgDevice(0);
    EXPECT_EQ(images_.MCUUpgParsingFile(Missing()), UPG_CONNECT_FAIL);
    EXPECT_EQ(images_.UpgDeviceValue(), UPG_DEVICE_MCU);
    EXPECT_EQ(images_.MCUUpgBLParsingFile(Missing()), UPG_CONNECT_FAIL);
    EXPECT_EQ(images_.UpgDeviceValue(), UPG_DEVICE_BOOTLOADER);
    EXPECT_EQ(images_.FlashUpgParsingFile(Missing()), UPG_CONNECT_FAIL);
    EXPECT_EQ(images_.UpgDeviceValue(), UPG_DEVICE_BOOTLOADER);  // set only after the test
    EXPECT_EQ(link_.ringResets, 0);
    // No upgrade is under way, so plug events are not left ignored.
    EXPECT_EQ(images_.SysUpgStatus(), link::UPG_IDLE);

    // The other two do not ask for a unit.
    EXPECT_EQ(images_.CopyFileToBuffer(Write("MCU_UPG.BIN", kExample)), UPG_FILE_VALID);
    const Bytes merged =
        MakeMergedImage(kExample, MakeSingleImage(2, 98, {1, 1, 1, 1}, Bytes{7, 7, 7}));
    EXPECT_EQ(images_.ParsingUpgFWFile(Write("UPG_FW.BIN", merged)), UPG_FILE_VALID);

    FirmwareImages unlinked;  // no link at all: no unit
    EXPECT_EQ(unlinked.FlashUpgParsingFile(Missing()), UPG_CONNECT_FAIL);
}

TEST_F(FirmwareImagesTest, MissingFileIsOneForSingleImagesTwoForMerged) {
    EXPECT_EQ(images_.CopyFileToBuffer(Missing()), UPG_FILE_OPEN_FAIL);
    EXPECT_EQ(images_.MCUUpgParsingFile(Missing()), UPG_FILE_OPEN_FAIL);
    EXPECT_EQ(images_.SysUpgStatus(), link::UPG_IDLE);
    EXPECT_EQ(images_.FlashUpgParsingFile(Missing()), UPG_FILE_OPEN_FAIL);
    EXPECT_EQ(images_.ParsingUpgFWFile(Missing()), UPG_FILE_INVALID);
    // A folder is no file.
    EXPECT_EQ(images_.CopyFileToBuffer(dir_.wstring()), UPG_FILE_OPEN_FAIL);
}

TEST_F(FirmwareImagesTest, FailedCheckKeepsEarlierBuffers) {
    ASSERT_EQ(images_.MCUUpgParsingFile(Write("MCU_UPG.BIN", kExample)), UPG_FILE_VALID);
    Bytes bad = MakeSingleImage(1, 98, {9, 9, 9, 9}, Bytes{5, 5, 5});
    bad.back() ^= 0xFF;
    EXPECT_EQ(images_.MCUUpgParsingFile(Write("bad_MCU_UPG.BIN", bad)), UPG_FILE_INVALID);
    EXPECT_EQ(images_.McuPayload(), (Bytes{0x10, 0x20}));
    EXPECT_EQ(images_.McuPayloadLength(), 2u);
    EXPECT_EQ(images_.McuImageHeader(), (std::array<uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(images_.SysUpgStatus(), link::UPG_IDLE);

    const Bytes merged =
        MakeMergedImage(kExample, MakeSingleImage(2, 98, {4, 3, 2, 1}, Bytes{6, 6}));
    ASSERT_EQ(images_.ParsingUpgFWFile(Write("UPG_FW.BIN", merged)), UPG_FILE_VALID);
    Bytes badMerged = merged;
    badMerged.back() ^= 1;
    EXPECT_EQ(images_.ParsingUpgFWFile(Write("x_UPG_FW.BIN", badMerged)), UPG_FILE_INVALID);
    EXPECT_EQ(images_.DspPayload(), (Bytes{6, 6}));
    EXPECT_EQ(images_.DspImageHeader(), (std::array<uint8_t, 4>{4, 3, 2, 1}));
}

TEST_F(FirmwareImagesTest, MergedEntryKeepsBothParts) {
    images_.SetUpgDevice(UPG_DEVICE_MCU);
    const Bytes mcu = MakeSingleImage(1, 98, {1, 2, 3, 4}, Bytes{0xAA, 0xBB});
    const Bytes dsp = MakeSingleImage(2, 98, {5, 6, 7, 8}, Bytes{0xCC, 0xDD, 0xEE});
    EXPECT_EQ(images_.ParsingUpgFWFile(Write("UPG_FW.BIN", MakeMergedImage(mcu, dsp))),
              UPG_FILE_VALID);
    EXPECT_EQ(images_.UpgDeviceValue(), UPG_DEVICE_FLASH);
    EXPECT_EQ(images_.McuPayload(), (Bytes{0xAA, 0xBB}));
    EXPECT_EQ(images_.McuRemaining(), 2u);
    EXPECT_EQ(images_.McuImageHeader(), (std::array<uint8_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(images_.DspPayload(), (Bytes{0xCC, 0xDD, 0xEE}));
    EXPECT_EQ(images_.DspImageHeader(), (std::array<uint8_t, 4>{5, 6, 7, 8}));
    images_.FreePayloads();
    EXPECT_TRUE(images_.McuPayload().empty());
    EXPECT_EQ(images_.McuPayloadLength(), 0u);
}

TEST_F(FirmwareImagesTest, FileSizeLimits) {
    const Bytes atLimit = MakeSingleImage(1, 98, {0, 0, 0, 0}, Bytes(0x100000 - 14, 0x5A));
    EXPECT_EQ(images_.CopyFileToBuffer(Write("MCU_UPG.BIN", atLimit)), UPG_FILE_VALID);
    EXPECT_EQ(images_.McuPayloadLength(), 0x100000u - 14);
    const Bytes over = MakeSingleImage(1, 98, {0, 0, 0, 0}, Bytes(0x100000 - 13, 0x5A));
    EXPECT_EQ(images_.CopyFileToBuffer(Write("big_MCU_UPG.BIN", over)), UPG_FILE_INVALID);
    EXPECT_EQ(images_.LastReport().failedCheck, kFailTooLarge);
    EXPECT_EQ(images_.FlashUpgParsingFile(Write("FLASH_UPG.BIN", over)), UPG_FILE_INVALID);
    EXPECT_EQ(images_.LastReport().failedCheck, kFailTooLarge);

    const Bytes dspAt = MakeSingleImage(2, 98, {0, 0, 0, 0}, Bytes(0x200000 - 11 - 16 - 14, 1));
    const Bytes mergedAt = MakeMergedImage(kExample, dspAt);
    ASSERT_EQ(mergedAt.size(), 0x200000u);
    EXPECT_EQ(images_.ParsingUpgFWFile(Write("UPG_FW.BIN", mergedAt)), UPG_FILE_VALID);
    Bytes mergedOver = mergedAt;
    mergedOver.push_back(0);
    EXPECT_EQ(images_.ParsingUpgFWFile(Write("big_UPG_FW.BIN", mergedOver)), UPG_FILE_INVALID);
    EXPECT_EQ(images_.LastReport().failedCheck, kFailTooLarge);
}

TEST_F(FirmwareImagesTest, ShortFilesAreInvalid) {
    const Bytes thirteen(kExample.begin(), kExample.begin() + 13);
    EXPECT_EQ(images_.CopyFileToBuffer(Write("MCU_UPG.BIN", thirteen)), UPG_FILE_INVALID);
    EXPECT_EQ(images_.FlashUpgParsingFile(Write("FLASH_UPG.BIN", thirteen)), UPG_FILE_INVALID);
    EXPECT_EQ(images_.ParsingUpgFWFile(Write("UPG_FW.BIN", Bytes{0x73})), UPG_FILE_INVALID);
    EXPECT_EQ(images_.CopyFileToBuffer(Write("empty_MCU_UPG.BIN", Bytes{})), UPG_FILE_INVALID);
}

TEST_F(FirmwareImagesTest, OfflineCheckSkipsTheUnitAndLeavesStatusAlone) {
    link_.connected = false;
    images_.SetSysUpgStatus(0);
    EXPECT_EQ(images_.CheckFileOffline(ImageKind::kMcu, Write("MCU_UPG.BIN", kExample)),
              UPG_FILE_VALID);
    Bytes flash = kExample;
    flash[0] = 2;
    flash[15] = 0x94;
    EXPECT_EQ(images_.CheckFileOffline(ImageKind::kFlash, Write("FLASH_UPG.BIN", flash)),
              UPG_FILE_VALID);
    EXPECT_EQ(images_.LastReport().dsp.fwId, 2);
    EXPECT_EQ(images_.CheckFileOffline(ImageKind::kBootloader, Write("BL_UPG.BIN", kExample)),
              UPG_FILE_VALID);
    EXPECT_EQ(images_.LastReport().kind, ImageKind::kBootloader);
    EXPECT_EQ(images_.CheckFileOffline(ImageKind::kNone, Write("x.bin", kExample)),
              UPG_FILE_INVALID);
    EXPECT_EQ(images_.SysUpgStatus(), 0);
    EXPECT_EQ(images_.UpgDeviceValue(), UPG_DEVICE_NONE);
}

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Checks that the lines occur in this order.
void ExpectInOrder(const std::string& log, const std::vector<std::string>& lines) {
    size_t pos = 0;
    for (const std::string& l : lines) {
        const size_t at = log.find(l, pos);
        ASSERT_NE(at, std::string::npos) << "missing after offset " << pos << ": " << l << "\n"
                                         << log;
        pos = at + l.size();
    }
}

TEST_F(FirmwareImagesTest, LogLines) {
    const fs::path logPath = dir_ / "save.log";
    LogCloseForTest();
    ASSERT_TRUE(LogOpen(logPath.string()));
    const std::wstring mcu = Write("MCU_UPG.BIN", kExample);
    const std::string mcuName = fs::path(mcu).string();
    images_.MCUUpgParsingFile(mcu);
    Bytes bad = kExample;
    bad[1] = 0x63;
    const std::wstring badPath = Write("bad_MCU_UPG.BIN", bad);
    images_.SetNoCheckID(true);
    images_.MCUUpgBLParsingFile(badPath);
    images_.SetNoCheckID(false);
    Bytes flash = kExample;
    flash[0] = 2;
    flash[15] = 0x94;
    const std::wstring flashPath = Write("FLASH_UPG.BIN", flash);
    images_.FlashUpgParsingFile(flashPath);
    images_.FlashUpgParsingFile(Missing());
    const Bytes merged = MakeMergedImage(kExample, flash);
    images_.ParsingUpgFWFile(Write("UPG_FW.BIN", merged));
    link_.connected = false;
    images_.MCUUpgParsingFile(mcu);
    images_.FlashUpgParsingFile(mcu);
    LogCloseForTest();

    const std::string log = ReadText(logPath);
    ExpectInOrder(
        log, {
                 "MCUUpgParsingFile!\n",
                 "CopyFileToBuffer\n",
                 "Open file " + mcuName + " success!\n",
                 "cal MCU encrypt_checksum=0x93!\n",
                 "encrypt_checksum=0x93!\n",
                 "noCheckID=false, FW_ID=0x1, FW_MODEL_ID=0x62, pc_model_id=0x62\n",
                 "UPG_FILE_VALID\n",
                 "MCUUpgParsingFile return  ok!\n",
                 // Bootloader with noCheckID: model waived, checksum 0x93 no longer matches.
                 "MCUUpgBLParsingFile!\n",
                 "CopyFileToBuffer\n",
                 "cal MCU encrypt_checksum=0x94!\n",
                 "encrypt_checksum=0x93!\n",
                 "noCheckID=true, FW_ID=0x1\n",
                 "return UPG_FILE_INVALID " + fs::path(badPath).string() + " CopyFileToBuffer 6\n",
                 "MCUUpgBLParsingFile return as failed in CopyFileToBuffer!\n",
                 // Flash.
                 "FlashUpgParsingFile!\n",
                 "Open file " + fs::path(flashPath).string() + " success!\n",
                 fs::path(flashPath).string() + " file size is 16\n",
                 "cal FLASH checksum=0x94!\n",
                 "encrypt_checksum=0x94!\n",
                 "FlashUpgParsingFile return ok!\n",
                 "FlashUpgParsingFile!\n",
                 "Error: Open file " + fs::path(Missing()).string() + " error!\n",
                 // Merged.
                 "head is 0x73, 0x73\n",
                 "totalFW=2\n",
                 "tmp[0]=0x0, tmp[1]=0x0, tmp[2]=0x0, tmp[3]=0x10\n",
                 "FWSize[0]=0x10\n",
                 "FWSize[1]=0x10\n",
                 "MCU imgfilesize=0x2\n",
                 "HEAD[0]=0x0, HEAD[1]=0x0, HEAD[2]=0x0, HEAD[3]=0x0\n",
                 "read MCUFW size = 0x2\n",
                 "MCU cal encrypt_checksum=0x93!\n",
                 "MCU encrypt_checksum=0x93!\n",
                 "dspsize=0x2\n",
                 "read DSPFW size = 0x2\n",
                 "last[0]=0x0, last[1]=0x0, last[2]=0x0, last[3]=0x0\n",
                 "cal DSP encrypt_checksum=0x94!\n",
                 "dsp encrypt_checksum=0x94!\n",
                 // No unit.
                 "MCUUpgParsingFile!\n",
                 "MCUUpgParsingFile return UPG_CONNECT_FAIL!\n",
                 "FlashUpgParsingFile!\n",
                 "FlashUpgParsingFile return USB disconnected!\n",
             });
}

TEST_F(FirmwareImagesTest, MergedFailureLogLines) {
    const fs::path logPath = dir_ / "save.log";
    LogCloseForTest();
    ASSERT_TRUE(LogOpen(logPath.string()));
    Bytes noHead = MakeMergedImage(kExample, kExample, {0, 0});
    images_.ParsingUpgFWFile(Write("a_UPG_FW.BIN", noHead));
    Bytes mcuBad = MakeMergedImage(kExample, kExample);
    mcuBad[11 + 15] = 0;
    images_.ParsingUpgFWFile(Write("b_UPG_FW.BIN", mcuBad));
    images_.ParsingUpgFWFile(Write("c_UPG_FW.BIN", MakeMergedImage(kExample, kExample)));
    LogCloseForTest();
    const std::string log = ReadText(logPath);
    ExpectInOrder(log, {"head is 0x0, 0x0\n", "upg FW not match!\n", " ParsingUpgFWFile 9\n",
                        "MCU checksum error!\n", " ParsingUpgFWFile 13\n", "DSP checksum error!\n",
                        " ParsingUpgFWFile 15\n"});
}

}  // namespace
}  // namespace dvdsp::fw
