#pragma once
// What the controller needs of the window it works for. The controller never touches a
// widget and knows no control: it stores values in the model and reports each change
// (core::Change); the view decides which of its controls show it. Worker threads only
// post messages.

#include <cstdint>
#include <string>

#include "core/apply.h"

namespace dvdsp::core {

// Messages the controller posts to the main window (the link posts its own, see
// link/messages.h).
inline constexpr uint32_t WM_FACTORY_RESET_DONE = 1240;
inline constexpr uint32_t WM_DEVICE_CONNECT_FAIL = 1242;
inline constexpr uint32_t WM_DEVICE_CONNECTED = 1243;
inline constexpr uint32_t WM_DEVICE_DISCONNECTED = 1245;
inline constexpr uint32_t WM_FORCE_UPDATE = 1248;
inline constexpr uint32_t WM_DSP_FW_NEWER = 1251;
inline constexpr uint32_t WM_SHOW_LOADING = 1274;
inline constexpr uint32_t WM_CLOSE_LOADING = 1275;
// The unit was unplugged: the window shows "${device_plugout}" without waiting for it.
inline constexpr uint32_t WM_DEVICE_PLUGOUT_MSG = 1290;

// The main-volume poll after a source change.
inline constexpr int GET_MAIN_VOLUME_TIMER = 4114;
inline constexpr int kMainVolumeTimerMs = 1000;
inline constexpr int kMainVolumePolls = 10;

enum class ConnectButton { Disconnected, Connecting, Connected };

// The secondary windows the session opens or closes.
enum class WindowKind { Mixer, Upgrade, ForcedUpdate };

class SessionView {
public:
    virtual ~SessionView() = default;
    // Any thread.
    virtual void Post(uint32_t msg, int64_t wparam = 0) = 0;

    // Window thread from here on.
    // The current language's text of a key written "${key}".
    virtual std::string LangText(const std::string& key) = 0;
    virtual void SetConnectButton(ConnectButton state) = 0;
    // Shows what `change` changed: a stored value of the live settings or the
    // controller's own state named by it.
    virtual void Refresh(const Change& change) = 0;

    virtual void StartTimer(int id, int ms) = 0;
    virtual void StopTimer(int id) = 0;

    // Secondary windows: whether this build has the window, closing it when it is open,
    // and running it to its end (its result; for the forced update 1 when it finished).
    virtual bool HasWindow(WindowKind kind) const {
        (void)kind;
        return false;
    }
    virtual void CloseWindow(WindowKind kind) { (void)kind; }
    virtual int RunWindow(WindowKind kind) {
        (void)kind;
        return 0;
    }
    // The forced update: prepares the working folder of a firmware archive (0, or the
    // piece that is missing; `startPath` receives what the update starts from), runs the
    // forced-update window (its result), and hands over to it when the unit has come back.
    virtual int PrepareFirmwareFolder(const std::string& archive, std::string* startPath) {
        (void)archive;
        (void)startPath;
        return 1;
    }
    virtual int RunForcedUpdate(const std::string& firstText, const std::string& firstPath,
                                const std::string& secondText, const std::string& secondPath) {
        (void)firstText, (void)firstPath, (void)secondText, (void)secondPath;
        return 0;
    }
    virtual void ContinueForcedUpdate() {}
    // Hands the curves to the curve control (band -1: none selected).
    virtual void UpdateEqualizer(int band) { (void)band; }
};

}  // namespace dvdsp::core
