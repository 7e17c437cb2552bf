#pragma once
// A/B compare: two slots, each the whole live settings, the first filled from the unit on
// connect. Storing copies the live settings into a slot; switching gives the unit the other
// slot by sending only what differs, as one undo step. The slots belong to the unit
// session: a new unit starts them again.

#include <functional>
#include <optional>

#include "core/controller_context.h"

namespace dvdsp::core {

class Channels;
class Eq;
class UndoHistory;

class AbCompare {
public:
    AbCompare(ControllerContext& ctx, Channels& channels, Eq& eq, UndoHistory& undo)
        : ctx_(ctx), channels_(channels), eq_(eq), undo_(undo) {}
    void SetBusy(std::function<bool()> busy) { busy_ = std::move(busy); }

    static constexpr int kA = 0, kB = 1;
    void Store(int slot);
    bool Stored(int slot) const { return (slot == kA || slot == kB) && slots_[slot].has_value(); }
    // Gives the unit the other slot; false, with a message, when it cannot.
    bool Switch();
    int LiveSlot() const { return live_; }
    // The live settings differ from the slot they were switched to or stored as.
    bool ChangedSinceStored() const;
    const SceneState* Slot(int slot) const { return Stored(slot) ? &*slots_[slot] : nullptr; }
    // The changes the last switch sent.
    size_t LastSwitchChanges() const { return lastChanges_; }

    // `keep`: the unit is the one of the session and still holds what it did.
    void OnConnected(bool keep);
    void OnDisconnected();

private:
    ControllerContext& ctx_;
    Channels& channels_;
    Eq& eq_;
    UndoHistory& undo_;
    std::function<bool()> busy_;
    std::optional<SceneState> slots_[2];
    int live_ = kA;
    size_t lastChanges_ = 0;
    bool switchSent_ = false;    // a switch's frames may still be in the queue
    bool switchCut_ = false;     // the unit went away before they all went out
};

}  // namespace dvdsp::core
