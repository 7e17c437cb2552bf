#include "firmware/firmware_images.h"


#include <cstdio>
#include <memory>
#include <new>

#include "base/log.h"
#include "link/upgrade_status.h"
#include "platform/paths.h"

namespace dvdsp::fw {

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// Opens a regular file for binary reading and takes its size.
File OpenForReading(const std::string& path, size_t& size) {
    File f(platform::OpenFile(path, "rb"));
    if (!f) return nullptr;
    std::uint64_t bytes = 0;
    if (!platform::RegularFileSize(f.get(), &bytes) || bytes > SIZE_MAX) return nullptr;
    size = static_cast<size_t>(bytes);
    return f;
}

// Reads exactly n bytes; false on a short read or when the memory cannot be had.
bool ReadAll(FILE* f, size_t n, std::vector<uint8_t>& out) {
    try {
        out.resize(n);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return std::fread(out.data(), 1, n, f) == n;
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
    File f = OpenForReading(name, n);
    if (!f) {
        report_.result = UPG_FILE_OPEN_FAIL;
        report_.failedCheck = kFailOpen;
        return UPG_FILE_OPEN_FAIL;
    }
    LogWriteNarrow("Open file %s success!\n", name.c_str());
    report_.fileSize = n;
    if (n > kSingleImageMaxSize) {
        FailCheck(report_, name, kRoutine, kFailTooLarge);
        return report_.result;
    }
    if (n < kImageOverhead) {
        FailCheck(report_, name, kRoutine, kFailTooShort);
        return report_.result;
    }
    std::vector<uint8_t> bytes;
    const bool read = ReadAll(f.get(), n, bytes);
    f.reset();
    if (!read) {
        FailCheck(report_, name, kRoutine, kFailRead);
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
    File f = OpenForReading(name, n);
    if (!f) {
        LogWriteNarrow("Error: Open file %s error!\n", name.c_str());
        report_.result = UPG_FILE_OPEN_FAIL;
        report_.failedCheck = kFailOpen;
        return UPG_FILE_OPEN_FAIL;
    }
    LogWriteNarrow("Open file %s success!\n", name.c_str());
    report_.fileSize = n;
    if (n > kSingleImageMaxSize) {
        FailCheck(report_, name, kRoutine, kFailTooLarge);
        return report_.result;
    }
    if (link_) link_->ResetReceiveRing();
    LogWrite(L"%ls file size is %ld\n", path.c_str(), static_cast<long>(n));
    if (n < kImageOverhead) {
        FailCheck(report_, name, kRoutine, kFailTooShort);
        return report_.result;
    }
    std::vector<uint8_t> bytes;
    const bool read = ReadAll(f.get(), n, bytes);
    f.reset();
    if (!read) {
        FailCheck(report_, name, kRoutine, kFailRead);
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
    File f = OpenForReading(name, n);
    if (!f) {
        FailCheck(report_, name, kRoutine, kFailOpen);
        return report_.result;
    }
    LogWriteNarrow("Open file %s success!\n", name.c_str());
    report_.fileSize = n;
    if (n > kMergedImageMaxSize) {
        FailCheck(report_, name, kRoutine, kFailTooLarge);
        return report_.result;
    }
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(n);
    } catch (const std::bad_alloc&) {
        LogWriteNarrow("malloc mergedFW buffer error!\n");
        FailCheck(report_, name, kRoutine, kFailAllocation);
        return report_.result;
    }
    const bool read = std::fread(bytes.data(), 1, n, f.get()) == n;
    f.reset();
    if (!read) {
        LogWriteNarrow("read FW error!\n");
        FailCheck(report_, name, kRoutine, kFailRead);
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
