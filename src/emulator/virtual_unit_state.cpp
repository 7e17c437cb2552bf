// The virtual unit's state file: taking it (and its lock) and writing it.
#include <filesystem>

#include "base/log.h"
#include "emulator/state_file.h"
#include "emulator/virtual_unit.h"
#include "platform/paths.h"

namespace dvdsp::emu {

namespace {

// The first of `path`.bad.1, `path`.bad.2, ... that does not exist yet.
std::string FreeAsidePath(const std::string& path) {
    std::error_code ec;
    for (int n = 1;; ++n) {
        std::string aside = path + ".bad." + std::to_string(n);
        if (!std::filesystem::exists(std::filesystem::symlink_status(platform::PathFromUtf8(aside), ec)))
            return aside;
    }
}

}  // namespace

bool VirtualUnit::AttachStateFile(const std::string& path, std::string* why, bool replaceDamaged,
                                  bool* inUse) {
    std::lock_guard lock(mutex_);
    stateFile_.Release();
    dirty_ = flashDirty_ = false;
    if (inUse) *inUse = false;
    auto refuse = [&](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path file = platform::PathFromUtf8(path);
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec))
        return refuse(path + ": the folder " + platform::Utf8FromPath(folder) + " does not exist");
    const auto kind = fs::status(file, ec).type();
    if (kind != fs::file_type::not_found && kind != fs::file_type::regular)
        return refuse(path + " is not a file");

    // A new unit keeps what it holds now (its defaults), on disk at once, so that a folder
    // that cannot be written is reported now and not when the changes are lost.
    bool created = false;
    std::string error;
    switch (stateFile_.Acquire(path, StateToJson(SyncedState()), &created, &error)) {
        case platform::LockedFile::Result::Locked: break;
        case platform::LockedFile::Result::InUse:
            if (inUse) *inUse = true;
            return refuse("the virtual unit " + path + " is in use by another dvdsp process");
        case platform::LockedFile::Result::Failed: return refuse(error);
    }
    lastSaveMs_ = clock_.NowMs();
    if (created) return true;
    std::string text;
    // Far more than any state file holds (ten scenes of 4 KiB, written as hex).
    constexpr size_t kMaxStateFileBytes = 4u << 20;
    if (!stateFile_.Read(&text, &error, kMaxStateFileBytes)) {
        stateFile_.Release();
        return refuse(error);
    }
    std::string reason;
    UnitState loaded = DefaultUnitState();
    if (StateFromJson(text, loaded, &reason)) {
        state_ = std::move(loaded);
        // The unit runs the firmware it kept.
        identity_.fwMain = state_.firmware.mcuMain;
        identity_.fwSub = state_.firmware.mcuSub;
        identity_.flashVersion = state_.firmware.flash;
        identity_.bootloaderVersion = state_.firmware.bootloader;
        return true;
    }
    if (!NamesStateFormat(text)) {
        stateFile_.Release();
        return refuse(path + " is not a virtual unit's state file (" + reason + "); it was left as it is");
    }
    if (!replaceDamaged) {
        stateFile_.Release();
        return refuse(path + " is a damaged virtual unit's state file (" + reason +
                      "); it was left as it is. To keep it aside and start the unit from its "
                      "defaults, give --replace-damaged-state");
    }
    // Keep the damaged file for inspection, never over an earlier one.
    const std::string aside = FreeAsidePath(stateFile_.Path());
    if (!stateFile_.MoveAside(aside, &error)) {
        stateFile_.Release();
        return refuse(error);
    }
    state_ = DefaultUnitState();
    if (!stateFile_.Replace(StateToJson(SyncedState()), &error)) {
        stateFile_.Release();
        return refuse(error + "; the damaged file is kept as " + aside);
    }
    if (why)
        *why = path + " was damaged (" + reason + "); it was kept as " + aside +
               " and the unit starts from its defaults";
    return true;
}

const UnitState& VirtualUnit::SyncedState() {
    state_.firmware.mcuMain = identity_.fwMain;
    state_.firmware.mcuSub = identity_.fwSub;
    state_.firmware.flash = identity_.flashVersion;
    state_.firmware.bootloader = identity_.bootloaderVersion;
    return state_;
}

bool VirtualUnit::SaveStateNow(std::string* why) {
    std::lock_guard lock(mutex_);
    if (!stateFile_.Held()) {
        if (why) *why = "no state file";
        return false;
    }
    std::string error;
    if (!stateFile_.Replace(StateToJson(SyncedState()), &error)) {
        if (why) *why = error;
        // Try again with the next change after the interval, not on every command.
        flashDirty_ = false;
        lastSaveMs_ = clock_.NowMs();
        return false;
    }
    dirty_ = flashDirty_ = false;
    lastSaveMs_ = clock_.NowMs();
    return true;
}

}  // namespace dvdsp::emu
