#include "core/undo.h"

#include <map>
#include <tuple>

#include "base/log.h"
#include "core/channels.h"
#include "core/eq.h"

namespace dvdsp::core {
namespace {

// Items of a step: the live settings and the unit's own values that frames carry. The
// unit's stored scenes and their names are not undone (the unit keeps them as written),
// and which channel the page shows is no edit.
bool Undoable(const ItemKey& key) {
    if (key.field == Field::CurrentChannel || key.field == Field::CurveShown) return false;
    if (key.scene == 0) return true;
    return key.scene < 0 && ChangeOf(key);
}

// One item once: its first old value and its last new value (a drag's many moves).
std::vector<ItemChange> Merged(std::vector<ItemChange> edits) {
    std::vector<ItemChange> out;
    std::map<std::tuple<int, int, int, int, int>, size_t> at;
    for (ItemChange& e : edits) {
        if (!Undoable(e.key)) continue;
        const auto k = std::make_tuple(static_cast<int>(e.key.field), e.key.scene, e.key.i, e.key.j, e.key.k);
        if (auto it = at.find(k); it != at.end()) {
            out[it->second].after = std::move(e.after);
            continue;
        }
        at.emplace(k, out.size());
        out.push_back(std::move(e));
    }
    // An item back where it started is no change.
    std::erase_if(out, [](const ItemChange& c) { return c.before == c.after; });
    return out;
}

std::vector<ItemKey> Keys(const std::vector<ItemChange>& items) {
    std::vector<ItemKey> keys;
    keys.reserve(items.size());
    for (const ItemChange& c : items) keys.push_back(c.key);
    return keys;
}

std::string Channel(int ch) { return "CH" + std::to_string(ch + 1) + " "; }

}  // namespace

std::string StepName(const std::vector<ItemChange>& items) {
    if (items.empty()) return {};
    const ItemChange& c = items.front();
    const ItemKey& k = c.key;
    switch (k.field) {
    case Field::Band: {
        const auto* a = std::get_if<EqBand>(&c.before);
        const auto* b = std::get_if<EqBand>(&c.after);
        const char* what = "${step_band}";
        if (a && b) {
            if (a->gain != b->gain || a->enable != b->enable) what = "${step_gain}";
            else if (a->freq != b->freq) what = "${step_frequency}";
            else if (a->q != b->q) what = "${step_q}";
        }
        return Channel(k.i) + "${step_band_of} " + std::to_string(k.j + 1) + " " + what;
    }
    case Field::Trim: return Channel(k.i) + "${step_trim}";
    case Field::Delay: return Channel(k.i) + "${step_delay}";
    case Field::ChannelMute: return Channel(k.i) + "${step_mute}";
    case Field::Phase: return Channel(k.i) + "${step_phase}";
    case Field::Solo: return "${step_solo}";
    case Field::EqBypass: return Channel(k.i) + "${step_eq_bypass}";
    case Field::HighPass: return Channel(k.i) + "${step_high_pass}";
    case Field::LowPass: return Channel(k.i) + "${step_low_pass}";
    case Field::Role:
    case Field::SavedRole: return Channel(k.i) + "${step_role}";
    case Field::LinkGroup:
    case Field::DelayLinkGroup: return Channel(k.i) + "${step_group}";
    case Field::LinkPartner:
    case Field::LinkMode:
    case Field::LockMode: return "${step_link}";
    case Field::Bridge: return "${step_bridge}";
    case Field::Routing:
    case Field::MixTrim:
    case Field::MixPhase:
    case Field::CrossSource:
    case Field::CrossChannel:
    case Field::CrossGain: return "${step_mixer}";
    case Field::MainVolume: return "${step_main_volume}";
    case Field::MainMute: return "${step_main_mute}";
    case Field::Source: return "${step_source}";
    case Field::Compressor:
    case Field::CompressorOn: return Channel(k.i) + "${step_compressor}";
    default: return "${step_settings}";
    }
}

void UndoHistory::CloseStep() {
    if (hold_) return;
    std::vector<ItemChange> items = Merged(ctx_.edit.TakeEdits());
    std::string name = ctx_.edit.TakeStepName();
    if (items.empty()) return;
    // A unit's own change still open ends before what the person did next.
    EndUnitStep();
    if (name.empty()) name = StepName(items);
    history_.Push({std::move(name), std::move(items)});
}

void UndoHistory::BeginUnitStep(const std::string& name) {
    CloseStep();
    EndUnitStep();
    unitStep_ = ctx_.Live();
    unitStepName_ = name;
}

void UndoHistory::EndUnitStep() {
    if (!unitStep_) return;
    std::vector<ItemChange> items = Merged(SceneDifferences(0, *unitStep_, ctx_.Live()));
    unitStep_.reset();
    if (!items.empty()) history_.Push({std::exchange(unitStepName_, {}), std::move(items)});
}

std::string UndoHistory::UndoName() const {
    if (unitStep_) return unitStepName_;
    const HistoryStep* s = history_.NextUndo();
    return s ? s->name : std::string();
}

std::string UndoHistory::RedoName() const {
    const HistoryStep* s = history_.NextRedo();
    return s ? s->name : std::string();
}

bool UndoHistory::Step(bool back) {
    if (busy_ && busy_()) {
        ctx_.prompt->ShowTips("${undo_busy}");
        return false;
    }
    CloseStep();
    EndUnitStep();
    const HistoryStep* step = back ? history_.NextUndo() : history_.NextRedo();
    if (!step) return false;
    if (!ctx_.device.IsConnected()) {
        ctx_.prompt->ShowTips("${undo_no_unit}");
        return false;
    }
    LogWriteNarrow("%s %s (%zu values)\n", back ? "undo" : "redo", step->name.c_str(), step->items.size());
    ctx_.edit.Restore(step->items, back);
    bool sent = true;
    for (const Change& c : ChangesOf(Keys(step->items))) sent = ctx_.Send(c) && sent;
    if (!sent) {
        // What the queue refused did not reach the unit: the step stays as it was.
        ctx_.edit.Restore(step->items, !back);
        for (const Change& c : ChangesOf(Keys(step->items))) ctx_.Send(c);
        ctx_.prompt->ShowTips("${undo_send_failed}");
    } else if (back) {
        history_.Undone();
    } else {
        history_.Redone();
    }
    // The page, the graph and every curve show what the unit now holds.
    channels_.RefreshAllControls();
    eq_.UpdateAllCurves();
    ctx_.edit.TakeEdits();
    ctx_.edit.TakeStepName();
    return sent;
}

void UndoHistory::OnDisconnected() {
    CloseStep();
    EndUnitStep();
    atUnplug_ = ctx_.Live();
}

bool UndoHistory::OnConnected() {
    ctx_.edit.TakeEdits();  // the read-out is the unit's state, no edit
    ctx_.edit.TakeStepName();
    if (!atUnplug_) {
        history_.Clear();
        return false;
    }
    bool same = true;
    for (const ItemChange& c : SceneDifferences(0, *atUnplug_, ctx_.Live()))
        if (ChangeOf(c.key)) same = false;
    atUnplug_.reset();
    if (same) return true;
    if (history_.Steps() > 0) ctx_.prompt->ShowTips("${undo_history_cleared}");
    history_.Clear();
    return false;
}

}  // namespace dvdsp::core
