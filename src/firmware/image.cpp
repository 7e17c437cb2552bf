#include "firmware/image.h"

#include <algorithm>
#include <cctype>

#include "base/log.h"

namespace dvdsp::fw {

namespace {

uint32_t BigEndian32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

unsigned U(size_t v) {
    return static_cast<unsigned>(v);
}

void LogHeader(const ImageFields& f) {
    LogWriteNarrow("HEAD[0]=0x%x, HEAD[1]=0x%x, HEAD[2]=0x%x, HEAD[3]=0x%x\n", f.imageHeader[0],
                   f.imageHeader[1], f.imageHeader[2], f.imageHeader[3]);
}

bool ModelMatches(const ImageFields& f, const ModelCheck& model) {
    return model.noCheckID || f.modelId == model.pcModelId;
}

}  // namespace

uint32_t ImageChecksum(std::span<const uint8_t> bytes) {
    uint32_t sum = 0;
    for (uint8_t b : bytes) sum += b;
    return sum;
}

bool ReadImageFields(std::span<const uint8_t> file, size_t offset, size_t size, ImageFields& out) {
    out = ImageFields{};
    if (size < kImageOverhead || offset > file.size() || size > file.size() - offset) return false;
    const uint8_t* p = file.data() + offset;
    out.present = true;
    out.offset = offset;
    out.size = size;
    out.fwId = p[0];
    out.modelId = p[1];
    std::copy(p + 2, p + 6, out.imageHeader.begin());
    out.payloadOffset = offset + 6;
    out.payloadLength = size - kImageOverhead;
    std::copy(p + size - 8, p + size - 4, out.trailer.begin());
    out.storedChecksum = BigEndian32(p + size - 4);
    out.computedChecksum = ImageChecksum(std::span<const uint8_t>(p, size - 4));
    return true;
}

ImageKind ImageKindFromFileName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (name.find("BL_UPG.BIN") != std::string::npos) return ImageKind::kBootloader;
    if (name.find("FLASH_UPG.BIN") != std::string::npos) return ImageKind::kFlash;
    if (name.find("MCU_UPG.BIN") != std::string::npos) return ImageKind::kMcu;
    if (name.find("UPG_FW.BIN") != std::string::npos) return ImageKind::kMerged;
    return ImageKind::kNone;
}

const char* ImageKindName(ImageKind kind) {
    switch (kind) {
        case ImageKind::kBootloader:
            return "MCU bootloader image";
        case ImageKind::kFlash:
            return "DSP flash image";
        case ImageKind::kMcu:
            return "MCU image";
        case ImageKind::kMerged:
            return "merged MCU and DSP image";
        case ImageKind::kNone:
            break;
    }
    return "unknown";
}

const char* UpgResultName(int result) {
    switch (result) {
        case UPG_FILE_VALID:
            return "UPG_FILE_VALID";
        case UPG_FILE_OPEN_FAIL:
            return "UPG_FILE_OPEN_FAIL";
        case UPG_FILE_INVALID:
            return "UPG_FILE_INVALID";
        case UPG_CONNECT_FAIL:
            return "UPG_CONNECT_FAIL";
        default:
            break;
    }
    return "unknown";
}

void FailCheck(CheckReport& report, const std::string& path, const char* routine, int check) {
    // The line names the file and the routine together, then the check.
    const std::string where = path + " " + routine;
    LogWriteNarrow("return UPG_FILE_INVALID %s %d\n", where.c_str(), check);
    report.result = UPG_FILE_INVALID;
    report.failedCheck = check;
}

CheckReport CheckMcuImageBytes(std::span<const uint8_t> file, const ModelCheck& model,
                               const std::string& path) {
    static const char* const kRoutine = "CopyFileToBuffer";
    CheckReport r;
    r.kind = ImageKind::kMcu;
    r.fileSize = file.size();
    if (file.size() > kSingleImageMaxSize) {
        FailCheck(r, path, kRoutine, kFailTooLarge);
        return r;
    }
    if (!ReadImageFields(file, 0, file.size(), r.mcu)) {
        FailCheck(r, path, kRoutine, kFailTooShort);
        return r;
    }
    const ImageFields& f = r.mcu;
    LogWriteNarrow("cal MCU encrypt_checksum=0x%x!\n", f.computedChecksum);
    LogWriteNarrow("encrypt_checksum=0x%x!\n", f.storedChecksum);
    if (model.noCheckID) {
        LogWriteNarrow("noCheckID=true, FW_ID=0x%x\n", f.fwId);
    } else {
        LogWriteNarrow("noCheckID=false, FW_ID=0x%x, FW_MODEL_ID=0x%x, pc_model_id=0x%x\n", f.fwId,
                       f.modelId, model.pcModelId);
    }
    int failed = kCheckPassed;
    if (f.fwId != FW_ID_MCU) {
        failed = kFailFwId;
    } else if (!ModelMatches(f, model)) {
        failed = kFailModel;
    } else if (f.computedChecksum != f.storedChecksum) {
        failed = kFailChecksum;
    }
    if (failed != kCheckPassed) {
        FailCheck(r, path, kRoutine, failed);
        return r;
    }
    LogWriteNarrow("UPG_FILE_VALID\n");
    r.result = UPG_FILE_VALID;
    return r;
}

CheckReport CheckFlashImageBytes(std::span<const uint8_t> file, const ModelCheck& model,
                                 const std::string& path) {
    static const char* const kRoutine = "FlashUpgParsingFile";
    CheckReport r;
    r.kind = ImageKind::kFlash;
    r.fileSize = file.size();
    if (file.size() > kSingleImageMaxSize) {
        FailCheck(r, path, kRoutine, kFailTooLarge);
        return r;
    }
    if (!ReadImageFields(file, 0, file.size(), r.dsp)) {
        FailCheck(r, path, kRoutine, kFailTooShort);
        return r;
    }
    const ImageFields& f = r.dsp;
    LogWriteNarrow("cal FLASH checksum=0x%x!\n", f.computedChecksum);
    LogWriteNarrow("encrypt_checksum=0x%x!\n", f.storedChecksum);
    // FW_ID is not examined for a flash image.
    int failed = kCheckPassed;
    if (!ModelMatches(f, model)) {
        failed = kFailModel;
    } else if (f.computedChecksum != f.storedChecksum) {
        failed = kFailChecksum;
    }
    if (failed != kCheckPassed) {
        FailCheck(r, path, kRoutine, failed);
        return r;
    }
    LogWriteNarrow("FlashUpgParsingFile return ok!\n");
    r.result = UPG_FILE_VALID;
    return r;
}

CheckReport CheckMergedImageBytes(std::span<const uint8_t> file, const ModelCheck& model,
                                  const std::string& path) {
    static const char* const kRoutine = "ParsingUpgFWFile";
    CheckReport r;
    r.kind = ImageKind::kMerged;
    r.fileSize = file.size();
    const size_t n = file.size();
    if (n > kMergedImageMaxSize) {
        FailCheck(r, path, kRoutine, kFailTooLarge);
        return r;
    }
    if (n < kImageOverhead) {
        FailCheck(r, path, kRoutine, kFailTooShort);
        return r;
    }
    r.head = {file[0], file[1]};
    LogWriteNarrow("head is 0x%x, 0x%x\n", file[0], file[1]);
    if (file[0] != kMergedHeadMark && file[1] != kMergedHeadMark) {
        LogWriteNarrow("upg FW not match!\n");
        FailCheck(r, path, kRoutine, kFailHead);
        return r;
    }
    r.totalFW = file[2];
    LogWriteNarrow("totalFW=%d\n", r.totalFW);
    // The file carries an MCU and a DSP image: at least two sizes are needed.
    if (r.totalFW > static_cast<int>(kMergedMaxImages) || r.totalFW < 2) {
        FailCheck(r, path, kRoutine, kFailImageCount);
        return r;
    }
    const size_t table = 3;
    const size_t imagesAt = table + 4 * static_cast<size_t>(r.totalFW);
    if (imagesAt > n) {
        FailCheck(r, path, kRoutine, kFailSizeTable);
        return r;
    }
    for (int i = 0; i < r.totalFW; ++i) {
        const uint8_t* tmp = file.data() + table + 4 * static_cast<size_t>(i);
        LogWriteNarrow("tmp[0]=0x%x, tmp[1]=0x%x, tmp[2]=0x%x, tmp[3]=0x%x\n", tmp[0], tmp[1],
                       tmp[2], tmp[3]);
        r.fwSize.push_back(BigEndian32(tmp));
        LogWriteNarrow("FWSize[%d]=0x%x\n", i, r.fwSize.back());
    }

    // MCU part.
    if (!ReadImageFields(file, imagesAt, r.fwSize[0], r.mcu)) {
        FailCheck(r, path, kRoutine, kFailMcuSize);
        return r;
    }
    const ImageFields& m = r.mcu;
    LogWriteNarrow("MCU imgfilesize=0x%x\n", U(m.payloadLength));
    LogHeader(m);
    LogWriteNarrow("read MCUFW size = 0x%x\n", U(m.payloadLength));
    LogWriteNarrow("MCU cal encrypt_checksum=0x%x!\n", m.computedChecksum);
    LogWriteNarrow("MCU encrypt_checksum=0x%x!\n", m.storedChecksum);
    if (m.fwId != FW_ID_MCU || !ModelMatches(m, model) || m.computedChecksum != m.storedChecksum) {
        LogWriteNarrow("MCU checksum error!\n");
        FailCheck(r, path, kRoutine, kFailMcuImage);
        return r;
    }

    // DSP part, directly after the MCU part.
    if (!ReadImageFields(file, imagesAt + m.size, r.fwSize[1], r.dsp)) {
        FailCheck(r, path, kRoutine, kFailDspSize);
        return r;
    }
    const ImageFields& d = r.dsp;
    LogWriteNarrow("dspsize=0x%x\n", U(d.payloadLength));
    LogHeader(d);
    LogWriteNarrow("read DSPFW size = 0x%x\n", U(d.payloadLength));
    LogWriteNarrow("last[0]=0x%x, last[1]=0x%x, last[2]=0x%x, last[3]=0x%x\n", d.trailer[0],
                   d.trailer[1], d.trailer[2], d.trailer[3]);
    LogWriteNarrow("cal DSP encrypt_checksum=0x%x!\n", d.computedChecksum);
    LogWriteNarrow("dsp encrypt_checksum=0x%x!\n", d.storedChecksum);
    if (d.fwId != FW_ID_DSP || !ModelMatches(d, model) || d.computedChecksum != d.storedChecksum) {
        LogWriteNarrow("DSP checksum error!\n");
        FailCheck(r, path, kRoutine, kFailDspImage);
        return r;
    }
    // A file of two images ends with the DSP image: bytes after it are no part of either.
    if (r.totalFW == 2 && imagesAt + m.size + d.size != n) {
        FailCheck(r, path, kRoutine, kFailTrailingBytes);
        return r;
    }
    r.result = UPG_FILE_VALID;
    return r;
}

std::vector<uint8_t> MakeSingleImage(uint8_t fwId, uint8_t modelId,
                                     const std::array<uint8_t, 4>& imageHeader,
                                     std::span<const uint8_t> payload,
                                     const std::array<uint8_t, 4>& trailer) {
    std::vector<uint8_t> out;
    out.reserve(payload.size() + kImageOverhead);
    out.push_back(fwId);
    out.push_back(modelId);
    out.insert(out.end(), imageHeader.begin(), imageHeader.end());
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), trailer.begin(), trailer.end());
    PutBigEndian32(out, ImageChecksum(out));
    return out;
}

std::vector<uint8_t> MakeMergedImage(std::span<const uint8_t> mcuImage,
                                     std::span<const uint8_t> dspImage,
                                     std::array<uint8_t, 2> head) {
    std::vector<uint8_t> out;
    out.reserve(11 + mcuImage.size() + dspImage.size());
    out.push_back(head[0]);
    out.push_back(head[1]);
    out.push_back(2);
    PutBigEndian32(out, static_cast<uint32_t>(mcuImage.size()));
    PutBigEndian32(out, static_cast<uint32_t>(dspImage.size()));
    out.insert(out.end(), mcuImage.begin(), mcuImage.end());
    out.insert(out.end(), dspImage.begin(), dspImage.end());
    return out;
}

}  // namespace dvdsp::fw
