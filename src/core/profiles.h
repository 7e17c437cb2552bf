#pragma once
// The profiles part of the controller: the settings files (.spf, .wpf) chosen through
// the prompt. Saving the live settings or every scene to a file and loading one into the
// unit, with its load thread, will live here; reading and writing the files is in
// core/profile.h.

#include "core/controller_context.h"

namespace dvdsp::core {

class Profiles {
public:
    explicit Profiles(ControllerContext& ctx) : ctx_(ctx) {}

private:
    [[maybe_unused]] ControllerContext& ctx_;
};

}  // namespace dvdsp::core
