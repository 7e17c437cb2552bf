#pragma once
// Replays a user's actions on the program's windows from a text file (docs/SCRIPT.md),
// so that a problem can be reproduced and checked step by step.

#include <QString>
#include <QStringList>

#include "toolkit/test_seams.h"

namespace dvdsp::ui {

class CMainWnd;

struct ScriptResult {
    int code = 0;        // 0 success; 1 a step failed; 2 the file could not be read
    int line = 0;        // failing line (1-based)
    QString message;     // what failed
};

// Runs every line of `lines`, driving the event loop meanwhile. Modal windows opened by
// a line are answered by the lines after it; one still open when the script ends fails
// it with the window's text.
ScriptResult RunScript(CMainWnd& wnd, const QStringList& lines);
ScriptResult RunScriptFile(CMainWnd& wnd, const QString& path);

// While it lives, a modal window that opens (outside a running script) is closed at once
// and its text kept: a program that replays a script must not wait for a user.
class UnansweredDialogGuard {
public:
    UnansweredDialogGuard();
    ~UnansweredDialogGuard();
    UnansweredDialogGuard(const UnansweredDialogGuard&) = delete;
    UnansweredDialogGuard& operator=(const UnansweredDialogGuard&) = delete;
    // Empty while no dialog was closed, else what the first one said.
    const QString& Message() const { return message_; }

private:
    tk::testing::ModalObserver previous_;
    QString message_;
};

}  // namespace dvdsp::ui
