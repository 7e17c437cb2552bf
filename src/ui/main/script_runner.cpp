#include "ui/main/script_runner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <functional>
#include <limits>

#include "platform/file_access.h"
#include "toolkit/controls.h"
#include "toolkit/test_seams.h"
#include "toolkit/language.h"
#include "toolkit/waits.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/scene_wnd.h"
#include "ui/main/main_wnd.h"
#include "ui/main/script_actions.h"
#include "ui/main/script_parse.h"

namespace dvdsp::ui {
namespace {

constexpr int kRunWaitMs = 10000;

// The visible window whose modal loop is running, topmost first; nullptr when none.
tk::Window* OpenModal() {
    for (tk::Window* w : tk::Window::VisibleWindows())
        if (w->IsModalRunning()) return w;
    return nullptr;
}

// Runs the lines in order. A modal window opened by a line runs its own loop inside that
// line; the lines after it then run from inside that loop (they may answer the window),
// until the window closes and the line that opened it ends.
class Runner {
public:
    Runner(CMainWnd& wnd, const QStringList& lines) : wnd_(wnd), lines_(lines) {}

    ScriptResult Run() {
        tk::testing::ModalObserver previousModal = tk::testing::CurrentModalObserver();
        tk::testing::SetModalObserver([this](tk::Window& w) { OnModal(w); });
        tk::testing::SetUnansweredFileHandler([this](const QString& title) {
            Fail(lastLine_, "a file dialog (" + title + ") that the script did not answer");
            return true;
        });
        RunLines(nullptr);
        if (!failed_) tk::Settle(10);
        tk::testing::SetUnansweredFileHandler(nullptr);
        tk::testing::SetModalObserver(previousModal);
        return result_;
    }

private:
    // A wait in progress. When a modal window opens during it, the window's loop goes
    // on with it, so that the lines after it run in order.
    struct PendingWait {
        std::function<bool()> cond;
        QElapsedTimer started;
        int ms = 0;
        int line = 0;
        std::function<QString()> failure;
        bool done = false;
    };

    // Runs lines until the end or a failure; with `dialog`, only while it is open.
    void RunLines(tk::Window* dialog) {
        QPointer<tk::Window> d(dialog);
        auto open = [&] { return !dialog || (d && d->isVisible() && d->IsModalRunning()); };
        while (!failed_ && open()) {
            if (dialog && wait_ && !wait_->done) {
                ResumeWait(d);
                continue;
            }
            if (next_ >= lines_.size()) {
                if (dialog) Fail(lastLine_, "a dialog that the script did not answer: " + DescribeDialog(*d));
                return;
            }
            int index = next_++;
            const ScriptLine line = ParseScriptLine(lines_[index]);
            if (line.skip) continue;
            lastLine_ = index + 1;
            QString error = line.error.isEmpty() ? Step(line.step) : line.error;
            if (!error.isEmpty()) Fail(index + 1, error);
        }
    }

    // A modal window that nobody answered in advance: the script goes on inside its loop.
    void OnModal(tk::Window& w) {
        if (failed_) {
            w.Close(tk::kResultClosed);
            return;
        }
        RunLines(&w);
    }

    // Goes on with the wait of an earlier line while `dialog` is up.
    void ResumeWait(const QPointer<tk::Window>& dialog) {
        PendingWait& pw = *wait_;
        auto closed = [&] { return !dialog || !dialog->isVisible() || !dialog->IsModalRunning(); };
        int left = std::max(0, pw.ms - static_cast<int>(pw.started.elapsed()));
        bool met = tk::WaitUntil([&] { return failed_ || closed() || pw.cond(); }, left);
        if (failed_) return;
        if (met && !pw.cond()) return;  // the window closed first: the line goes on waiting
        pw.done = true;
        if (!met) Fail(pw.line, pw.failure());
    }

    // Empty when `cond` held within `ms`, else what `failure` says.
    QString Wait(std::function<bool()> cond, int ms, std::function<QString()> failure) {
        PendingWait pw;
        pw.cond = std::move(cond);
        pw.ms = ms;
        pw.line = lastLine_;
        pw.failure = std::move(failure);
        pw.started.start();
        PendingWait* outer = std::exchange(wait_, &pw);
        bool met = tk::WaitUntil([&] { return failed_ || pw.done || pw.cond(); }, ms);
        wait_ = outer;
        if (failed_ || pw.done) return {};  // finished inside a dialog's loop
        return met ? QString() : pw.failure();
    }

    // Empty when the step worked, else what went wrong.
    QString Step(const ScriptStep& s) {
        bool known = false;
        QString error = RunAction(wnd_, s, &known);
        if (known) return error;
        switch (s.verb) {
            case ScriptVerb::Answer: return Answer(s.answer);
            case ScriptVerb::AnswerFile: tk::testing::AnswerNextFileDialog(s.text); return {};
            case ScriptVerb::WaitMessage: {
                QString text = s.target;
                return Wait([this, text] { return MessageSeen(text); }, s.ms, [text] { return "no message " + text; });
            }
            case ScriptVerb::WaitText: return WaitText(s);
            case ScriptVerb::WaitWindow: {
                QString cls = s.target;
                return Wait(
                    [cls] {
                        for (tk::Window* v : tk::Window::VisibleWindows())
                            if (v->ClassName() == cls) return true;
                        return false;
                    },
                    s.ms, [cls] { return "no window " + cls + " was shown"; });
            }
            case ScriptVerb::WaitConnected:
            case ScriptVerb::WaitDisconnected: {
                const bool connected = s.verb == ScriptVerb::WaitConnected;
                QString want = connected ? "${btn_connected}" : "${btn_disconnected}";
                tk::Control* btn = wnd_.FindControl("btnConnect");
                if (!btn) return "no control btnConnect";
                return Wait([this, btn, want] { return btn->Text() == want && wnd_.Controller().RunningWorkers() == 0; },
                            s.ms, [connected] {
                                return QStringLiteral("timed out waiting for %1").arg(connected ? "connected" : "disconnected");
                            });
            }
            case ScriptVerb::Sleep: {
                QElapsedTimer t;
                t.start();
                const int ms = s.ms;
                // Time enough for the sleep and then some, however long the sleep.
                const int limit = ms > std::numeric_limits<int>::max() - kRunWaitMs ? std::numeric_limits<int>::max()
                                                                                       : ms + kRunWaitMs;
                Wait([t, ms] { return t.elapsed() >= ms; }, limit, [] { return QString(); });
                return {};
            }
            default: return "unknown step: " + ScriptStepText(s);
        }
    }

    // A message asked for by the main window (as it was asked: a key or a text), by the
    // scene window (its key), or shown in any message box (raw or as shown).
    bool MessageSeen(const QString& text) const {
        if (wnd_.MessagesShown().contains(text)) return true;
        for (const QString& m : MessageDialogsShown())
            if (m == text || tk::Lang(m) == text) return true;
        for (tk::Window* w : tk::Window::VisibleWindows())
            if (auto* scenes = dynamic_cast<CSceneWnd*>(w); scenes && scenes->MessagesShown().contains(text)) return true;
        return false;
    }

    // wait-text NAME TEXT [MS]: the control's raw text is TEXT within MS.
    QString WaitText(const ScriptStep& s) {
        std::string name = s.target.toStdString();
        const int ms = s.ms;
        const QString want = s.text;
        const QString label = s.target;
        return Wait(
            [name, want] {
                QString text, why;
                // A script's words are separated by single blanks: so are the texts compared.
                return CurrentControlText(name, &text, &why) && text.simplified() == want.simplified();
            },
            ms,
            [name, want, label, ms] {
                QString text, why;
                if (!CurrentControlText(name, &text, &why)) return why;
                return QStringLiteral("%1 shows \"%2\", not \"%3\", after %4 ms").arg(label, text, want).arg(ms);
            });
    }

    QString Answer(ScriptAnswer answer) {
        tk::testing::AnswerNextModal(answer == ScriptAnswer::Confirm ? tk::kResultConfirm
                                     : answer == ScriptAnswer::Third ? tk::kResultThird
                                                                     : tk::kResultClosed);
        return {};
    }

    // Records the first failure and ends every modal window, so that their loops return.
    void Fail(int line, QString message) {
        if (failed_) return;
        failed_ = true;
        if (tk::Window* open = OpenModal(); open && !message.contains(open->ClassName()))
            message += "; open: " + DescribeDialog(*open);
        result_ = {1, line, message};
        for (tk::Window* w : tk::Window::VisibleWindows())
            if (w->IsModalRunning()) w->Close(tk::kResultClosed);
    }

    CMainWnd& wnd_;
    QStringList lines_;
    int next_ = 0;      // index of the next line to run
    int lastLine_ = 0;  // 1-based number of the line that ran last
    PendingWait* wait_ = nullptr;
    bool failed_ = false;
    ScriptResult result_;
};

}  // namespace

ScriptResult RunScript(CMainWnd& wnd, const QStringList& lines) {
    Runner runner(wnd, lines);
    return runner.Run();
}

ScriptResult RunScriptFile(CMainWnd& wnd, const QString& path) {
    // A script is a regular file of a few lines: a device or a FIFO is refused unread.
    std::string text, why;
    if (platform::ReadRegularFile(QFile::encodeName(path).toStdString(), 4u << 20, &text, &why) !=
        platform::ReadStatus::Ok)
        return {2, 0, QString::fromStdString(why)};
    QByteArray bytes = QByteArray::fromStdString(text);
    bytes.replace("\r\n", "\n");
    return RunScript(wnd, ScriptFileLines(bytes));
}

UnansweredDialogGuard::UnansweredDialogGuard() : previous_(tk::testing::CurrentModalObserver()) {
    tk::testing::SetModalObserver([this](tk::Window& w) {
        if (message_.isEmpty()) message_ = "a dialog that the script did not answer: " + DescribeDialog(w);
        w.Close(tk::kResultClosed);
    });
}

UnansweredDialogGuard::~UnansweredDialogGuard() { tk::testing::SetModalObserver(previous_); }

}  // namespace dvdsp::ui
