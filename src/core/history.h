#pragma once
// The undo history of a unit session: steps of recorded edits, each with its items' values
// before and after, a cursor between the steps that can be undone and those that can be
// redone, and a bound on the steps kept (the oldest go first).

#include <cstddef>
#include <string>
#include <vector>

#include "core/model_items.h"

namespace dvdsp::core {

struct HistoryStep {
    std::string name;  // what the person did, with ${key} texts for the language
    std::vector<ItemChange> items;
};

class History {
public:
    static constexpr size_t kDefaultSteps = 1000;
    explicit History(size_t limit = kDefaultSteps) : limit_(limit) {}

    // A new step; the steps that could be redone are gone.
    void Push(HistoryStep step);
    bool CanUndo() const { return cursor_ > 0; }
    bool CanRedo() const { return cursor_ < steps_.size(); }
    // The step an undo or a redo would take, or null.
    const HistoryStep* NextUndo() const { return CanUndo() ? &steps_[cursor_ - 1] : nullptr; }
    const HistoryStep* NextRedo() const { return CanRedo() ? &steps_[cursor_] : nullptr; }
    // Moves the cursor over that step.
    void Undone() { if (CanUndo()) --cursor_; }
    void Redone() { if (CanRedo()) ++cursor_; }
    void Clear();
    size_t Steps() const { return steps_.size(); }
    // The memory the steps hold, in bytes.
    size_t Bytes() const;

private:
    size_t limit_;
    std::vector<HistoryStep> steps_;
    size_t cursor_ = 0;
};

}  // namespace dvdsp::core
