#include "core/profile_diff.h"

#include <charconv>

namespace dvdsp::core {

namespace {

std::string Text(int32_t v) { return std::to_string(v); }
std::string Text(uint8_t v) { return std::to_string(v); }
std::string Text(float v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);  // shortest form, always a '.'
    return std::string(buf, r.ptr);
}

struct Differ {
    std::vector<std::string>& out;
    std::string prefix;

    template <typename T>
    void Value(const std::string& where, const std::string& what, const T& a, const T& b) {
        if (!(a == b)) out.push_back(prefix + where + " " + what + " " + Text(a) + " " + Text(b));
    }
    template <typename T, size_t N>
    void PerChannel(const std::string& what, const std::array<T, N>& a, const std::array<T, N>& b) {
        for (size_t i = 0; i < N; ++i) Value("CH" + std::to_string(i + 1), what, a[i], b[i]);
    }
};

std::string Idx(const char* name, size_t i) { return std::string(name) + "[" + std::to_string(i) + "]"; }

void Filter(Differ& d, const std::string& ch, const char* name, const CrossoverFilter& a,
            const CrossoverFilter& b) {
    const std::string n = name;
    d.Value(ch, n + ".freq", a.freq, b.freq);
    d.Value(ch, n + ".type", a.type, b.type);
    d.Value(ch, n + ".slope", a.slope, b.slope);
    d.Value(ch, n + ".bypass", a.bypass, b.bypass);
}

}  // namespace

std::vector<std::string> DiffScenes(const SceneState& a, const SceneState& b, const std::string& prefix) {
    std::vector<std::string> out;
    Differ d{out, prefix};
    d.Value("unit", "mainVolume", a.mainVolume, b.mainVolume);
    d.Value("unit", "acc", a.acc, b.acc);
    d.Value("unit", "subVolume", a.subVolume, b.subVolume);
    d.Value("unit", "mainVolumeMute", a.mainMute, b.mainMute);
    for (int ch = 0; ch < kChannels; ++ch) {
        const auto c = static_cast<size_t>(ch);
        const ChannelSettings& x = a.channels[c];
        const ChannelSettings& y = b.channels[c];
        const std::string w = "CH" + std::to_string(ch + 1);
        d.Value(w, "eqSize", x.eqSize, y.eqSize);
        d.Value(w, "trim", x.gain, y.gain);
        d.Value(w, "mute", x.mute, y.mute);
        d.Value(w, "delay", x.delay, y.delay);
        d.Value(w, "solo", x.solo, y.solo);
        d.Value(w, "phase", x.phase, y.phase);
        d.Value(w, "bypass", x.bypass, y.bypass);
        d.Value(w, "bpType", x.bpType, y.bpType);
        Filter(d, w, "hp", x.hp, y.hp);
        Filter(d, w, "lp", x.lp, y.lp);
        const int bands = std::max(x.eqSize, y.eqSize);
        for (int i = 0; i < bands && i < kBandsPerChannel; ++i) {
            const EqBand& p = a.Bands(ch)[i];
            const EqBand& q = b.Bands(ch)[i];
            const std::string band = Idx("band", static_cast<size_t>(i));
            d.Value(w, band + ".freq", p.freq, q.freq);
            d.Value(w, band + ".q", p.q, q.q);
            d.Value(w, band + ".gain", p.gain, q.gain);
            d.Value(w, band + ".enable", p.enable, q.enable);
        }
        d.Value(w, "role", a.outputs[c], b.outputs[c]);
        d.Value(w, "savedRole", a.outputsBk[c], b.outputsBk[c]);
        d.Value(w, "linkPartner", a.linkOutputs[c], b.linkOutputs[c]);
        d.Value(w, "linkGroup", a.linkSel[c], b.linkSel[c]);
        d.Value(w, "delayLinkGroup", a.delayLinkSel[c], b.delayLinkSel[c]);
        d.Value(w, "curveShown", a.showOutChEqualizer[c], b.showOutChEqualizer[c]);
        for (size_t s = 0; s < kSources; ++s) {
            d.Value(w, Idx("routing.source", s), a.inputs[s][c], b.inputs[s][c]);
            for (size_t in = 0; in < kInputsPerSource; ++in)
                d.Value(w, Idx("mixTrim.source", s) + Idx(".input", in), a.inputMixVolume[s][in][c],
                        b.inputMixVolume[s][in][c]);
        }
    }
    for (size_t s = 0; s < kSources; ++s)
        for (size_t in = 0; in < kInputsPerSource; ++in) {
            const std::string k = Idx("source", s) + Idx(".input", in);
            d.Value("unit", k + ".mixPhase", a.inMixPhase[s][in], b.inMixPhase[s][in]);
            d.Value("unit", k + ".csmSource", a.csmViceSource[s][in], b.csmViceSource[s][in]);
            d.Value("unit", k + ".csmChannel", a.csmViceCh[s][in], b.csmViceCh[s][in]);
            d.Value("unit", k + ".csmGain", a.csmViceGain[s][in], b.csmViceGain[s][in]);
        }
    for (size_t p = 0; p < kBridgePairs; ++p) d.Value("unit", Idx("bridge", p), a.bridge[p], b.bridge[p]);
    d.Value("unit", "currOutChannel", a.currOutChannel, b.currOutChannel);
    d.Value("unit", "linkMode", a.linkMode, b.linkMode);
    d.Value("unit", "lockMode", a.lockMode, b.lockMode);
    return out;
}

std::vector<std::string> DiffUnits(const UnitModel& a, const UnitModel& b) {
    std::vector<std::string> out = DiffScenes(a.current, b.current);
    for (int n = 1; n <= kStoredScenes; ++n) {
        const auto i = static_cast<size_t>(n - 1);
        const std::string prefix = "scene " + std::to_string(n) + " ";
        if (a.names[i] != b.names[i])
            out.push_back(prefix + "unit name \"" + SceneNameToUtf8(a.names[i]) + "\" \"" +
                          SceneNameToUtf8(b.names[i]) + "\"");
        for (std::string& line : DiffScenes(a.scenes[i], b.scenes[i], prefix)) out.push_back(std::move(line));
    }
    return out;
}

}  // namespace dvdsp::core
