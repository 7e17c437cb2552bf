#pragma once
// The mixer part of the controller: the input mixer of each source (routing masks, mix
// trims, input phase, the cross-source feeds) as its window edits them will live here.
// The input boxes of the channel strips stay with the output channels.

#include "core/controller_context.h"

namespace dvdsp::core {

class Mixer {
public:
    explicit Mixer(ControllerContext& ctx) : ctx_(ctx) {}

private:
    [[maybe_unused]] ControllerContext& ctx_;
};

}  // namespace dvdsp::core
