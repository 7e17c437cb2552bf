#pragma once
// The one way the controller's operations change the live settings. Each step writes
// through `Apply` and names what it changed; the editor has the view show it at once
// and keeps the list of changes, so that a step can be recorded (an undo stack builds
// on this). Operations read the settings through `Live()`, which gives no write access.

#include <functional>
#include <utility>
#include <vector>

#include "core/apply.h"
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

    // Changes the live settings: `write` stores, `change` names what it stored.
    template <class Write>
    void Apply(const Change& change, Write&& write) {
        std::forward<Write>(write)(model_.current);
        Report(change);
    }
    // Reports a change that stores nothing: the controller's own state, or a value shown
    // again in its format.
    void Report(const Change& change);
    // Stores a reply of the unit with one of the model's apply functions; the caller
    // reports the change when the reply is for the live settings.
    Change StoreReply(Change (*apply)(UnitModel&, const link::Message&), const link::Message& msg);

    // The changes since the last call, in order.
    std::vector<Change> TakeChanges() { return std::exchange(changes_, {}); }
    // Called with every change as it is made (nothing by default).
    void SetObserver(std::function<void(const Change&)> observer) { observer_ = std::move(observer); }

private:
    UnitModel& model_;
    SessionView* view_ = nullptr;
    std::vector<Change> changes_;
    std::function<void(const Change&)> observer_;
};

}  // namespace dvdsp::core
