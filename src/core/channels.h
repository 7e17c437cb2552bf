#pragma once
// The output-channel part of the controller: master volume and ACC, each channel's trim,
// mute, phase, solo and delay, the car diagram, the input boxes, speaker roles, the
// current channel, lock, link groups and delay-link groups, the stereo link, the bridge
// pairs and the output reset. Files: channels.cpp (values), channels_speaker.cpp (car
// diagram and input boxes), channels_groups.cpp (roles, current channel, lock, groups),
// channels_link.cpp (stereo link, bridge, reset).

#include <string>

#include "core/channel_format.h"
#include "core/channel_response.h"
#include "core/controller_context.h"

namespace dvdsp::core {

class Eq;

class Channels {
public:
    Channels(ControllerContext& ctx, Eq& eq) : ctx_(ctx), eq_(eq) {}

    // Master volume: the edit's text, the slider's position, a step.
    void SetMainVolumeEdit(const std::string& text);
    void SetMainVolumeSlider(int value);
    void SetMainVolumeUp(bool up);
    void SetMainVolumeRelatedAfterDecidedValue(int v);
    void SetMainMute(bool muted);
    void SetAccEdit(const std::string& text);
    void SetAccSlider(int value);
    void SetAccUp(bool up);

    void SetChVolumeEdit(int ch, const std::string& text);
    void SetChVolumeSlider(int ch, int tenths);
    void SetChVolumeUp(int ch, bool up);
    void SetChMute(int ch, bool muted);
    void SetChPhase(int ch, bool reversed);
    void SetChSolo(int ch, bool on);

    void SetChDelayEdit(int ch, const std::string& text);
    void SetChDelaySlider(int ch, int us);
    void SetChDelayUp(int ch, bool up);
    void SetDelayUnit(int unit);
    int DelayUnit() const { return delayUnit_; }
    // The alignment helper for channels a and b on the live settings, in the page's delay
    // unit; AlignChannels applies its proposal as one operation: the one delay through the
    // delay operation (its partner and delay-link group follow) and b's polarity.
    AlignmentProposal ProposeAlignment(int a, int b) const;
    AlignmentProposal AlignChannels(int a, int b);

    void SetSpeakerFocus(int role);
    int FocusedSpeaker() const { return focusedSpeaker_; }
    void SetSpeakerDelayEdit(int role, const std::string& text);
    void SetSpeakerDelayUp(int role, bool up);
    void StepFocusedSpeakerDelay(bool up);
    void SetInputIn(int in, int out, bool on);

    void SetOutputValue(int ch, const std::string& item, bool keepSaved);
    void SetCurChannelChange(int ch);
    void SetOutpuLock();
    void SetLinkGroup(int ch, int group);
    void SetDelayLinkGroup(int ch, int group);

    void ToggleAmplifier();
    void ToggleRemoteOut(int which);
    void ToggleSpeakerOhm();
    void ToggleNoiseGate();

    void SetOutputLink();
    void ToggleBridge(int pair);
    void SetBridge(int pair, bool on);
    void SetOutputReset();
    int ResetChoice() const { return resetChoice_; }
    void ResetLinkGroups();
    void RefreshAllControls();
    void UpdateAllVolumeEdit();

    // Replies: a trim the unit reported, limited to the page's range and sent back; link
    // or lock mode as the unit reported it.
    void TrimReply(int ch);
    void LinkReply(const Change& change);

private:
    void ApplyAcc(int value);
    // Trim of one channel set to `tenths` (limited to the page's range), sent and shown.
    void ApplyTrim(int ch, int tenths, bool fromUser);
    // A trim change of ch to `tenths`, followed by its link group and partner.
    void ChangeTrim(int ch, int tenths, bool fromUser, bool force = false);
    void ApplyDelay(int ch, float ms);
    void ChangeDelay(int ch, float ms);
    // Sends the trim of ch (the unit takes it as an attenuation).
    void SendTrim(int ch);
    void SendBridgeStates();
    // Copies 2p onto 2p+1 when the pair is bridged, else restores 2p+1's saved role.
    void ApplyBridgeState(int pair);
    // Posts the busy window and closes it from a worker once the queue has drained.
    void WaitQueueThenClose(const char* name, int polls);
    // Link and lock mode with the role and delay-link buttons, and the channel selectors.
    void ShowLinkState();
    // The current channel's selector and its partner's shown selected.
    void ShowChannelSelectors();
    // The first channel holding speaker role `role`, -1 when none does.
    int ChannelOfRole(int role) const;
    // Has the view show a value of one channel again (its text in its format).
    void Report(What what, int ch) { ctx_.edit.Report({what, 0, ch}); }

    ControllerContext& ctx_;
    Eq& eq_;
    int delayUnit_ = kDelayCm;  // the unit the page starts with
    int focusedSpeaker_ = 0;    // role of the marked speaker position, 0 none
    int resetChoice_ = 0;       // last output reset: 1 default roles, 2 emptied
};

}  // namespace dvdsp::core
