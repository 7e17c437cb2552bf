#pragma once
// The program's own layout tags, compared without regard to case: "CircleProgress",
// "Curve", "CurveAc", "SButton". Any other tag gives no control.

#include <QString>

namespace dvdsp::tk {
class Control;
}

namespace dvdsp::ui {

tk::Control* CreateCustomControl(const QString& tag);

}  // namespace dvdsp::ui
