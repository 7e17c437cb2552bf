#include "toolkit/action_end.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>

namespace dvdsp::tk {
namespace {

std::function<void()>& OnEnd() {
    static std::function<void()> onEnd;
    return onEnd;
}

// Sees every release of a mouse button in the program; the action ends once the release
// has been handled.
class ReleaseWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease) QTimer::singleShot(0, qApp, [] { ActionMayHaveEnded(); });
        return QObject::eventFilter(watched, e);
    }
};

}  // namespace

void SetActionEnd(std::function<void()> onEnd) {
    static ReleaseWatch* watch = nullptr;
    OnEnd() = std::move(onEnd);
    if (!watch && qApp) {
        watch = new ReleaseWatch;
        watch->setParent(qApp);
        qApp->installEventFilter(watch);
    }
}

void ActionMayHaveEnded() {
    if (!OnEnd()) return;
    if (QGuiApplication::mouseButtons() != Qt::NoButton) return;
    OnEnd()();
}

}  // namespace dvdsp::tk
