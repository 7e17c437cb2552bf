// The input mixer: routing bits and trims of the cells, input phases, cross-source feeds
// and the clip flags, each stored through the editor and sent at once.
#include "core/mixer.h"

#include <algorithm>
#include <cmath>

#include "base/log.h"
#include "base/limits.h"
#include "core/part_helpers.h"
#include "link/commands.h"

namespace dvdsp::core {
namespace {

bool ValidCell(int source, int in, int out) {
    return source >= 0 && source < kSources && in >= 0 && in < kInputsPerSource && out >= 0 && out < kChannels;
}
bool ValidInput(int source, int in) { return source >= 0 && source < kSources && in >= 0 && in < kInputsPerSource; }

Change MixChange(What what, int source, int in, int out) {
    Change c{what, 0, out};
    c.band = in;
    c.source = source;
    return c;
}

}  // namespace

int Mixer::InputCount(int source) {
    if (source < 0 || source >= kSources) return 0;
    return kInputChannelsPerSource[Z(source)];
}

bool Mixer::HasMixerSource(int source) {
    return source == 0 || source == 1 || source == 2 || source == 6 || source == 7 || source == 8;
}

bool Mixer::Routed(int source, int in, int out) const {
    if (!ValidCell(source, in, out)) return false;
    return (ctx_.Live().inputs[Z(source)][Z(out)] & (1 << in)) != 0;
}

int Mixer::EffectiveTrim(int source, int in, int out) const {
    if (!Routed(source, in, out)) return 0;
    const int trim = ctx_.Live().inputMixVolume[Z(source)][Z(in)][Z(out)];
    return trim == 0 ? limits::kMixCellFull : trim;
}

void Mixer::SendTrim(int source, int in, int out) { ctx_.Send(MixChange(What::InputMixTrim, source, in, out)); }

void Mixer::SendRouting(int source, int out) { ctx_.Send(MixChange(What::Routing, source, -1, out)); }

int Mixer::SetMixTrim(int source, int in, int out, int trim) {
    if (!ValidCell(source, in, out)) return -1;
    const bool wasRouted = Routed(source, in, out);
    const bool trimChanged = trim != EffectiveTrim(source, in, out);
    ctx_.edit.Apply(MixChange(What::InputMixTrim, source, in, out),
                    [&](SceneState& s) { s.inputMixVolume[Z(source)][Z(in)][Z(out)] = trim; });
    if (trimChanged) SendTrim(source, in, out);

    const int32_t before = ctx_.Live().inputs[Z(source)][Z(out)];
    const bool on = trim > 0;
    LogWriteNarrow("mixEnable(%d=>%d): %d\n", in, out, on ? 1 : 0);
    LogWriteNarrow("out %d inputs = 0x%02x =>", out, static_cast<unsigned>(before));
    ctx_.edit.Apply(MixChange(What::Routing, source, in, out), [&](SceneState& s) {
        int32_t& mask = s.inputs[Z(source)][Z(out)];
        mask = on ? (mask | (1 << in)) : (mask & ~(1 << in));
    });
    LogWriteNarrow(" 0x%02x\n", static_cast<unsigned>(ctx_.Live().inputs[Z(source)][Z(out)]));
    // The unit keeps the routing apart from the trims: a bit that changed goes too.
    if (wasRouted != on) SendRouting(source, out);

    if (!ctx_.Live().bridge[Z(out / 2)]) return -1;
    // CopyMix_v: the bridged partner plays what this output plays.
    const int partner = out ^ 1;
    LogWriteNarrow("%s %d\n", "CopyMix_v", partner);
    const bool partnerRouted = Routed(source, in, partner);
    ctx_.edit.Apply(MixChange(What::InputMixTrim, source, in, partner),
                    [&](SceneState& s) { s.inputMixVolume[Z(source)][Z(in)][Z(partner)] = trim; });
    ctx_.edit.Apply(MixChange(What::Routing, source, in, partner), [&](SceneState& s) {
        int32_t& mask = s.inputs[Z(source)][Z(partner)];
        mask = on ? (mask | (1 << in)) : (mask & ~(1 << in));
    });
    SendTrim(source, in, partner);
    if (partnerRouted != on) SendRouting(source, partner);
    return partner;
}

void Mixer::ClearMix(int source) {
    if (source < 0 || source >= kSources) return;
    for (int out = 0; out < kChannels; ++out) {
        const int32_t mask = ctx_.Live().inputs[Z(source)][Z(out)];
        ctx_.edit.Apply(MixChange(What::Routing, source, -1, out), [&](SceneState& s) {
            s.inputs[Z(source)][Z(out)] = 0;
            for (int in = 0; in < kInputsPerSource; ++in) s.inputMixVolume[Z(source)][Z(in)][Z(out)] = 0;
        });
        for (int in = 0; in < kInputsPerSource; ++in) {
            if (!(mask & (1 << in))) continue;
            ctx_.edit.Report(MixChange(What::InputMixTrim, source, in, out));
            LogWriteNarrow("%s %d\n", "ClearMix", out);
            SendTrim(source, in, out);
        }
        if (mask != 0) SendRouting(source, out);
    }
}

void Mixer::SetInputMixPhase(int source, int in, bool inverted) {
    if (!ValidInput(source, in)) return;
    ctx_.edit.Apply(MixChange(What::Phase, source, in, -1),
                    [&](SceneState& s) { s.inMixPhase[Z(source)][Z(in)] = inverted ? 1 : 0; });
    ctx_.Send(MixChange(What::Phase, source, in, -1));
}

void Mixer::SendCrossSource(int source, int in) { ctx_.Send(MixChange(What::CrossSourceMix, source, in, -1)); }

void Mixer::SetCrossSourceTag(int source, int in, int tag) {
    if (!ValidInput(source, in) || tag < 0) return;
    const int vs = static_cast<int>(limits::kCrossSource.Clamp(tag / 100));
    const int vc = static_cast<int>(limits::kCrossSourceChannel.Clamp(tag % 100));
    ctx_.edit.Apply(MixChange(What::CrossSourceMix, source, in, -1), [&](SceneState& s) {
        s.csmViceSource[Z(source)][Z(in)] = vs;
        s.csmViceCh[Z(source)][Z(in)] = vc;
    });
    LogWriteNarrow("SetCSMViceSourceCombox set in_ch %d(%d) mix source: %d, ch: %d, gain: %d\n", in, source, vs, vc,
                   ctx_.Live().csmViceGain[Z(source)][Z(in)]);
    SendCrossSource(source, in);
}

int Mixer::SetCrossSourceGain(int source, int in, int gain) {
    if (!ValidInput(source, in)) return 0;
    const int g = static_cast<int>(limits::kCrossSourceGain.Clamp(gain));
    ctx_.edit.Apply(MixChange(What::CrossSourceMix, source, in, -1),
                    [&](SceneState& s) { s.csmViceGain[Z(source)][Z(in)] = g; });
    const SceneState& s = ctx_.Live();
    LogWriteNarrow("SetCSMViceGainEdit set in_ch %d mix source: %d, ch: %d, gain: %d\n", in,
                   s.csmViceSource[Z(source)][Z(in)], s.csmViceCh[Z(source)][Z(in)], g);
    SendCrossSource(source, in);
    return g;
}

void Mixer::ReadClipFlags(int source) {
    const int inputs = InputCount(source);
    if (inputs > 0) ctx_.device.Get_InDistort(ctx_.Scene(), U8(source), 0, U8(inputs - 1));
    ctx_.device.Get_OutDistort(ctx_.Scene(), U8(source), 0, U8(kChannels - 1));
}

void Mixer::OnDistortReply(const link::Message& msg) {
    const auto* r = msg.As<link::DistortValue>();
    if (!r) return;
    auto& flags = msg.wparam == link::DSP_INPUT_CH_DISTORT ? inClip_ : outClip_;
    for (int ch = r->ch_start; ch <= r->ch_end && ch < static_cast<int>(flags.size()); ++ch)
        flags[Z(ch)] = r->values[Z(ch)];
}

bool Mixer::InputClipped(int in) const {
    return in >= 0 && in < static_cast<int>(inClip_.size()) && inClip_[Z(in)] != 0;
}

bool Mixer::OutputClipped(int out) const {
    return out >= 0 && out < static_cast<int>(outClip_.size()) && outClip_[Z(out)] != 0;
}

}  // namespace dvdsp::core
