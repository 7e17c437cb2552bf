#pragma once
// The scenes part of the controller: the ten scenes kept in the unit's memory. Saving
// the live settings as a scene, loading and deleting one, renaming, and the scene
// transfer threads with their busy window will live here; the transfers themselves are
// in core/transfer.h.

#include "core/controller_context.h"

namespace dvdsp::core {

class Scenes {
public:
    explicit Scenes(ControllerContext& ctx) : ctx_(ctx) {}

private:
    [[maybe_unused]] ControllerContext& ctx_;
};

}  // namespace dvdsp::core
