#include "core/outgoing.h"

#include <algorithm>

#include "base/limits.h"
#include "core/part_helpers.h"
#include "link/protocol/calibration.h"
#include "link/protocol/device.h"
#include "link/protocol/input.h"
#include "link/protocol/output.h"
#include "link/protocol/scene_mcu.h"

namespace dvdsp::core {
namespace {

namespace p = link::protocol;

// The unit numbers the high-pass filter 2 and the low-pass filter 1.
p::Frame FilterFrame(const SceneState& s, int ch, int side) {
    const ChannelSettings& c = s.channels[static_cast<size_t>(ch)];
    const CrossoverFilter& f = side == 0 ? c.hp : c.lp;
    return p::Filter_Ctrl(U8(s.scene), 0, U8(ch), side == 0 ? 2 : 1, U8(f.type), static_cast<uint16_t>(f.freq),
                          U8(f.slope));
}

p::Frame BandFrame(const SceneState& s, int ch, int b) {
    const EqBand& band = s.Bands(ch)[b];
    // The unit knows no enable flag: a disabled band plays flat.
    const float gain = band.enable ? band.gain : 0.0f;
    return p::EQ_Ctrl(U8(s.scene), 0, U8(ch), U8(b), static_cast<uint16_t>(limits::kBandFreq.Clamp(band.freq)),
                      static_cast<float>(limits::kBandQ.Clamp(static_cast<double>(band.q))),
                      static_cast<float>(limits::kBandGain.Clamp(static_cast<double>(gain))));
}

// The stereo link names each pair with the channel that copies first: left to right
// (`direction` 1, or 0 for a link already made) the one of the lower role.
p::Frame LinkFrame(const SceneState& s, int direction) {
    p::ChannelPairs pairs;
    if (!s.linkMode) return p::CH_Link_Ctrl(U8(s.scene), 0, pairs);
    const bool leftToRight = direction != 2;
    for (int i = 0; i < kChannels; ++i) {
        const int j = s.linkOutputs[static_cast<size_t>(i)];
        if (j < 0 || j >= kChannels) continue;
        const int mine = s.outputs[static_cast<size_t>(i)], theirs = s.outputs[static_cast<size_t>(j)];
        if (leftToRight ? mine < theirs : mine > theirs) pairs.emplace_back(U8(i), U8(j));
    }
    return p::CH_Link_Ctrl(U8(s.scene), 1, pairs);
}

p::Frame CompressorFrame(const SceneState& s, int ch, bool timesOnly) {
    const CompressorSettings& k = s.compressor[static_cast<size_t>(ch)];
    if (timesOnly) {
        p::Compressor2 v;
        v.threshold = k.threshold;
        v.attack = static_cast<uint16_t>(k.attack);
        v.releaseMs = static_cast<uint32_t>(k.release);
        return p::Compressor_Ctrl2(U8(s.scene), U8(s.source), U8(ch), U8(ch), {v});
    }
    return p::Compressor_Ctrl(U8(s.scene), U8(s.source), U8(ch), U8(k.bypass), k.threshold, k.ratio, k.softKnee,
                              static_cast<uint16_t>(k.attack), static_cast<uint16_t>(k.release));
}

}  // namespace

bool SentAtOnce(What what) { return what == What::CompressorOn; }

bool HasFrames(What what) {
    switch (what) {
    case What::Source:
    case What::MainVolume:
    case What::MainMute:
    case What::Acc:
    case What::AmpOn:
    case What::RemoteOut:
    case What::SpeakerOhm:
    case What::NoiseGate:
    case What::Bridge:
    case What::Role:
    case What::Routing:
    case What::InputMixTrim:
    case What::CrossSourceMix:
    case What::Trim:
    case What::ChannelMute:
    case What::Phase:
    case What::Delay:
    case What::Solo:
    case What::Band:
    case What::Filter:
    case What::EqBypass:
    case What::EqReset:
    case What::Link:
    case What::Lock:
    case What::Compressor:
    case What::CompressorOn:
    case What::InputThreshold:
    case What::PowerOffDelay:
    case What::Karaoke:
    case What::AutoSetting: return true;
    default: return false;
    }
}

std::vector<p::Frame> FramesOf(const Change& change, const SceneState& s, const p::DeviceProfile& profile) {
    const int ch = change.channel;
    if (change.scene != 0 || !HasFrames(change.what)) return {};
    const uint8_t scene = U8(s.scene);
    switch (change.what) {
    case What::MainVolume: return {p::Main_Volume_Ctrl(static_cast<float>(s.mainVolume))};
    case What::Source: return {p::Source_Switch_Ctrl(U8(kFirstSourceCode + s.source))};
    case What::MainMute: return {p::Mute_Ctrl(U8(s.mainMute))};
    case What::Acc: return {p::Set_Acc(U8(s.acc))};
    // The unit takes the amplifier as a mute: 1 is off.
    case What::AmpOn: return {p::Amp_Mute_Ctrl(U8(s.ampOn ? 0 : 1))};
    case What::RemoteOut: return {p::Rem_Out_Ctrl(U8(s.remOut1), U8(s.remOut2))};
    case What::SpeakerOhm: return {p::Spk_Ohm_Ctrl(U8(s.twoOhm))};
    case What::NoiseGate: return {p::Noise_Gate_Ctrl(U8(s.noiseGate))};
    case What::Bridge: {
        // One command carries every pair.
        std::vector<uint8_t> bridge;
        for (int32_t b : s.bridge) bridge.push_back(U8(b ? 1 : 0));
        return {p::Output_Bridge_Ctrl(scene, 0, bridge)};
    }
    case What::Solo: {
        std::vector<uint8_t> solo;
        for (const ChannelSettings& x : s.channels) solo.push_back(U8(x.solo));
        return {p::Solo_Ctrl(scene, 0, 0, U8(kChannels - 1), solo)};
    }
    case What::Link: return {LinkFrame(s, change.value)};
    case What::Lock: return {p::CH_Lock_Ctrl(scene, U8(s.lockMode))};
    default: break;
    }
    // An input's own values: its phase (Phase without a channel) and its cross-source feed,
    // of source `source`, input `band`.
    if ((change.what == What::Phase && ch < 0) || change.what == What::CrossSourceMix) {
        const int src = change.source, in = change.band;
        if (src < 0 || src >= kSources || in < 0 || in >= kInputsPerSource) return {};
        const auto sz = static_cast<size_t>(src), n = static_cast<size_t>(in);
        if (change.what == What::Phase) return {p::Input_Phase_Ctrl(scene, U8(src), U8(in), U8(in), {U8(s.inMixPhase[sz][n])})};
        return {p::Cross_Source_Mix_Ctrl(scene, U8(src), U8(in), WireByte(limits::kCrossSource, s.csmViceSource[sz][n]),
                                         WireByte(limits::kCrossSourceChannel, s.csmViceCh[sz][n]),
                                         WireByte(limits::kCrossSourceGain, s.csmViceGain[sz][n],
                                                  limits::kCrossSourceGainOffset))};
    }
    if (ch < 0 || ch >= kChannels) return {};
    const auto out = static_cast<size_t>(ch);
    const ChannelSettings& c = s.channels[out];
    if (change.what == What::Routing || change.what == What::InputMixTrim) {
        // The routing and the mixer trims belong to the source they are set for.
        const int src = change.source;
        if (src < 0 || src >= kSources) return {};
        const auto sz = static_cast<size_t>(src);
        if (change.what == What::Routing)
            return {p::Mix_Ch_Ctrl(scene, U8(src), U8(ch), U8(ch), {static_cast<uint16_t>(s.inputs[sz][out])}, profile)};
        const int in = change.band;
        if (in < 0 || in >= kInputsPerSource) return {};
        return {p::Input_Mix_Trim_Ctrl(scene, U8(src), U8(in), U8(ch), U8(ch),
                                       {static_cast<int8_t>(s.inputMixVolume[sz][static_cast<size_t>(in)][out])})};
    }
    switch (change.what) {
    // A trim the controller limits on the unit's report goes back naming the source.
    case What::Trim: return {p::Trim_Ctrl(scene, U8(change.source > 0 ? change.source : 0), U8(ch), U8(ch), {c.gain}, profile)};
    case What::ChannelMute: return {p::Mute_Ch_Ctrl(scene, 0, U8(ch), U8(ch), {U8(c.mute)})};
    case What::Phase: return {p::Phase_Ctrl(scene, 0, U8(ch), U8(ch), {U8(c.phase)})};
    case What::Delay: return {p::Delay_Ctrl(scene, 0, U8(ch), U8(ch), {c.delay})};
    case What::EqBypass: return {p::PEQ_Bypass_Ctrl(scene, 0, U8(ch), U8(ch), {c.bypass})};
    case What::Role: return {p::CH_Type_Ctrl(scene, 0, U8(ch), U8(ch), {U8(s.outputs[out])})};
    // `value` 2: the threshold and the times alone, as the compressors' list window sets them.
    case What::Compressor: return {CompressorFrame(s, ch, change.value == 2)};
    case What::CompressorOn: return {p::Compressor_Ch_Ctrl(scene, U8(s.source), U8(ch), U8(ch), {U8(c.compressorOn)})};
    case What::EqReset: {
        // `band` names the stereo-link partner reset with the channel, if any.
        std::vector<uint8_t> reset = {U8(ch)};
        if (change.band >= 0 && change.band < kChannels) reset.push_back(U8(change.band));
        return {p::PEQ_Reset_Ctrl(scene, 0, reset)};
    }
    case What::Band:
        if (change.band < 0 || change.band >= kBandsPerChannel) return {};
        return {BandFrame(s, ch, change.band)};
    case What::Filter:
        if (change.band == 0 || change.band == 1) return {FilterFrame(s, ch, change.band)};
        return {FilterFrame(s, ch, 0), FilterFrame(s, ch, 1)};
    default: return {};
    }
}

std::vector<p::Frame> FramesOf(const Change& change, const UnitModel& unit, const p::DeviceProfile& profile) {
    if (change.scene > 0) return {};
    switch (change.what) {
    case What::InputThreshold: return {p::Input_Ch_Threshold_Ctrl(static_cast<int8_t>(unit.inputThreshold))};
    case What::PowerOffDelay: return {p::Set_Power_Off_Time(static_cast<uint16_t>(unit.powerOffDelay))};
    case What::Karaoke:
        if (change.value < 1 || change.value > kKaraokeSettings) return {};
        return {p::KTV_Set(U8(change.value), unit.karaoke[static_cast<size_t>(change.value - 1)])};
    case What::AutoSetting: return {p::CS_Auto_Setting_Ctrl(unit.autoSetting)};
    default: break;
    }
    if (change.scene != 0) return {};
    return FramesOf(change, unit.current, profile);
}

Change ChangeOf(const ItemKey& key) {
    if (key.scene < 0) {
        // The unit's own values, sent as a whole.
        Change c;
        c.scene = 0;
        switch (key.field) {
        case Field::Karaoke: c.what = What::Karaoke; c.value = key.i; break;
        case Field::InputThreshold: c.what = What::InputThreshold; break;
        case Field::PowerOffDelay: c.what = What::PowerOffDelay; break;
        case Field::AutoSetting: c.what = What::AutoSetting; break;
        default: return {};
        }
        return c;
    }
    if (key.scene != 0) return {};
    const int ch = key.i;
    auto at = [](What what, int channel = -1, int band = -1, int source = -1) {
        Change c{what, 0, channel, band};
        c.source = source;
        return c;
    };
    switch (key.field) {
    case Field::MainVolume: return at(What::MainVolume);
    case Field::MainMute: return at(What::MainMute);
    case Field::Acc: return at(What::Acc);
    case Field::AmpOn: return at(What::AmpOn);
    case Field::RemoteOut1:
    case Field::RemoteOut2: return at(What::RemoteOut);
    case Field::TwoOhm: return at(What::SpeakerOhm);
    case Field::NoiseGate: return at(What::NoiseGate);
    case Field::Bridge: return at(What::Bridge);
    case Field::Solo: return at(What::Solo);
    case Field::Trim: return at(What::Trim, ch);
    case Field::ChannelMute: return at(What::ChannelMute, ch);
    case Field::Delay: return at(What::Delay, ch);
    case Field::Phase: return at(What::Phase, ch);
    case Field::EqBypass: return at(What::EqBypass, ch);
    case Field::HighPass: return at(What::Filter, ch, 0);
    case Field::LowPass: return at(What::Filter, ch, 1);
    case Field::Role: return at(What::Role, ch);
    case Field::Compressor: return at(What::Compressor, ch);
    case Field::CompressorOn: return at(What::CompressorOn, ch);
    case Field::LinkMode:
    case Field::LinkPartner: return at(What::Link);
    case Field::LockMode: return at(What::Lock);
    case Field::Band: return at(What::Band, ch, key.j);
    case Field::Routing: return at(What::Routing, key.j, -1, key.i);
    case Field::MixTrim: return at(What::InputMixTrim, key.k, key.j, key.i);
    case Field::MixPhase: return at(What::Phase, -1, key.j, key.i);
    case Field::CrossSource:
    case Field::CrossChannel:
    case Field::CrossGain: return at(What::CrossSourceMix, -1, key.j, key.i);
    default: return {};
    }
}

std::vector<Change> ChangesOf(const std::vector<ItemKey>& items, std::vector<ItemKey>* unsent) {
    std::vector<Change> out;
    auto same = [](const Change& a, const Change& b) {
        return a.what == b.what && a.channel == b.channel && a.band == b.band && a.source == b.source &&
               a.value == b.value;
    };
    bool lock = false;
    for (const ItemKey& key : items) {
        const Change c = ChangeOf(key);
        if (!c) {
            // The filter type follows from the two filters, which carry it.
            if (key.field != Field::FilterType && unsent) unsent->push_back(key);
            continue;
        }
        lock = lock || c.what == What::Lock;
        bool seen = false;
        for (const Change& o : out) seen = seen || same(o, c);
        if (!seen) out.push_back(c);
    }
    // Link mode needs the lock: the lock goes first.
    if (lock) {
        auto it = std::find_if(out.begin(), out.end(), [](const Change& c) { return c.what == What::Lock; });
        const Change c = *it;
        out.erase(it);
        out.insert(out.begin(), c);
    }
    return out;
}

std::vector<Change> ChangesBetween(const SceneState& from, const SceneState& to, std::vector<ItemKey>* unsent) {
    std::vector<ItemKey> keys;
    for (const ItemChange& item : SceneDifferences(0, from, to)) keys.push_back(item.key);
    return ChangesOf(keys, unsent);
}

}  // namespace dvdsp::core
