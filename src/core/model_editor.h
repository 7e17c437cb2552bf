#pragma once
// The one writer of the unit model. Each step writes through `Apply` (the live settings),
// `ApplyUnit` (anything of the unit: its own values, names, scene copies) or `Replace`
// (a whole model read from a file) and names what it changed; the editor has the view show
// it at once, keeps the list of changes and records every stored item the step changed
// with its value before and after (core/model_items.h), so that a step can be undone or
// sent as what differs. Operations read the model through `Live()` and `Unit()`, which give
// no write access.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/apply.h"
#include "core/model_items.h"
#include "core/unit_model.h"

namespace dvdsp::core {

class SessionView;

class ModelEditor {
public:
    explicit ModelEditor(UnitModel& model) : model_(model) {}
    ModelEditor(const ModelEditor&) = delete;
    ModelEditor& operator=(const ModelEditor&) = delete;

    void SetView(SessionView* view) { view_ = view; }
    const SceneState& Live() const { return model_.current; }
    const UnitModel& Unit() const { return model_; }

    // Changes the live settings: `write` stores, `change` names what it stored.
    template <class Write>
    void Apply(const Change& change, Write&& write) {
        const SceneState before = model_.current;
        std::forward<Write>(write)(model_.current);
        Record(SceneDifferences(0, before, model_.current));
        Report(change);
    }
    // Changes anything of the unit model; `change` names it for the view (What::None
    // reports nothing).
    template <class Write>
    void ApplyUnit(const Change& change, Write&& write) {
        const UnitModel before = model_;
        std::forward<Write>(write)(model_);
        Record(UnitDifferences(before, model_));
        if (change) Report(change);
    }
    // Takes the live settings, or the live settings, scene copies and names, of `next`
    // (a profile read from a file). The view is refreshed by the caller, as a whole.
    void ReplaceLive(const SceneState& next);
    void ReplaceStored(const UnitModel& next);
    // Reports a change that stores nothing: the controller's own state, or a value shown
    // again in its format.
    void Report(const Change& change);
    // Stores a reply of the unit with one of the model's apply functions; the caller
    // reports the change when the reply is for the live settings. A reply is the unit's
    // own state, not an edit: it is not recorded.
    Change StoreReply(Change (*apply)(UnitModel&, const link::Message&), const link::Message& msg);

    // Stores each item's value before (an undo, last item first) or after (a redo), as a
    // step of the history recorded it; not recorded again. The caller refreshes the view.
    void Restore(const std::vector<ItemChange>& items, bool before);
    // Names the step being made (an operation that knows better than its first item).
    void NameStep(std::string name) { stepName_ = std::move(name); }
    std::string TakeStepName() { return std::exchange(stepName_, {}); }

    // The changes since the last call, in order.
    std::vector<Change> TakeChanges() { return std::exchange(changes_, {}); }
    // The stored items changed since the last call, in order, with their old and new values.
    std::vector<ItemChange> TakeEdits() { return std::exchange(edits_, {}); }
    // Called with every change as it is made (nothing by default).
    void SetObserver(std::function<void(const Change&)> observer) { observer_ = std::move(observer); }
    // Called with the stored items of the live settings and the unit each time they change,
    // with their old and new values: an edit, an undo or redo, a reply of the unit, a file
    // read (nothing by default; replies are compared only while one is set).
    using ItemObserver = std::function<void(const std::vector<ItemChange>&)>;
    void SetItemObserver(ItemObserver observer) { itemObserver_ = std::move(observer); }

private:
    void Record(std::vector<ItemChange> items);

    UnitModel& model_;
    SessionView* view_ = nullptr;
    std::vector<Change> changes_;
    std::vector<ItemChange> edits_;
    std::string stepName_;
    std::function<void(const Change&)> observer_;
    ItemObserver itemObserver_;
};

}  // namespace dvdsp::core
