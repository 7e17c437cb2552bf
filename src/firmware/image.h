#pragma once
// Firmware image files: the single image (MCU, bootloader, DSP flash) and the merged
// file that carries an MCU image followed by a DSP image. Plain functions over a file's
// bytes: field reading, the checksum, the checks with their log lines, and builders
// that produce valid images. Every read is bounded by the bytes given.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dvdsp::fw {

// Results of the image checks.
enum UpgResult : int {
    UPG_FILE_VALID = 0,
    UPG_FILE_OPEN_FAIL = 1,  // a single image's file could not be opened
    UPG_FILE_INVALID = 2,
    UPG_CONNECT_FAIL = 3,
};

// upg_device values.
enum UpgDevice : int32_t {
    UPG_DEVICE_NONE = 0,
    UPG_DEVICE_FLASH = 1,
    UPG_DEVICE_MCU = 2,
    UPG_DEVICE_BOOTLOADER = 3,
};

// The image kind a file name selects.
enum class ImageKind { kNone, kBootloader, kFlash, kMcu, kMerged };

inline constexpr uint8_t FW_ID_MCU = 1;
inline constexpr uint8_t FW_ID_DSP = 2;
inline constexpr size_t kImageOverhead = 14;  // id, model, header, trailer, checksum
inline constexpr size_t kSingleImageMaxSize = 0x100000;
inline constexpr size_t kMergedImageMaxSize = 0x200000;
inline constexpr size_t kMergedMaxImages = 5;
inline constexpr uint8_t kMergedHeadMark = 0x73;

// Numbers logged with "return UPG_FILE_INVALID %s %d\n" to tell the failing checks apart.
enum FailedCheck : int {
    kCheckPassed = 0,
    kFailTooLarge = 1,
    kFailTooShort = 2,
    kFailRead = 3,
    kFailFwId = 4,
    kFailModel = 5,
    kFailChecksum = 6,
    kFailOpen = 7,
    kFailAllocation = 8,
    kFailHead = 9,
    kFailImageCount = 10,
    kFailSizeTable = 11,
    kFailMcuSize = 12,
    kFailMcuImage = 13,
    kFailDspSize = 14,
    kFailDspImage = 15,
    kFailTrailingBytes = 16,
};

// Model comparison settings of the device link.
struct ModelCheck {
    uint8_t pcModelId = 98;
    bool noCheckID = false;
};

// The fields of one single image inside a file.
struct ImageFields {
    bool present = false;  // the image lies within the file and its fields were read
    size_t offset = 0;     // of the image in the file
    size_t size = 0;       // n
    uint8_t fwId = 0;      // FW_ID
    uint8_t modelId = 0;   // FW_MODEL_ID
    std::array<uint8_t, 4> imageHeader{};
    size_t payloadOffset = 0;  // in the file
    size_t payloadLength = 0;  // n - 14
    std::array<uint8_t, 4> trailer{};
    uint32_t storedChecksum = 0;    // encrypt_checksum
    uint32_t computedChecksum = 0;  // sum of all bytes before it
};

// What a check found.
struct CheckReport {
    ImageKind kind = ImageKind::kNone;
    int result = UPG_FILE_INVALID;
    int failedCheck = kCheckPassed;
    size_t fileSize = 0;
    ImageFields mcu;  // MCU or bootloader image, or the merged file's MCU part
    ImageFields dsp;  // DSP flash image, or the merged file's DSP part
    // Merged file only.
    std::array<uint8_t, 2> head{};
    int totalFW = 0;
    std::vector<uint32_t> fwSize;
};

// Sum of the bytes as an unsigned 32-bit number with wrap-around.
uint32_t ImageChecksum(std::span<const uint8_t> bytes);

// Reads the image of `size` bytes at `offset`. False (nothing read) when it is shorter
// than 14 bytes or reaches past the end of the file.
bool ReadImageFields(std::span<const uint8_t> file, size_t offset, size_t size, ImageFields& out);

// The kind the upgrade picks from a file name (the part after the last slash or
// backslash, compared upper-cased): "BL_UPG.BIN", "FLASH_UPG.BIN", "MCU_UPG.BIN",
// "UPG_FW.BIN", tested in this order.
ImageKind ImageKindFromFileName(const std::string& path);
const char* ImageKindName(ImageKind kind);
const char* UpgResultName(int result);

// Logs "return UPG_FILE_INVALID %s %d\n" and records the failure in the report.
void FailCheck(CheckReport& report, const std::string& path, const char* routine, int check);

// The content checks of a whole file already in memory, with their log lines. `path`
// only goes into the log. Sizes are checked against the limits here as well.
CheckReport CheckMcuImageBytes(std::span<const uint8_t> file, const ModelCheck& model,
                               const std::string& path);
CheckReport CheckFlashImageBytes(std::span<const uint8_t> file, const ModelCheck& model,
                                 const std::string& path);
CheckReport CheckMergedImageBytes(std::span<const uint8_t> file, const ModelCheck& model,
                                  const std::string& path);

// Builders of valid images.
std::vector<uint8_t> MakeSingleImage(uint8_t fwId, uint8_t modelId,
                                     const std::array<uint8_t, 4>& imageHeader,
                                     std::span<const uint8_t> payload,
                                     const std::array<uint8_t, 4>& trailer = {});
std::vector<uint8_t> MakeMergedImage(std::span<const uint8_t> mcuImage,
                                     std::span<const uint8_t> dspImage,
                                     std::array<uint8_t, 2> head = {kMergedHeadMark,
                                                                    kMergedHeadMark});

}  // namespace dvdsp::fw
