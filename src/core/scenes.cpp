// The scene actions of the scene window and their workers.
#include "core/scenes.h"

#include "base/log.h"
#include "core/channels.h"
#include "core/eq.h"
#include "core/readout.h"
#include "core/transfer.h"

namespace dvdsp::core {

namespace {

const SceneName kNoName{};

bool Stored(int n) { return n >= 1 && n <= kStoredScenes; }
size_t Slot(int n) { return static_cast<size_t>(n - 1); }

const char* JobName(SceneJob job) {
    switch (job) {
    case SceneJob::Load: return "LoadSenceThread";
    case SceneJob::Save: return "SaveSenceThread";
    case SceneJob::Delete: return "DeleteSenceThread";
    }
    return "";
}

}  // namespace

void Scenes::SetSceneWindow(SceneWindowPort* window) {
    std::lock_guard<std::mutex> lock(mutex_);
    window_ = window;
}

void Scenes::PostToWindow(uint32_t msg) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (window_) window_->Post(msg);
}

void Scenes::AskSceneId() {
    if (ctx_.device.IsConnected()) ctx_.device.GetSceneId();
}

void Scenes::SetSceneId(int n) {
    sceneId_ = n;
    LogWriteNarrow("FLASH_SCENE_ID/mSceneId %d\n", n);
}

const SceneName& Scenes::Name(int n) const { return Stored(n) ? ctx_.model.names[Slot(n)] : kNoName; }

bool Scenes::HasName(int n) const { return Name(n)[0] != 0; }

int Scenes::SceneNamed(const SceneName& name, int n) const {
    if (name[0] == 0) return 0;
    for (int k = 1; k <= kStoredScenes; ++k)
        if (k != n && ctx_.model.names[Slot(k)] == name) return k;
    return 0;
}

void Scenes::SetName(int n, const SceneName& name) {
    if (!Stored(n)) return;
    ctx_.edit.ApplyUnit({What::StoredSceneName, n}, [&](UnitModel& m) { m.names[Slot(n)] = name; });
}

void Scenes::LoadScene(int n) {
    if (!Stored(n)) return;
    LogWriteNarrow("LoadSence\n");
    ctx_.beginUnitStep("${undo_load_scene} " + std::to_string(n));
    PostToWindow(WM_SHOW_LOADING);
    sceneId_ = n;
    ctx_.workers.Start(JobName(SceneJob::Load), [this, n] { LoadThread(n); });
}

void Scenes::LoadThread(int n) {
    link::DspDevice& dev = ctx_.device;
    dev.DisableCmdQueue();
    std::string why;
    bool ok;
    {
        // The unit copies stored scene n into its live settings.
        link::ExchangeSequence sequence(dev, "loading scene " + std::to_string(n));
        dev.ReadScene(static_cast<uint8_t>(n), 0);
        ok = sequence.Complete();
        if (!ok) why = sequence.Summary();
    }
    // The replies of the read-out reach the main window before the end of the job.
    if (ok) ok = ReadOutUnitStatus(dev, ReadOutPlan(), &why) == kReadOutDone;
    Finish(SceneJob::Load, ok, why);
}

void Scenes::SaveScene(int n, const SceneName& name) {
    if (!Stored(n)) return;
    LogWriteNarrow("SaveSence\n");
    SetName(n, name);
    PostToWindow(WM_SHOW_LOADING);
    sceneId_ = n;
    ctx_.workers.Start(JobName(SceneJob::Save), [this, n, name] {
        std::string why;
        const bool ok = StoreLiveAsScene(ctx_.device, n, name, &why);
        Finish(SceneJob::Save, ok, why);
    });
}

void Scenes::DeleteScene(int n) {
    if (!Stored(n)) return;
    LogWriteNarrow("DeleteSence\n");
    PostToWindow(WM_SHOW_LOADING);
    sceneId_ = n;
    SetName(n, kNoName);
    ctx_.workers.Start(JobName(SceneJob::Delete), [this, n] {
        link::ExchangeSequence sequence(ctx_.device, "deleting scene " + std::to_string(n));
        ctx_.device.DeleteScene(static_cast<uint8_t>(n));
        Finish(SceneJob::Delete, sequence.Complete(), sequence.Summary());
    });
}

void Scenes::Finish(SceneJob job, bool ok, const std::string& why) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failure_ = ok ? std::string() : why;
    }
    if (!ok) LogWriteNarrow("%s failed: %s\n", JobName(job), why.c_str());
    ctx_.view->Post(WM_SCENE_JOB_DONE, static_cast<int64_t>(job));
}

std::string Scenes::LastFailure() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
}

void Scenes::OnJobDone(SceneJob job) {
    const std::string failure = LastFailure();
    if (job == SceneJob::Load) {
        // Every control and every channel's curve shows the scene the unit now plays.
        channels_.RefreshAllControls();
        eq_.UpdateAllCurves();
        if (ctx_.device.IsConnected()) ctx_.device.EnableCmdQueue();
        // What the scene changed is one undo step.
        ctx_.endUnitStep();
    }
    // The unit's acknowledgements of a save or a delete close the busy window too; this
    // closes it when they did not come.
    PostToWindow(WM_CLOSE_LOADING);
    if (!failure.empty()) ctx_.prompt->ShowTips("${scene_transfer_error}");
}

}  // namespace dvdsp::core
