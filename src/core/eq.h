#pragma once
// The EQ and crossover part of the controller: the bands and filters of each channel as
// they are sent, copied between channels, bypassed, reset, and the graphic or parametric
// mode of the page. Band and filter editing and the curve loop will live here as well.

#include "core/controller_context.h"

namespace dvdsp::core {

// EQ bands, filters and the bypass flag follow a link group only among channels 0-3.
inline constexpr int kFilterGroupChannels = 4;

class Eq {
public:
    explicit Eq(ControllerContext& ctx) : ctx_(ctx) {}

    // Hands the curves to the curve control (band -1: none selected).
    void UpdateEqualizer(int band);

    // Bypasses the current channel's EQ or restores it, asking first when the bands are
    // not flat; the link group (channels 0-3) and the partner follow.
    void SetOutputBypass();
    // Asks, then puts every band of the current channel, of its link group (channels 0-3)
    // and of its partner back to flat.
    void SetOutputEqReset();
    // Asks, then switches between graphic (the start) and parametric EQ.
    void SwitchEqMode();
    bool ParametricEq() const { return parametricEq_; }

    // Sends the high-pass then the low-pass filter of ch as the model holds them.
    void SendFilters(int ch);
    // Sends the bands, crossover and bypass of ch as the model holds them.
    void SendChannelEq(int ch);
    // Copies bands, crossover and bypass of one channel onto another and sends them.
    void CopyOutConfig(int from, int to);

private:
    // Stores and sends the bypass flag of a channel.
    void ApplyBypass(int ch, uint8_t bypass);

    ControllerContext& ctx_;
    bool parametricEq_ = false;
};

}  // namespace dvdsp::core
