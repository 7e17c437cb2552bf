#pragma once
// Seams for tests: answers to the next modal windows and file dialogs, given in advance
// as a user would give them.

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
}  // namespace testing

// File dialogs through the seam.
QString GetOpenFileName(QWidget* parent, const QString& title, const QString& filter);
QString GetSaveFileName(QWidget* parent, const QString& title, const QString& filter);

}  // namespace dvdsp::tk
