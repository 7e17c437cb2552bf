#include "ui/main/script_actions.h"

#include <QAction>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "toolkit/language.h"
#include "toolkit/menu.h"
#include "toolkit/waits.h"
#include "toolkit/window.h"
#include "toolkit/window_factory.h"
#include "ui/main/main_wnd.h"

namespace dvdsp::ui {
namespace {

QString Rest(const QStringList& words, int from) { return words.mid(from).join(QLatin1Char(' ')); }

// The visible windows the user can reach, the topmost first.
QList<tk::Window*> ReachableWindows() {
    QList<tk::Window*> out;
    for (tk::Window* w : tk::Window::VisibleWindows()) {
        out.append(w);
        if (w->IsModalRunning()) break;
    }
    return out;
}

QString Missing(const QString& what, const QString& name) {
    tk::Window* top = tk::Window::Topmost();
    QString where = top ? QStringLiteral(" (topmost window %1)").arg(top->ClassName()) : QString();
    return QStringLiteral("no %1 %2%3").arg(what, name, where);
}

QString Click(const QString& name) {
    tk::Control* c = FindReachableControl(name.toStdString());
    if (!c) return Missing(QStringLiteral("control"), name);
    if (auto* b = dynamic_cast<tk::Button*>(c)) b->Click();
    else if (auto* cb = dynamic_cast<tk::CheckBox*>(c)) cb->Click();
    else return name + " cannot be clicked";
    tk::Settle(10);
    return {};
}

QString Check(const QString& name, bool on) {
    tk::Control* c = FindReachableControl(name.toStdString());
    if (!c) return Missing(QStringLiteral("control"), name);
    if (c->IsSelected() != on) return Click(name);
    return {};
}

QString Type(const QString& name, const QString& text, bool pressReturn) {
    auto* e = dynamic_cast<tk::Edit*>(FindReachableControl(name.toStdString()));
    if (!e) return Missing(QStringLiteral("edit"), name);
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
    tk::Settle(10);
    return {};
}

QString Slide(const QString& name, const QString& value) {
    auto* s = dynamic_cast<tk::Slider*>(FindReachableControl(name.toStdString()));
    if (!s) return Missing(QStringLiteral("slider"), name);
    bool ok = false;
    int v = value.toInt(&ok);
    if (!ok) return "not a number: " + value;
    s->setValue(v);  // as the user's drag does: the window is told
    tk::Settle(10);
    return {};
}

QString Choose(const QString& name, const QString& item) {
    auto* c = dynamic_cast<tk::Combo*>(FindReachableControl(name.toStdString()));
    if (!c) return Missing(QStringLiteral("combo"), name);
    bool isIndex = false;
    int i = item.toInt(&isIndex);
    if (!isIndex) i = c->FindItem(item);
    if (i < 0 || i >= c->ItemCount()) return "no item " + item + " in " + name;
    c->setCurrentIndex(i);
    c->activated(i);
    tk::Settle(10);
    return {};
}

QString Menu(CMainWnd& wnd, const QString& item) {
    QList<tk::Window*> windows = ReachableWindows();
    if (!windows.contains(&wnd) && !wnd.IsModalRunning()) windows.append(&wnd);
    for (tk::Window* w : windows)
        for (QAction* a : w->actions())
            if (a->objectName() == item) {
                a->trigger();
                tk::Settle(10);
                return {};
            }
    tk::Menu* m = wnd.CurrentMenu();
    if (!m || !m->Trigger(item)) return "no menu item " + item;
    tk::Settle(10);
    return {};
}

// A mouse event for the deepest widget under `at` (in `top`'s coordinates).
void SendMouse(QWidget* top, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QWidget* target = top->childAt(at);
    if (!target) target = top;
    QPointF local = target->mapFrom(top, at);
    QPointF global = top->mapToGlobal(at);
    QMouseEvent e(type, local, global, button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &e);
}

QString Drag(const QStringList& w) {
    tk::Control* c = FindReachableControl(w[1].toStdString());
    if (!c) return Missing(QStringLiteral("control"), w[1]);
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = w[2 + i].toInt(&ok);
        if (!ok) return "not a number: " + w[2 + i];
    }
    QWidget* widget = c->Widget();
    const QPoint from(v[0], v[1]), to(v[2], v[3]);
    SendMouse(widget, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    constexpr int kSteps = 4;  // the pointer passes between the two points
    for (int i = 1; i <= kSteps; ++i) {
        QPoint p = from + (to - from) * i / kSteps;
        SendMouse(widget, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
    }
    SendMouse(widget, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    tk::Settle(10);
    return {};
}

QString Open(CMainWnd& wnd, const QString& className) {
    if (!tk::OpenWindowByClass(className, wnd))
        return "no window class " + className + " (known: " + tk::RegisteredWindowClasses().join(", ") + ")";
    tk::Settle(10);
    return {};
}

}  // namespace

tk::Control* FindReachableControl(const std::string& name) {
    for (tk::Window* w : ReachableWindows())
        if (tk::Control* c = w->FindControl(name)) return c;
    return nullptr;
}

QString RunAction(CMainWnd& wnd, const QStringList& w, bool* known) {
    *known = true;
    const QString& verb = w[0];
    auto need = [&](int n) { return w.size() >= n; };
    if (verb == "click" && need(2)) return Click(w[1]);
    if ((verb == "check" || verb == "uncheck") && need(2)) return Check(w[1], verb == "check");
    if ((verb == "type" || verb == "type-leave") && need(2)) return Type(w[1], Rest(w, 2), verb == "type");
    if (verb == "slide" && need(3)) return Slide(w[1], w[2]);
    if (verb == "choose" && need(3)) return Choose(w[1], w[2]);
    if (verb == "menu" && need(2)) return Menu(wnd, w[1]);
    if (verb == "drag" && need(6)) return Drag(w);
    if (verb == "open" && need(2)) return Open(wnd, w[1]);
    *known = false;
    return {};
}

QString DescribeDialog(const tk::Window& dialog) {
    const tk::Control* text = dialog.FindControl("MessageText");
    QString raw = text && !text->Text().isEmpty() ? text->Text() : dialog.Title();
    QString shown = tk::Lang(raw);
    QString out = dialog.ClassName();
    if (!raw.isEmpty()) out += ": " + raw;
    if (shown != raw) out += " (" + shown + ")";
    return out;
}

}  // namespace dvdsp::ui
