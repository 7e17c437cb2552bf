#pragma once
// Storing decoded replies of the unit in the model. Each function takes one message as the
// link posts it and reports what it changed, so that whoever shows the model refreshes
// only that. Replies that carry a scene number go to the live settings (0) or to that
// stored scene's copy (1-10); other scene numbers are dropped.

#include "core/unit_model.h"
#include "link/messages.h"

namespace dvdsp::core {

enum class What {
    None,         // nothing stored
    Source,       // current input source
    MainVolume,
    SubVolume,
    MainMute,
    Filter,       // channel's crossover (bpType, hp, lp)
    Band,         // channel's band `band`
    Delay,
    Trim,         // stored as reported; the controller clamps it to its slider
    ChannelMute,
    Phase,
    Routing,      // routing mask of (source, channel)
    Role,         // channel's speaker role (outputs and outputs_bk)
    Link,         // link mode and partners
    Lock,         // lock mode (and link mode, when unlocking ended it: `unlinked`)
    EqBypass,
    InputMixTrim, // trims of (source, input channel `band`) for the outputs of the reply
    InputThreshold,
    Solo,
    AutoEffect,
    Compressor,
    CompressorOn,
    AmpOn,
    RemoteOut,
    SpeakerOhm,
    NoiseGate,
    CrossSourceMix,  // cross-source feed of (source, input channel `band`)
    Bridge,
    DspStatus,    // the DSP reported its state (`value`); nothing stored
    Handshake,
    FlashVersion,
    Acc,
    StoredSceneName,  // name of stored scene `scene`
    ValidScenes,
    Karaoke,      // karaoke setting `value` (1-10)
    PowerOffDelay,
    AutoSetting,  // the automatic-setting block
    EqReset,      // the unit flattens `channel`'s EQ (and `band`'s, its partner): a command, nothing stored

    // What the controller's own operations change besides the stored values.
    CurrentChannel,    // the channel the page edits (`channel`) with its panel
    ChannelSelection,  // the current channel and its partner are shown selected
    SpeakerFocus,      // the speaker position of role `value` is marked (its channels with it)
    EqMode,            // graphic (`value` 0) or parametric (1) EQ
    BypassButton,      // the bypass button offers to restore (`value` 1) or to bypass (0)
    DelayUnit,         // unit of every delay text (`value`: kDelayMs, kDelayCm, kDelayInch)
    LinkGroup,         // link group of `channel`
    DelayLinkGroup,    // delay-link group of `channel`
    SlopeItems,        // the slope items of `channel`'s high-pass (`value` 0) or low-pass (1)
                       // filter follow its type: type 2 offers only the even slopes and off
    CurveShown,        // `channel`'s curve is drawn or not (showOutChEqualizer)
    UndoSteps,         // what undo and redo would do has changed
    AbSlots,           // the A/B slots: which is live, which are stored, changed since
};

struct Change {
    What what = What::None;
    int scene = -1;    // 0 live settings, 1-10 a stored scene's copy
    int channel = -1;  // output channel, when one is concerned
    int band = -1;     // band, or input channel for the mixer values
    int source = -1;
    int value = 0;
    bool unlinked = false;  // lock reply ended link mode: the link must be switched off
    explicit operator bool() const { return what != What::None; }
};

// WM_READ_DSP_VALUE, WM_READ_MCU_VALUE, WM_READ_SCENE_VALUE and WM_READ_KTV_VALUE, each
// with its reply code in `wparam`.
Change ApplyDspValue(UnitModel& m, const link::Message& msg);
Change ApplyMcuValue(UnitModel& m, const link::Message& msg);
Change ApplySceneValue(UnitModel& m, const link::Message& msg);
Change ApplyKtvValue(UnitModel& m, const link::Message& msg);
// Any of the four, by message number; other messages change nothing.
Change ApplyMessage(UnitModel& m, const link::Message& msg);

}  // namespace dvdsp::core
