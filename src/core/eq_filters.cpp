// Editing the crossover filters of the current channel: frequency (typed, stepped or
// dragged as a marker on the curve control), type and slope. The partner and the link
// group (channels 0-3) take the same value; each filter goes out with Filter_Ctrl.
#include <algorithm>
#include <cmath>
#include <string>

#include "base/log.h"
#include "core/eq.h"
#include "base/limits.h"
#include "core/part_helpers.h"

namespace dvdsp::core {
namespace {

constexpr int kLinkwitzRiley = 2;  // even slopes only

const char* TypeName(int type) {
    switch (type) {
    case 1: return "Butterworth";
    case 2: return "Linkwitz-Riley";
    case 3: return "Bessel";
    default: return "?";
    }
}

const CrossoverFilter& FilterOf(const ChannelSettings& c, FilterSide side) { return side == kHighPass ? c.hp : c.lp; }

int BoundedFilterFreq(const ChannelSettings& c, FilterSide side, int freq) { return ValueOps::BoundedFilterFreq(c, side, freq); }

}  // namespace

uint64_t Eq::lastFilterSendMs_ = 0;

void Eq::SendFilter(int ch, FilterSide side) { ctx_.Send({What::Filter, 0, ch, side}); }

template <class Write>
std::vector<int> Eq::StoreFilter(int ch, FilterSide side, Write&& write) {
    return ctx_.values.StoreFilter(ch, side, std::forward<Write>(write));
}

// ---- Frequency ----------------------------------------------------------------------------

void Eq::SetFilterFreq(FilterSide side, int freq) {
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (ch < 0 || ch >= kChannels) return;
    freq = BoundedFilterFreq(s.channels[Z(ch)], side, freq);
    LogWriteNarrow(side == kHighPass ? "set hp freq to %d \n" : "set lp freq to %d \n", freq);
    for (int x : StoreFilter(ch, side, [freq](CrossoverFilter& f) { f.freq = freq; })) SendFilter(x, side);
    UpdateEqualizer(-1);
    SendFilter(ch, side);
    if (const int partner = PartnerChannel(s, ch); partner >= 0) SendFilter(partner, side);
}

void Eq::SetHpFreqEdit(const std::string& text) {
    int freq = 0;
    if (ParseFrequencyText(text, freq)) SetFilterFreq(kHighPass, freq);
    else ctx_.edit.Report({What::Filter, 0, ctx_.Live().currOutChannel});  // shown again
}

void Eq::SetLpFreqEdit(const std::string& text) {
    int freq = 0;
    if (ParseFrequencyText(text, freq)) SetFilterFreq(kLowPass, freq);
    else ctx_.edit.Report({What::Filter, 0, ctx_.Live().currOutChannel});
}

void Eq::SetHpFreqUp(bool up) {
    LogWriteNarrow("SetHpFreqUp up(%d)\n", up ? 1 : 0);
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (ch < 0 || ch >= kChannels) return;
    const int freq = s.channels[Z(ch)].hp.freq;
    const int next = LogFrequencyStep(freq, up);
    if (next != freq) SetFilterFreq(kHighPass, next);
}

void Eq::SetLpFreqUp(bool up) {
    LogWriteNarrow("SetLpFreqUp up(%d)\n", up ? 1 : 0);
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (ch < 0 || ch >= kChannels) return;
    const int freq = s.channels[Z(ch)].lp.freq;
    const int next = LogFrequencyStep(freq, up);
    if (next != freq) SetFilterFreq(kLowPass, next);
}

// ---- Type and slope -----------------------------------------------------------------------

void Eq::SetFilterType(FilterSide side, int type) {
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (ch < 0 || ch >= kChannels || !limits::kFilterType.Accepts(type)) return;
    LogWriteNarrow(side == kHighPass ? "set hp type to %s index %d\n" : "set lp type to %s index %d\n", TypeName(type),
                   type);
    const std::vector<int> members = StoreFilter(ch, side, [type](CrossoverFilter& f) {
        f.type = type;
        // Linkwitz-Riley filters have even orders: an odd slope moves up by one.
        if (type == kLinkwitzRiley && f.slope % 2 != 0) f.slope += 1;
    });
    for (int x : members) SendFilter(x, side);
    // Type 2 offers only the even slopes and off; the other types all of them.
    Change items{What::SlopeItems, 0, ch};
    items.value = side;
    ctx_.edit.Report(items);
    UpdateEqualizer(-1);
    SendFilter(ch, side);
    if (const int partner = PartnerChannel(s, ch); partner >= 0) SendFilter(partner, side);
}

void Eq::SetFilterSlope(FilterSide side, int slope) {
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    if (ch < 0 || ch >= kChannels || !limits::kFilterSlope.Accepts(slope)) return;
    if (FilterOf(s.channels[Z(ch)], side).type == kLinkwitzRiley && slope % 2 != 0) ++slope;
    LogWriteNarrow(side == kHighPass ? "set hp slop to %s index %d\n" : "set lp slop to %s index %d\n",
                   std::to_string(slope).c_str(), slope);
    for (int x : StoreFilter(ch, side, [slope](CrossoverFilter& f) { f.slope = slope; })) SendFilter(x, side);
    UpdateEqualizer(-1);
    SendFilter(ch, side);
    if (const int partner = PartnerChannel(s, ch); partner >= 0) SendFilter(partner, side);
}

// ---- The curve control --------------------------------------------------------------------

void Eq::DragFilter(FilterSide side, int freq, bool released) {
    const SceneState& s = ctx_.Live();
    const int ch = s.currOutChannel;
    freq = BoundedFilterFreq(s.channels[Z(ch)], side, freq);
    // Stored and shown at once; sent when released or at most once per kFilterDragSendMs.
    const std::vector<int> members = StoreFilter(ch, side, [freq](CrossoverFilter& f) { f.freq = freq; });
    UpdateEqualizer(-1);
    const uint64_t now = ctx_.clock.NowMs();
    if (!released && now >= lastFilterSendMs_ && now - lastFilterSendMs_ < kFilterDragSendMs) return;
    lastFilterSendMs_ = now;
    SendFilter(ch, side);
    for (int x : members) SendFilter(x, side);
    if (const int partner = PartnerChannel(s, ch); partner >= 0) SendFilter(partner, side);
}

void Eq::EqualizerCallback(int index, int kind, bool released, const CurveEdit& edit) {
    LogWriteNarrow("%s cmd %d index %d\n", "EqualizerCallback", kind, index);
    const int ch = ctx_.Live().currOutChannel;
    if (ch < 0 || ch >= kChannels) return;
    switch (kind) {
    case kDragBand: DragBand(index, released, edit); break;
    case kDragHighPass: DragFilter(kHighPass, edit.hpFreq, released); break;
    case kDragLowPass: DragFilter(kLowPass, edit.lpFreq, released); break;
    default: break;
    }
}

}  // namespace dvdsp::core
