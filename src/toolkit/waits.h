#pragma once
// Waiting on the user-interface thread while its event loop keeps running: for a
// condition, for a control's text, for a window of a class to be shown or to close.
// Shared by the script runner and the window tests.

#include <QString>
#include <functional>
#include <string>

namespace dvdsp::tk {

class Window;

// Runs the event loop until `cond` holds; false when `ms` passed first.
bool WaitUntil(const std::function<bool()>& cond, int ms);

// Lets posted messages and zero timers run (a few rounds of the event loop).
void Settle(int rounds = 20);

// Until the named control of `window` has the raw text `text`; false after `ms`, or
// when the control does not exist.
bool WaitForText(const Window& window, const std::string& name, const QString& text, int ms);

// Until a window of class `className` has been shown more than `shownBefore` times in
// all (see Window::ShownCount); false after `ms`.
bool WaitForShown(const QString& className, int shownBefore, int ms);

// Until no window of class `className` is visible; false after `ms`.
bool WaitForClosed(const QString& className, int ms);

}  // namespace dvdsp::tk
