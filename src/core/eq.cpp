// EQ and crossover operations of the page that concern whole channels: sending a
// channel's filters and bands, copying them, the bypass, the reset and the GEQ/PEQ mode.
#include "core/eq.h"

#include <algorithm>
#include <cmath>

#include "base/log.h"
#include "core/part_helpers.h"

namespace dvdsp::core {
namespace {

// What a band's slider shows: gain x 10, or 0 while the channel is bypassed or the band
// is disabled.
int ShownSliderValue(const ChannelSettings& c, const EqBand& band) {
    if (c.bypass || !band.enable) return 0;
    return static_cast<int>(std::lround(static_cast<double>(band.gain) * 10.0));
}

}  // namespace

void Eq::SendFilters(int ch) {
    SendFilter(ch, kHighPass);
    SendFilter(ch, kLowPass);
}

void Eq::SendChannelEq(int ch) {
    const SceneState& s = ctx_.Live();
    const ChannelSettings& c = s.channels[Z(ch)];
    const int size = std::min<int>(c.eqSize, kBandsPerChannel);
    for (int b = 0; b < size; ++b) SendBand(ch, b);
    SendFilters(ch);
    ctx_.Send({What::EqBypass, 0, ch});
}

void Eq::CopyOutConfig(int from, int to) {
    LogWriteNarrow("copy out config from %d to %d\n", from, to);
    ctx_.edit.Apply({What::Filter, 0, to}, [&](SceneState& s) {
        const ChannelSettings& a = s.channels[Z(from)];
        ChannelSettings& b = s.channels[Z(to)];
        s.eqStore[Z(to)] = s.eqStore[Z(from)];
        b.eqSize = a.eqSize;
        b.bpType = a.bpType;
        b.hp = a.hp;
        b.lp = a.lp;
        b.bypass = a.bypass;
    });
    ctx_.edit.Report({What::EqBypass, 0, to});
    curves_.MarkStale(to);
    // The unit keeps its own copy of every channel: it is sent what the model now holds.
    SendChannelEq(to);
}

void Eq::ApplyBypass(int ch, uint8_t bypass) { ctx_.values.ApplyBypass(ch, bypass); }

void Eq::SetOutputBypass() {
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (ch < 0 || ch >= kChannels) return;
    const ChannelSettings& c = s.channels[Z(ch)];
    bool slidersOff = false, gainsOff = false;
    for (int b = 0; b < c.eqSize && b < kBandsPerChannel; ++b) {
        if (ShownSliderValue(c, s.Bands(ch)[b]) != 0) slidersOff = true;
        if (s.Bands(ch)[b].gain != 0.0f) gainsOff = true;
    }
    uint8_t bypass = 0;
    if (slidersOff) {
        if (!ctx_.prompt->Ask("${bypass_all_eq_tips}")) return;
        bypass = 1;
    } else if (gainsOff) {
        if (!ctx_.prompt->Ask("${restore_all_eq_tips}")) return;
    }
    Change button{What::BypassButton, 0, ch};
    button.value = bypass;
    ctx_.edit.Report(button);
    ApplyBypass(ch, bypass);
    const int partner = PartnerChannel(s, ch);
    const int group = s.linkSel[Z(ch)];
    if (group != 0 && ch < kFilterGroupChannels)
        for (int x = 0; x < kFilterGroupChannels; ++x)
            if (x != ch && x != partner && s.linkSel[Z(x)] == group) ApplyBypass(x, bypass);
    if (partner >= 0) ApplyBypass(partner, bypass);
    UpdateEqualizer(-1);
}

void Eq::SetOutputEqReset() {
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (ch < 0 || ch >= kChannels || !ctx_.prompt->Ask("${reset_all_eq_tips}")) return;
    auto flatten = [&](int x, bool send) {
        const int size = std::min<int>(s.channels[Z(x)].eqSize, kBandsPerChannel);
        for (int b = 0; b < size; ++b) {
            ctx_.edit.Apply({What::Band, 0, x, b}, [&](SceneState& m) { m.Bands(x)[b] = DefaultBand(size, b); });
            if (send) SendBand(x, b);
        }
    };
    flatten(ch, false);
    const int partner = PartnerChannel(s, ch);
    const int group = s.linkSel[Z(ch)];
    if (group != 0 && ch < kFilterGroupChannels)
        for (int x = 0; x < kFilterGroupChannels; ++x)
            if (x != ch && x != partner && s.linkSel[Z(x)] == group) flatten(x, true);
    if (partner >= 0) flatten(partner, true);
    ctx_.edit.Report({What::BypassButton, 0, ch});
    UpdateEqualizer(-1);
    ctx_.Send({What::EqReset, 0, ch, partner});
}

void Eq::SwitchEqMode() {
    if (!ctx_.prompt->Ask(parametricEq_ ? "${geq_mode_tips}" : "${peq_mode_tips}")) return;
    parametricEq_ = !parametricEq_;
    Change mode{What::EqMode, 0};
    mode.value = parametricEq_ ? 1 : 0;
    ctx_.edit.Report(mode);
    UpdateAllCurves();
}

}  // namespace dvdsp::core
