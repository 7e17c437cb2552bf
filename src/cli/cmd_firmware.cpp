// firmware check and firmware make: the upgrade's image checks on a file, offline, and
// a maker of valid images to try them with.
#include <cstdio>
#include <string>
#include <vector>

#include "base/log.h"
#include "cli/cli.h"
#include "cli/firmware_upgrade.h"
#include "firmware/firmware_images.h"
#include "firmware/image.h"
#include "platform/atomic_file.h"
#include "platform/file_access.h"
#include "platform/paths.h"

namespace dvdsp::cli {

namespace {

using Bytes = std::vector<uint8_t>;

const char* FailedCheckText(int check) {
    switch (check) {
        case fw::kFailTooLarge:
            return "file too large";
        case fw::kFailTooShort:
            return "file shorter than an image (14 bytes)";
        case fw::kFailRead:
            return "file could not be read";
        case fw::kFailFwId:
            return "wrong FW_ID";
        case fw::kFailModel:
            return "model does not match";
        case fw::kFailChecksum:
            return "checksum mismatch";
        case fw::kFailOpen:
            return "file could not be opened";
        case fw::kFailAllocation:
            return "out of memory";
        case fw::kFailHead:
            return "head lacks 0x73";
        case fw::kFailImageCount:
            return "image count not 2 to 5";
        case fw::kFailSizeTable:
            return "size table reaches past the end";
        case fw::kFailMcuSize:
            return "MCU image size below 14 or past the end";
        case fw::kFailMcuImage:
            return "MCU part: wrong FW_ID, model or checksum";
        case fw::kFailDspSize:
            return "DSP image size below 14 or past the end";
        case fw::kFailDspImage:
            return "DSP part: wrong FW_ID, model or checksum";
        case fw::kFailTrailingBytes:
            return "bytes after the DSP part";
        default:
            break;
    }
    return "";
}

std::string Hex4(const std::array<uint8_t, 4>& b) {
    char s[16];
    std::snprintf(s, sizeof s, "%02x %02x %02x %02x", b[0], b[1], b[2], b[3]);
    return s;
}

void PrintImage(const char* title, const fw::ImageFields& f, const fw::ModelCheck& model,
                uint8_t expectedId) {
    if (!f.present) return;
    std::printf("%s:\n", title);
    std::printf("  offset: %zu, size: %zu bytes\n", f.offset, f.size);
    if (expectedId) {
        std::printf("  FW_ID: %u (expected %u)\n", f.fwId, expectedId);
    } else {
        std::printf("  FW_ID: %u (not examined)\n", f.fwId);
    }
    if (model.noCheckID) {
        std::printf("  model: %u (not checked)\n", f.modelId);
    } else {
        std::printf("  model: %u (expected %u)\n", f.modelId, model.pcModelId);
    }
    std::printf("  header: %s\n", Hex4(f.imageHeader).c_str());
    std::printf("  payload: %zu bytes at offset %zu\n", f.payloadLength, f.payloadOffset);
    std::printf("  trailer: %s\n", Hex4(f.trailer).c_str());
    std::printf("  checksum: stored 0x%08x, computed 0x%08x (%s)\n", f.storedChecksum,
                f.computedChecksum, f.storedChecksum == f.computedChecksum ? "match" : "differ");
}

// check FILE [--model N] [--no-check-id]; false after saying what is wrong.
bool ParseCheck(const Words& args, std::string& path, fw::ModelCheck& model) {
    for (size_t i = 1; i < args.size(); ++i) {
        long v = 0;
        if (args[i] == "--model" && i + 1 < args.size()) {
            if (!ParseInt(args[++i], v) || v < 0 || v > 255) {
                std::fprintf(stderr, "--model: a number 0 to 255\n");
                return false;
            }
            model.pcModelId = static_cast<uint8_t>(v);
        } else if (args[i] == "--no-check-id") {
            model.noCheckID = true;
        } else if (path.empty() && args[i].rfind("--", 0) != 0) {
            path = args[i];
        } else {
            std::fprintf(stderr, "unexpected argument '%s'\n", args[i].c_str());
            return false;
        }
    }
    return !path.empty();
}

int RunCheck(const Words& args) {
    std::string path;
    fw::ModelCheck model;
    if (!ParseCheck(args, path, model)) return kUsage;

    const fw::ImageKind kind = fw::ImageKindFromFileName(path);
    std::printf("file: %s\n", path.c_str());
    if (kind == fw::ImageKind::kNone) {
        std::printf(
            "kind: none (the name contains none of BL_UPG.BIN, FLASH_UPG.BIN, "
            "MCU_UPG.BIN, UPG_FW.BIN)\n");
    } else {
        std::printf("kind: %s\n", fw::ImageKindName(kind));
    }
    std::printf("unit: none; offline check, the connected-unit test is skipped\n");

    fw::FirmwareImages images;
    images.SetPcModelId(model.pcModelId);
    images.SetNoCheckID(model.noCheckID);
    const int result = images.CheckFileOffline(kind, Utf8ToWide(path));
    const fw::CheckReport& r = images.LastReport();
    if (kind != fw::ImageKind::kNone && r.failedCheck != fw::kFailOpen)
        std::printf("size: %zu bytes\n", r.fileSize);
    if (kind == fw::ImageKind::kMerged && r.fileSize >= 3 && r.failedCheck != fw::kFailTooShort &&
        r.failedCheck != fw::kFailTooLarge && r.failedCheck != fw::kFailOpen) {
        std::printf("head: 0x%02x 0x%02x\n", r.head[0], r.head[1]);
        if (r.failedCheck != fw::kFailHead) std::printf("images: %d\n", r.totalFW);
        for (size_t i = 0; i < r.fwSize.size(); ++i)
            std::printf("FWSize[%zu]: 0x%x\n", i, r.fwSize[i]);
    }
    switch (kind) {
        case fw::ImageKind::kMcu:
        case fw::ImageKind::kBootloader:
            PrintImage(kind == fw::ImageKind::kMcu ? "MCU image" : "bootloader image", r.mcu, model,
                       fw::FW_ID_MCU);
            break;
        case fw::ImageKind::kFlash:
            PrintImage("DSP image", r.dsp, model, 0);
            break;
        case fw::ImageKind::kMerged:
            PrintImage("MCU part", r.mcu, model, fw::FW_ID_MCU);
            PrintImage("DSP part", r.dsp, model, fw::FW_ID_DSP);
            break;
        case fw::ImageKind::kNone:
            break;
    }
    if (r.failedCheck != fw::kCheckPassed)
        std::printf("failed check: %d (%s)\n", r.failedCheck, FailedCheckText(r.failedCheck));
    std::printf("result: %s (%d)\n", fw::UpgResultName(result), result);
    // The exit code: 1 for a file that could not be opened, else the result code.
    return r.failedCheck == fw::kFailOpen ? 1 : result;
}

bool ParseHexBytes(const std::string& s, Bytes& out) {
    std::string digits;
    for (char c : s)
        if (c != ' ' && c != ':' && c != '-') digits += c;
    if (digits.size() % 2 != 0) return false;
    out.clear();
    for (size_t i = 0; i < digits.size(); i += 2) {
        unsigned v = 0;
        if (std::sscanf(digits.substr(i, 2).c_str(), "%2x", &v) != 1 ||
            digits.find_first_not_of("0123456789abcdefABCDEF", i) < i + 2)
            return false;
        out.push_back(static_cast<uint8_t>(v));
    }
    return true;
}

// The largest payload an image is made with.
constexpr size_t kMaxPayloadBytes = 0x400000;

// A payload file: a regular file of at most kMaxPayloadBytes (a device or a FIFO is refused
// unread); else false with the reason.
bool ReadFileBytes(const std::string& path, Bytes& out, std::string* why) {
    std::string text;
    if (platform::ReadRegularFile(path, kMaxPayloadBytes, &text, why) != platform::ReadStatus::Ok) return false;
    out.assign(text.begin(), text.end());
    return true;
}

Bytes Pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i * 31u);
    return b;
}

// One payload option: --X HEX, --X-file PATH or --X-size N.
bool TakePayloadOption(const std::string& base, const std::vector<std::string>& args, size_t& i,
                       Bytes& out, bool& given, uint8_t seed, bool& bad) {
    const std::string& a = args[i];
    if (a != base && a != base + "-file" && a != base + "-size") return false;
    if (i + 1 >= args.size()) {
        bad = true;
        return true;
    }
    const std::string& v = args[++i];
    long n = 0;
    if (a == base) {
        bad = !ParseHexBytes(v, out);
    } else if (a == base + "-file") {
        std::string why;
        bad = !ReadFileBytes(v, out, &why);
        if (bad) std::fprintf(stderr, "%s\n", why.c_str());
    } else {
        bad = !ParseInt(v, n) || n < 0 || n > static_cast<long>(kMaxPayloadBytes);
        if (!bad) out = Pattern(static_cast<size_t>(n), seed);
    }
    given = true;
    return true;
}

struct MakeRequest {
    fw::ImageKind kind = fw::ImageKind::kNone;
    std::string out;
    long model = 98;
    Bytes header = {0, 0, 0, 0}, dspHeader = {0, 0, 0, 0}, trailer = {0, 0, 0, 0};
    Bytes payload = Pattern(64, 1), dspPayload;
    bool payloadGiven = false, dspGiven = false;
};

// make KIND FILE [options]; false after saying what is wrong.
bool ParseMake(const Words& args, MakeRequest& q) {
    if (args.size() < 3) return false;
    const std::string& kindName = args[1];
    q.out = args[2];
    if (kindName == "mcu") q.kind = fw::ImageKind::kMcu;
    if (kindName == "bootloader") q.kind = fw::ImageKind::kBootloader;
    if (kindName == "flash") q.kind = fw::ImageKind::kFlash;
    if (kindName == "merged") q.kind = fw::ImageKind::kMerged;
    if (q.kind == fw::ImageKind::kNone) {
        std::fprintf(stderr, "KIND is mcu, bootloader, flash or merged\n");
        return false;
    }
    for (size_t i = 3; i < args.size(); ++i) {
        bool bad = false;
        const std::string& a = args[i];
        if (TakePayloadOption("--payload", args, i, q.payload, q.payloadGiven, 1, bad) ||
            TakePayloadOption("--dsp-payload", args, i, q.dspPayload, q.dspGiven, 2, bad)) {
            if (bad) {
                std::fprintf(stderr, "%s: hex bytes, a readable file or a byte count\n", a.c_str());
                return false;
            }
        } else if (a == "--model" && i + 1 < args.size()) {
            if (!ParseInt(args[++i], q.model) || q.model < 0 || q.model > 255) {
                std::fprintf(stderr, "--model: a number 0 to 255\n");
                return false;
            }
        } else if (a == "--version" && i + 1 < args.size()) {
            long main = -1, sub = -1;
            const std::string& v = args[++i];
            const size_t dot = v.find('.');
            if (dot == std::string::npos || !ParseInt(v.substr(0, dot), main) ||
                !ParseInt(v.substr(dot + 1), sub) || main < 0 || main > 255 || sub < 0 || sub > 255) {
                std::fprintf(stderr, "--version: MAIN.SLAVE, each 0 to 255, e.g. 2.28\n");
                return false;
            }
            q.header[0] = static_cast<uint8_t>(main);
            q.header[1] = static_cast<uint8_t>(sub);
        } else if ((a == "--header" || a == "--dsp-header" || a == "--trailer") &&
                   i + 1 < args.size()) {
            Bytes& dest = a == "--header" ? q.header : a == "--dsp-header" ? q.dspHeader : q.trailer;
            if (!ParseHexBytes(args[++i], dest) || dest.size() != 4) {
                std::fprintf(stderr, "%s: four hex bytes, e.g. 01020304\n", a.c_str());
                return false;
            }
        } else {
            std::fprintf(stderr, "unexpected argument '%s'\n", a.c_str());
            return false;
        }
    }
    return true;
}

int RunMake(const Words& args) {
    MakeRequest q;
    if (!ParseMake(args, q)) return kUsage;
    const fw::ImageKind kind = q.kind;
    const std::string& out = q.out;
    const long model = q.model;
    const Bytes &header = q.header, &dspHeader = q.dspHeader, &trailer = q.trailer, &payload = q.payload;
    Bytes dspPayload = q.dspPayload;
    if (!q.dspGiven) dspPayload = payload;
    auto four = [](const Bytes& b) { return std::array<uint8_t, 4>{b[0], b[1], b[2], b[3]}; };
    const uint8_t m = static_cast<uint8_t>(model);

    Bytes image;
    switch (kind) {
        case fw::ImageKind::kMcu:
        case fw::ImageKind::kBootloader:
            image = fw::MakeSingleImage(fw::FW_ID_MCU, m, four(header), payload, four(trailer));
            break;
        case fw::ImageKind::kFlash:
            image = fw::MakeSingleImage(fw::FW_ID_DSP, m, four(header), payload, four(trailer));
            break;
        case fw::ImageKind::kMerged:
            image = fw::MakeMergedImage(
                fw::MakeSingleImage(fw::FW_ID_MCU, m, four(header), payload, four(trailer)),
                fw::MakeSingleImage(fw::FW_ID_DSP, m, four(dspHeader), dspPayload, four(trailer)));
            break;
        case fw::ImageKind::kNone:
            break;
    }
    // Replaced in one step, as every file: a full disk leaves the old file whole.
    std::string why;
    if (!platform::WriteFileAtomically(out, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()),
                                       &why)) {
        std::fprintf(stderr, "cannot write the image: %s\n", why.c_str());
        return kFileNotWritten;
    }
    std::printf("wrote %s: %s, model %ld, %zu bytes\n", out.c_str(), fw::ImageKindName(kind), model,
                image.size());
    if (fw::ImageKindFromFileName(out) != kind)
        std::printf("note: the upgrade picks the kind by name; this name selects: %s\n",
                    fw::ImageKindName(fw::ImageKindFromFileName(out)));
    const size_t limit =
        kind == fw::ImageKind::kMerged ? fw::kMergedImageMaxSize : fw::kSingleImageMaxSize;
    if (image.size() > limit)
        std::printf("note: larger than the %zu bytes the check accepts\n", limit);
    return kOk;
}

int CheckFirmware(const Words& args) {
    if (args.empty()) return kUsage;
    std::string path;
    fw::ModelCheck model;
    MakeRequest q;
    if (args[0] == "check") return ParseCheck(args, path, model) ? kOk : kUsage;
    if (args[0] == "make") return ParseMake(args, q) ? kOk : kUsage;
    if (args[0] == "upgrade") return CheckUpgrade(args);
    return kUsage;
}

int RunFirmware(Session& s, const Words& args) {
    if (args.empty()) return kUsage;
    if (args[0] == "check") return RunCheck(args);
    if (args[0] == "make") return RunMake(args);
    if (args[0] == "upgrade") return RunUpgrade(s, args);
    return kUsage;
}

void RegisterFirmwareCommands() {
    Register({"firmware",
              "check FILE [--model N] [--no-check-id] | make KIND FILE [--model N] "
              "[--header HEX8] [--trailer HEX8] [--payload HEX|--payload-file F|--payload-size N] "
              "[--version M.S] [--dsp-header HEX8] [--dsp-payload HEX|--dsp-payload-file F|"
              "--dsp-payload-size N] | upgrade FILE [--erase]",
              "check: name the image kind from the file name as the upgrade does (BL_UPG.BIN,\n"
              "FLASH_UPG.BIN, MCU_UPG.BIN, UPG_FW.BIN), run its check offline (no unit: the\n"
              "connected-unit test is skipped), print what was found and the result, and exit\n"
              "with the result code: 0 UPG_FILE_VALID, 1 not openable, 2 UPG_FILE_INVALID.\n"
              "--model sets the model the image must carry (98); --no-check-id waives it.\n"
              "make: write a valid image; KIND is mcu, bootloader, flash or merged (an MCU\n"
              "image followed by a DSP image, whose payload defaults to the MCU payload).\n"
              "The payload defaults to 64 pattern bytes; a FILE that cannot be written exits\n"
              "with 6. --version M.S writes the firmware version an MCU image carries (the\n"
              "first two header bytes; the virtual unit reports it after the upgrade).\n"
              "upgrade: check FILE as above (refused with 5, nothing sent), then send it to\n"
              "the unit block by block with its progress, wait for the unit to restart and\n"
              "print the firmware it reports. --erase erases the DSP flash chip first (DSP\n"
              "images). A unit left in its loader by an unfinished upgrade is taken as it is.",
              RunFirmware, CheckFirmware});
}

const Registrar registrar(RegisterFirmwareCommands);

}  // namespace

}  // namespace dvdsp::cli
