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

QString Slide(const QString& name, int v) {
    auto* s = dynamic_cast<tk::Slider*>(FindReachableControl(name.toStdString()));
    if (!s) return Missing(QStringLiteral("slider"), name);
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

QString Drag(const QString& name, const std::array<int, 4>& v) {
    tk::Control* c = FindReachableControl(name.toStdString());
    if (!c) return Missing(QStringLiteral("control"), name);
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

QString RunAction(CMainWnd& wnd, const ScriptStep& s, bool* known) {
    *known = true;
    switch (s.verb) {
        case ScriptVerb::Click: return Click(s.target);
        case ScriptVerb::Check:
        case ScriptVerb::Uncheck: return Check(s.target, s.verb == ScriptVerb::Check);
        case ScriptVerb::Type:
        case ScriptVerb::TypeLeave: return Type(s.target, s.text, s.verb == ScriptVerb::Type);
        case ScriptVerb::Slide: return Slide(s.target, s.value);
        case ScriptVerb::Choose: return Choose(s.target, s.text);
        case ScriptVerb::Menu: return Menu(wnd, s.target);
        case ScriptVerb::Drag: return Drag(s.target, s.points);
        case ScriptVerb::Open: return Open(wnd, s.target);
        default: *known = false; return {};
    }
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
