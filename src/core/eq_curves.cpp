// The curve loop of the EQ panel: after an edit the curves of the channels it touched are
// computed again and the view hands the current channel's bands, its two crossover
// markers and the ten curves to the curve control.
#include <chrono>

#include "base/log.h"
#include "core/eq.h"
#include "core/part_helpers.h"

namespace dvdsp::core {
namespace {

int ElapsedMs(std::chrono::steady_clock::time_point since) {
    const auto d = std::chrono::steady_clock::now() - since;
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

}  // namespace

void Eq::UpdateEqualizer(int band) {
    const SceneState& s = ctx_.Live();
    const auto start = std::chrono::steady_clock::now();
    const int ch = s.currOutChannel;
    if (ch >= 0 && ch < kChannels) {
        curves_.ComputeChannelCurve(s, ch);
        const int partner = PartnerChannel(s, ch);
        if (partner >= 0) curves_.ComputeChannelCurve(s, partner);
        for (int x : GroupMembers(ch)) curves_.ComputeChannelCurve(s, x);
    }
    curves_.ComputeStale(s);
    LogWriteNarrow("UpdateEqualizer 0 cost time %d ms\n", ElapsedMs(start));
    const auto shown = std::chrono::steady_clock::now();
    ctx_.view->UpdateEqualizer(band);
    LogWriteNarrow("UpdateEqualizer 1 cost time %d ms\n", ElapsedMs(shown));
}

void Eq::UpdateAllCurves() {
    const auto start = std::chrono::steady_clock::now();
    curves_.ComputeAll(ctx_.Live());
    LogWriteNarrow("UpdateAllCurves cost time %d ms\n", ElapsedMs(start));
    UpdateEqualizer(-1);
}

void Eq::ShowCurve(int ch, bool shown) {
    if (ch < 0 || ch >= kChannels) return;
    ctx_.edit.Apply({What::CurveShown, 0, ch}, [&](SceneState& s) { s.showOutChEqualizer[Z(ch)] = shown ? 1 : 0; });
    curves_.ComputeChannelCurve(ctx_.Live(), ch);
    ctx_.view->UpdateEqualizer(-1);
}

std::vector<int> Eq::GroupMembers(int ch) const { return ctx_.values.GroupMembers(ch); }

}  // namespace dvdsp::core
