#pragma once
// Undo and redo of what the person changed: the editor's recorded edits closed into steps
// (one user action each, a drag from press to release), and a step undone or redone by
// storing its items' old or new values and sending only what they carry, through the same
// step from changes to frames as any edit. Changes the unit makes by itself (a scene load,
// a calibration's apply) become a step from the live settings before and after. The history
// belongs to the unit session: kept across a short unplug while the unit still holds what
// it says, cleared with a message when the unit was changed elsewhere.

#include <functional>
#include <optional>
#include <string>

#include "core/controller_context.h"
#include "core/history.h"

namespace dvdsp::core {

class Channels;
class Eq;

class UndoHistory {
public:
    UndoHistory(ControllerContext& ctx, Channels& channels, Eq& eq) : ctx_(ctx), channels_(channels), eq_(eq) {}

    // True while a transfer, a read-out or a calibration runs: undo and redo wait.
    void SetBusy(std::function<bool()> busy) { busy_ = std::move(busy); }

    // Ends the step being made: its edits become one step of the history. Nothing while
    // a drag holds the step open.
    void CloseStep();
    void HoldStep(bool hold) { hold_ = hold; }
    // A change the unit makes by itself starts: the live settings now are its "before".
    void BeginUnitStep(const std::string& name);
    // It has ended (its read-back is in the model): the differences become a step.
    void EndUnitStep();

    bool CanUndo() const { return history_.CanUndo() || unitStep_.has_value(); }
    bool CanRedo() const { return history_.CanRedo(); }
    // The names of the steps an undo and a redo would take (${key} texts), empty for none.
    std::string UndoName() const;
    std::string RedoName() const;
    // False, with a message, when nothing was done.
    bool Undo() { return Step(true); }
    bool Redo() { return Step(false); }

    // The session's ends: at an unplug the live settings are kept; after the next read-out
    // the history stays only if the unit still holds them.
    void OnDisconnected();
    // True when the history was kept: the unit holds what it held at the unplug.
    bool OnConnected();
    const History& Steps() const { return history_; }
    void Clear() { history_.Clear(); }

private:
    bool Step(bool back);

    ControllerContext& ctx_;
    Channels& channels_;
    Eq& eq_;
    History history_;
    std::function<bool()> busy_;
    bool hold_ = false;
    std::optional<SceneState> unitStep_;  // the live settings before a unit's own change
    std::string unitStepName_;
    std::optional<SceneState> atUnplug_;
};

// What a step changed, in words with ${key} texts ("CH3 ${step_band} 5 ${step_gain}").
std::string StepName(const std::vector<ItemChange>& items);

}  // namespace dvdsp::core
