#pragma once
// The lines of a script file (docs/SCRIPT.md) as steps, before anything runs: the action,
// what it acts on and its numbers. Nothing here touches a window; the runner does.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>

namespace dvdsp::ui {

enum class ScriptVerb {
    Click, Check, Uncheck, Type, TypeLeave, Slide, Choose, Menu, Drag, Open,
    Answer, AnswerFile, WaitMessage, WaitWindow, WaitText, WaitConnected, WaitDisconnected, Sleep, Key,
    Undo, Redo, AbStore, AbSwitch,
};

// The keys of `key NAME KEY...`, as written in a script.
const QStringList& ScriptKeyNames();

// The button that ends the next modal dialog ("cancel" and "close" are the same).
enum class ScriptAnswer { Confirm, Close, Third };

struct ScriptStep {
    ScriptVerb verb = ScriptVerb::Click;
    QString target;                // control name (NAME[ROW]: a list's row), menu item, window class or message text
    QString text;                  // text typed or waited for, combo or list item, file path, keys
    int value = 0;                 // slide
    std::array<int, 4> points{};   // drag: X1 Y1 X2 Y2
    ScriptAnswer answer = ScriptAnswer::Confirm;
    int ms = 0;                    // waits and sleep, never negative
    bool operator==(const ScriptStep&) const = default;
};

struct ScriptLine {
    bool skip = false;  // a blank line or a comment: nothing to run
    ScriptStep step;
    QString error;      // not empty when the line is no step: what is wrong with it
};

// The lines of a script file's bytes (UTF-8).
QStringList ScriptFileLines(const QByteArray& bytes);
// One line: words are separated by blanks and tabs.
ScriptLine ParseScriptLine(const QString& line);
// The step written as a line that parses back to it.
QString ScriptStepText(const ScriptStep& step);

}  // namespace dvdsp::ui
