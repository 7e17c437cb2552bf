#pragma once
// The status read-out that follows a connection: the hand-shake, then every query whose
// reply fills the live settings. Replies reach the registered message targets.

#include <array>

#include "core/model.h"
#include "link/dsp_device.h"

namespace dvdsp::core {

inline constexpr int kSourceCount = 9;
inline constexpr int kOutputChannels = 10;
inline constexpr int kMaxEqBands = 31;
inline constexpr int kEqBlock = 7;  // bands asked for at a time

struct ReadOutPlan {
    std::array<int, kOutputChannels> eqSize{};
    ReadOutPlan() { eqSize.fill(kMaxEqBands); }
};

// Runs the read-out; -1 when the hand-shake failed, else 0 (also when the unit is of
// another model: then nothing is read).
int ReadOutUnitStatus(link::DspDevice& dev, const ReadOutPlan& plan = ReadOutPlan());

}  // namespace dvdsp::core
