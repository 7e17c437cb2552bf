#pragma once
// The one step from changes to frames: for a change of the live settings, the frames that
// give the unit the value the model now holds for what the change names. The controller's
// operations and the command line both send through it, so a value goes to the unit in one
// form whoever changed it.

#include <vector>

#include "core/apply.h"
#include "core/model_items.h"
#include "core/model.h"
#include "link/protocol/frame.h"

namespace dvdsp::core {

// Mixer values name source `source` and input `band` (InputMixTrim and Routing also the
// output `channel`); What::Phase without a channel is the input's phase.
// For What::Filter, `band` names the filter (kHighPass 0, kLowPass 1); a filter change
// without one sends both, the high-pass filter first.
std::vector<link::protocol::Frame> FramesOf(const Change& change, const SceneState& live,
                                            const link::protocol::DeviceProfile& profile);

// Whether FramesOf knows the change's kind.
bool HasFrames(What what);

// The change that sends a stored item of the live settings (core/model_items.h), or one of
// What::None for an item no frame carries (the versions, the program's own groups and
// selections, the saved roles).
Change ChangeOf(const ItemKey& key);

// What brings a unit that holds `from` to `to` (live settings): the changes of the items
// that differ, in the model's order, each change once (a filter whose type and frequency
// both differ is sent once). Items that differ and that no frame carries are listed in
// `unsent` when it is given.
std::vector<Change> ChangesBetween(const SceneState& from, const SceneState& to, std::vector<ItemKey>* unsent = nullptr);

}  // namespace dvdsp::core
