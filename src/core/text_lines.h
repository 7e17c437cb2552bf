#pragma once
// What the readers of outside text files share.

#include <string_view>

namespace dvdsp::core {

// Whether a line is UTF-8 text: no control character but the tab, no broken sequence.
bool IsTextLine(std::string_view s);

}  // namespace dvdsp::core
