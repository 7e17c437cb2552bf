#pragma once
// The status read-out that follows a connection: the hand-shake, then every query whose
// reply fills the live settings. Replies reach the registered message targets.

#include <array>
#include <string>

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

// Results of the read-out.
inline constexpr int kReadOutDone = 0;         // every query answered (or the unit is of
                                               // another model: then nothing is read)
inline constexpr int kReadOutNoHandshake = -1;  // the hand-shake was not answered
inline constexpr int kReadOutIncomplete = -2;   // a query stayed unanswered after its retries,
                                                // or the unit went away: the model is not the unit's

// Runs the read-out as one exchange sequence (link/exchange.h): each query is sent again
// when its reply does not come. On failure `why` (when given) says what was not read.
int ReadOutUnitStatus(link::DspDevice& dev, const ReadOutPlan& plan = ReadOutPlan(),
                      std::string* why = nullptr);

}  // namespace dvdsp::core
