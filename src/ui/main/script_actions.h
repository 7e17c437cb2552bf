#pragma once
// The actions of a script on the program's windows: the named controls are looked up
// in the topmost window first, then in the windows beneath it, but never beneath a
// window whose modal loop is running (as a user could not reach them either).

#include <QString>
#include <QStringList>
#include <string>

#include "ui/main/script_parse.h"

namespace dvdsp::tk {
class Control;
class Window;
}  // namespace dvdsp::tk

namespace dvdsp::ui {

class CMainWnd;

// The control of that name the user could reach now (shown, in a window not beneath a
// modal one); nullptr when none.
tk::Control* FindReachableControl(const std::string& name);

// The raw text the control of that name holds now, for `wait-text`: an edit's current
// text, a list's selected row or, as NAME[ROW], its row ROW (from 0), a combo's item. The
// control may be hidden. False with `why` when there is none.
bool CurrentControlText(const std::string& name, QString* text, QString* why);

// Runs an action step ("click", "check", "uncheck", "type", "type-leave", "slide",
// "choose", "menu", "drag", "open", "key"). Empty when it worked, else what went wrong; sets
// `known` to false for a step that is none of those.
QString RunAction(CMainWnd& wnd, const ScriptStep& step, bool* known);

// What a dialog says, for a failure message: its class and its "MessageText" (or its
// title), raw and as shown.
QString DescribeDialog(const tk::Window& dialog);

}  // namespace dvdsp::ui
