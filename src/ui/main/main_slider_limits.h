#pragma once
// The page's sliders take their ranges from the table of limits (base/limits.h).

#include "base/limits.h"

namespace dvdsp::tk {
class Control;
}

namespace dvdsp::ui {

// Gives `slider` the slider range of `limit`. A layout range that differs is logged
// loudly, as the layout and the table disagree; false then.
bool MatchSliderRange(tk::Control& slider, const Limit& limit);

}  // namespace dvdsp::ui
