#pragma once
// The settings in which two models differ, as readable lines:
// "<where> <setting> <value in A> <value in B>", where is "CH<n>" (one-based) for an
// output channel, "unit" for the rest, with "scene <n> " in front for a stored scene.

#include <string>
#include <vector>

#include "core/unit_model.h"

namespace dvdsp::core {

std::vector<std::string> DiffScenes(const SceneState& a, const SceneState& b,
                                    const std::string& prefix = "");
// Live settings, scene names and the ten scene copies.
std::vector<std::string> DiffUnits(const UnitModel& a, const UnitModel& b);

}  // namespace dvdsp::core
