#include "core/transfer.h"

#include <algorithm>

#include "base/limits.h"
#include "base/log.h"
#include "core/part_helpers.h"

namespace dvdsp::core {

namespace {

constexpr uint8_t kLowPass = 1;
constexpr uint8_t kHighPass = 2;
constexpr uint8_t kLast = kChannels - 1;
constexpr uint32_t kScenePrepareMs = 1000;


// Counts commands for the progress callback.
struct Counter {
    const TransferProgress& progress;
    int total;
    int done = 0;
    void Step() {
        ++done;
        if (progress) progress(done, total);
    }
};

// What SendRest sends: the routing of the other sources, the cross-source feeds, the
// bridge pairs, lock and link.
int RestCount() {
    int n = kSources - 1 + 3;
    for (int src = 0; src < kSources; ++src) n += kInputChannelsPerSource[static_cast<size_t>(src)];
    return n;
}

int BodyCount(const SceneState& s) {
    int n = 0;
    for (const ChannelSettings& c : s.channels) n += 2 + std::clamp(c.eqSize, 0, kBandsPerChannel);
    n += 1 + 6 + 1;
    for (int src = 0; src < kSources; ++src) n += kInputChannelsPerSource[static_cast<size_t>(src)];
    return n + RestCount();
}

template <typename T, typename F>
std::vector<T> PerChannel(F f) {
    std::vector<T> v;
    for (int ch = 0; ch < kChannels; ++ch) v.push_back(f(ch));
    return v;
}

// Filters, bands, roles, channel values, routing and mix trims of `s` for scene `scene`.
void SendSceneBody(link::DspDevice& dev, const SceneState& s, int source, uint8_t scene,
                   Counter& count) {
    for (int ch = 0; ch < kChannels; ++ch) {
        const ChannelSettings& c = s.channels[static_cast<size_t>(ch)];
        const auto freq = [](int f) { return static_cast<uint16_t>(limits::kFilterFreq.Clamp(f)); };
        dev.Filter_Ctrl(scene, 0, U8(ch), kLowPass, U8(c.lp.type), freq(c.lp.freq), U8(c.lp.slope), true);
        count.Step();
        dev.Filter_Ctrl(scene, 0, U8(ch), kHighPass, U8(c.hp.type), freq(c.hp.freq), U8(c.hp.slope), true);
        count.Step();
        const int bands = std::clamp(c.eqSize, 0, kBandsPerChannel);
        for (int b = 0; b < bands; ++b) {
            const EqBand& band = s.Bands(ch)[b];
            dev.EQ_Ctrl(scene, 0, U8(ch), U8(b), static_cast<uint16_t>(limits::kBandFreq.Clamp(band.freq)),
                        static_cast<float>(limits::kBandQ.Clamp(band.q)),
                        static_cast<float>(limits::kBandGain.Clamp(band.gain)), true);
            count.Step();
        }
    }
    const auto& chs = s.channels;
    dev.CH_Type_Ctrl(scene, 0, 0, kLast, PerChannel<uint8_t>([&](int ch) { return U8(s.outputs[static_cast<size_t>(ch)]); }), true);
    count.Step();
    dev.Trim_Ctrl(scene, 0, 0, kLast, PerChannel<float>([&](int ch) { return chs[static_cast<size_t>(ch)].gain; }), true);
    count.Step();
    dev.Mute_Ch_Ctrl(scene, 0, 0, kLast, PerChannel<uint8_t>([&](int ch) { return U8(chs[static_cast<size_t>(ch)].mute); }), true);
    count.Step();
    dev.Phase_Ctrl(scene, 0, 0, kLast, PerChannel<uint8_t>([&](int ch) { return U8(chs[static_cast<size_t>(ch)].phase); }), true);
    count.Step();
    dev.Solo_Ctrl(scene, 0, 0, kLast, PerChannel<uint8_t>([&](int ch) { return U8(chs[static_cast<size_t>(ch)].solo); }), true);
    count.Step();
    dev.Delay_Ctrl(scene, 0, 0, kLast, PerChannel<float>([&](int ch) { return chs[static_cast<size_t>(ch)].delay; }), true);
    count.Step();
    dev.PEQ_Bypass_Ctrl(scene, 0, 0, kLast, PerChannel<uint8_t>([&](int ch) { return chs[static_cast<size_t>(ch)].bypass; }), true);
    count.Step();

    const auto src = static_cast<size_t>(std::clamp(source, 0, kSources - 1));
    dev.Mix_Ch_Ctrl(scene, U8(static_cast<int>(src)), 0, kLast,
                    PerChannel<uint16_t>([&](int ch) { return static_cast<uint16_t>(s.inputs[src][static_cast<size_t>(ch)]); }),
                    true);
    count.Step();
    for (int sidx = 0; sidx < kSources; ++sidx) {
        const auto si = static_cast<size_t>(sidx);
        for (int in = 0; in < kInputChannelsPerSource[si]; ++in) {
            const auto& trims = s.inputMixVolume[si][static_cast<size_t>(in)];
            dev.Input_Mix_Trim_Ctrl(scene, U8(sidx), U8(in), 0, kLast,
                                    PerChannel<int8_t>([&](int ch) { return static_cast<int8_t>(trims[static_cast<size_t>(ch)]); }),
                                    true);
            count.Step();
        }
    }
}

// What the settings hold besides the body: the routing of every source other than
// `source`, the cross-source feed of every input channel, the bridge pairs, the lock and
// the stereo link with its pairs. Without these a unit that held other values (another
// unit, or one reset to its defaults) would keep its own.
void SendRest(link::DspDevice& dev, const SceneState& s, int source, uint8_t scene, Counter& count) {
    const int current = std::clamp(source, 0, kSources - 1);
    for (int sidx = 0; sidx < kSources; ++sidx) {
        if (sidx == current) continue;
        const auto& masks = s.inputs[static_cast<size_t>(sidx)];
        dev.Mix_Ch_Ctrl(scene, U8(sidx), 0, kLast,
                        PerChannel<uint16_t>([&](int ch) { return static_cast<uint16_t>(masks[static_cast<size_t>(ch)]); }),
                        true);
        count.Step();
    }
    for (int sidx = 0; sidx < kSources; ++sidx) {
        const auto si = static_cast<size_t>(sidx);
        for (int in = 0; in < kInputChannelsPerSource[si]; ++in) {
            const auto i = static_cast<size_t>(in);
            dev.Cross_Source_Mix_Ctrl(scene, U8(sidx), U8(in), WireByte(limits::kCrossSource, s.csmViceSource[si][i]),
                                      WireByte(limits::kCrossSourceChannel, s.csmViceCh[si][i]),
                                      WireByte(limits::kCrossSourceGain, s.csmViceGain[si][i],
                                                      limits::kCrossSourceGainOffset),
                                      true);
            count.Step();
        }
    }
    std::vector<uint8_t> bridge;
    for (int32_t b : s.bridge) bridge.push_back(b ? 1 : 0);
    dev.Output_Bridge_Ctrl(scene, 0, bridge, true);
    count.Step();
    // The lock first: the unit ends a link when it is unlocked.
    dev.CH_Lock_Ctrl(scene, s.lockMode ? 1 : 0, true);
    count.Step();
    link::DspDevice::ChannelPairs pairs;
    if (s.linkMode)
        for (int ch = 0; ch < kChannels; ++ch) {
            const int partner = s.linkOutputs[static_cast<size_t>(ch)];
            if (partner > ch && partner < kChannels) pairs.emplace_back(U8(ch), U8(partner));
        }
    dev.CH_Link_Ctrl(scene, U8(s.linkMode ? 1 : 0), pairs, true);
    count.Step();
}

void SendLive(link::DspDevice& dev, const SceneState& s, Counter& count) {
    dev.Main_Volume_Ctrl(static_cast<float>(s.mainVolume), true);
    count.Step();
    dev.Mute_Ctrl(U8(s.mainMute), true);
    count.Step();
    SendSceneBody(dev, s, s.source, 0, count);
    LogWriteNarrow("SendMonitorChCfgs\n");
    SendRest(dev, s, s.source, 0, count);
}

// The end of a transfer: whether every command was answered, and if not, what was not.
bool Finish(const link::ExchangeSequence& sequence, std::string* why) {
    if (sequence.Complete()) return true;
    if (why) *why = sequence.Summary();
    return false;
}

}  // namespace

int CurProfileCommandCount(const SceneState& s) { return 2 + BodyCount(s); }

int WholeProfileCommandCount(const UnitModel& m) {
    int n = CurProfileCommandCount(m.current);
    for (const SceneState& s : m.scenes) n += BodyCount(s) + 2;
    return n;
}

bool SetReadCurProfileToMCU(link::DspDevice& dev, const SceneState& s, const TransferProgress& progress,
                            std::string* why) {
    LogWriteNarrow("EqualizerManager::SetReadCurProfileToMCU\n");
    link::ExchangeSequence sequence(dev, "restore");
    Counter count{progress, CurProfileCommandCount(s)};
    SendLive(dev, s, count);
    return Finish(sequence, why);
}

bool SetReadWholeProfileToMCU(link::DspDevice& dev, const UnitModel& m, const TransferProgress& progress,
                              std::string* why) {
    LogWriteNarrow("EqualizerManager::SetReadWholeProfileToMCU\n");
    link::ExchangeSequence sequence(dev, "whole restore");
    Counter count{progress, WholeProfileCommandCount(m)};
    for (int n = 1; n <= kStoredScenes && !sequence.DeviceGone(); ++n) {
        LogWriteNarrow("set scene(%d)\n", n);
        const SceneState& scene = m.scenes[static_cast<size_t>(n - 1)];
        SendSceneBody(dev, scene, m.current.source, U8(n), count);
        SendRest(dev, scene, m.current.source, U8(n), count);
        const auto name = SceneNameToNarrow(m.names[static_cast<size_t>(n - 1)]);
        dev.SetSceneName(U8(n), std::vector<uint8_t>(name.begin(), name.end()));
        count.Step();
        dev.SaveScene(U8(n), 1);
        count.Step();
    }
    SendLive(dev, m.current, count);
    return Finish(sequence, why);
}

bool ReadStoredScene(link::DspDevice& dev, int n, link::Clock& clock, std::string* why) {
    LogWriteNarrow("read scene sceneId(%d)\n", n);
    link::ExchangeSequence sequence(dev, "reading scene " + std::to_string(n));
    const uint8_t scene = U8(n);
    dev.ReadScene(scene, 255);
    if (sequence.DeviceGone()) return Finish(sequence, why);
    clock.SleepMs(kScenePrepareMs);
    dev.Get_CH_Type(scene, 0, 0, 10);
    dev.Get_CH_Link(scene);
    dev.Get_CH_Lock(scene);
    dev.Get_Ouput_Bridge(scene, 0, kBridgePairs);
    dev.Get_Ch_Solo(scene, 0, 0, kLast);
    for (uint8_t first = 0; first < 12; first += 4) dev.Get_Filter(scene, 0, first, U8(first + 3));
    dev.Get_PEQ_Bypass(scene, 0, 0, kLast);
    for (int ch = 0; ch < kChannels; ++ch)
        for (int b = 0; b < kBandsPerChannel; b += 7)
            dev.Get_EQ(scene, 0, U8(ch), U8(b), U8(std::min(b + 7, kBandsPerChannel) - 1));
    dev.Get_Delay(scene, 0, 0, kLast);
    dev.Get_Trim(scene, 0, 0, kLast);
    dev.Get_Mute_Ch(scene, 0, 0, kLast);
    dev.Get_Ch_Solo(scene, 0, 0, kLast);
    dev.Get_Phase(scene, 0, 0, kLast);
    for (uint8_t src = 0; src < kSources; ++src) dev.Get_Mix_Ch(scene, src, 0, kLast);
    for (uint8_t src = 0; src < kSources; ++src)
        for (uint8_t in = 0; in < kInputChannelsPerSource[src]; ++in)
            dev.Get_Input_Mix_CH_Trim(scene, src, in, 0, kLast);
    for (uint8_t src = 0; src < kSources; ++src)
        for (uint8_t in = 0; in < kInputChannelsPerSource[src]; ++in) dev.Get_Mix_Source2(scene, src, in);
    for (uint8_t k = 1; k <= 9; ++k) dev.GetSceneName(k);
    return Finish(sequence, why);
}

bool StoreLiveAsScene(link::DspDevice& dev, int n, const SceneName& name, std::string* why) {
    LogWriteNarrow("store the live settings as scene %d\n", n);
    link::ExchangeSequence sequence(dev, "saving scene " + std::to_string(n));
    const auto narrow = SceneNameToNarrow(name);
    dev.SetSceneName(U8(n), std::vector<uint8_t>(narrow.begin(), narrow.end()));
    dev.SaveScene(U8(n), 0);
    return Finish(sequence, why);
}

}  // namespace dvdsp::core
