#pragma once
// Replays a user's actions on the named controls of the main window from a text file
// (docs/SCRIPT.md), so that a problem can be reproduced and checked step by step.

#include <QString>
#include <QStringList>

namespace dvdsp::ui {

class CMainWnd;

struct ScriptResult {
    int code = 0;        // 0 success; 1 a step failed; 2 the file could not be read
    int line = 0;        // failing line (1-based)
    QString message;     // what failed
};

// Runs every line of `lines` against the window, driving its event loop meanwhile.
ScriptResult RunScript(CMainWnd& wnd, const QStringList& lines);
ScriptResult RunScriptFile(CMainWnd& wnd, const QString& path);

}  // namespace dvdsp::ui
