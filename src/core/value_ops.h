#pragma once
// The value-level operations on the live settings: one per setting family, in the user's
// units, with the rules by which other channels follow (the stereo-link partner or bridged
// neighbour takes the same value or the same difference, the link group the same
// difference, the EQ bypass flag follows the gains). They change the model only through the
// editor and hand each change to `send` (the controller queues its frames; the command
// line sends them at once). The window's text, slider and step operations and `dvdsp-cli
// set` both end here.

#include <functional>
#include <vector>

#include "core/apply.h"
#include "core/model_editor.h"

namespace dvdsp::core {

class ValueOps {
public:
    using Send = std::function<void(const Change&)>;
    ValueOps(ModelEditor& edit, Send send) : edit_(edit), send_(std::move(send)) {}

    // Trim of ch in hundredths of a dB (limited to the page's range): the partner and the
    // link group take the same difference, a bridged member's neighbour the member's trim.
    // A trim from the user unmutes the channels it sets; `force` sends an unchanged trim.
    void ChangeTrim(int ch, int hundredths, bool fromUser, bool force = false);
    // One channel's trim set, sent, and (from the user) unmuted.
    void ApplyTrim(int ch, int hundredths, bool fromUser);

    // Delay of ch in ms, put on the steps of `unit` (kDelayMs, kDelayCm, kDelayInch): the
    // partner and the delay-link group take the same difference.
    void ChangeDelay(int ch, float ms, int unit);
    void ApplyDelay(int ch, float ms, int unit);

    // Mute and phase of ch and of its bridged neighbour.
    void SetMute(int ch, bool muted);
    void SetPhase(int ch, bool reversed);

    // Band `band` of ch to the given values (limited to their ranges): the link group
    // takes the same difference of each value, the partner the values; the bypass flag
    // follows the gains. A bypassed channel first has its raised bands zeroed (unless
    // `zeroBypassed` is off).
    void SetBand(int ch, int band, int freq, float q, float gain, bool zeroBypassed = true);
    // The high-pass (side 0) or low-pass (side 1) filter of ch to type, frequency and slope
    // (slope 0 turns it off): the partner and the link group (channels 0-3) take the same
    // filter. The caller gives values the unit accepts.
    void SetFilter(int ch, int side, int type, int freq, int slope);
    // The bypass flag of one channel, stored and sent.
    void ApplyBypass(int ch, uint8_t bypass);
    // The other members of ch's link group that follow its EQ (channels 0-3, the partner
    // left out).
    std::vector<int> GroupMembers(int ch) const;
    // A gain as the band slider holds it: whole tenths within the slider's range.
    static float SliderGain(double gain);
    // A band's gain that is not flat, and Q and frequency in their ranges.
    static constexpr float kGainZero = 0.001f;  // a gain within this of 0 is flat
    static bool Raised(float gain);
    static float ClampQ(double q);
    static int ClampFreq(double f);

private:
    void ZeroBypassedGains(int ch);
    void FollowGains(int ch, float gain);

    ModelEditor& edit_;
    Send send_;
};

// A trim in hundredths of a dB, rounded.
int TrimHundredths(float gain);

}  // namespace dvdsp::core
