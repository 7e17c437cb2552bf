#include "firmware/firmware_images.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>

#include "base/log.h"
#include "link/upgrade_status.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace dvdsp::fw {

namespace {

enum class ImageRead { Read, Unopened, TooLarge };

// Reads a regular file of at most `limit` bytes whole; a device, a FIFO or a folder is
// refused unread, and of a larger file no more than the limit and a byte is read. `size`
// is the file's size when read, more than `limit` when too large.
ImageRead ReadImageFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes, size_t& size) {
    std::string text;
    switch (platform::ReadRegularFile(path, limit, &text)) {
        case platform::ReadStatus::Ok: break;
        case platform::ReadStatus::TooLarge: {
            std::error_code ec;
            const auto bytesOnDisk = std::filesystem::file_size(platform::PathFromUtf8(path), ec);
            size = ec || bytesOnDisk <= limit ? limit + 1 : static_cast<size_t>(bytesOnDisk);
            return ImageRead::TooLarge;
        }
        default: return ImageRead::Unopened;
    }
    size = text.size();
    bytes.assign(text.begin(), text.end());
    return ImageRead::Read;
}

}  // namespace

void FirmwareImages::FreePayloads() {
    mcu_payload_ = {};
    mcu_payload_length_ = 0;
    mcu_remaining_ = 0;
    dsp_payload_ = {};
}

bool FirmwareImages::KeepMcu(const std::vector<uint8_t>& file, const ImageFields& image) {
    std::vector<uint8_t> payload;
    try {
        payload.assign(
            file.begin() + static_cast<std::ptrdiff_t>(image.payloadOffset),
            file.begin() + static_cast<std::ptrdiff_t>(image.payloadOffset + image.payloadLength));
    } catch (const std::bad_alloc&) {
        return false;
    }
    mcu_payload_ = std::move(payload);
    mcu_payload_length_ = image.payloadLength;
    mcu_remaining_ = image.payloadLength;
    mcu_header_ = image.imageHeader;
    return true;
}

bool FirmwareImages::KeepDsp(const std::vector<uint8_t>& file, const ImageFields& image) {
    std::vector<uint8_t> payload;
    try {
        payload.assign(
            file.begin() + static_cast<std::ptrdiff_t>(image.payloadOffset),
            file.begin() + static_cast<std::ptrdiff_t>(image.payloadOffset + image.payloadLength));
    } catch (const std::bad_alloc&) {
        return false;
    }
    dsp_payload_ = std::move(payload);
    dsp_header_ = image.imageHeader;
    return true;
}

int FirmwareImages::CopyFileToBuffer(const std::wstring& path) {
    static const char* const kRoutine = "CopyFileToBuffer";
    LogWriteNarrow("CopyFileToBuffer\n");
    const std::string name = WideToUtf8(path);
    report_ = CheckReport{};
    report_.kind = ImageKind::kMcu;

    size_t n = 0;
    std::vector<uint8_t> bytes;
    const ImageRead got = ReadImageFile(name, kSingleImageMaxSize, bytes, n);
    if (got == ImageRead::Unopened) {
        report_.result = UPG_FILE_OPEN_FAIL;
        report_.failedCheck = kFailOpen;
        return UPG_FILE_OPEN_FAIL;
    }
    LogWriteNarrow("Open file %s success!\n", name.c_str());
    report_.fileSize = n;
    if (got == ImageRead::TooLarge) {
        FailCheck(report_, name, kRoutine, kFailTooLarge);
        return report_.result;
    }
    if (n < kImageOverhead) {
        FailCheck(report_, name, kRoutine, kFailTooShort);
        return report_.result;
    }
    report_ = CheckMcuImageBytes(bytes, Model(), name);
    if (report_.result == UPG_FILE_VALID && !KeepMcu(bytes, report_.mcu))
        FailCheck(report_, name, kRoutine, kFailAllocation);
    return report_.result;
}

int FirmwareImages::MCUUpgParsingFile(const std::wstring& path) {
    LogWriteNarrow("MCUUpgParsingFile!\n");
    upg_device_ = UPG_DEVICE_MCU;
    status_->Set(link::UPG_ENTER);
    if (!Connected()) {
        LogWriteNarrow("MCUUpgParsingFile return UPG_CONNECT_FAIL!\n");
        // No upgrade is under way: plug events must not stay ignored.
        status_->Set(link::UPG_IDLE);
        report_ = CheckReport{};
        report_.kind = ImageKind::kMcu;
        report_.result = UPG_CONNECT_FAIL;
        return UPG_CONNECT_FAIL;
    }
    const int r = CopyFileToBuffer(path);
    if (r != UPG_FILE_VALID) {
        LogWriteNarrow("MCUUpgParsingFile return as failed in MCUUpgParsingFile!\n");
        status_->Set(link::UPG_IDLE);
    } else {
        LogWriteNarrow("MCUUpgParsingFile return  ok!\n");
    }
    return r;
}

int FirmwareImages::MCUUpgBLParsingFile(const std::wstring& path) {
    LogWriteNarrow("MCUUpgBLParsingFile!\n");
    upg_device_ = UPG_DEVICE_BOOTLOADER;
    status_->Set(link::UPG_ENTER);
    if (!Connected()) {
        LogWriteNarrow("MCUUpgBLParsingFile return UPG_CONNECT_FAIL!\n");
        status_->Set(link::UPG_IDLE);
        report_ = CheckReport{};
        report_.kind = ImageKind::kBootloader;
        report_.result = UPG_CONNECT_FAIL;
        return UPG_CONNECT_FAIL;
    }
    const int r = CopyFileToBuffer(path);
    report_.kind = ImageKind::kBootloader;
    if (r != UPG_FILE_VALID) {
        LogWriteNarrow("MCUUpgBLParsingFile return as failed in CopyFileToBuffer!\n");
        status_->Set(link::UPG_IDLE);
    } else {
        LogWriteNarrow("MCUUpgBLParsingFile return  ok!\n");
    }
    return r;
}

int FirmwareImages::FlashUpgParsingFile(const std::wstring& path) {
    LogWriteNarrow("FlashUpgParsingFile!\n");
    if (!Connected()) {
        LogWriteNarrow("FlashUpgParsingFile return USB disconnected!\n");
        report_ = CheckReport{};
        report_.kind = ImageKind::kFlash;
        report_.result = UPG_CONNECT_FAIL;
        return UPG_CONNECT_FAIL;
    }
    upg_device_ = UPG_DEVICE_FLASH;
    status_->Set(link::UPG_START);
    const int r = FlashCheckFile(path);
    if (r != UPG_FILE_VALID) status_->Set(link::UPG_IDLE);
    return r;
}

int FirmwareImages::FlashCheckFile(const std::wstring& path) {
    static const char* const kRoutine = "FlashUpgParsingFile";
    const std::string name = WideToUtf8(path);
    report_ = CheckReport{};
    report_.kind = ImageKind::kFlash;

    size_t n = 0;
    std::vector<uint8_t> bytes;
    const ImageRead got = ReadImageFile(name, kSingleImageMaxSize, bytes, n);
    if (got == ImageRead::Unopened) {
        LogWriteNarrow("Error: Open file %s error!\n", name.c_str());
        report_.result = UPG_FILE_OPEN_FAIL;
        report_.failedCheck = kFailOpen;
        return UPG_FILE_OPEN_FAIL;
    }
    LogWriteNarrow("Open file %s success!\n", name.c_str());
    report_.fileSize = n;
    if (got == ImageRead::TooLarge) {
        FailCheck(report_, name, kRoutine, kFailTooLarge);
        return report_.result;
    }
    if (link_) link_->ResetReceiveRing();
    LogWrite(L"%ls file size is %ld\n", path.c_str(), static_cast<long>(n));
    if (n < kImageOverhead) {
        FailCheck(report_, name, kRoutine, kFailTooShort);
        return report_.result;
    }
    report_ = CheckFlashImageBytes(bytes, Model(), name);
    if (report_.result == UPG_FILE_VALID && !KeepDsp(bytes, report_.dsp))
        FailCheck(report_, name, kRoutine, kFailAllocation);
    return report_.result;
}

int FirmwareImages::ParsingUpgFWFile(const std::wstring& path) {
    static const char* const kRoutine = "ParsingUpgFWFile";
    const std::string name = WideToUtf8(path);
    report_ = CheckReport{};
    report_.kind = ImageKind::kMerged;

    size_t n = 0;
    std::vector<uint8_t> bytes;
    const ImageRead got = ReadImageFile(name, kMergedImageMaxSize, bytes, n);
    if (got == ImageRead::Unopened) {
        FailCheck(report_, name, kRoutine, kFailOpen);
        return report_.result;
    }
    LogWriteNarrow("Open file %s success!\n", name.c_str());
    report_.fileSize = n;
    if (got == ImageRead::TooLarge) {
        FailCheck(report_, name, kRoutine, kFailTooLarge);
        return report_.result;
    }
    CheckReport r = CheckMergedImageBytes(bytes, Model(), name);
    if (r.result != UPG_FILE_VALID) {
        report_ = std::move(r);
        return report_.result;
    }
    // Both payloads are taken together or not at all.
    const auto savedMcu = mcu_payload_;
    const size_t savedLength = mcu_payload_length_, savedRemaining = mcu_remaining_;
    const auto savedHeader = mcu_header_;
    if (!KeepMcu(bytes, r.mcu)) {
        LogWriteNarrow("malloc MCUFW fail\n");
        FailCheck(r, name, kRoutine, kFailAllocation);
    } else if (!KeepDsp(bytes, r.dsp)) {
        LogWriteNarrow("malloc DSPFW fail\n");
        mcu_payload_ = savedMcu;
        mcu_payload_length_ = savedLength;
        mcu_remaining_ = savedRemaining;
        mcu_header_ = savedHeader;
        FailCheck(r, name, kRoutine, kFailAllocation);
    } else {
        upg_device_ = UPG_DEVICE_FLASH;
    }
    report_ = std::move(r);
    return report_.result;
}

int FirmwareImages::CheckFileOffline(ImageKind kind, const std::wstring& path) {
    switch (kind) {
        case ImageKind::kMcu:
            return CopyFileToBuffer(path);
        case ImageKind::kBootloader: {
            const int r = CopyFileToBuffer(path);
            report_.kind = ImageKind::kBootloader;
            return r;
        }
        case ImageKind::kFlash:
            return FlashCheckFile(path);
        case ImageKind::kMerged:
            return ParsingUpgFWFile(path);
        case ImageKind::kNone:
            break;
    }
    report_ = CheckReport{};
    report_.result = UPG_FILE_INVALID;
    return UPG_FILE_INVALID;
}

}  // namespace dvdsp::fw
