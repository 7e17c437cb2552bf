#pragma once
// EqualizerManager: the one controller. It owns the device link, the model of the unit
// and the editor every operation changes it through, and is made of parts that each own
// one concern: the session (session.h), the output channels (channels.h), EQ and
// crossovers (eq.h), scenes (scenes.h), profiles (profiles.h), the mixer (mixer.h),
// the processing values (processing.h), the firmware upgrade (firmware_upgrade.h), the
// automatic calibration (calibration.h), the custom EQ bands (custom_eq.h) and the
// filter text files of a channel (filter_files.h).
// The operations below keep the names the window and the scripts know; each forwards to
// its part. The reply dispatch (dispatch.cpp) is the controller's own: a reply may
// concern several parts.

#include <atomic>
#include <memory>
#include <string>

#include "core/calibration.h"
#include "core/channels.h"
#include "core/custom_eq.h"
#include "core/controller_context.h"
#include "core/eq.h"
#include "core/filter_files.h"
#include "core/firmware_upgrade.h"
#include "core/mixer.h"
#include "core/processing.h"
#include "core/profiles.h"
#include "core/scenes.h"
#include "core/session.h"
#include "core/upgrade_run.h"
#include "core/undo.h"
#include "core/ab_compare.h"
#include "core/value_table.h"

namespace dvdsp::core {

class EqualizerManager {
public:
    EqualizerManager(link::HidBackend& backend, link::Clock& clock = link::DefaultClock());
    ~EqualizerManager();
    EqualizerManager(const EqualizerManager&) = delete;
    EqualizerManager& operator=(const EqualizerManager&) = delete;

    // The window the controller works for and how it asks the user; set once before
    // anything else.
    void Init(SessionView* view, Prompt* prompt);
    // Stops the session: closes the link and waits for every worker.
    void Shutdown();

    // The link, for the command line's own programs and tests; a window reaches the unit
    // only through the operations below.
    link::DspDevice& Device() { return device_; }
    // Where the link's replies of one kind go (a window's sink), or nowhere (null).
    void Attach(link::Target target, link::MessageSink* sink) { device_.SetTarget(target, sink); }
    bool IsConnected() const { return device_.IsConnected(); }
    // An upgrade holds the queue: nothing else is sent while blocks go out.
    void HoldQueueForUpgrade() { device_.DisableCmdQueue(); }
    // A firmware upgrade over this controller's link (core/upgrade_run.h).
    std::unique_ptr<UpgradeRun> NewUpgradeRun() { return std::make_unique<UpgradeRun>(device_); }
    // The model, read-only: the editor is its one writer. Tests set up a unit's state
    // through ModelForTests.
    const UnitModel& Model() const { return model_; }
    UnitModel& ModelForTests() { return model_; }
    // Every operation's changes of the live settings go through the editor.
    ModelEditor& Editor() { return editor_; }
    const DeviceInfo& Info() const { return session_.Info(); }
    int ModelNumber() const { return session_.ModelNumber(); }

    // ---- Session (session.cpp) --------------------------------------------------------
    void Connect(bool showFailure) { session_.Connect(showFailure); }
    void DevicePlugin() { session_.DevicePlugin(); }
    void DevicePlugOut() {
        SessionEnds();
        session_.DevicePlugOut();
    }
    void ShowConnected() { session_.ShowConnected(); }
    void ShowDisconnected() {
        SessionEnds();
        session_.ShowDisconnected();
    }
    // The read-out that follows a connection: -1 when the hand-shake failed, else 0.
    int PC_UI_Status_Init() { return session_.PC_UI_Status_Init(); }
    void ResetMcuFactoryDefault() { session_.ResetMcuFactoryDefault(); }
    // The input source selector picked source `index` (0-8): switch and poll the volume.
    void SetInputSource(int index) { session_.SetInputSource(index); }
    // Starts the poll after an input-source change; GET_MAIN_VOLUME_TIMER tick.
    void StartMainVolumePoll() { session_.StartMainVolumePoll(); }
    void OnMainVolumeTimer() { session_.OnMainVolumeTimer(); }
    int MainVolumePollsLeft() const { return session_.MainVolumePollsLeft(); }
    // Pause between the read-out and the connected state (1000 ms; tests and the bench
    // shorten it).
    void SetReadOutPauseMs(int ms) { session_.SetReadOutPauseMs(ms); }
    int ReadOutPauseMs() const { return session_.ReadOutPauseMs(); }
    int RunningWorkers() const { return workers_.Running(); }

    // ---- Firmware upgrade (firmware_upgrade.cpp) --------------------------------------
    void ForceUpdatePrompt() {
        if (upgrade_.ForceUpdatePrompt(session_.Info())) session_.StartReadOut();
    }
    // The prompt the windows ask through (file choices of the update window).
    Prompt& Prompting() { return *ctx_.prompt; }
    // The firmware update window sets this while it is open.
    void SetUpgradeWindowOpen(bool open) { upgrade_.SetUpgradeWindowOpen(open); }
    bool UpgradeWindowOpen() const { return upgrade_.UpgradeWindowOpen(); }
    bool ForcedUpdateRunning() const { return upgrade_.ForcedUpdateRunning(); }
    // An update window's transfer ended well: the unit restarts into firmware
    // main.sub (-1 when the image's version is unknown).
    void UpdateInstalled(int main, int sub) { upgrade_.UpdateInstalled(main, sub); }

    // ---- Reply dispatch (dispatch.cpp) ------------------------------------------------
    // The controller's own messages as they reach the window's thread: the unit's replies
    // (`reply` holds the link's message), the session's connected and disconnected, the
    // ends of the scene and profile jobs. True when the message was the controller's; the
    // window handles only what it shows.
    bool OnMessage(uint32_t msg, int64_t wparam, const link::Message* reply);
    void ReadDspValueCallback(const link::Message& msg);
    void ReadMcuValueCallback(const link::Message& msg);
    void ReadSenceValueCallback(const link::Message& msg);
    void ReadKtvValueCallback(const link::Message& msg);

    // ---- Output channels (channels*.cpp) ----------------------------------------------
    // Master volume: the edit's text, the slider's position, a step.
    void SetMainVolumeEdit(const std::string& text) { channels_.SetMainVolumeEdit(text); }
    void SetMainVolumeSlider(int value) { channels_.SetMainVolumeSlider(value); }
    void SetMainVolumeUp(bool up) { channels_.SetMainVolumeUp(up); }
    // Stores, sends and shows the volume v (whole dB) and clears the master mute.
    void SetMainVolumeRelatedAfterDecidedValue(int v) { channels_.SetMainVolumeRelatedAfterDecidedValue(v); }
    void SetMainMute(bool muted) { channels_.SetMainMute(muted); }
    void SetAccEdit(const std::string& text) { channels_.SetAccEdit(text); }
    void SetAccSlider(int value) { channels_.SetAccSlider(value); }
    void SetAccUp(bool up) { channels_.SetAccUp(up); }

    // Channel trim: an edit's text ("${off}" for the lowest), the slider's position
    // (tenths), a step of 0.5 dB.
    void SetChVolumeEdit(int ch, const std::string& text) { channels_.SetChVolumeEdit(ch, text); }
    void SetChVolumeSlider(int ch, int tenths) { channels_.SetChVolumeSlider(ch, tenths); }
    void SetChVolumeUp(int ch, bool up) { channels_.SetChVolumeUp(ch, up); }
    void SetChMute(int ch, bool muted) { channels_.SetChMute(ch, muted); }
    void SetChPhase(int ch, bool reversed) { channels_.SetChPhase(ch, reversed); }
    void SetChSolo(int ch, bool on) { channels_.SetChSolo(ch, on); }

    // Delay: an edit's text in the current unit, the slider (microseconds), a step.
    void SetChDelayEdit(int ch, const std::string& text) { channels_.SetChDelayEdit(ch, text); }
    void SetChDelaySlider(int ch, int us) { channels_.SetChDelaySlider(ch, us); }
    void SetChDelayUp(int ch, bool up) { channels_.SetChDelayUp(ch, up); }
    // Unit of every delay edit: kDelayCm, kDelayInch, else milliseconds.
    void SetDelayUnit(int unit) { channels_.SetDelayUnit(unit); }
    int DelayUnit() const { return channels_.DelayUnit(); }
    // The alignment helper of the graph's sum view: the proposal for two channels, and the
    // one operation that applies it (their delay and polarity).
    AlignmentProposal ProposeAlignment(int a, int b) const { return channels_.ProposeAlignment(a, b); }
    AlignmentProposal AlignChannels(int a, int b) { return channels_.AlignChannels(a, b); }

    // The car diagram: the speaker position of a role (1-24), its delay edit and steps,
    // and the steps of the marked position.
    void SetSpeakerFocus(int role) { channels_.SetSpeakerFocus(role); }
    int FocusedSpeaker() const { return channels_.FocusedSpeaker(); }
    void SetSpeakerDelayEdit(int role, const std::string& text) { channels_.SetSpeakerDelayEdit(role, text); }
    void SetSpeakerDelayUp(int role, bool up) { channels_.SetSpeakerDelayUp(role, up); }
    void StepFocusedSpeakerDelay(bool up) { channels_.StepFocusedSpeakerDelay(up); }

    // Input channel `in` of the current source feeds output `out` or not.
    void SetInputIn(int in, int out, bool on) { channels_.SetInputIn(in, out, on); }

    // Speaker role of a channel by its output-menu item name, with the role's default
    // crossover; `keepSaved` leaves the saved role ("outputs_bk") as it is.
    void SetOutputValue(int ch, const std::string& item, bool keepSaved = false) {
        channels_.SetOutputValue(ch, item, keepSaved);
    }

    // The channel the page edits.
    void SetCurChannelChange(int ch) { channels_.SetCurChannelChange(ch); }
    int CurrentChannel() const { return model_.current.currOutChannel; }

    // Asks, then locks or unlocks the speaker roles; unlocking ends the stereo link.
    void SetOutpuLock() { channels_.SetOutpuLock(); }

    // Link group (0 none) of a channel: trims follow it across all channels, filters and
    // the EQ bypass among channels 0-3.
    void SetLinkGroup(int ch, int group) { channels_.SetLinkGroup(ch, group); }
    // Delay-link group (0 none, 1-6) of a channel.
    void SetDelayLinkGroup(int ch, int group) { channels_.SetDelayLinkGroup(ch, group); }

    // The on/off switches of the unit.
    void ToggleAmplifier() { channels_.ToggleAmplifier(); }
    void ToggleRemoteOut(int which) { channels_.ToggleRemoteOut(which); }  // 1 or 2
    void ToggleSpeakerOhm() { channels_.ToggleSpeakerOhm(); }
    void ToggleNoiseGate() { channels_.ToggleNoiseGate(); }

    // Links the channels of mirrored roles in pairs, copying one side onto the other in
    // the direction the user picks, or ends the link.
    void SetOutputLink() { channels_.SetOutputLink(); }

    // Bridge pair p (0-4) joins channels 2p and 2p+1: bridging copies 2p onto 2p+1,
    // unbridging gives 2p+1 its own saved role again. Busy until the queue has drained.
    void ToggleBridge(int pair) { channels_.ToggleBridge(pair); }
    void SetBridge(int pair, bool on) { channels_.SetBridge(pair, on); }

    // Asks, then gives every channel its default role (choice 1) or none (choice 2),
    // ends lock and link, and applies the bridge pairs again.
    void SetOutputReset() { channels_.SetOutputReset(); }
    int ResetChoice() const { return channels_.ResetChoice(); }

    // Every channel leaves its link group and delay-link group.
    void ResetLinkGroups() { channels_.ResetLinkGroups(); }

    // Shows the whole live settings (after a scene or profile has been written).
    void RefreshAllControls() { channels_.RefreshAllControls(); }
    // Rewrites the volume texts (after a language change).
    void UpdateAllVolumeEdit() { channels_.UpdateAllVolumeEdit(); }

    // ---- Input mixer (mixer.cpp) ------------------------------------------------------
    // Opens the mixer window over the current source; its result (0 when the build has no
    // mixer window).
    int OpenMixer() { return ctx_.view->HasWindow(WindowKind::Mixer) ? ctx_.view->RunWindow(WindowKind::Mixer) : 0; }
    static int MixerInputCount(int source) { return Mixer::InputCount(source); }
    static bool MixerHasMixerSource(int source) { return Mixer::HasMixerSource(source); }
    int MixEffectiveTrim(int source, int in, int out) const { return mixer_.EffectiveTrim(source, in, out); }
    bool MixRouted(int source, int in, int out) const { return mixer_.Routed(source, in, out); }
    // Cell (in, out) plays at `trim`; returns the bridged partner that followed, or -1.
    int SetMixTrim(int source, int in, int out, int trim) { return mixer_.SetMixTrim(source, in, out, trim); }
    void ClearMix(int source) { mixer_.ClearMix(source); }
    void SetInputMixPhase(int source, int in, bool inverted) { mixer_.SetInputMixPhase(source, in, inverted); }
    void SetCrossSourceTag(int source, int in, int tag) { mixer_.SetCrossSourceTag(source, in, tag); }
    int SetCrossSourceGain(int source, int in, int gain) { return mixer_.SetCrossSourceGain(source, in, gain); }
    void ReadClipFlags(int source) { mixer_.ReadClipFlags(source); }
    bool InputClipped(int in) const { return mixer_.InputClipped(in); }
    bool OutputClipped(int out) const { return mixer_.OutputClipped(out); }

    // The processing windows (core/processing.h).
    void SetCompressor(int ch, const CompressorSettings& k) { processing_.SetCompressor(ch, k); }
    void SetCompressor2(int ch, float threshold, int attack, int release) {
        processing_.SetCompressor2(ch, threshold, attack, release);
    }
    void SetCompressorOn(int ch, bool on) { processing_.SetCompressorOn(ch, on); }
    int SetInputThreshold(int threshold) { return processing_.SetInputThreshold(threshold); }
    int InputThreshold() const { return processing_.InputThreshold(); }
    int NoiseInputCount() const { return processing_.NoiseInputCount(); }
    void RequestInputNoise(int count) { processing_.RequestInputNoise(count); }
    int SetPowerOffDelay(int ms) { return processing_.SetPowerOffDelay(ms); }
    int PowerOffDelay() const { return processing_.PowerOffDelay(); }
    int SetKaraoke(int code, int value) { return processing_.SetKaraoke(code, value); }
    int Karaoke(int code) const { return processing_.Karaoke(code); }
    const AutoSettingBlock& AutoSetting() const { return processing_.AutoSetting(); }
    void SetAutoSetting(const AutoSettingBlock& block) { processing_.SetAutoSetting(block); }
    void ReadMemory(uint32_t address) { processing_.ReadMemory(address); }
    void WriteMemory(uint32_t address, uint32_t data) { processing_.WriteMemory(address, data); }
    void ReadCompressor(int ch) { processing_.ReadCompressor(ch); }
    void ReadCompressors() { processing_.ReadCompressors(); }
    void ReadInputThreshold() { processing_.ReadInputThreshold(); }
    void ReadPowerOffDelay() { processing_.ReadPowerOffDelay(); }
    void ReadKaraoke() { processing_.ReadKaraoke(); }
    // ---- Automatic calibration (calibration.cpp) and the custom EQ bands (custom_eq.cpp)
    // The calibration window and the custom EQ window work on these parts directly.
    Calibration& AutoCal() { return calibration_; }
    CustomEq& CustomBands() { return customEq_; }

    // ---- EQ and crossovers (eq*.cpp) --------------------------------------------------
    // Computes the curves of the current channel and of the channels that follow it, then
    // has the view hand the curve control the current channel's bands (band selected, -1
    // none), its two crossover markers and the ten curves (Curves()).
    void UpdateEqualizer(int band) { eq_.UpdateEqualizer(band); }
    // Computes all ten channels' curves, then as UpdateEqualizer(-1).
    void UpdateAllCurves() { eq_.UpdateAllCurves(); }
    const CurveStore& Curves() const { return eq_.Curves(); }
    // The curve box of a channel ("ch_show_%d").
    void ShowCurve(int ch, bool shown) { eq_.ShowCurve(ch, shown); }

    // Bands of the current channel: the three edit texts of band b (frequency also in the
    // "2k5" form; outside 20-20000 Hz refused and shown again), the slider (tenths of a
    // dB), the step buttons and the enable box.
    void SetChEqEdit(int band, const std::string& freqText, const std::string& qText, const std::string& gainText) {
        eq_.SetChEqEdit(band, freqText, qText, gainText);
    }
    void SetEqSlider(int band, int value) { eq_.SetEqSlider(band, value); }
    void SetEqFreqUp(int band, bool up) { eq_.SetEqFreqUp(band, up); }
    void SetEqGainUp(int band, bool up) { eq_.SetEqGainUp(band, up); }
    void SetEqQUp(int band, bool up) { eq_.SetEqQUp(band, up); }
    void OnEqEnable(int band) { eq_.OnEqEnable(band); }

    // Crossover filters of the current channel: frequency texts ("hp_freq", "lp_freq"),
    // step buttons, type (1-3) and slope (0-8) items.
    void SetHpFreqEdit(const std::string& text) { eq_.SetHpFreqEdit(text); }
    void SetLpFreqEdit(const std::string& text) { eq_.SetLpFreqEdit(text); }
    void SetHpFreqUp(bool up) { eq_.SetHpFreqUp(up); }
    void SetLpFreqUp(bool up) { eq_.SetLpFreqUp(up); }
    void SetHpType(int type) { eq_.SetHpType(type); }
    void SetLpType(int type) { eq_.SetLpType(type); }
    void SetHpSlope(int slope) { eq_.SetHpSlope(slope); }
    void SetLpSlope(int slope) { eq_.SetLpSlope(slope); }

    // The curve control's notifications ("equalizer_eq", "equalizer_hp", "equalizer_lp"
    // and their "_release" forms): kind 0 band point `index`, 1 high-pass marker, 2
    // low-pass marker, with the control's values.
    void EqualizerCallback(int index, int kind, bool released, const CurveEdit& edit) {
        // A drag is one undo step from press to release.
        undo_.HoldStep(!released);
        eq_.EqualizerCallback(index, kind, released, edit);
    }
    // Bypasses the current channel's EQ or restores it, asking first when the bands are
    // not flat; the link group (channels 0-3) and the partner follow.
    void SetOutputBypass() { eq_.SetOutputBypass(); }
    // Asks, then puts every band of the current channel, of its link group (channels
    // 0-3) and of its partner back to flat.
    void SetOutputEqReset() { eq_.SetOutputEqReset(); }
    // Asks, then switches between graphic (the start) and parametric EQ.
    void SwitchEqMode() { eq_.SwitchEqMode(); }
    bool ParametricEq() const { return eq_.ParametricEq(); }

    // ---- Scenes in the unit (scenes.cpp) -----------------------------------------------
    // The scene window opened (its port) or closed (nullptr); it asks for the scene
    // number of the unit when it opens.
    void SetSceneWindow(SceneWindowPort* window) { scenes_.SetSceneWindow(window); }
    void GetSceneId() { scenes_.AskSceneId(); }
    int SceneId() const { return scenes_.SceneId(); }
    void SetSceneId(int n) { scenes_.SetSceneId(n); }
    const SceneName& SceneNameOf(int n) const { return scenes_.Name(n); }
    bool SceneHasName(int n) const { return scenes_.HasName(n); }
    int SceneNamed(const SceneName& name, int n) const { return scenes_.SceneNamed(name, n); }
    void SetSceneName(int n, const SceneName& name) { scenes_.SetName(n, name); }
    void LoadSence(int n) { scenes_.LoadScene(n); }
    void SaveSence(int n, const SceneName& name) { scenes_.SaveScene(n, name); }
    void DeleteSence(int n) { scenes_.DeleteScene(n); }
    void OnSceneJobDone(SceneJob job) { scenes_.OnJobDone(job); }
    std::string SceneJobFailure() const { return scenes_.LastFailure(); }

    // ---- Undo, redo and A/B (undo.cpp, ab_compare.cpp) ----------------------------------
    // Ends the user's action: what it changed becomes one undo step. The windows call it
    // after each action they route; a drag holds the step open until it is released.
    void CloseStep() { undo_.CloseStep(); NotifyUndoSteps(); }
    bool Undo() { const bool done = undo_.Undo(); NotifyUndoSteps(); return done; }
    bool Redo() { const bool done = undo_.Redo(); NotifyUndoSteps(); return done; }
    bool CanUndo() const { return undo_.CanUndo(); }
    bool CanRedo() const { return undo_.CanRedo(); }
    std::string UndoName() const { return undo_.UndoName(); }
    std::string RedoName() const { return undo_.RedoName(); }
    const UndoHistory& UndoSteps() const { return undo_; }
    void StoreAb(int slot) { ab_.Store(slot); }
    bool SwitchAb() { const bool done = ab_.Switch(); NotifyUndoSteps(); return done; }
    // A value of the table (core/value_table.h) set as the window sets it: through the
    // controller's value operations (the followers come along, the unit is sent what
    // changed), the curves redrawn, and one undo step closed. The caller has checked the
    // indexes and the values against the definition.
    void SetValue(const ValueDef& def, const std::vector<double>& idx, const std::vector<double>& val);
    const AbCompare& Ab() const { return ab_; }
    // A slot saved as a scene file through the profile writer ("${ab_not_stored}" when empty).
    void SaveAbSlot(int slot) {
        if (const SceneState* s = ab_.Slot(slot)) profiles_.SaveSettingsToFile(*s);
        else ctx_.prompt->ShowTips("${ab_not_stored}");
    }

    // ---- Profile files (profiles.cpp) -------------------------------------------------
    void SaveSenceConfigToFile() { profiles_.SaveSenceConfigToFile(); }
    void LoadSenceConfigFromFile() { profiles_.LoadSenceConfigFromFile(); }
    void SaveWholeConfigToFile() { profiles_.SaveWholeConfigToFile(); }
    void LoadWholeConfigFromFile() { profiles_.LoadWholeConfigFromFile(); }
    void OnProfileJobDone(ProfileJob job) { profiles_.OnJobDone(job); }
    std::string ProfileJobFailure() const { return profiles_.LastFailure(); }

    // ---- Filter files of the EQ panel (filter_files.cpp) ---------------------------------
    void ImportFilters(int ch) { filterFiles_.ImportFilters(ch); }
    void ExportFilters(int ch) { filterFiles_.ExportFilters(ch); }
    FilterFiles& Filters() { return filterFiles_; }

private:
    void NotifyUndoSteps();
    bool Busy();
    // The unit went away: the history and the slots keep what it held.
    void SessionEnds();

    link::DspDevice device_;
    link::Clock& clock_;
    UnitModel model_;
    ModelEditor editor_{model_};
    std::atomic<bool> stopping_{false};
    bool sessionOpen_ = false;  // connected and read out, not yet ended
    WorkerSet workers_;  // joined by Shutdown, before the link goes
    ControllerContext ctx_{device_, clock_, model_, editor_, workers_, stopping_};

    FirmwareUpgrade upgrade_{ctx_};
    Eq eq_{ctx_};
    Session session_{ctx_, upgrade_, eq_};
    Channels channels_{ctx_, eq_};
    Scenes scenes_{ctx_, channels_, eq_};
    Profiles profiles_{ctx_, channels_, eq_};
    Mixer mixer_{ctx_};
    Processing processing_{ctx_};
    CustomEq customEq_{ctx_};
    UndoHistory undo_{ctx_, channels_, eq_};
    AbCompare ab_{ctx_, channels_, eq_, undo_};
    FilterFiles filterFiles_{ctx_, eq_};
    Calibration calibration_{ctx_};  // last: its worker is joined before the others go
};

}  // namespace dvdsp::core
