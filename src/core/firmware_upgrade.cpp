#include "core/firmware_upgrade.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/identity.h"
#include "base/log.h"
#include "core/builtin_firmware.h"
#include "core/controller_context.h"
#include "platform/atomic_file.h"
#include "platform/file_access.h"
#include "platform/paths.h"
#include "platform/resources.h"

namespace dvdsp::core {

FirmwareAction DecideFirmware(int model, int main, int sub, bool noForceUpdate) {
    if (model != kModelId) return FirmwareAction::WrongModel;
    if (main == kInnerFwMain && sub == kInnerFwSub) return FirmwareAction::None;
    if (main > kInnerFwMain || (main == kInnerFwMain && sub > kInnerFwSub)) return FirmwareAction::Newer;
    return noForceUpdate ? FirmwareAction::None : FirmwareAction::ForceUpdate;
}

bool NoForceUpdateMarker() {
    std::error_code ec;
    return std::filesystem::exists(kNoForceUpdateMarker, ec);
}

int ExtractResourceToFile(const std::string& name, const std::string& type, const std::string& path) {
    platform::ResourceView res = platform::FindResource(name, type);
    if (res.data == nullptr) return 1;
    if (res.size == 0) return 3;
    // Written in one step like every file: a failure leaves no half archive.
    const std::filesystem::path file = platform::PathFromUtf8(path);
    std::error_code ec;
    if (!std::filesystem::is_directory(file.has_parent_path() ? file.parent_path() : ".", ec)) return 5;
    std::string why;
    if (platform::WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(res.data), res.size), &why))
        return 0;
    LogWriteNarrow("%s\n", why.c_str());
    return 6;
}

std::string FormatInts(const std::string& format, std::initializer_list<int> values) {
    std::string out;
    auto next = values.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 'd' && next != values.end()) {
            out += std::to_string(*next++);
            ++i;
        } else if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            ++i;
        } else {
            out += format[i];
        }
    }
    if (out.size() > 1023) out.resize(1023);
    return out;
}

std::string TempFolder() {
    return platform::TempFolder();
}

bool FirmwareUpgrade::UpgradeGuard() const {
    return ctx_.device.UpgradeState().Busy();
}

void FirmwareUpgrade::UpdateInstalled(int main, int sub) {
    restartExpected_ = true;
    installed_ = main >= 0 && main < 256 && sub >= 0 && sub < 256 ? main * 256 + sub : -1;
}

bool FirmwareUpgrade::TakeInstalled(int* main, int* sub) {
    const int v = installed_.exchange(-1);
    if (v < 0) return false;
    *main = v / 256;
    *sub = v % 256;
    return true;
}

bool FirmwareUpgrade::ForceUpdatePrompt(const DeviceInfo& info) {
    if (NoForceUpdateMarker()) return false;
    std::string question = FormatInts(ctx_.view->LangText("${update_tips}"),
                                      {info.mainVersion, info.slaveVersion, kInnerFwMain, kInnerFwSub});
    if (!ctx_.prompt->Ask(question)) return false;
    LogWriteNarrow("Start force update!\n");
    // The built-in archive goes to a folder of this run, never to a fixed name in the shared
    // temporary folder; the folder goes when the update is over.
    std::string folder;
    if (!platform::MakePrivateFolder(TempFolder(), "dvdsp-image-", &folder)) {
        ctx_.prompt->ShowTips(FormatInts("File prepare error. error code %d", {5}));
        return false;
    }
    struct Remove {
        std::string folder;
        ~Remove() { platform::RemovePrivateFolder(folder); }
    } removeAfter{folder};
    std::filesystem::path image = platform::PathFromUtf8(folder) / "MCU_UPG.bin";
    int code = ExtractResourceToFile("IDR_MCU_BIN", "BIN", platform::Utf8FromPath(image));
    if (code == 1) LogWriteNarrow("%s\n", kNoBuiltInFirmwareText);
    std::string start;
    if (code == 0) code = ctx_.view->PrepareFirmwareFolder(platform::Utf8FromPath(image), &start);
    if (code != 0) {
        // Nothing prepared is left behind (the view removes its working folder).
        ctx_.prompt->ShowTips(FormatInts("File prepare error. error code %d", {code}) +
                              (code == 1 ? std::string(" (") + kNoBuiltInFirmwareText + ")" : std::string()));
        return false;
    }
    if (!ctx_.view->HasWindow(WindowKind::ForcedUpdate)) {
        LogWriteNarrow("force update: %s prepared, no firmware update window\n", start.c_str());
        return false;
    }
    forcedUpdate_ = 1;
    int result = ctx_.view->RunForcedUpdate("MCU_UPG.bin", start, "", "");
    forcedUpdate_ = 0;
    return result == 1;
}

}  // namespace dvdsp::core
