// get and set: the values of the main page and of the output channels, in user units.
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "base/limits.h"
#include "cli/cli.h"
#include "cli/cmd_model.h"
#include "core/channel_format.h"
#include "core/model_editor.h"
#include "core/outgoing.h"
#include "core/value_ops.h"
#include "link/commands.h"
#include "link/protocol/units.h"

namespace dvdsp::cli {

namespace {

using link::DspDevice;
using link::Message;
using Args = std::vector<double>;
using Messages = std::vector<Message>;

constexpr uint8_t kScene = 0;

struct ValueDef {
    const char* name;
    const char* indexes;  // synopsis of the index arguments
    const char* values;   // synopsis of the values
    const char* help;     // unit and range
    int indexCount;
    int valueCount;
    std::function<void(DspDevice&, const Args& idx, const Args& val)> set;
    std::function<void(DspDevice&, const Args& idx)> get;
    // Formats the decoded reply for the index, or nothing when it did not come.
    std::function<std::optional<std::string>(const Messages&, const Args& idx)> print;
    // Limits of each value; values outside are refused before anything is sent.
    std::vector<Limit> limits = {};
    // For values whose command needs what the unit holds now: kOk or the exit code.
    std::function<int(Session&, const Args& idx, const Args& val)> setWithSession = nullptr;
};

// A channel value set as the window sets it: the unit's live settings are read (its bands
// only when `bands`), the value operation applies the followers of what the unit holds (the
// stereo-link partner, the bridged neighbour; link groups belong to a window's session),
// and each change goes to the unit at once, as the model then holds it.
int SetAsTheWindowDoes(Session& s, bool bands, const std::function<void(core::ValueOps&)>& op) {
    int r = s.Open();
    if (r != kOk) return r;
    s.Sink().Take();
    core::ReadOutPlan plan;
    if (!bands) plan.eqSize.fill(0);
    std::string why;
    if (core::ReadOutUnitStatus(s.Device(), plan, &why) != core::kReadOutDone) {
        std::fprintf(stderr, "the unit's settings could not all be read (%s)\n", why.c_str());
        return kUnitError;
    }
    core::UnitModel model;
    ApplyPosted(s, model);
    core::ModelEditor editor(model);
    core::ValueOps ops(editor, [&](const core::Change& change) {
        for (link::protocol::Frame& f : core::FramesOf(change, editor.Live(), s.Device().Profile()))
            s.Device().Send(std::move(f), true);
    });
    op(ops);
    s.Sink().Take();
    return kOk;
}

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

uint8_t U8(double v) {
    return static_cast<uint8_t>(static_cast<long>(v) & 0xFF);
}

// One-byte flag per channel: set and get through ranged commands over one channel.
ValueDef ChannelFlag(const char* name, const char* help, uint32_t code,
                     void (DspDevice::*setFn)(uint8_t, uint8_t, uint8_t, uint8_t,
                                              const std::vector<uint8_t>&, bool),
                     void (DspDevice::*getFn)(uint8_t, uint8_t, uint8_t, uint8_t)) {
    return {name,
            "CH",
            "VALUE",
            help,
            1,
            1,
            [=](DspDevice& d, const Args& i, const Args& v) {
                (d.*setFn)(kScene, 0, U8(i[0]), U8(i[0]), {U8(v[0])}, true);
            },
            [=](DspDevice& d, const Args& i) { (d.*getFn)(kScene, 0, U8(i[0]), U8(i[0])); },
            ChannelRecord<link::ChannelValue>(
                code, [](const link::ChannelValue& r) { return std::to_string(r.value); })};
}

std::vector<ValueDef> Definitions() {
    using namespace link;
    std::vector<ValueDef> defs;
    defs.push_back({"main-volume", "", "DB", "master volume, dB, -60 (off) to 6", 0, 1,
                    [](DspDevice& d, const Args&, const Args& v) {
                        d.Main_Volume_Ctrl(static_cast<float>(std::round(v[0])), true);
                    },
                    [](DspDevice& d, const Args&) { d.Get_Main_Volume(); },
                    PlainValue(WM_READ_DSP_VALUE, DSP_VOLUME, [](double w) { return static_cast<double>(units::MainVolumeFromWire(static_cast<int>(w))); })});
    defs.push_back({"mute", "", "0|1", "master mute", 0, 1,
                    [](DspDevice& d, const Args&, const Args& v) { d.Mute_Ctrl(U8(v[0]), true); },
                    [](DspDevice& d, const Args&) { d.Get_Mute(); },
                    PlainValue(WM_READ_DSP_VALUE, DSP_MUTE)});
    defs.push_back({"source", "", "0-8", "input source index (the unit's codes 81-89)", 0, 1,
                    [](DspDevice& d, const Args&, const Args& v) {
                        d.Source_Switch_Ctrl(U8(81 + v[0]), true);
                    },
                    [](DspDevice& d, const Args&) { d.Get_Source(); },
                    PlainValue(WM_READ_DSP_VALUE, DSP_SOURCE_SWITCH,
                               [](double w) { return w >= 81 && w <= 89 ? w - 81 : 4; })});
    defs.push_back(
        {"amp", "", "0|1", "amplifier on (1) or off (0)", 0, 1,
         [](DspDevice& d, const Args&, const Args& v) {
             d.Amp_Mute_Ctrl(U8(v[0] != 0 ? 0 : 1), true);
         },
         [](DspDevice& d, const Args&) { d.Get_Amp_Mute(); },
         PlainValue(WM_READ_DSP_VALUE, DSP_AMP_MUTE, [](double w) { return w == 0 ? 1.0 : 0.0; })});
    defs.push_back(
        {"rem-out", "", "OUT1 OUT2", "remote outputs 1 and 2 on (1) or off (0)", 0, 2,
         [](DspDevice& d, const Args&, const Args& v) { d.Rem_Out_Ctrl(U8(v[0]), U8(v[1]), true); },
         [](DspDevice& d, const Args&) { d.Get_Rem_Out(); },
         [](const Messages& ms, const Args&) -> std::optional<std::string> {
             for (const Message& m : ms)
                 if (const auto* r = m.As<RemOutValue>())
                     return std::to_string(r->rem_out1) + " " + std::to_string(r->rem_out2);
             return std::nullopt;
         }});
    defs.push_back(
        {"spk-ohm", "", "CODE", "speaker impedance code (1 = 2-ohm speakers)", 0, 1,
         [](DspDevice& d, const Args&, const Args& v) { d.Spk_Ohm_Ctrl(U8(v[0]), true); },
         [](DspDevice& d, const Args&) { d.Get_Spk_Ohm(); },
         PlainValue(WM_READ_DSP_VALUE, DSP_SPK_OHM)});
    defs.push_back(
        {"noise-gate", "", "0|1", "noise gate on/off", 0, 1,
         [](DspDevice& d, const Args&, const Args& v) { d.Noise_Gate_Ctrl(U8(v[0]), true); },
         [](DspDevice& d, const Args&) { d.Get_Noise_Gate(); },
         PlainValue(WM_READ_DSP_VALUE, DSP_NOISE_GATE)});
    defs.push_back({"acc", "", "VALUE", "ignition (ACC) delay value", 0, 1,
                    [](DspDevice& d, const Args&, const Args& v) { d.Set_Acc(U8(v[0]), true); },
                    [](DspDevice& d, const Args&) { d.Get_Acc(); },
                    PlainValue(WM_READ_MCU_VALUE, MCU_ACC)});
    defs.push_back({"trim", "CH", "DB",
                    "channel trim, dB, -60 to 0 (hundredths kept); the stereo-link partner\n"
                    "takes the same change, a bridged neighbour the same trim",
                    1, 1, nullptr,
                    [](DspDevice& d, const Args& i) { d.Get_Trim(kScene, 0, U8(i[0]), U8(i[0])); },
                    ChannelRecord<ChannelFloat>(DSP_TRIM_CH, [](const ChannelFloat& r) {
                        return Fmt("%.2f", static_cast<double>(r.value));
                    })});
    defs.push_back({"delay", "CH", "MS",
                    "channel delay, ms, 0 to 15 (microseconds kept); the stereo-link partner\n"
                    "takes the same change",
                    1, 1, nullptr,
                    [](DspDevice& d, const Args& i) { d.Get_Delay(kScene, 0, U8(i[0]), U8(i[0])); },
                    ChannelRecord<ChannelFloat>(DSP_DELAY_CH, [](const ChannelFloat& r) {
                        return Fmt("%.3f", static_cast<double>(r.value));
                    })});
    defs.push_back(ChannelFlag("ch-mute", "channel mute, 0|1; a bridged neighbour follows", DSP_MUTE_CH,
                               &DspDevice::Mute_Ch_Ctrl, &DspDevice::Get_Mute_Ch));
    defs.back().setWithSession = [](Session& s, const Args& i, const Args& v) {
        return SetAsTheWindowDoes(s, false, [&](core::ValueOps& ops) { ops.SetMute(static_cast<int>(i[0]), v[0] != 0); });
    };
    defs.push_back(ChannelFlag("phase", "channel phase reversed, 0|1; a bridged neighbour follows", DSP_PHASE_CH,
                               &DspDevice::Phase_Ctrl, &DspDevice::Get_Phase));
    defs.back().setWithSession = [](Session& s, const Args& i, const Args& v) {
        return SetAsTheWindowDoes(s, false, [&](core::ValueOps& ops) { ops.SetPhase(static_cast<int>(i[0]), v[0] != 0); });
    };
    defs.push_back(ChannelFlag("solo", "channel solo, 0|1", DSP_CH_SOLO, &DspDevice::Solo_Ctrl,
                               &DspDevice::Get_Ch_Solo));
    defs.push_back(ChannelFlag("type", "speaker role code of the channel, 0-24", DSP_CH_TYPE,
                               &DspDevice::CH_Type_Ctrl, &DspDevice::Get_CH_Type));
    defs.push_back(ChannelFlag("eq-bypass", "channel EQ bypassed, 0|1", DSP_EQ_BYPASS,
                               &DspDevice::PEQ_Bypass_Ctrl, &DspDevice::Get_PEQ_Bypass));
    defs.push_back(
        {"filter", "CH hp|lp", "TYPE FREQ SLOPE",
         "crossover filter: TYPE 1 Butterworth, 2 Linkwitz-Riley, 3 Bessel;\n"
         "FREQ 20-20000 Hz; SLOPE = order 0 (off) to 8.\n"
         "In the index, 0 = hp and 1 = lp may be given as numbers",
         2, 3,
         [](DspDevice& d, const Args& i, const Args& v) {
             uint8_t which = i[1] == 0 ? 2 : 1;  // filter 2 high-pass, 1 low-pass
             d.Filter_Ctrl(kScene, 0, U8(i[0]), which, U8(v[0]), static_cast<uint16_t>(v[1]),
                           U8(v[2]), true);
         },
         [](DspDevice& d, const Args& i) { d.Get_Filter(kScene, 0, U8(i[0]), U8(i[0])); },
         [](const Messages& ms, const Args& i) -> std::optional<std::string> {
             for (const Message& m : ms)
                 if (const auto* r = m.As<FilterValue>(); r && r->ch == static_cast<int>(i[0])) {
                     bool hp = i[1] == 0;
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
         2, 3, nullptr,
         [](DspDevice& d, const Args& i) { d.Get_EQ(kScene, 0, U8(i[0]), U8(i[1]), U8(i[1])); },
         [](const Messages& ms, const Args& i) -> std::optional<std::string> {
             for (const Message& m : ms)
                 if (const auto* r = m.As<EqBandValue>();
                     r && r->ch == static_cast<int>(i[0]) && r->band == static_cast<int>(i[1]))
                     return std::to_string(r->freq) + " " + Fmt("%.2f", static_cast<double>(r->q)) +
                            " " + Fmt("%.1f", static_cast<double>(r->gain));
             return std::nullopt;
         }});
    defs.push_back(
        {"mix", "SOURCE CH", "MASK",
         "inputs of the source mixed into output CH: bit k = input channel k", 2, 1,
         [](DspDevice& d, const Args& i, const Args& v) {
             d.Mix_Ch_Ctrl(kScene, U8(i[0]), U8(i[1]), U8(i[1]), {static_cast<uint16_t>(v[0])},
                           true);
         },
         [](DspDevice& d, const Args& i) { d.Get_Mix_Ch(kScene, U8(i[0]), U8(i[1]), U8(i[1])); },
         [](const Messages& ms, const Args& i) -> std::optional<std::string> {
             for (const Message& m : ms)
                 if (const auto* r = m.As<MixValue>(); r && r->ch == static_cast<int>(i[1]))
                     return std::to_string(r->mask);
             return std::nullopt;
         }});
    for (ValueDef& d : defs) {
        const std::string name = d.name;
        if (name == "trim")
            d.setWithSession = [](Session& s, const Args& i, const Args& v) {
                const int hundredths = static_cast<int>(std::lround(v[0] * 100.0));
                return SetAsTheWindowDoes(s, false, [&](core::ValueOps& ops) {
                    ops.ChangeTrim(static_cast<int>(i[0]), hundredths, false, true);
                });
            };
        if (name == "delay")
            d.setWithSession = [](Session& s, const Args& i, const Args& v) {
                return SetAsTheWindowDoes(s, false, [&](core::ValueOps& ops) {
                    ops.ChangeDelay(static_cast<int>(i[0]), static_cast<float>(v[0]), core::kDelayMs);
                });
            };
        if (name == "eq")
            d.setWithSession = [](Session& s, const Args& i, const Args& v) {
                return SetAsTheWindowDoes(s, true, [&](core::ValueOps& ops) {
                    ops.SetBand(static_cast<int>(i[0]), static_cast<int>(i[1]), static_cast<int>(std::lround(v[0])),
                                static_cast<float>(v[1]), static_cast<float>(v[2]));
                });
            };
    }
    ValueDef bridge{"bridge",
                    "PAIR",
                    "0|1",
                    "output pair 0-4 (channels 2p, 2p+1) bridged",
                    1,
                    1,
                    nullptr,
                    [](DspDevice& d, const Args&) { d.Get_Ouput_Bridge(kScene, 0, 5); },
                    [](const Messages& ms, const Args& i) -> std::optional<std::string> {
                        for (const Message& m : ms)
                            if (const auto* r = m.As<BridgeValue>(); r && i[0] < r->count)
                                return std::to_string(r->bridge[static_cast<size_t>(i[0])]);
                        return std::nullopt;
                    },
                    {limits::kFlag}};
    bridge.setWithSession = [](Session& s, const Args& i, const Args& v) {
        // The command carries every pair: read them, change one, send them all.
        std::vector<uint8_t> pairs(5, 0);
        s.Sink().Take();
        s.Device().Get_Ouput_Bridge(kScene, 0, 5);
        for (const Message& m : s.Sink().Take())
            if (const auto* r = m.As<BridgeValue>())
                for (size_t k = 0; k < pairs.size() && k < r->count; ++k) pairs[k] = r->bridge[k];
        pairs[static_cast<size_t>(i[0])] = U8(v[0]);
        s.Device().Output_Bridge_Ctrl(kScene, 0, pairs, true);
        return kOk;
    };
    defs.push_back(std::move(bridge));

    namespace lim = dvdsp::limits;
    const std::pair<const char*, std::vector<Limit>> limits[] = {
        {"main-volume", {lim::kMainVolume}},
        {"mute", {lim::kFlag}},
        {"source", {lim::kSource}},
        {"amp", {lim::kFlag}},
        {"rem-out", {lim::kFlag, lim::kFlag}},
        {"spk-ohm", {lim::kSpeakerOhm}},
        {"noise-gate", {lim::kFlag}},
        {"acc", {lim::kAcc}},
        {"trim", {lim::kTrim}},
        {"delay", {lim::kDelayMs}},
        {"ch-mute", {lim::kFlag}},
        {"phase", {lim::kFlag}},
        {"solo", {lim::kFlag}},
        {"type", {lim::kRole}},
        {"eq-bypass", {lim::kFlag}},
        {"filter", {lim::kFilterType, lim::kFilterFreq, lim::kFilterSlope}},
        {"eq", {lim::kBandFreq, lim::kBandQ, lim::kBandGain}},
        {"mix", {lim::kRoutingMask}},
    };
    for (const auto& [name, range] : limits)
        for (ValueDef& d : defs)
            if (std::string(d.name) == name) d.limits = range;
    return defs;
}

const std::vector<ValueDef>& Values() {
    static const std::vector<ValueDef> defs = Definitions();
    return defs;
}

const ValueDef* Find(const std::string& name) {
    for (const ValueDef& d : Values())
        if (name == d.name) return &d;
    std::fprintf(stderr, "unknown value '%s' (see dvdsp-cli --help)\n", name.c_str());
    return nullptr;
}

std::vector<std::string> SynopsisWords(const char* synopsis) {
    std::vector<std::string> w;
    std::string cur;
    for (const char* p = synopsis; *p; ++p) {
        if (*p == ' ') {
            if (!cur.empty()) w.push_back(cur);
            cur.clear();
        } else {
            cur += *p;
        }
    }
    if (!cur.empty()) w.push_back(cur);
    return w;
}

bool ParseIndexes(const ValueDef& def, const std::vector<std::string>& args, Args& idx) {
    auto words = SynopsisWords(def.indexes);
    for (int k = 0; k < def.indexCount; ++k) {
        const std::string& word = words[static_cast<size_t>(k)];
        const std::string& text = args[static_cast<size_t>(1 + k)];
        double v;
        if (!ParseIndex(word, text, v)) {
            long number;
            double any;
            const char* why = word == "hp|lp"              ? "is not hp or lp"
                              : ParseInt(text, number)   ? "is out of range"
                              : ParseDouble(text, any)   ? "is not a whole number"
                                                         : "is not a number";
            std::fprintf(stderr, "%s: %s '%s' %s\n", def.name, word.c_str(), text.c_str(), why);
            return false;
        }
        idx.push_back(v);
    }
    return true;
}

// get NAME [INDEX...]: the value and its indexes, or null after saying what is wrong.
const ValueDef* ParseGet(const std::vector<std::string>& args, Args& idx) {
    if (args.empty()) return nullptr;
    const ValueDef* def = Find(args[0]);
    if (!def || static_cast<int>(args.size()) != 1 + def->indexCount) return nullptr;
    return ParseIndexes(*def, args, idx) ? def : nullptr;
}

// set NAME [INDEX...] VALUE...: checked against the value's limits before anything is sent.
const ValueDef* ParseSet(const std::vector<std::string>& args, Args& idx, Args& val) {
    if (args.empty()) return nullptr;
    const ValueDef* def = Find(args[0]);
    if (!def || static_cast<int>(args.size()) != 1 + def->indexCount + def->valueCount) return nullptr;
    if (!ParseIndexes(*def, args, idx)) return nullptr;
    for (int k = 0; k < def->valueCount; ++k) {
        const std::string& text = args[static_cast<size_t>(1 + def->indexCount + k)];
        double v;
        if (!ParseDouble(text, v)) {
            std::fprintf(stderr, "%s: '%s' is not a number\n", def->name, text.c_str());
            return nullptr;
        }
        if (k < static_cast<int>(def->limits.size())) {
            const Limit& limit = def->limits[static_cast<size_t>(k)];
            if (!limit.Accepts(v)) {
                std::fprintf(stderr, "%s: %g is outside %g to %g\n", def->name, v, limit.min,
                             limit.max);
                return nullptr;
            }
            // A value whose slider counts it in ones is a whole number on the unit: a
            // fraction would be cut without a word.
            if (limit.scale == 1 && std::floor(v) != v) {
                std::fprintf(stderr, "%s: '%s' is not a whole number\n", def->name, text.c_str());
                return nullptr;
            }
        }
        val.push_back(v);
    }
    return def;
}

int CheckGet(const std::vector<std::string>& args) {
    Args idx;
    return ParseGet(args, idx) ? kOk : kUsage;
}

int CheckSet(const std::vector<std::string>& args) {
    Args idx, val;
    return ParseSet(args, idx, val) ? kOk : kUsage;
}

int Get(Session& s, const std::vector<std::string>& args) {
    Args idx;
    const ValueDef* def = ParseGet(args, idx);
    if (!def) return kUsage;
    int r = s.Open();
    if (r != kOk) return r;
    s.Sink().Take();
    def->get(s.Device(), idx);
    auto text = def->print(s.Sink().Take(), idx);
    if (!text) {
        std::fprintf(stderr, "the unit did not report %s\n", def->name);
        return kUnitError;
    }
    std::printf("%s\n", text->c_str());
    return kOk;
}

int Set(Session& s, const std::vector<std::string>& args) {
    Args idx, val;
    const ValueDef* def = ParseSet(args, idx, val);
    if (!def) return kUsage;
    int r = s.Open();
    if (r != kOk) return r;
    if (def->setWithSession) return def->setWithSession(s, idx, val);
    def->set(s.Device(), idx, val);
    s.Sink().Take();
    return kOk;
}

std::string ValueHelp(bool forSet) {
    std::string h;
    for (const ValueDef& d : Values()) {
        h += std::string("\n  ") + d.name;
        if (*d.indexes) h += std::string(" ") + d.indexes;
        if (forSet) h += std::string(" ") + d.values;
        std::string help = d.help;
        for (size_t pos = 0; (pos = help.find('\n', pos)) != std::string::npos; pos += 5)
            help.replace(pos, 1, "\n    ");
        h += std::string("\n    ") + help;
    }
    return h;
}

// get and set complete the value's name, then the named words of its indexes (hp|lp).
std::vector<std::string> CompleteValue(const std::vector<std::string>& typed) {
    std::vector<std::string> out;
    if (typed.empty()) {
        for (const ValueDef& d : Values()) out.push_back(d.name);
        return out;
    }
    for (const ValueDef& d : Values()) {
        if (typed[0] != d.name) continue;
        const auto words = SynopsisWords(d.indexes);
        const size_t k = typed.size() - 1;
        if (k < words.size() && words[k].find('|') != std::string::npos) {
            const std::string& w = words[k];
            for (size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 1) {
                bar = w.find('|', start);
                out.push_back(w.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
            }
        }
    }
    return out;
}

void RegisterValueCommands() {
    Register({"get", "NAME [INDEX...]",
              "Read one value from the unit and print it. Channels CH are 0-9, BAND 0-30,\n"
              "SOURCE 0-8, PAIR 0-4. NAME is one of:" +
                  ValueHelp(false),
              Get, CheckGet, CompleteValue});
    Register({"set", "NAME [INDEX...] VALUE...",
              "Change one value on the unit (same names as get; values in the units below):" +
                  ValueHelp(true),
              Set, CheckSet, CompleteValue});
}

const Registrar registrar(RegisterValueCommands);

}  // namespace
}  // namespace dvdsp::cli
