#pragma once
// The end of a user's action: after each notification a window routes and each menu click
// it handles, and when a mouse button is let go (the end of a drag), the program is told
// once, so that what the action changed can be closed into one step. A notification while
// a button is held (a slider being dragged) is part of the action that the release ends.

#include <functional>

namespace dvdsp::tk {

// Set once by the program (null: nobody is told).
void SetActionEnd(std::function<void()> onEnd);
// Called by the windows where an action may have ended.
void ActionMayHaveEnded();

}  // namespace dvdsp::tk
