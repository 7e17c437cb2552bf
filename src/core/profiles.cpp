// The profile actions of the scene menu and their workers.
#include "core/profiles.h"

#include <memory>

#include "base/log.h"
#include "core/channels.h"
#include "core/eq.h"
#include "core/readout.h"
#include "core/transfer.h"

namespace dvdsp::core {

namespace {

// The file's name without its folders, as the undo menu names the load.
std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file name part of a path has an extension.
bool HasExtension(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
}

}  // namespace

std::string Profiles::Choose(bool save, bool whole, const char* title) {
    // The filters are the current language's ("Scene Profile(*.spf);;All Files(*.*)").
    const std::string filter = ctx_.view->LangText(whole ? "${wpf_filter}" : "${spf_filter}");
    const char* extension = whole ? ".wpf" : ".txt";
    auto chosen = ctx_.prompt->ChooseFile(save ? FileMode::Save : FileMode::Open, title, filter,
                                          std::string("*") + (whole ? ".wpf" : ".spf"));
    if (!chosen || chosen->empty()) return {};
    std::string path = *chosen;
    if (save && !HasExtension(path)) path += extension;
    LogWriteNarrow(save ? "GetSaveFileName %s ok\n" : "GetOpenFileName %s ok\n", path.c_str());
    return path;
}

void Profiles::ShowResult(const ProfileResult& r, bool writing) {
    if (!r.ok()) LogWriteNarrow("profile: %s\n", r.detail.c_str());
    if (const char* key = MessageKey(r, writing); key && *key) ctx_.prompt->ShowTips(key);
}

void Profiles::SaveSenceConfigToFile() {
    LogWriteNarrow("EqualizerManager::SaveSenceConfigToFile\n");
    SaveSettingsToFile(ctx_.Live());
}

void Profiles::SaveSettingsToFile(const SceneState& settings) {
    const std::string path = Choose(true, false, "${save_scene_file}");
    if (path.empty()) return;
    ShowResult(WriteSceneProfile(path, settings), true);
}

void Profiles::LoadSenceConfigFromFile() {
    LogWriteNarrow("EqualizerManager::LoadSenceConfigFromFile\n");
    const std::string path = Choose(false, false, "${load_scene_file}");
    if (path.empty()) return;
    // Read into a copy: a refused file leaves the live settings as they are.
    auto read = std::make_shared<SceneState>(ctx_.Live());
    const ProfileResult r = ReadSceneProfile(path, *read);
    if (!r.ok()) return ShowResult(r, false);
    ctx_.edit.ReplaceLive(*read);
    ctx_.edit.NameStep("${undo_load_profile} " + FileName(path));
    Start(ProfileJob::LoadScene, "SetCurSceneThread", [this, read](std::string& why) {
        return ReadBackWhenRefused(SetReadCurProfileToMCU(ctx_.device, *read, nullptr, &why));
    });
}

void Profiles::SaveWholeConfigToFile() {
    LogWriteNarrow("EqualizerManager::SaveWholeConfigToFile\n");
    const std::string path = Choose(true, true, "${save_whole_file}");
    if (path.empty()) return;
    wholePath_ = path;
    Start(ProfileJob::SaveWhole, "SaveWholeSceneThread", [this](std::string& why) {
        link::DspDevice& dev = ctx_.device;
        // The replies fill the scene copies and then the live settings on the window
        // thread, before the end of the job; the file is written there.
        for (int n = 1; n <= kStoredScenes; ++n)
            if (!ReadStoredScene(dev, n, ctx_.clock, &why)) return false;
        {
            link::ExchangeSequence back(dev, "back to the live settings");
            dev.ReadScene(0, 0);
            if (!back.Complete()) {
                why = back.Summary();
                return false;
            }
        }
        return ReadOutUnitStatus(dev, ReadOutPlan(), &why) == kReadOutDone;
    });
}

void Profiles::LoadWholeConfigFromFile() {
    LogWriteNarrow("EqualizerManager::LoadWholeConfigFromFile\n");
    const std::string path = Choose(false, true, "${load_whole_file}");
    if (path.empty()) return;
    auto read = std::make_shared<UnitModel>(ctx_.model);
    const ProfileResult r = ReadWholeProfile(path, *read);
    if (!r.ok()) return ShowResult(r, false);
    ctx_.edit.ReplaceStored(*read);
    ctx_.edit.NameStep("${undo_load_profile} " + FileName(path));
    Start(ProfileJob::LoadWhole, "SetWholeProfileThread", [this, read](std::string& why) {
        return ReadBackWhenRefused(SetReadWholeProfileToMCU(ctx_.device, *read, nullptr, &why));
    });
}

bool Profiles::ReadBackWhenRefused(bool written) {
    // What part of a transfer the unit took is not known: the live settings are read back,
    // so that the window shows what the unit holds, not what the file held. A unit that went
    // away is read whole when it comes back.
    if (!written && ctx_.device.IsConnected()) {
        std::string why;
        if (ReadOutUnitStatus(ctx_.device, ReadOutPlan(), &why) != kReadOutDone)
            LogWriteNarrow("reading the unit back failed: %s\n", why.c_str());
    }
    return written;
}

void Profiles::Start(ProfileJob job, const char* name, std::function<bool(std::string& why)> work) {
    ctx_.device.DisableCmdQueue();
    ctx_.view->Post(WM_SHOW_LOADING);
    ctx_.workers.Start(name, [this, job, name, work = std::move(work)] {
        std::string why;
        const bool ok = work(why);
        if (!ok) LogWriteNarrow("%s failed: %s\n", name, why.c_str());
        {
            std::lock_guard<std::mutex> lock(mutex_);
            failure_ = ok ? std::string() : (why.empty() ? std::string("the unit did not answer") : why);
        }
        ctx_.view->Post(WM_PROFILE_JOB_DONE, static_cast<int64_t>(job));
    });
}

std::string Profiles::LastFailure() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
}

void Profiles::OnJobDone(ProfileJob job) {
    const std::string failure = LastFailure();
    if (ctx_.device.IsConnected()) ctx_.device.EnableCmdQueue();
    if (job == ProfileJob::SaveWhole) {
        ctx_.view->Post(WM_CLOSE_LOADING);
        if (!failure.empty()) {
            ctx_.prompt->ShowTips("${profile_read_unit_error}");
            return;
        }
        ShowResult(WriteWholeProfile(wholePath_, ctx_.model), true);
        return;
    }
    // What was written is shown, every control and the curves of every channel.
    channels_.RefreshAllControls();
    eq_.UpdateAllCurves();
    ctx_.view->Post(WM_CLOSE_LOADING);
    if (!failure.empty()) ctx_.prompt->ShowTips("${profile_write_unit_error}");
}

}  // namespace dvdsp::core
