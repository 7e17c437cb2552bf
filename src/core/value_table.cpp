#include "core/value_table.h"

#include <cmath>
#include <cstdio>

#include "core/channel_format.h"
#include "core/part_helpers.h"
#include "link/commands.h"
#include "link/protocol/units.h"

namespace dvdsp::core {
namespace {

using link::DspDevice;
using link::Message;
using Args = ValueDef::Args;
using Messages = ValueDef::Messages;

constexpr uint8_t kScene = 0;

std::string Fmt(const char* f, double v) {
    char b[64];
    std::snprintf(b, sizeof b, f, v);
    // A value that rounds to zero prints as 0, not -0.
    std::string text = b;
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

// The plain value posted for a command code.
std::function<std::optional<std::string>(const Messages&, const Args&)> PlainValue(
    uint32_t msg, uint32_t wparam, std::function<double(double)> conv = nullptr) {
    return [=](const Messages& ms, const Args&) -> std::optional<std::string> {
        for (const Message& m : ms)
            if (m.msg == msg && m.wparam == wparam && !m.record) {
                double v = static_cast<double>(m.value);
                return Fmt("%g", conv ? conv(v) : v);
            }
        return std::nullopt;
    };
}

template <typename R>
std::function<std::optional<std::string>(const Messages&, const Args&)> ChannelRecord(
    uint32_t code, std::function<std::string(const R&)> fmt) {
    return [=](const Messages& ms, const Args& idx) -> std::optional<std::string> {
        for (const Message& m : ms)
            if (m.msg == link::WM_READ_DSP_VALUE && m.wparam == code)
                if (const R* r = m.As<R>(); r && r->ch == static_cast<int>(idx[0])) return fmt(*r);
        return std::nullopt;
    };
}

int I(double v) { return static_cast<int>(std::lround(v)); }
size_t Ix(double v) { return static_cast<size_t>(I(v)); }

// A value of the unit as a whole that no other value follows.
ValueDef Plain(const char* name, const char* values, const char* help, int count, Limit limit, What what,
               std::function<void(SceneState&, const Args&)> write, std::function<void(DspDevice&)> get,
               std::function<std::optional<std::string>(const Messages&, const Args&)> print) {
    return {name, "", values, help, 0, count, std::vector<Limit>(static_cast<size_t>(count), limit), false,
            [what, write](ValueOps& ops, const Args&, const Args& v) {
                ops.Set({what, 0}, [&](SceneState& s) { write(s, v); });
            },
            [get](DspDevice& d, const Args&) { get(d); }, std::move(print)};
}

// One-byte flag or code per channel.
ValueDef ChannelByte(const char* name, const char* help, Limit limit, uint32_t code,
                     std::function<void(ValueOps&, int ch, int value)> set,
                     void (DspDevice::*getFn)(uint8_t, uint8_t, uint8_t, uint8_t)) {
    return {name, "CH", "VALUE", help, 1, 1, {limit}, false,
            [set](ValueOps& ops, const Args& i, const Args& v) { set(ops, I(i[0]), I(v[0])); },
            [getFn](DspDevice& d, const Args& i) { (d.*getFn)(kScene, 0, U8(I(i[0])), U8(I(i[0]))); },
            ChannelRecord<link::ChannelValue>(code, [](const link::ChannelValue& r) { return std::to_string(r.value); })};
}

// The model's value of each definition, formatted as its `print` formats the unit's reply.
void AddReaders(std::vector<ValueDef>& defs) {
    using Read = std::function<std::string(const SceneState&, const Args&)>;
    auto num = [](auto field) -> Read {
        return [field](const SceneState& s, const Args&) { return Fmt("%g", static_cast<double>(field(s))); };
    };
    auto ch = [](const Args& i) { return Ix(i[0]); };
    const std::vector<std::pair<const char*, Read>> readers = {
        {"main-volume", num([](const SceneState& s) { return s.mainVolume; })},
        {"mute", num([](const SceneState& s) { return s.mainMute; })},
        {"source", num([](const SceneState& s) { return s.source; })},
        {"amp", num([](const SceneState& s) { return s.ampOn; })},
        {"rem-out",
         [](const SceneState& s, const Args&) { return std::to_string(s.remOut1) + " " + std::to_string(s.remOut2); }},
        {"spk-ohm", num([](const SceneState& s) { return s.twoOhm; })},
        {"noise-gate", num([](const SceneState& s) { return s.noiseGate; })},
        {"acc", num([](const SceneState& s) { return s.acc; })},
        {"trim", [ch](const SceneState& s, const Args& i) { return Fmt("%.2f", double{s.channels[ch(i)].gain}); }},
        {"delay", [ch](const SceneState& s, const Args& i) { return Fmt("%.3f", double{s.channels[ch(i)].delay}); }},
        {"ch-mute", [ch](const SceneState& s, const Args& i) { return std::to_string(s.channels[ch(i)].mute); }},
        {"phase", [ch](const SceneState& s, const Args& i) { return std::to_string(s.channels[ch(i)].phase); }},
        {"solo", [ch](const SceneState& s, const Args& i) { return std::to_string(s.channels[ch(i)].solo); }},
        {"type", [ch](const SceneState& s, const Args& i) { return std::to_string(s.outputs[ch(i)]); }},
        {"eq-bypass", [ch](const SceneState& s, const Args& i) { return std::to_string(s.channels[ch(i)].bypass); }},
        {"filter",
         [ch](const SceneState& s, const Args& i) {
             const CrossoverFilter& f = i[1] == 0 ? s.channels[ch(i)].hp : s.channels[ch(i)].lp;
             return std::to_string(f.type) + " " + std::to_string(f.freq) + " " + std::to_string(f.slope);
         }},
        {"eq",
         [ch](const SceneState& s, const Args& i) {
             const EqBand& b = s.Bands(I(i[0]))[Ix(i[1])];
             return std::to_string(b.freq) + " " + Fmt("%.2f", double{b.q}) + " " + Fmt("%.1f", double{b.gain});
         }},
        {"mix", [](const SceneState& s, const Args& i) { return std::to_string(s.inputs[Ix(i[0])][Ix(i[1])]); }},
        {"bridge", [](const SceneState& s, const Args& i) { return std::to_string(s.bridge[Ix(i[0])]); }},
    };
    for (ValueDef& d : defs)
        for (const auto& [name, read] : readers)
            if (std::string(name) == d.name) d.read = read;
}

std::vector<ValueDef> Definitions() {
    using namespace link;
    namespace lim = dvdsp::limits;
    std::vector<ValueDef> defs;
    defs.push_back(Plain(
        "main-volume", "DB", "master volume, dB, -60 (off) to 6", 1, lim::kMainVolume, What::MainVolume,
        [](SceneState& s, const Args& v) { s.mainVolume = I(v[0]); }, [](DspDevice& d) { d.Get_Main_Volume(); },
        PlainValue(WM_READ_DSP_VALUE, DSP_VOLUME,
                   [](double w) { return static_cast<double>(units::MainVolumeFromWire(static_cast<int>(w))); })));
    defs.push_back(Plain("mute", "0|1", "master mute", 1, lim::kFlag, What::MainMute,
                         [](SceneState& s, const Args& v) { s.mainMute = I(v[0]); }, [](DspDevice& d) { d.Get_Mute(); },
                         PlainValue(WM_READ_DSP_VALUE, DSP_MUTE)));
    defs.push_back(Plain("source", "0-8", "input source index (the unit's codes 81-89)", 1, lim::kSource, What::Source,
                         [](SceneState& s, const Args& v) { s.source = I(v[0]); }, [](DspDevice& d) { d.Get_Source(); },
                         PlainValue(WM_READ_DSP_VALUE, DSP_SOURCE_SWITCH, [](double w) {
                             return w >= kFirstSourceCode && w < kFirstSourceCode + kSources ? w - kFirstSourceCode : 4;
                         })));
    defs.push_back(Plain("amp", "0|1", "amplifier on (1) or off (0)", 1, lim::kFlag, What::AmpOn,
                         [](SceneState& s, const Args& v) { s.ampOn = v[0] != 0 ? 1 : 0; },
                         [](DspDevice& d) { d.Get_Amp_Mute(); },
                         PlainValue(WM_READ_DSP_VALUE, DSP_AMP_MUTE, [](double w) { return w == 0 ? 1.0 : 0.0; })));
    defs.push_back(Plain("rem-out", "OUT1 OUT2", "remote outputs 1 and 2 on (1) or off (0)", 2, lim::kFlag,
                         What::RemoteOut,
                         [](SceneState& s, const Args& v) {
                             s.remOut1 = I(v[0]);
                             s.remOut2 = I(v[1]);
                         },
                         [](DspDevice& d) { d.Get_Rem_Out(); },
                         [](const Messages& ms, const Args&) -> std::optional<std::string> {
                             for (const Message& m : ms)
                                 if (const auto* r = m.As<RemOutValue>())
                                     return std::to_string(r->rem_out1) + " " + std::to_string(r->rem_out2);
                             return std::nullopt;
                         }));
    defs.push_back(Plain("spk-ohm", "CODE", "speaker impedance code (1 = 2-ohm speakers)", 1, lim::kSpeakerOhm,
                         What::SpeakerOhm, [](SceneState& s, const Args& v) { s.twoOhm = I(v[0]); },
                         [](DspDevice& d) { d.Get_Spk_Ohm(); }, PlainValue(WM_READ_DSP_VALUE, DSP_SPK_OHM)));
    defs.push_back(Plain("noise-gate", "0|1", "noise gate on/off", 1, lim::kFlag, What::NoiseGate,
                         [](SceneState& s, const Args& v) { s.noiseGate = I(v[0]); },
                         [](DspDevice& d) { d.Get_Noise_Gate(); }, PlainValue(WM_READ_DSP_VALUE, DSP_NOISE_GATE)));
    defs.push_back(Plain("acc", "VALUE", "ignition (ACC) delay value", 1, lim::kAcc, What::Acc,
                         [](SceneState& s, const Args& v) { s.acc = I(v[0]); }, [](DspDevice& d) { d.Get_Acc(); },
                         PlainValue(WM_READ_MCU_VALUE, MCU_ACC)));
    defs.push_back({"trim", "CH", "DB",
                    "channel trim, dB, -60 to 0 (hundredths kept); the stereo-link partner\n"
                    "takes the same change, a bridged neighbour the same trim",
                    1, 1, {lim::kTrim}, false,
                    [](ValueOps& ops, const Args& i, const Args& v) {
                        ops.ChangeTrim(I(i[0]), static_cast<int>(std::lround(v[0] * 100.0)), false, true);
                    },
                    [](DspDevice& d, const Args& i) { d.Get_Trim(kScene, 0, U8(I(i[0])), U8(I(i[0]))); },
                    ChannelRecord<ChannelFloat>(DSP_TRIM_CH, [](const ChannelFloat& r) {
                        return Fmt("%.2f", static_cast<double>(r.value));
                    })});
    defs.push_back({"delay", "CH", "MS",
                    "channel delay, ms, 0 to 15 (microseconds kept); the stereo-link partner\n"
                    "takes the same change",
                    1, 1, {lim::kDelayMs}, false,
                    [](ValueOps& ops, const Args& i, const Args& v) {
                        ops.ChangeDelay(I(i[0]), static_cast<float>(v[0]), kDelayMs);
                    },
                    [](DspDevice& d, const Args& i) { d.Get_Delay(kScene, 0, U8(I(i[0])), U8(I(i[0]))); },
                    ChannelRecord<ChannelFloat>(DSP_DELAY_CH, [](const ChannelFloat& r) {
                        return Fmt("%.3f", static_cast<double>(r.value));
                    })});
    defs.push_back(ChannelByte("ch-mute", "channel mute, 0|1; a bridged neighbour follows", lim::kFlag, DSP_MUTE_CH,
                               [](ValueOps& ops, int ch, int v) { ops.SetMute(ch, v != 0); }, &DspDevice::Get_Mute_Ch));
    defs.push_back(ChannelByte("phase", "channel phase reversed, 0|1; a bridged neighbour follows", lim::kFlag,
                               DSP_PHASE_CH, [](ValueOps& ops, int ch, int v) { ops.SetPhase(ch, v != 0); },
                               &DspDevice::Get_Phase));
    defs.push_back(ChannelByte("solo", "channel solo, 0|1", lim::kFlag, DSP_CH_SOLO,
                               [](ValueOps& ops, int ch, int v) {
                                   ops.Set({What::Solo, 0, ch}, [&](SceneState& s) { s.channels[Z(ch)].solo = v; });
                               },
                               &DspDevice::Get_Ch_Solo));
    defs.push_back(ChannelByte("type", "speaker role code of the channel, 0-24", lim::kRole, DSP_CH_TYPE,
                               [](ValueOps& ops, int ch, int v) {
                                   ops.Set({What::Role, 0, ch}, [&](SceneState& s) { s.outputs[Z(ch)] = v; });
                               },
                               &DspDevice::Get_CH_Type));
    defs.push_back(ChannelByte("eq-bypass", "channel EQ bypassed, 0|1", lim::kFlag, DSP_EQ_BYPASS,
                               [](ValueOps& ops, int ch, int v) { ops.ApplyBypass(ch, U8(v)); },
                               &DspDevice::Get_PEQ_Bypass));
    defs.push_back(
        {"filter", "CH hp|lp", "TYPE FREQ SLOPE",
         "crossover filter: TYPE 1 Butterworth, 2 Linkwitz-Riley, 3 Bessel;\n"
         "FREQ 20-20000 Hz; SLOPE = order 0 (off) to 8; the stereo-link partner or\n"
         "bridged neighbour takes the same filter. In the index, 0 = hp and 1 = lp\n"
         "may be given as numbers",
         2, 3, {lim::kFilterType, lim::kFilterFreq, lim::kFilterSlope}, false,
         [](ValueOps& ops, const Args& i, const Args& v) { ops.SetFilter(I(i[0]), I(i[1]), I(v[0]), I(v[1]), I(v[2])); },
         [](DspDevice& d, const Args& i) { d.Get_Filter(kScene, 0, U8(I(i[0])), U8(I(i[0]))); },
         [](const Messages& ms, const Args& i) -> std::optional<std::string> {
             for (const Message& m : ms)
                 if (const auto* r = m.As<FilterValue>(); r && r->ch == I(i[0])) {
                     const bool hp = i[1] == 0;
                     return std::to_string(hp ? r->hp_type : r->lp_type) + " " +
                            std::to_string(hp ? r->hp_freq : r->lp_freq) + " " +
                            std::to_string(hp ? r->hp_slope : r->lp_slope);
                 }
             return std::nullopt;
         }});
    defs.push_back(
        {"eq", "CH BAND", "FREQ Q GAIN",
         "EQ band 0-30: FREQ 20-20000 Hz, Q 0.5-9.0 (tenths), GAIN -18 to 12 dB (tenths);\n"
         "the stereo-link partner or bridged neighbour takes the same band, and the\n"
         "channel's EQ bypass follows its gains",
         2, 3, {lim::kBandFreq, lim::kBandQ, lim::kBandGain}, true,
         [](ValueOps& ops, const Args& i, const Args& v) {
             ops.SetBand(I(i[0]), I(i[1]), I(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
         },
         [](DspDevice& d, const Args& i) { d.Get_EQ(kScene, 0, U8(I(i[0])), U8(I(i[1])), U8(I(i[1]))); },
         [](const Messages& ms, const Args& i) -> std::optional<std::string> {
             for (const Message& m : ms)
                 if (const auto* r = m.As<EqBandValue>(); r && r->ch == I(i[0]) && r->band == I(i[1]))
                     return std::to_string(r->freq) + " " + Fmt("%.2f", static_cast<double>(r->q)) + " " +
                            Fmt("%.1f", static_cast<double>(r->gain));
             return std::nullopt;
         }});
    defs.push_back(
        {"mix", "SOURCE CH", "MASK", "inputs of the source mixed into output CH: bit k = input channel k", 2, 1,
         {lim::kRoutingMask}, false,
         [](ValueOps& ops, const Args& i, const Args& v) {
             Change c{What::Routing, 0, I(i[1])};
             c.source = I(i[0]);
             ops.Set(c, [&](SceneState& s) { s.inputs[Ix(i[0])][Ix(i[1])] = I(v[0]); });
         },
         [](DspDevice& d, const Args& i) { d.Get_Mix_Ch(kScene, U8(I(i[0])), U8(I(i[1])), U8(I(i[1]))); },
         [](const Messages& ms, const Args& i) -> std::optional<std::string> {
             for (const Message& m : ms)
                 if (const auto* r = m.As<MixValue>(); r && r->ch == I(i[1])) return std::to_string(r->mask);
             return std::nullopt;
         }});
    defs.push_back({"bridge", "PAIR", "0|1", "output pair 0-4 (channels 2p, 2p+1) bridged", 1, 1, {lim::kFlag}, false,
                    // One command carries every pair: the others go as the unit holds them.
                    [](ValueOps& ops, const Args& i, const Args& v) {
                        ops.Set({What::Bridge, 0}, [&](SceneState& s) { s.bridge[Ix(i[0])] = I(v[0]); });
                    },
                    [](DspDevice& d, const Args&) { d.Get_Ouput_Bridge(kScene, 0, kBridgePairs); },
                    [](const Messages& ms, const Args& i) -> std::optional<std::string> {
                        for (const Message& m : ms)
                            if (const auto* r = m.As<BridgeValue>(); r && i[0] < r->count)
                                return std::to_string(r->bridge[Ix(i[0])]);
                        return std::nullopt;
                    }});
    AddReaders(defs);
    return defs;
}

}  // namespace

const std::vector<ValueDef>& ValueDefs() {
    static const std::vector<ValueDef> defs = Definitions();
    return defs;
}

std::string ValueArgsProblem(const ValueDef& def, const Args& idx, const Args& val, bool forSet) {
    const std::string name = def.name;
    if (static_cast<int>(idx.size()) != def.indexCount)
        return name + " takes " + std::to_string(def.indexCount) + " indexes (" + def.indexes + ")";
    if (static_cast<int>(val.size()) != (forSet ? def.valueCount : 0))
        return name + " takes " + std::to_string(def.valueCount) + " values (" + def.values + ")";
    std::vector<std::string> words;
    for (const char* p = def.indexes; *p;) {
        const char* end = p;
        while (*end && *end != ' ') ++end;
        if (end != p) words.emplace_back(p, end);
        p = *end ? end + 1 : end;
    }
    for (size_t k = 0; k < idx.size() && k < words.size(); ++k) {
        const std::string& w = words[k];
        const double max = w == "CH" ? kChannels - 1 : w == "BAND" ? kBandsPerChannel - 1 : w == "SOURCE" ? kSources - 1
                           : w == "PAIR" ? kBridgePairs - 1 : w == "hp|lp" ? 1 : 255;
        if (!(idx[k] >= 0 && idx[k] <= max) || std::floor(idx[k]) != idx[k])
            return name + ": " + w + " " + Fmt("%g", idx[k]) + " is out of range";
    }
    for (size_t k = 0; k < val.size() && k < def.limits.size(); ++k) {
        const Limit& limit = def.limits[k];
        if (!limit.Accepts(val[k]))
            return name + ": " + Fmt("%g", val[k]) + " is outside " + Fmt("%g", limit.min) + " to " + Fmt("%g", limit.max);
        if (limit.scale == 1 && std::floor(val[k]) != val[k])
            return name + ": " + Fmt("%g", val[k]) + " is not a whole number";
    }
    return {};
}

const ValueDef* FindValueDef(const std::string& name) {
    for (const ValueDef& d : ValueDefs())
        if (name == d.name) return &d;
    return nullptr;
}

}  // namespace dvdsp::core
