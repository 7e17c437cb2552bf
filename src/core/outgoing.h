#pragma once
// The one step from changes to frames: for a change of the live settings, the frames that
// give the unit the value the model now holds for what the change names. The controller's
// operations and the command line both send through it, so a value goes to the unit in one
// form whoever changed it.

#include <vector>

#include "core/apply.h"
#include "core/model_items.h"
#include "core/model.h"
#include "core/unit_model.h"
#include "link/protocol/frame.h"

namespace dvdsp::core {

// Mixer values name source `source` and input `band` (InputMixTrim and Routing also the
// output `channel`); What::Phase without a channel is the input's phase.
// For What::Filter, `band` names the filter (kHighPass 0, kLowPass 1); a filter change
// without one sends both, the high-pass filter first.
std::vector<link::protocol::Frame> FramesOf(const Change& change, const SceneState& live,
                                            const link::protocol::DeviceProfile& profile);

// The same with the unit's own values (karaoke `value` 1-10, the input threshold, the
// power-off delay, the automatic-setting block), which the live settings do not hold.
std::vector<link::protocol::Frame> FramesOf(const Change& change, const UnitModel& unit,
                                            const link::protocol::DeviceProfile& profile);

// Whether FramesOf knows the change's kind.
bool HasFrames(What what);
// Whether the change's frames go out at once rather than through the queue (a compressor
// switched on or off is heard at once).
bool SentAtOnce(What what);

// The change that sends a stored item of the live settings (core/model_items.h), or one of
// What::None for an item no frame carries (the versions, the program's own groups and
// selections, the saved roles).
Change ChangeOf(const ItemKey& key);

// The changes that send the items `items` (recorded edits, or what differs), each once, in
// their order but for the lock, which goes first; what no frame carries is listed in
// `unsent` when it is given.
std::vector<Change> ChangesOf(const std::vector<ItemKey>& items, std::vector<ItemKey>* unsent = nullptr);

// What brings a unit that holds `from` to `to` (live settings): the changes of the items
// that differ, in the model's order, each change once (a filter whose type and frequency
// both differ is sent once). Items that differ and that no frame carries are listed in
// `unsent` when it is given.
std::vector<Change> ChangesBetween(const SceneState& from, const SceneState& to, std::vector<ItemKey>* unsent = nullptr);

}  // namespace dvdsp::core
