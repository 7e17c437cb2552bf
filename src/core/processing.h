#pragma once
// The processing part of the controller: the values of the processing windows (the
// compressors, the noise threshold, the power-off delay, the automatic calibration and
// the karaoke settings) will live here.

#include "core/controller_context.h"

namespace dvdsp::core {

class Processing {
public:
    explicit Processing(ControllerContext& ctx) : ctx_(ctx) {}

private:
    [[maybe_unused]] ControllerContext& ctx_;
};

}  // namespace dvdsp::core
