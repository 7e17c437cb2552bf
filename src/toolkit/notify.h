#pragma once
// What a control tells its window: a notification type and the control's name.

#include <cstdint>
#include <string>

namespace dvdsp::tk {

class Control;

// Notification type names.
namespace notify {
inline constexpr const char* kClick = "click";
inline constexpr const char* kSelectChanged = "selectchanged";
inline constexpr const char* kItemSelect = "itemselect";
inline constexpr const char* kItemActivate = "itemactivate";
inline constexpr const char* kValueChanged = "valuechanged";
inline constexpr const char* kMoveValueChanged = "movevaluechanged";
inline constexpr const char* kValueChangedUp = "valuechangedup";
inline constexpr const char* kValueChangedDown = "valuechangeddown";
inline constexpr const char* kValueChangedLeft = "valuechangedleft";
inline constexpr const char* kValueChangedRight = "valuechangedright";
inline constexpr const char* kReturn = "return";
inline constexpr const char* kKillFocus = "killfocus";
inline constexpr const char* kSetFocus = "setfocus";
inline constexpr const char* kWindowSize = "windowsize";
}  // namespace notify

struct TNotify {
    std::string type;  // one of notify::k*, or a custom control's own type
    std::string name;  // name of the sending control ("" for the window itself)
    Control* sender = nullptr;
    int64_t wparam = 0;  // e.g. the selected item of a combo or list
    int64_t lparam = 0;
};

}  // namespace dvdsp::tk
