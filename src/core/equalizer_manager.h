#pragma once
// EqualizerManager: the one controller. It owns the device link and the model of the
// unit, turns the window's actions into commands and the unit's replies into model
// changes that the view shows. This header holds the connection side: connecting,
// plug events, the read-out, the firmware decisions, the factory reset and the reply
// dispatch.

#include <atomic>
#include <cstdint>
#include <string>

#include "core/session_view.h"
#include "core/unit_model.h"
#include "core/workers.h"
#include "link/dsp_device.h"

namespace dvdsp::core {

// Model number, main and slave firmware version from the hand-shake (-1: none accepted).
struct DeviceInfo {
    int model = -1, mainVersion = -1, slaveVersion = -1;
};

class EqualizerManager {
public:
    EqualizerManager(link::HidBackend& backend, link::Clock& clock = link::DefaultClock());
    ~EqualizerManager();
    EqualizerManager(const EqualizerManager&) = delete;
    EqualizerManager& operator=(const EqualizerManager&) = delete;

    // The window the controller works for; set once before anything else.
    void Init(SessionView* view);
    // Stops the session: closes the link and waits for every worker.
    void Shutdown();

    link::DspDevice& Device() { return device_; }
    UnitModel& Model() { return model_; }
    const UnitModel& Model() const { return model_; }
    const DeviceInfo& Info() const { return info_; }
    int ModelNumber() const { return modelNumber_; }

    // ---- Session (window thread) ------------------------------------------------------
    void Connect(bool showFailure);
    void DevicePlugin();
    void DevicePlugOut();
    void ShowConnected();
    void ShowDisconnected();
    // The read-out that follows a connection: -1 when the hand-shake failed, else 0.
    int PC_UI_Status_Init();
    void ResetMcuFactoryDefault();
    void ForceUpdatePrompt();
    void UpdateEqualizer(int band);

    // The firmware update window sets this while it is open.
    void SetUpgradeWindowOpen(bool open) { upgradeWindowOpen_ = open; }
    bool UpgradeWindowOpen() const { return upgradeWindowOpen_; }
    bool ForcedUpdateRunning() const { return forcedUpdate_ != 0; }

    // ---- Reply dispatch (window thread) -----------------------------------------------
    void ReadDspValueCallback(const link::Message& msg);
    void ReadMcuValueCallback(const link::Message& msg);
    void ReadSenceValueCallback(const link::Message& msg);
    void ReadKtvValueCallback(const link::Message& msg);

    // The input source selector picked source `index` (0-8): switch and poll the volume.
    void SetInputSource(int index);

    // ---- Main page operations (channel_ops.cpp) ---------------------------------------
    // Master volume: the edit's text, the slider's position, a step.
    void SetMainVolumeEdit();
    void SetMainVolumeSlider(int value);
    void SetMainVolumeUp(bool up);
    // Stores, sends and shows the volume v (whole dB) and clears the master mute.
    void SetMainVolumeRelatedAfterDecidedValue(int v);
    void SetMainMute(bool muted);
    void SetAccEdit();
    void SetAccSlider(int value);
    void SetAccUp(bool up);

    // Channel trim: the edit's text, the slider's position (tenths), a step of 0.5 dB.
    // `edit`: the edit holding the text; by default the channel's own.
    void SetChVolumeEdit(int ch, const std::string& edit = {});
    void SetChVolumeSlider(int ch, int tenths);
    void SetChVolumeUp(int ch, bool up);
    void SetChMute(int ch, bool muted);
    void SetChPhase(int ch, bool reversed);
    void SetChSolo(int ch, bool on);

    // Delay: the edit's text in the current unit, the slider (microseconds), a step.
    void SetChDelayEdit(int ch);
    void SetChDelaySlider(int ch, int us);
    void SetChDelayUp(int ch, bool up);
    // Unit of every delay edit: kDelayCm, kDelayInch, else milliseconds.
    void SetDelayUnit(int unit);
    int DelayUnit() const { return delayUnit_; }

    // The car diagram: the speaker position of a role (1-24), its delay edit and steps,
    // and the steps of the selected position ("btn_delay_down"/"btn_delay_up").
    void SetSpeakerFocus(int role);
    int FocusedSpeaker() const { return focusedSpeaker_; }
    void SetSpeakerDelayEdit(int role);
    void SetSpeakerDelayUp(int role, bool up);
    void StepFocusedSpeakerDelay(bool up);

    // Input box "option_ch_in<in>_<out>": input channel `in` of the current source feeds
    // output `out` or not.
    void SetInputIn(int in, int out, bool on);

    // Speaker role of a channel by its output-menu item name, with the role's default
    // crossover; `keepSaved` leaves the saved role ("outputs_bk") as it is.
    void SetOutputValue(int ch, const std::string& item, bool keepSaved = false);

    // The channel the page edits: its selector, name, borders and controls.
    void SetCurChannelChange(int ch);
    int CurrentChannel() const { return model_.current.currOutChannel; }

    // "btn_lock_output": asks, then locks or unlocks the speaker roles; unlocking ends the
    // stereo link.
    void SetOutpuLock();

    // "btn_bypass": bypasses the current channel's EQ or restores it, asking first when
    // the bands are not flat; the link group (channels 0-3) and the partner follow.
    void SetOutputBypass();

    // "btn_reset_eq": asks, then puts every band of the current channel, of its link group
    // (channels 0-3) and of its partner back to flat.
    void SetOutputEqReset();

    // "btn_arg_eq": asks, then switches between graphic (the start) and parametric EQ.
    void SwitchEqMode();
    bool ParametricEq() const { return parametricEq_; }

    // Link group (0 none) of a channel: trims follow it across all channels, filters and
    // the EQ bypass among channels 0-3.
    void SetLinkGroup(int ch, int group);

    // Delay-link group (0 none, 1-6) of a channel, from the group menu.
    void SetDelayLinkGroup(int ch, int group);

    // The on/off switches of the unit.
    void ToggleAmplifier();
    void ToggleRemoteOut(int which);  // 1 or 2
    void ToggleSpeakerOhm();
    void ToggleNoiseGate();

    // "btn_link_output": links the channels of mirrored roles in pairs, copying one side
    // onto the other in the direction the user picks, or ends the link.
    void SetOutputLink();

    // Bridge pair p (0-4) joins channels 2p and 2p+1: bridging copies 2p onto 2p+1,
    // unbridging gives 2p+1 its own saved role again. Busy until the queue has drained.
    void ToggleBridge(int pair);
    void SetBridge(int pair, bool on);

    // "btn_reset_output": asks, then gives every channel its default role (choice 1) or
    // none (choice 2), ends lock and link, and applies the bridge pairs again.
    void SetOutputReset();
    int ResetChoice() const { return resetChoice_; }

    // "btn_reset_link": every channel leaves its link group and delay-link group.
    void ResetLinkGroups();

    // Shows the whole live settings (after a scene or profile has been written).
    void RefreshAllControls();

    // Rewrites the volume texts (after a language change).
    void UpdateAllVolumeEdit();

    // ---- Main-volume poll -------------------------------------------------------------
    // Starts the poll after an input-source change.
    void StartMainVolumePoll();
    // GET_MAIN_VOLUME_TIMER tick.
    void OnMainVolumeTimer();
    int MainVolumePollsLeft() const { return getMainVolumeTimer_; }

    // Pause between the read-out and the connected state (1000 ms; tests and the bench
    // shorten it).
    void SetReadOutPauseMs(int ms) { readOutPauseMs_ = ms; }
    int ReadOutPauseMs() const { return readOutPauseMs_; }
    int RunningWorkers() const { return workers_.Running(); }

private:
    bool UpgradeGuard() const;
    void StartReadOut();
    void ReadMcuValueThread();
    void FactoryDefaultThread();
    void ApplyAcc(int value);
    // Trim of one channel set to `tenths` (limited by its slider), sent and shown.
    void ApplyTrim(int ch, int tenths, bool fromUser);
    // A trim change of ch to `tenths`, followed by its link group and partner.
    void ChangeTrim(int ch, int tenths, bool fromUser, bool force = false);
    void ApplyDelay(int ch, float ms);
    void ChangeDelay(int ch, float ms);
    std::string SliderName(const char* prefix, int ch) const;
    // Sends the high-pass then the low-pass filter of ch as the model holds them.
    void SendFilters(int ch);
    // Sends the trim of ch (the unit takes it as an attenuation).
    void SendTrim(int ch);
    // Sends the bands, crossover and bypass of ch as the model holds them.
    void SendChannelEq(int ch);
    // Copies bands, crossover and bypass of one channel onto another and sends them.
    void CopyOutConfig(int from, int to);
    void SendBridgeStates();
    // Copies 2p onto 2p+1 when the pair is bridged, else restores 2p+1's saved role.
    void ApplyBridgeState(int pair);
    // Posts the busy window and closes it from a worker once the queue has drained.
    void WaitQueueThenClose(const char* name, int polls);
    // Link and lock buttons, role buttons, delay-link buttons and channel selectors.
    void ShowLinkState();
    // The current channel's selector and its partner's shown selected.
    void ShowChannelSelectors();
    // The first channel holding speaker role `role`, -1 when none does.
    int ChannelOfRole(int role) const;

    link::DspDevice device_;
    link::Clock& clock_;
    SessionView* view_ = nullptr;
    UnitModel model_;
    DeviceInfo info_;
    std::atomic<int> modelNumber_{-1};
    std::atomic<uint8_t> forcedUpdate_{0};
    bool upgradeWindowOpen_ = false;
    int getMainVolumeTimer_ = 0;
    int delayUnit_ = 1;  // centimetres, the unit the page starts with
    int focusedSpeaker_ = 0;  // role of the marked speaker position, 0 none
    int resetChoice_ = 0;  // last output reset: 1 default roles, 2 emptied
    bool parametricEq_ = false;
    std::atomic<int> readOutPauseMs_{1000};
    std::atomic<bool> stopping_{false};
    WorkerSet workers_;  // last: joined before the link goes
};

}  // namespace dvdsp::core
