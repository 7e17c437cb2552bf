#pragma once
// The profiles part of the controller: the settings files (.spf, .wpf) chosen through
// the prompt. Saving the live settings or every scene to a file and loading one into the
// unit, with the workers and the main window's busy window; reading and writing the
// files is in core/profile.h, the transfers in core/transfer.h.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "core/controller_context.h"
#include "core/profile.h"

namespace dvdsp::core {

class Channels;
class Eq;

// Posted to the main window when a profile worker has ended (wparam: the ProfileJob); the
// window hands it to the controller's OnProfileJobDone.
inline constexpr uint32_t WM_PROFILE_JOB_DONE = 1292;

enum class ProfileJob { LoadScene = 0, LoadWhole = 1, SaveWhole = 2 };

class Profiles {
public:
    Profiles(ControllerContext& ctx, Channels& channels, Eq& eq) : ctx_(ctx), channels_(channels), eq_(eq) {}

    // The four menu actions. Each asks for a file first; cancelling does nothing.
    // The scene profile is written at once; the whole profile after every stored scene
    // and the live settings have been read from the unit. A file that is read is written
    // to the unit; a refused one changes nothing.
    void SaveSenceConfigToFile();
    // Saves other live settings (an A/B slot) as a scene file, as the live settings are.
    void SaveSettingsToFile(const SceneState& settings);
    void LoadSenceConfigFromFile();
    void SaveWholeConfigToFile();
    void LoadWholeConfigFromFile();

    // Window thread, on WM_PROFILE_JOB_DONE.
    void OnJobDone(ProfileJob job);
    // What the last worker could not do ("" when it did everything).
    std::string LastFailure() const;

private:
    std::string Choose(bool save, bool whole, const char* title);
    void Start(ProfileJob job, const char* name, std::function<bool(std::string& why)> work);
    // Worker: after a transfer that did not complete, the unit's live settings are read
    // back into the model; returns `written`.
    bool ReadBackWhenRefused(bool written);
    void ShowResult(const ProfileResult& r, bool writing);

    ControllerContext& ctx_;
    Channels& channels_;
    Eq& eq_;
    std::string wholePath_;  // the file a whole profile is saved to once the unit is read
    mutable std::mutex mutex_;
    std::string failure_;
};

}  // namespace dvdsp::core
