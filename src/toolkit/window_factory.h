#pragma once
// Windows that can be opened by their window class name ("AboutWnd", "MsgWnd", ...),
// also those no menu opens: the user-interface layer registers how each is opened.

#include <QString>
#include <QStringList>
#include <functional>

namespace dvdsp::tk {

class Window;

// Opens the window over `owner`; a modal window runs its loop inside the call.
using WindowFactory = std::function<void(Window& owner)>;

// A later registration under the same class name replaces the earlier one.
void RegisterWindowFactory(const QString& className, WindowFactory factory);
// False when no factory is registered under that name.
bool OpenWindowByClass(const QString& className, Window& owner);
QStringList RegisteredWindowClasses();

}  // namespace dvdsp::tk
