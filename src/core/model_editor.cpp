#include "core/model_editor.h"

#include <algorithm>
#include <iterator>

#include "core/session_view.h"

namespace dvdsp::core {
namespace {
// Nothing may leave the list untaken for long; the oldest half goes when it is full.
constexpr size_t kMaxKept = 4096;
// The edits of one step may be a whole unit read from a file: every scene's every item.
constexpr size_t kMaxEdits = size_t{1} << 17;
}  // namespace

void ModelEditor::Report(const Change& change) {
    if (changes_.size() >= kMaxKept) changes_.erase(changes_.begin(), changes_.begin() + kMaxKept / 2);
    changes_.push_back(change);
    if (observer_) observer_(change);
    if (view_) view_->Refresh(change);
}

void ModelEditor::Record(std::vector<ItemChange> items) {
    if (items.empty()) return;
    if (itemObserver_) itemObserver_(items);
    if (edits_.size() + items.size() > kMaxEdits) {
        const size_t drop = std::min(edits_.size(), std::max(kMaxEdits / 2, items.size()));
        edits_.erase(edits_.begin(), edits_.begin() + static_cast<std::ptrdiff_t>(drop));
    }
    edits_.insert(edits_.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
}

void ModelEditor::Restore(const std::vector<ItemChange>& items, bool before) {
    if (before)
        for (auto it = items.rbegin(); it != items.rend(); ++it) StoreItem(model_, it->key, it->before);
    else
        for (const ItemChange& item : items) StoreItem(model_, item.key, item.after);
    if (itemObserver_ && !items.empty()) {
        std::vector<ItemChange> told;
        told.reserve(items.size());
        for (const ItemChange& item : items)
            told.push_back(before ? ItemChange{item.key, item.after, item.before} : item);
        if (before) std::reverse(told.begin(), told.end());
        itemObserver_(told);
    }
}

void ModelEditor::ReplaceLive(const SceneState& next) {
    Record(SceneDifferences(0, model_.current, next));
    model_.current = next;
}

void ModelEditor::ReplaceStored(const UnitModel& next) {
    UnitModel after = model_;
    after.current = next.current;
    after.scenes = next.scenes;
    after.names = next.names;
    Record(UnitDifferences(model_, after));
    model_ = std::move(after);
}

Change ModelEditor::StoreReply(Change (*apply)(UnitModel&, const link::Message&), const link::Message& msg) {
    // Reported by the dispatch once it has done what the reply asks for.
    if (!itemObserver_) return apply(model_, msg);
    const UnitModel before = model_;
    const Change change = apply(model_, msg);
    std::vector<ItemChange> items = UnitDifferences(before, model_);
    if (!items.empty()) itemObserver_(items);
    return change;
}

}  // namespace dvdsp::core
