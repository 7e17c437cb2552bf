#include "core/ab_compare.h"

#include "base/log.h"
#include "core/channels.h"
#include "core/eq.h"
#include "core/undo.h"

namespace dvdsp::core {
namespace {

// The settings a slot is compared by: what the unit holds, not which channel the page shows.
bool SameForTheUnit(const SceneState& a, const SceneState& b) {
    for (const ItemChange& c : SceneDifferences(0, a, b))
        if (ChangeOf(c.key)) return false;
    return true;
}

}  // namespace

void AbCompare::Store(int slot) {
    if (slot != kA && slot != kB) return;
    slots_[slot] = ctx_.Live();
    live_ = slot;
    ctx_.edit.Report({What::AbSlots, 0});
}

bool AbCompare::ChangedSinceStored() const {
    const SceneState* s = Slot(live_);
    return s && !SameForTheUnit(*s, ctx_.Live());
}

bool AbCompare::Switch() {
    if (busy_ && busy_()) {
        ctx_.prompt->ShowTips("${undo_busy}");
        return false;
    }
    if (!ctx_.device.IsConnected()) {
        ctx_.prompt->ShowTips("${undo_no_unit}");
        return false;
    }
    const int other = live_ == kA ? kB : kA;
    if (!Stored(other)) {
        ctx_.prompt->ShowTips(other == kA ? "${ab_store_a_first}" : "${ab_store_b_first}");
        return false;
    }
    undo_.CloseStep();
    const SceneState before = ctx_.Live();
    SceneState to = *slots_[other];
    // The page stays on the channel it shows.
    to.currOutChannel = before.currOutChannel;
    const std::vector<Change> changes = ChangesBetween(before, to);
    ctx_.edit.ReplaceLive(to);
    ctx_.edit.NameStep(other == kA ? "${ab_switch_to_a}" : "${ab_switch_to_b}");
    undo_.CloseStep();
    for (const Change& c : changes) ctx_.Send(c);
    lastChanges_ = changes.size();
    LogWriteNarrow("switched to %c: %zu changes\n", other == kA ? 'A' : 'B', changes.size());
    live_ = other;
    switchSent_ = true;
    channels_.RefreshAllControls();
    eq_.UpdateAllCurves();
    ctx_.edit.TakeEdits();
    ctx_.edit.Report({What::AbSlots, 0});
    return true;
}

void AbCompare::OnDisconnected() {
    // The switch was the last step and its frames had not all gone out.
    const std::string last = undo_.UndoName();
    switchCut_ = switchSent_ && !ctx_.device.QueueIdle() && (last == "${ab_switch_to_a}" || last == "${ab_switch_to_b}");
    switchSent_ = false;
}

void AbCompare::OnConnected(bool keep) {
    if (switchCut_) ctx_.prompt->ShowTips("${ab_switch_incomplete}");
    switchCut_ = false;
    if (keep && Stored(kA)) {
        ctx_.edit.Report({What::AbSlots, 0});
        return;
    }
    slots_[kB].reset();
    slots_[kA] = ctx_.Live();
    live_ = kA;
    ctx_.edit.Report({What::AbSlots, 0});
}

}  // namespace dvdsp::core
