#pragma once
// The values a profile may carry to the unit: each one inside the unit's range of the table
// of limits. A profile with any value outside is refused whole, before anything is sent.

#include <cstddef>
#include <string>

#include "core/model.h"

namespace dvdsp::core {

// Larger than any profile the program writes by far; a larger file is refused unread.
inline constexpr size_t kMaxProfileBytes = 2 * 1024 * 1024;

// The first value of `s` outside its range, as "key value is outside min to max"; empty
// when every value is in range.
std::string ValueOutOfRange(const SceneState& s);

}  // namespace dvdsp::core
