#pragma once
// What the controller needs of the window it works for. The controller never touches a
// widget: it stores values in the model and tells the view what changed; worker threads
// only post messages.

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

class SessionView {
public:
    virtual ~SessionView() = default;
    // Any thread.
    virtual void Post(uint32_t msg, int64_t wparam = 0) = 0;

    // Window thread from here on.
    // A "${tips}" box with one "${confirm}" button; `text` may mix language keys
    // ("${key}") and plain text. The view may show it after returning.
    virtual void ShowTips(const std::string& text) = 0;
    // A "${tips}" question with "${confirm}" and "${cancel}"; true on confirm.
    virtual bool Ask(const std::string& text) = 0;
    // The two-choice box: 1 or 2 for the option picked, 0 when cancelled.
    virtual int AskChoice(const std::string& text, const std::string& option1, const std::string& option2) {
        (void)text;
        (void)option1;
        (void)option2;
        return 0;
    }
    // A "${tips}" box with three buttons: 1 for the first, 0 for the second (cancel), 2 for
    // the third.
    virtual int AskThree(const std::string& text, const std::string& first, const std::string& second,
                         const std::string& third) {
        (void)text;
        (void)first;
        (void)second;
        (void)third;
        return 0;
    }
    // The current language's text of a key written "${key}".
    virtual std::string LangText(const std::string& key) = 0;

    virtual void SetConnectButton(ConnectButton state) = 0;
    // Refreshes the controls showing what `change` stored in the live settings.
    virtual void Refresh(const Change& change) = 0;
    // Puts `value` in the range of the named slider (the value itself when there is none).
    virtual int ClampToSlider(const std::string& name, int value) = 0;
    // The text of the named edit as the user left it; "${off}" while it shows that key.
    virtual std::string ControlText(const std::string& name) {
        (void)name;
        return {};
    }

    // Selects or clears the named button or option without notifying.
    virtual void SetSelected(const std::string& name, bool selected) {
        (void)name;
        (void)selected;
    }

    // Selects or clears one option of a group without touching the others.
    virtual void MarkSelected(const std::string& name, bool selected) { SetSelected(name, selected); }

    // Position of the named slider (0 when there is none).
    virtual int ControlValue(const std::string& name) {
        (void)name;
        return 0;
    }
    // Raw text (may hold language keys) and visibility of the named control.
    virtual void SetText(const std::string& name, const std::string& text) {
        (void)name;
        (void)text;
    }
    virtual void SetVisible(const std::string& name, bool visible) {
        (void)name;
        (void)visible;
    }
    virtual void SetEnabled(const std::string& name, bool enabled) {
        (void)name;
        (void)enabled;
    }
    // Background colour (ARGB) of the named control.
    virtual void SetBkColor(const std::string& name, uint32_t argb) {
        (void)name;
        (void)argb;
    }

    virtual void StartTimer(int id, int ms) = 0;
    virtual void StopTimer(int id) = 0;

    // Secondary windows the session closes on a new connection or a disconnection.
    virtual void CloseMixerWindow() {}
    virtual void CloseUpgradeWindow() {}
    // The forced-update window: whether it exists in this build, and running it (its
    // result: 1 when the update finished).
    virtual bool HasForcedUpdateWindow() const { return false; }
    virtual int RunForcedUpdateWindow() { return 0; }
    // Hands the curves to the curve control (band -1: none selected).
    virtual void UpdateEqualizer(int band) { (void)band; }
};

}  // namespace dvdsp::core
