#include "core/model_items.h"

#include <utility>

namespace dvdsp::core {
namespace {

// Calls f(key, a's field, b's field) for every field of two scenes, in one fixed order.
// The scenes may be the same object (a walk over one model) and either may be const.
template <class A, class B, class F>
void VisitScene(int scene, A& a, B& b, F&& f) {
    auto one = [&](Field field, auto& x, auto& y, int i = -1, int j = -1, int k = -1) {
        f(ItemKey{field, scene, i, j, k}, x, y);
    };
    one(Field::Model, a.model, b.model);
    one(Field::MainVersion, a.mainVersion, b.mainVersion);
    one(Field::SlaveVersion, a.slaveVersion, b.slaveVersion);
    one(Field::DspFlashVersion, a.dspFlashVersion, b.dspFlashVersion);
    one(Field::Source, a.source, b.source);
    one(Field::MainVolume, a.mainVolume, b.mainVolume);
    one(Field::Acc, a.acc, b.acc);
    one(Field::SubVolume, a.subVolume, b.subVolume);
    one(Field::SceneNumber, a.scene, b.scene);
    one(Field::MainMute, a.mainMute, b.mainMute);
    one(Field::AmpOn, a.ampOn, b.ampOn);
    one(Field::RemoteOut1, a.remOut1, b.remOut1);
    one(Field::RemoteOut2, a.remOut2, b.remOut2);
    one(Field::TwoOhm, a.twoOhm, b.twoOhm);
    one(Field::NoiseGate, a.noiseGate, b.noiseGate);
    one(Field::AutoEffect, a.autoEffect, b.autoEffect);
    one(Field::ChannelCount, a.channelCount, b.channelCount);
    for (size_t p = 0; p < a.bridge.size(); ++p) one(Field::Bridge, a.bridge[p], b.bridge[p], static_cast<int>(p));
    for (int ch = 0; ch < kChannels; ++ch) {
        const auto c = static_cast<size_t>(ch);
        auto& x = a.channels[c];
        auto& y = b.channels[c];
        one(Field::EqSize, x.eqSize, y.eqSize, ch);
        one(Field::Trim, x.gain, y.gain, ch);
        one(Field::ChannelMute, x.mute, y.mute, ch);
        one(Field::Delay, x.delay, y.delay, ch);
        one(Field::Phase, x.phase, y.phase, ch);
        one(Field::Solo, x.solo, y.solo, ch);
        one(Field::EqBypass, x.bypass, y.bypass, ch);
        one(Field::CompressorOn, x.compressorOn, y.compressorOn, ch);
        one(Field::FilterType, x.bpType, y.bpType, ch);
        one(Field::HighPass, x.hp, y.hp, ch);
        one(Field::LowPass, x.lp, y.lp, ch);
        one(Field::Role, a.outputs[c], b.outputs[c], ch);
        one(Field::SavedRole, a.outputsBk[c], b.outputsBk[c], ch);
        one(Field::LinkPartner, a.linkOutputs[c], b.linkOutputs[c], ch);
        one(Field::CurveShown, a.showOutChEqualizer[c], b.showOutChEqualizer[c], ch);
        one(Field::LinkGroup, a.linkSel[c], b.linkSel[c], ch);
        one(Field::DelayLinkGroup, a.delayLinkSel[c], b.delayLinkSel[c], ch);
        one(Field::Compressor, a.compressor[c], b.compressor[c], ch);
        for (int band = 0; band < kBandsPerChannel; ++band)
            one(Field::Band, a.eqStore[c][static_cast<size_t>(band)], b.eqStore[c][static_cast<size_t>(band)], ch, band);
    }
    for (int src = 0; src < kSources; ++src) {
        const auto s = static_cast<size_t>(src);
        for (int ch = 0; ch < kChannels; ++ch)
            one(Field::Routing, a.inputs[s][static_cast<size_t>(ch)], b.inputs[s][static_cast<size_t>(ch)], src, ch);
        for (int in = 0; in < kInputsPerSource; ++in) {
            const auto n = static_cast<size_t>(in);
            for (int ch = 0; ch < kChannels; ++ch)
                one(Field::MixTrim, a.inputMixVolume[s][n][static_cast<size_t>(ch)],
                    b.inputMixVolume[s][n][static_cast<size_t>(ch)], src, in, ch);
            one(Field::MixPhase, a.inMixPhase[s][n], b.inMixPhase[s][n], src, in);
            one(Field::CrossSource, a.csmViceSource[s][n], b.csmViceSource[s][n], src, in);
            one(Field::CrossChannel, a.csmViceCh[s][n], b.csmViceCh[s][n], src, in);
            one(Field::CrossGain, a.csmViceGain[s][n], b.csmViceGain[s][n], src, in);
        }
    }
    one(Field::CurrentChannel, a.currOutChannel, b.currOutChannel);
    one(Field::LinkMode, a.linkMode, b.linkMode);
    one(Field::LockMode, a.lockMode, b.lockMode);
}

// The same for two whole models: the live settings, the scene copies, the unit's items.
template <class A, class B, class F>
void VisitUnit(A& a, B& b, F&& f) {
    VisitScene(0, a.current, b.current, f);
    for (int n = 1; n <= kStoredScenes; ++n)
        VisitScene(n, a.scenes[static_cast<size_t>(n - 1)], b.scenes[static_cast<size_t>(n - 1)], f);
    for (int n = 1; n <= kStoredScenes; ++n)
        f(ItemKey{Field::Name, -1, n}, a.names[static_cast<size_t>(n - 1)], b.names[static_cast<size_t>(n - 1)]);
    f(ItemKey{Field::ValidScenes}, a.validScenes, b.validScenes);
    for (int k = 1; k <= kKaraokeSettings; ++k)
        f(ItemKey{Field::Karaoke, -1, k}, a.karaoke[static_cast<size_t>(k - 1)], b.karaoke[static_cast<size_t>(k - 1)]);
    f(ItemKey{Field::InputThreshold}, a.inputThreshold, b.inputThreshold);
    f(ItemKey{Field::PowerOffDelay}, a.powerOffDelay, b.powerOffDelay);
    f(ItemKey{Field::AutoSetting}, a.autoSetting, b.autoSetting);
}

// Collects the items whose values differ.
struct Collect {
    std::vector<ItemChange>& out;
    template <class T>
    void operator()(const ItemKey& key, const T& before, const T& after) const {
        if (!(before == after)) out.push_back({key, ItemValue(before), ItemValue(after)});
    }
};

}  // namespace

std::vector<ItemChange> SceneDifferences(int scene, const SceneState& before, const SceneState& after) {
    std::vector<ItemChange> out;
    VisitScene(scene, before, after, Collect{out});
    return out;
}

std::vector<ItemChange> UnitDifferences(const UnitModel& before, const UnitModel& after) {
    std::vector<ItemChange> out;
    VisitUnit(before, after, Collect{out});
    return out;
}

std::optional<ItemValue> ItemOf(const UnitModel& model, const ItemKey& key) {
    std::optional<ItemValue> found;
    VisitUnit(model, model, [&](const ItemKey& k, const auto& value, const auto&) {
        if (!found && k == key) found = ItemValue(value);
    });
    return found;
}

bool StoreItem(UnitModel& model, const ItemKey& key, const ItemValue& value) {
    bool stored = false;
    VisitUnit(model, model, [&](const ItemKey& k, auto& field, auto&) {
        using T = std::remove_reference_t<decltype(field)>;
        if (stored || !(k == key)) return;
        if (const T* v = std::get_if<T>(&value)) {
            field = *v;
            stored = true;
        }
    });
    return stored;
}

}  // namespace dvdsp::core
