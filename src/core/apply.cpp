#include "core/apply.h"

#include "link/commands.h"
#include "link/protocol/units.h"

namespace dvdsp::core {

using namespace link;

namespace {

bool ValidChannel(int ch) { return ch >= 0 && ch < kChannels; }
bool ValidSource(int src) { return src >= 0 && src < kSources; }
bool ValidInput(int in) { return in >= 0 && in < kInputsPerSource; }
size_t U(int v) { return static_cast<size_t>(v); }

Change Made(What what, int scene, int ch = -1) {
    Change c;
    c.what = what;
    c.scene = scene;
    c.channel = ch;
    return c;
}

// A per-channel record: the channel's settings in the scene it names, or null.
template <typename R>
ChannelSettings* ChannelOf(UnitModel& m, const R& r, SceneState*& scene) {
    scene = m.SceneFor(r.scene);
    if (!scene || !ValidChannel(r.ch)) return nullptr;
    return &scene->channels[U(r.ch)];
}

Change ChannelFlag(UnitModel& m, uint32_t code, const ChannelValue& r) {
    SceneState* s = nullptr;
    ChannelSettings* c = ChannelOf(m, r, s);
    if (!c) return {};
    switch (code) {
        case DSP_MUTE_CH: c->mute = r.value; return Made(What::ChannelMute, r.scene, r.ch);
        case DSP_PHASE_CH: c->phase = r.value; return Made(What::Phase, r.scene, r.ch);
        case DSP_EQ_BYPASS:
            c->bypass = static_cast<uint8_t>(r.value);
            return Made(What::EqBypass, r.scene, r.ch);
        case DSP_CH_SOLO: c->solo = r.value; return Made(What::Solo, r.scene, r.ch);
        case DSP_COMPRESSOR_ON_CH:
            c->compressorOn = static_cast<uint8_t>(r.value);
            return Made(What::CompressorOn, r.scene, r.ch);
        case DSP_CH_TYPE:
            s->outputs[U(r.ch)] = s->outputsBk[U(r.ch)] = r.value;
            return Made(What::Role, r.scene, r.ch);
        default: return {};
    }
}

// Replies that carry a plain value and no scene number: the live settings.
Change PlainDspValue(UnitModel& m, uint32_t code, int v) {
    SceneState& s = m.current;
    switch (code) {
        case DSP_SOURCE_SWITCH: s.source = SourceFromCode(v); return Made(What::Source, 0);
        case DSP_VOLUME: s.mainVolume = link::units::MainVolumeFromWire(v); return Made(What::MainVolume, 0);
        case DSP_SUBWOOFER_VOLUME: s.subVolume = v; return Made(What::SubVolume, 0);
        case DSP_MUTE: s.mainMute = v; return Made(What::MainMute, 0);
        case DSP_INPUT_THRESHOLD: m.inputThreshold = v; return Made(What::InputThreshold, 0);
        case DSP_AUTO_EFFECTION_ON_OFF_CONTROL: s.autoEffect = v; return Made(What::AutoEffect, 0);
        case DSP_AMP_MUTE: s.ampOn = v == 0 ? 1 : 0; return Made(What::AmpOn, 0);
        case DSP_SPK_OHM: s.twoOhm = v; return Made(What::SpeakerOhm, 0);
        case DSP_NOISE_GATE: s.noiseGate = v; return Made(What::NoiseGate, 0);
        case DSP_DSP_STATUS: {
            Change c = Made(What::DspStatus, 0);
            c.value = v;
            return c;
        }
        default: return {};
    }
}

}  // namespace

Change ApplyDspValue(UnitModel& m, const Message& msg) {
    const uint32_t code = msg.wparam;
    if (!msg.record) return PlainDspValue(m, code, static_cast<int>(msg.value));
    SceneState* s = nullptr;
    switch (code) {
        case DSP_FILTER_SET: {
            const auto* r = msg.As<FilterValue>();
            ChannelSettings* c = r ? ChannelOf(m, *r, s) : nullptr;
            if (!c) return {};
            c->hp = CrossoverFilter{r->hp_freq, r->hp_type, r->hp_slope, r->hp_slope == 0 ? 1 : 0};
            c->lp = CrossoverFilter{r->lp_freq, r->lp_type, r->lp_slope, r->lp_slope == 0 ? 1 : 0};
            c->bpType = BpTypeOf(c->hp, c->lp);
            return Made(What::Filter, r->scene, r->ch);
        }
        case DSP_EQ_CH: {
            const auto* r = msg.As<EqBandValue>();
            ChannelSettings* c = r ? ChannelOf(m, *r, s) : nullptr;
            if (!c || r->band < 0 || r->band >= c->eqSize || r->band >= kBandsPerChannel) return {};
            EqBand& b = s->Bands(r->ch)[r->band];
            b = static_cast<const Band&>(*r);  // reported bands are enabled
            Change ch = Made(What::Band, r->scene, r->ch);
            ch.band = r->band;
            return ch;
        }
        case DSP_DELAY_CH:
        case DSP_TRIM_CH: {
            const auto* r = msg.As<ChannelFloat>();
            ChannelSettings* c = r ? ChannelOf(m, *r, s) : nullptr;
            if (!c) return {};
            if (code == DSP_DELAY_CH) {
                c->delay = r->value;
                return Made(What::Delay, r->scene, r->ch);
            }
            c->gain = r->value == 0.0f ? 0.0f : r->value;  // no attenuation is 0 dB, not -0
            return Made(What::Trim, r->scene, r->ch);
        }
        case DSP_MUTE_CH:
        case DSP_PHASE_CH:
        case DSP_EQ_BYPASS:
        case DSP_CH_SOLO:
        case DSP_COMPRESSOR_ON_CH:
        case DSP_CH_TYPE: {
            const auto* r = msg.As<ChannelValue>();
            return r ? ChannelFlag(m, code, *r) : Change{};
        }
        case DSP_MIX_CH: {
            const auto* r = msg.As<MixValue>();
            if (!r || !(s = m.SceneFor(r->scene)) || !ValidSource(r->source) || !ValidChannel(r->ch))
                return {};
            s->inputs[U(r->source)][U(r->ch)] = r->mask;
            Change c = Made(What::Routing, r->scene, r->ch);
            c.source = r->source;
            return c;
        }
        case DSP_CH_LINK: {
            const auto* r = msg.As<LinkValue>();
            if (!r || !(s = m.SceneFor(r->scene))) return {};
            if (r->link == 1) {
                s->linkMode = 1;
                s->lockMode = 1;
                s->linkOutputs = ComputeLinkPartners(*s);
            } else {
                s->linkMode = 0;
                s->linkOutputs.fill(-1);
            }
            return Made(What::Link, r->scene);
        }
        case DSP_CH_LOCK: {
            const auto* r = msg.As<LockValue>();
            if (!r || !(s = m.SceneFor(r->scene))) return {};
            Change c = Made(What::Lock, r->scene);
            s->lockMode = r->lock ? 1 : 0;
            if (r->lock == 0 && s->linkMode) {
                s->linkMode = 0;
                s->linkOutputs.fill(-1);
                c.unlinked = true;
            }
            return c;
        }
        case DSP_INPUT_MIX_CH_TRIM: {
            const auto* r = msg.As<InputMixTrimValue>();
            if (!r || !(s = m.SceneFor(r->scene)) || !ValidSource(r->source) || !ValidInput(r->in_ch))
                return {};
            for (int out = r->out_start; out <= r->out_end; ++out) {
                const int i = out - r->out_start;
                if (!ValidChannel(out) || i >= static_cast<int>(r->trims.size())) break;
                int trim = r->trims[U(i)];
                // A routed input is never silent: its trim starts at 100.
                if (trim < 1 && (s->inputs[U(r->source)][U(out)] & (1 << r->in_ch))) trim = 100;
                s->inputMixVolume[U(r->source)][U(r->in_ch)][U(out)] = trim;
            }
            Change c = Made(What::InputMixTrim, r->scene);
            c.source = r->source;
            c.band = r->in_ch;
            return c;
        }
        case DSP_COMPRESSOR_SETTING: {
            const auto* r = msg.As<CompressorValue>();
            if (!r || !(s = m.SceneFor(r->scene)) || !ValidChannel(r->ch)) return {};
            CompressorSettings& k = s->compressor[U(r->ch)];
            k.bypass = r->bypass;
            k.threshold = r->threshold;
            k.ratio = r->ratio;
            k.attack = r->attack;
            k.release = r->release;
            k.softKnee = r->soft_knee;
            return Made(What::Compressor, r->scene, r->ch);
        }
        case DSP_COMPRESSOR_SETTING2: {
            const auto* r = msg.As<Compressor2Value>();
            if (!r || !(s = m.SceneFor(r->scene)) || !ValidChannel(r->ch)) return {};
            CompressorSettings& k = s->compressor[U(r->ch)];
            k.threshold = r->threshold;
            k.attack = r->attack;
            k.release = r->release;
            return Made(What::Compressor, r->scene, r->ch);
        }
        case DSP_REM_OUT: {
            const auto* r = msg.As<RemOutValue>();
            if (!r) return {};
            m.current.remOut1 = r->rem_out1;
            m.current.remOut2 = r->rem_out2;
            return Made(What::RemoteOut, 0);
        }
        case DSP_CROSS_SOURCE_MIX:
        case DSP_CROSS_SOURCE_MIX_CS47048: {
            const auto* r = msg.As<CrossSourceMixValue>();
            if (!r || !(s = m.SceneFor(r->scene)) || !ValidSource(r->source) || !ValidInput(r->ch))
                return {};
            s->csmViceSource[r->source][r->ch] = r->vice_source;
            s->csmViceCh[r->source][r->ch] = r->vice_ch;
            // Only the first form carries a gain, kept by the unit as gain + 32.
            if (code == DSP_CROSS_SOURCE_MIX) s->csmViceGain[r->source][r->ch] = r->vice_gain - 32;
            Change c = Made(What::CrossSourceMix, r->scene);
            c.source = r->source;
            c.band = r->ch;
            return c;
        }
        case DSP_OUPUT_BRIDGE: {
            const auto* r = msg.As<BridgeValue>();
            if (!r || !(s = m.SceneFor(r->scene))) return {};
            for (int p = 0; p < kBridgePairs && p < r->count; ++p) s->bridge[U(p)] = r->bridge[U(p)];
            return Made(What::Bridge, r->scene);
        }
        default:
            return {};
    }
}

Change ApplyMcuValue(UnitModel& m, const Message& msg) {
    switch (msg.wparam) {
        case MCU_HANDSHAKE:
            if (const auto* r = msg.As<HandshakeValue>()) {
                m.current.model = r->model;
                m.current.mainVersion = r->master;
                m.current.slaveVersion = r->slave;
                return Made(What::Handshake, 0);
            }
            return {};
        case MCU_GET_DSPFLASH_VER:
            if (const auto* r = msg.As<FlashVersionValue>()) {
                for (size_t i = 0; i < 4; ++i) m.current.dspFlashVersion[i] = r->v[4 + i];
                return Made(What::FlashVersion, 0);
            }
            return {};
        case MCU_ACC:
            if (msg.record) return {};
            m.current.acc = static_cast<int32_t>(msg.value);
            return Made(What::Acc, 0);
        case MCU_POWER_OFF_TIME:
            if (msg.record) return {};
            m.powerOffDelay = static_cast<int32_t>(msg.value);
            return Made(What::PowerOffDelay, 0);
        default:
            return {};
    }
}

Change ApplySceneValue(UnitModel& m, const Message& msg) {
    if (msg.wparam == FLASH_SCENE_NAME) {
        const auto* r = msg.As<SceneNameValue>();
        if (!r || r->index < 0 || r->index >= kStoredScenes) return {};
        m.names[U(r->index)] = SceneNameFromNarrow(r->name.data(), r->name.size());
        return Made(What::StoredSceneName, r->index + 1);
    }
    if (msg.wparam == FLASH_SCENE_VALID) {
        const auto* r = msg.As<Int32Value>();
        if (!r) return {};
        m.validScenes = r->value;
        return Made(What::ValidScenes, 0);
    }
    return {};
}

Change ApplyKtvValue(UnitModel& m, const Message& msg) {
    if (msg.record || msg.wparam < 1 || msg.wparam > kKaraokeSettings) return {};
    m.karaoke[msg.wparam - 1] = static_cast<int32_t>(msg.value);
    Change c = Made(What::Karaoke, 0);
    c.value = static_cast<int>(msg.wparam);
    return c;
}

Change ApplyMessage(UnitModel& m, const Message& msg) {
    switch (msg.msg) {
        case WM_READ_DSP_VALUE: return ApplyDspValue(m, msg);
        case WM_READ_MCU_VALUE: return ApplyMcuValue(m, msg);
        case WM_READ_SCENE_VALUE: return ApplySceneValue(m, msg);
        case WM_READ_KTV_VALUE: return ApplyKtvValue(m, msg);
        default: return {};
    }
}

}  // namespace dvdsp::core
