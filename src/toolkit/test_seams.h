#pragma once
// Seams for tests and scripts: answers to the next modal windows and file dialogs, given
// in advance as a user would give them, and what happens to windows nobody answered.

#include <QString>
#include <functional>

class QWidget;

namespace dvdsp::tk {

class Window;

struct ModalAnswer {
    int result = 0;
    // When set, runs on the shown window instead (e.g. types text and clicks a button);
    // the window then ends as the action makes it.
    std::function<void(Window&)> action;
};

namespace testing {
// The next modal window returns `result` without waiting for a user.
void AnswerNextModal(int result);
// The next modal window is shown and `action` acts on it.
void ActOnNextModal(std::function<void(Window&)> action);
bool TakeModalAnswer(ModalAnswer* out);
// The next file dialog returns `path` ("" = cancelled).
void AnswerNextFileDialog(const QString& path);
bool TakeFileAnswer(QString* out);
void ClearAnswers();
int PendingModalAnswers();

// Sees each modal window that no queued answer ends, from inside its loop, once it is
// shown (a script replaying a user's actions goes on from there). None by default.
using ModalObserver = std::function<void(Window&)>;
void SetModalObserver(ModalObserver observer);
ModalObserver CurrentModalObserver();

// Asked, when set, before a file dialog is shown for want of a queued answer: true
// cancels the dialog ("" is returned) instead of showing it.
using UnansweredFileHandler = std::function<bool(const QString& title)>;
void SetUnansweredFileHandler(UnansweredFileHandler handler);
}  // namespace testing

// Every question for a file name goes through here: a queued answer is taken first;
// without one the Qt file dialog asks the user. "" when cancelled.
enum class FileChoice { Open, Save };
QString ChooseFile(FileChoice kind, QWidget* parent, const QString& title, const QString& filter);
inline QString GetOpenFileName(QWidget* parent, const QString& title, const QString& filter) {
    return ChooseFile(FileChoice::Open, parent, title, filter);
}
inline QString GetSaveFileName(QWidget* parent, const QString& title, const QString& filter) {
    return ChooseFile(FileChoice::Save, parent, title, filter);
}

}  // namespace dvdsp::tk
