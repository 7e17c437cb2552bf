#include "toolkit/waits.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include "toolkit/control.h"
#include "toolkit/window.h"

namespace dvdsp::tk {

bool WaitUntil(const std::function<bool()>& cond, int ms) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void Settle(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

bool WaitForText(const Window& window, const std::string& name, const QString& text, int ms) {
    return WaitUntil(
        [&] {
            const Control* c = window.FindControl(name);
            return c && c->Text() == text;
        },
        ms);
}

bool WaitForShown(const QString& className, int shownBefore, int ms) {
    return WaitUntil([&] { return Window::ShownCount(className) > shownBefore; }, ms);
}

bool WaitForClosed(const QString& className, int ms) {
    return WaitUntil(
        [&] {
            for (Window* w : Window::VisibleWindows())
                if (w->ClassName() == className) return false;
            return true;
        },
        ms);
}

}  // namespace dvdsp::tk
