#include "ui/main/script_runner.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QThread>
#include <functional>

#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "toolkit/menu.h"
#include "toolkit/test_seams.h"
#include "ui/main/main_wnd.h"

namespace dvdsp::ui {
namespace {

constexpr int kDefaultWaitMs = 10000;

bool WaitFor(const std::function<bool()>& cond, int ms) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void Settle() {
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

QString Rest(const QStringList& words, int from) { return words.mid(from).join(QLatin1Char(' ')); }

class Runner {
public:
    explicit Runner(CMainWnd& wnd) : wnd_(wnd) {}

    // Empty when the step worked, else what went wrong.
    QString Step(const QStringList& w) {
        const QString& verb = w[0];
        auto need = [&](int n) { return w.size() >= n; };
        if (verb == "click" && need(2)) return Click(w[1]);
        if ((verb == "check" || verb == "uncheck") && need(2)) return Check(w[1], verb == "check");
        if ((verb == "type" || verb == "type-leave") && need(2)) return Type(w[1], Rest(w, 2), verb == "type");
        if (verb == "slide" && need(3)) return Slide(w[1], w[2]);
        if (verb == "choose" && need(3)) return Choose(w[1], w[2]);
        if (verb == "menu" && need(2)) return Menu(w[1]);
        if (verb == "answer" && need(2)) return Answer(w[1]);
        if (verb == "wait-message" && need(2)) {
            QString text = w[1];
            int ms = w.size() > 2 ? w[2].toInt() : kDefaultWaitMs;
            return WaitFor([&] { return wnd_.MessagesShown().contains(text); }, ms) ? QString()
                                                                                   : "no message " + text;
        }
        if (verb == "wait-connected" || verb == "wait-disconnected") {
            QString want = verb == "wait-connected" ? "${btn_connected}" : "${btn_disconnected}";
            int ms = w.size() > 1 ? w[1].toInt() : kDefaultWaitMs;
            tk::Control* btn = wnd_.FindControl("btnConnect");
            if (!btn) return "no control btnConnect";
            bool ok = WaitFor([&] { return btn->Text() == want && wnd_.Controller().RunningWorkers() == 0; }, ms);
            return ok ? QString() : "timed out waiting for " + verb.mid(5);
        }
        if (verb == "sleep" && need(2)) {
            WaitFor([] { return false; }, w[1].toInt());
            return {};
        }
        return "unknown step: " + w.join(' ');
    }

private:
    tk::Control* Find(const QString& name) { return wnd_.FindControl(name.toStdString()); }

    QString Click(const QString& name) {
        tk::Control* c = Find(name);
        if (!c) return "no control " + name;
        if (auto* b = dynamic_cast<tk::Button*>(c)) b->Click();
        else if (auto* cb = dynamic_cast<tk::CheckBox*>(c)) cb->Click();
        else return name + " cannot be clicked";
        Settle();
        return {};
    }
    QString Check(const QString& name, bool on) {
        tk::Control* c = Find(name);
        if (!c) return "no control " + name;
        if (c->IsSelected() != on) return Click(name);
        return {};
    }
    QString Type(const QString& name, const QString& text, bool pressReturn) {
        auto* e = dynamic_cast<tk::Edit*>(Find(name));
        if (!e) return "no edit " + name;
        QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(e, &in);
        e->setText(text);
        if (pressReturn) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(e, &key);
        } else {
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QCoreApplication::sendEvent(e, &out);
        }
        Settle();
        return {};
    }
    QString Slide(const QString& name, const QString& value) {
        auto* s = dynamic_cast<tk::Slider*>(Find(name));
        if (!s) return "no slider " + name;
        bool ok = false;
        int v = value.toInt(&ok);
        if (!ok) return "not a number: " + value;
        s->setValue(v);  // as the user's drag does: the window is told
        Settle();
        return {};
    }
    QString Choose(const QString& name, const QString& item) {
        auto* c = dynamic_cast<tk::Combo*>(Find(name));
        if (!c) return "no combo " + name;
        bool isIndex = false;
        int i = item.toInt(&isIndex);
        if (!isIndex) i = c->FindItem(item);
        if (i < 0 || i >= c->ItemCount()) return "no item " + item + " in " + name;
        c->setCurrentIndex(i);
        c->activated(i);
        Settle();
        return {};
    }
    QString Menu(const QString& item) {
        for (QAction* a : wnd_.actions())
            if (a->objectName() == item) {
                a->trigger();
                Settle();
                return {};
            }
        tk::Menu* m = wnd_.CurrentMenu();
        if (!m || !m->Trigger(item)) return "no menu item " + item;
        Settle();
        return {};
    }
    QString Answer(const QString& button) {
        int result;
        if (button == "confirm") result = tk::kResultConfirm;
        else if (button == "cancel" || button == "close") result = tk::kResultClosed;
        else if (button == "third") result = tk::kResultThird;
        else return "answer takes confirm, cancel, third or close";
        tk::testing::AnswerNextModal(result);
        return {};
    }

    CMainWnd& wnd_;
};

}  // namespace

ScriptResult RunScript(CMainWnd& wnd, const QStringList& lines) {
    Runner runner(wnd);
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        QStringList words = line.split(' ', Qt::SkipEmptyParts);
        QString error = runner.Step(words);
        if (!error.isEmpty()) return {1, i + 1, error};
    }
    Settle();
    return {};
}

ScriptResult RunScriptFile(CMainWnd& wnd, const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {2, 0, "cannot read " + path};
    return RunScript(wnd, QString::fromUtf8(f.readAll()).split('\n'));
}

}  // namespace dvdsp::ui
