#include "core/value_ops.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/limits.h"
#include "base/log.h"
#include "core/channel_format.h"
#include "core/part_helpers.h"

namespace dvdsp::core {
namespace {

int ClampTrim(int hundredths) {
    const Limit& t = limits::kTrim;
    return std::clamp(hundredths, static_cast<int>(std::lround(t.uiMin * 100)), static_cast<int>(std::lround(t.uiMax * 100)));
}

}  // namespace

int TrimHundredths(float gain) { return static_cast<int>(std::lround(static_cast<double>(gain) * 100.0)); }

bool ValueOps::Raised(float gain) { return std::fabs(gain) > kGainZero; }
float ValueOps::ClampQ(double q) { return static_cast<float>(limits::kBandQ.Clamp(q)); }
int ValueOps::ClampFreq(double f) { return static_cast<int>(std::lround(limits::kBandFreq.Clamp(f))); }

float ValueOps::SliderGain(double gain) {
    const Limit& g = limits::kBandGain;
    const double position = std::clamp(gain * g.scale, -1e6, 1e6);
    return static_cast<float>(g.ClampSlider(static_cast<int>(std::lround(position)))) / static_cast<float>(g.scale);
}

// ---- Trim ---------------------------------------------------------------------------------

void ValueOps::ApplyTrim(int ch, int hundredths, bool fromUser) {
    hundredths = ClampTrim(hundredths);
    edit_.Apply({What::Trim, 0, ch}, [&](SceneState& s) { s.channels[Z(ch)].gain = static_cast<float>(hundredths) / 100.0f; });
    send_({What::Trim, 0, ch});
    if (fromUser && edit_.Live().channels[Z(ch)].mute) {
        edit_.Apply({What::ChannelMute, 0, ch}, [&](SceneState& s) { s.channels[Z(ch)].mute = 0; });
        send_({What::ChannelMute, 0, ch});
    }
}

void ValueOps::ChangeTrim(int ch, int hundredths, bool fromUser, bool force) {
    const SceneState& s = edit_.Live();
    const int old = TrimHundredths(s.channels[Z(ch)].gain);
    hundredths = ClampTrim(hundredths);
    const int d = hundredths - old;
    if (d == 0 && !force) return;
    const int partner = PartnerChannel(s, ch);
    ApplyTrim(ch, hundredths, fromUser);

    const int group = s.linkSel[Z(ch)];
    if (group != 0) {
        std::array<bool, kChannels> done{};
        done[Z(ch)] = true;
        if (partner >= 0) done[Z(partner)] = true;
        for (int c = 0; c < kChannels; ++c) {
            if (done[Z(c)] || s.linkSel[Z(c)] != group) continue;
            ApplyTrim(c, TrimHundredths(s.channels[Z(c)].gain) + d, fromUser);
            done[Z(c)] = true;
            // A bridged pair plays as one channel: the neighbour takes the same trim.
            const int neighbour = c ^ 1;
            if (s.bridge[Z(c / 2)] && !done[Z(neighbour)]) {
                ApplyTrim(neighbour, TrimHundredths(s.channels[Z(c)].gain), fromUser);
                done[Z(neighbour)] = true;
            }
        }
    }
    if (partner >= 0) ApplyTrim(partner, TrimHundredths(s.channels[Z(partner)].gain) + d, fromUser);
}

// ---- Delay --------------------------------------------------------------------------------

void ValueOps::ApplyDelay(int ch, float ms, int unit) {
    const float delay = NormalizeDelay(ms, unit);
    edit_.Apply({What::Delay, 0, ch}, [&](SceneState& s) { s.channels[Z(ch)].delay = delay; });
    send_({What::Delay, 0, ch});
}

void ValueOps::ChangeDelay(int ch, float ms, int unit) {
    const SceneState& s = edit_.Live();
    const float old = s.channels[Z(ch)].delay;
    const int partner = PartnerChannel(s, ch);
    ApplyDelay(ch, ms, unit);
    const float d = s.channels[Z(ch)].delay - old;
    if (d == 0.0f) return;
    const int group = s.delayLinkSel[Z(ch)];
    if (group != 0) {
        for (int c = 0; c < kChannels; ++c) {
            if (c == ch || c == partner || s.delayLinkSel[Z(c)] != group) continue;
            ApplyDelay(c, s.channels[Z(c)].delay + d, unit);
        }
    }
    if (partner >= 0) ApplyDelay(partner, s.channels[Z(partner)].delay + d, unit);
}

// ---- Mute and phase -----------------------------------------------------------------------

void ValueOps::SetMute(int ch, bool muted) {
    if (!ChannelOk(ch)) return;
    const bool bridged = edit_.Live().bridge[Z(ch / 2)] != 0;
    for (int c : {ch, ch ^ 1}) {
        if (c != ch && !bridged) break;
        edit_.Apply({What::ChannelMute, 0, c}, [&](SceneState& s) { s.channels[Z(c)].mute = muted ? 1 : 0; });
        send_({What::ChannelMute, 0, c});
    }
}

void ValueOps::SetPhase(int ch, bool reversed) {
    if (!ChannelOk(ch)) return;
    const bool bridged = edit_.Live().bridge[Z(ch / 2)] != 0;
    for (int c : {ch, ch ^ 1}) {
        if (c != ch && !bridged) break;
        edit_.Apply({What::Phase, 0, c}, [&](SceneState& s) { s.channels[Z(c)].phase = reversed ? 1 : 0; });
        send_({What::Phase, 0, c});
    }
}

// ---- Bands --------------------------------------------------------------------------------

std::vector<int> ValueOps::GroupMembers(int ch) const {
    std::vector<int> members;
    const SceneState& s = edit_.Live();
    if (ch < 0 || ch >= kFilterGroupChannels) return members;
    const int group = s.linkSel[Z(ch)];
    if (group == 0) return members;
    const int partner = PartnerChannel(s, ch);
    for (int x = 0; x < kFilterGroupChannels; ++x)
        if (x != ch && x != partner && s.linkSel[Z(x)] == group) members.push_back(x);
    return members;
}

void ValueOps::ApplyBypass(int ch, uint8_t bypass) {
    edit_.Apply({What::EqBypass, 0, ch}, [&](SceneState& s) { s.channels[Z(ch)].bypass = bypass; });
    send_({What::EqBypass, 0, ch});
}

void ValueOps::ZeroBypassedGains(int ch) {
    const SceneState& s = edit_.Live();
    const int size = std::min<int>(s.channels[Z(ch)].eqSize, kBandsPerChannel);
    for (int b = 0; b < size; ++b) {
        if (!Raised(s.Bands(ch)[b].gain)) continue;
        edit_.Apply({What::Band, 0, ch, b}, [&](SceneState& m) {
            m.Bands(ch)[b].gain = 0.0f;
            m.Bands(ch)[b].enable = 1;
        });
        send_({What::Band, 0, ch, b});
    }
}

void ValueOps::FollowGains(int ch, float gain) {
    const SceneState& s = edit_.Live();
    const ChannelSettings& c = s.channels[Z(ch)];
    double sum = 0.0;
    for (int b = 0; b < std::min<int>(c.eqSize, kBandsPerChannel); ++b)
        sum += std::fabs(static_cast<double>(s.Bands(ch)[b].gain));
    // Flat as a whole number of dB: the channel counts as bypassed.
    const bool flat = !Raised(gain) && static_cast<long>(sum) == 0;
    const uint8_t bypass = flat ? 1 : 0;
    Change button{What::BypassButton, 0, ch};
    button.value = bypass;
    edit_.Report(button);
    if (c.bypass == bypass) return;
    ApplyBypass(ch, bypass);
    std::vector<int> followers = GroupMembers(ch);
    if (const int partner = PartnerChannel(s, ch); partner >= 0) followers.push_back(partner);
    for (int x : followers)
        if (s.channels[Z(x)].bypass != bypass) ApplyBypass(x, bypass);
}

void ValueOps::SetFilter(int ch, int side, int type, int freq, int slope) {
    if (!ChannelOk(ch) || (side != 0 && side != 1)) return;
    const SceneState& s = edit_.Live();
    std::vector<int> targets{ch};
    if (const int partner = PartnerChannel(s, ch); partner >= 0) targets.push_back(partner);
    for (int x : GroupMembers(ch)) targets.push_back(x);
    for (int x : targets) {
        edit_.Apply({What::Filter, 0, x}, [&](SceneState& m) {
            ChannelSettings& c = m.channels[Z(x)];
            CrossoverFilter& f = side == 0 ? c.hp : c.lp;
            f.type = type;
            f.freq = freq;
            f.slope = slope;
            f.bypass = slope == 0 ? 1 : 0;
            c.bpType = BpTypeOf(c.hp, c.lp);
        });
        Change sent{What::Filter, 0, x, side};
        send_(sent);
    }
}

void ValueOps::SetBand(int ch, int band, int freq, float q, float gain, bool zeroBypassed) {
    const SceneState& s = edit_.Live();
    if (!ChannelOk(ch) || band < 0 || band >= kBandsPerChannel) return;
    freq = ClampFreq(freq);
    q = ClampQ(static_cast<double>(q));
    gain = static_cast<float>(limits::kBandGain.Clamp(static_cast<double>(gain)));
    LogWriteNarrow("freqValue(%d) ,qValue(%f) ,gainValue(%.1f)\n", freq, static_cast<double>(q),
                   static_cast<double>(gain));
    const int partner = PartnerChannel(s, ch);
    const std::vector<int> members = GroupMembers(ch);
    auto inUse = [&](int x) { return band < std::min<int>(s.channels[Z(x)].eqSize, kBandsPerChannel); };

    if (zeroBypassed && s.channels[Z(ch)].bypass) {
        ZeroBypassedGains(ch);
        for (int x : members)
            if (s.channels[Z(x)].bypass) ZeroBypassedGains(x);
        if (partner >= 0 && s.channels[Z(partner)].bypass) ZeroBypassedGains(partner);
    }

    const EqBand old = s.Bands(ch)[band];
    const EqBand now{gain, q, freq, 1};
    edit_.Apply({What::Band, 0, ch, band}, [&](SceneState& m) { m.Bands(ch)[band] = now; });
    // The link group takes the same change of each value, the partner the values.
    const double df = static_cast<double>(freq - old.freq);
    const double dq = static_cast<double>(q) - static_cast<double>(old.q);
    const double dg = static_cast<double>(gain) - static_cast<double>(old.gain);
    for (int x : members) {
        if (!inUse(x)) continue;
        const EqBand& own = s.Bands(x)[band];
        const EqBand moved{SliderGain(static_cast<double>(own.gain) + dg), ClampQ(static_cast<double>(own.q) + dq),
                           ClampFreq(own.freq + df), 1};
        edit_.Apply({What::Band, 0, x, band}, [&](SceneState& m) { m.Bands(x)[band] = moved; });
        send_({What::Band, 0, x, band});
    }
    if (partner >= 0 && inUse(partner)) {
        edit_.Apply({What::Band, 0, partner, band}, [&](SceneState& m) { m.Bands(partner)[band] = now; });
        send_({What::Band, 0, partner, band});
    }
    FollowGains(ch, gain);
    send_({What::Band, 0, ch, band});
}

}  // namespace dvdsp::core
