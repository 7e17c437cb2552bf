#pragma once
// The mixer part of the controller: the input mixer of each source as its window edits
// it. Per (input channel, output) a routing bit and a trim, per input channel a phase
// and a cross-source feed, and the clip flags the unit last reported. Every operation
// changes the live settings through the editor, reports what it changed and sends it at
// once; the window decides which of its cells show it. The input boxes of the channel
// strips stay with the output channels.

#include <array>
#include <cstdint>

#include "core/controller_context.h"
#include "link/messages.h"

namespace dvdsp::core {

class Mixer {
public:
    explicit Mixer(ControllerContext& ctx) : ctx_(ctx) {}

    // Input channels of a source (rows of the mixer), and whether the source may take a
    // second source's channel in (sources 0, 1, 2, 6, 7 and 8).
    static int InputCount(int source);
    static bool HasMixerSource(int source);

    // What cell (in, out) of `source` plays at: 0 while the input is not routed to the
    // output, else its stored trim, a stored 0 counting as full.
    int EffectiveTrim(int source, int in, int out) const;
    bool Routed(int source, int in, int out) const;

    // Cell (in, out) of `source` plays at `trim`: sent when it differs from what the cell
    // played at, stored, and routed while above 0. A bridged output's partner takes the
    // same routing bit and trim; returns that partner, or -1 when there is none.
    int SetMixTrim(int source, int in, int out, int trim);
    // Every cell of `source` silent and unrouted; what was routed is sent as 0.
    void ClearMix(int source);

    // Input `in` of `source` plays inverted (or not).
    void SetInputMixPhase(int source, int in, bool inverted);
    // The cross-source feed of input `in`: a combo item's tag (vice source x 100 + vice
    // channel), and the feed's gain (held to -32..6). Both send the feed with its gain.
    void SetCrossSourceTag(int source, int in, int tag);
    // Returns the gain as stored.
    int SetCrossSourceGain(int source, int in, int gain);

    // Clip flags: asks the unit for those of `source`'s inputs and of every output; the
    // replies (OnDistortReply) keep them for the next look.
    void ReadClipFlags(int source);
    void OnDistortReply(const link::Message& msg);
    bool InputClipped(int in) const;
    bool OutputClipped(int out) const;

private:
    void SendTrim(int source, int in, int out);
    void SendRouting(int source, int out);
    void SendCrossSource(int source, int in);

    ControllerContext& ctx_;
    std::array<uint8_t, link::kRecordChannels> inClip_{};
    std::array<uint8_t, link::kRecordChannels> outClip_{};
};

}  // namespace dvdsp::core
