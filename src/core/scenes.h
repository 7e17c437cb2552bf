#pragma once
// The scenes part of the controller: the ten scenes kept in the unit's memory. Loading a
// stored scene into the live settings, saving the live settings as a named scene and
// deleting one, each on a worker thread behind the scene window's busy window; the name
// slots and the current scene number, which outlive the window. The questions and the
// name entry are the window's; the transfers themselves are in core/transfer.h.

#include <cstdint>
#include <mutex>
#include <string>

#include "core/controller_context.h"

namespace dvdsp::core {

class Channels;
class Eq;

// Posted to the main window when a scene worker has ended (wparam: the SceneJob); the
// window hands it to the controller's OnSceneJobDone.
inline constexpr uint32_t WM_SCENE_JOB_DONE = 1291;

enum class SceneJob { Load = 0, Save = 1, Delete = 2 };

// The open scene window as the controller reaches it: messages posted from any thread.
class SceneWindowPort {
public:
    virtual ~SceneWindowPort() = default;
    virtual void Post(uint32_t msg, int64_t wparam = 0) = 0;
};

class Scenes {
public:
    Scenes(ControllerContext& ctx, Channels& channels, Eq& eq) : ctx_(ctx), channels_(channels), eq_(eq) {}

    // The scene window opened (its port) or closed (nullptr). Window thread.
    void SetSceneWindow(SceneWindowPort* window);
    // Asks the unit for its current scene number (answered with WM_READ_SCENE_ID).
    void AskSceneId();

    // The current scene number: 0 none, else 1-10.
    int SceneId() const { return sceneId_; }
    void SetSceneId(int n);

    // Name slot of stored scene n (1-10); an empty one for other numbers.
    const SceneName& Name(int n) const;
    bool HasName(int n) const;
    // The other scene (1-10, not n) whose slot holds `name`, 0 when none.
    int SceneNamed(const SceneName& name, int n) const;
    void SetName(int n, const SceneName& name);

    // Starts the worker of each action on scene n (1-10); the busy window is the scene
    // window's. Load: the unit copies scene n into its live settings, which are read out
    // again. Save: names scene n and stores the live settings in it. Delete: empties
    // slot n and deletes the scene.
    void LoadScene(int n);
    void SaveScene(int n, const SceneName& name);
    void DeleteScene(int n);

    // Window thread, on WM_SCENE_JOB_DONE: a load refreshes every control and curve; a
    // failure is reported; the scene window's busy window closes.
    void OnJobDone(SceneJob job);
    // What the last worker could not do ("" when it did everything).
    std::string LastFailure() const;

private:
    void PostToWindow(uint32_t msg);
    void Finish(SceneJob job, bool ok, const std::string& why);
    void LoadThread(int n);

    ControllerContext& ctx_;
    Channels& channels_;
    Eq& eq_;
    int sceneId_ = 0;
    mutable std::mutex mutex_;  // the window and the failure, posted and set by workers
    SceneWindowPort* window_ = nullptr;
    std::string failure_;
};

}  // namespace dvdsp::core
