#pragma once
// The one step from changes to frames: for a change of the live settings, the frames that
// give the unit the value the model now holds for what the change names. The controller's
// operations and the command line both send through it, so a value goes to the unit in one
// form whoever changed it.

#include <vector>

#include "core/apply.h"
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

}  // namespace dvdsp::core
