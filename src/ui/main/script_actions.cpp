#include "ui/main/script_actions.h"

#include <QAction>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolButton>

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

// The row of a list by index, name or text (raw or shown); -1 when none.
int FindRow(const tk::List& list, const QString& item) {
    bool isIndex = false;
    const int i = item.toInt(&isIndex);
    if (isIndex) return i >= 0 && i < list.RowCount() ? i : -1;
    for (int r = 0; r < list.RowCount(); ++r) {
        const tk::ListItem& row = list.Row(r);
        if (row.name == item || row.text.simplified() == item || tk::Lang(row.text).simplified() == item) return r;
    }
    return -1;
}

QString Choose(const QString& name, const QString& item) {
    tk::Control* found = FindReachableControl(name.toStdString());
    if (auto* list = dynamic_cast<tk::List*>(found)) {
        const int row = FindRow(*list, item);
        if (row < 0) return "no row " + item + " in " + name;
        list->setCurrentRow(row);  // as a click on the row: the window is told
        tk::Settle(10);
        return {};
    }
    auto* c = dynamic_cast<tk::Combo*>(found);
    if (!c) return Missing(QStringLiteral("combo or list"), name);
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

Qt::Key KeyCode(const QString& key) {
    static const QHash<QString, Qt::Key> codes{
        {"up", Qt::Key_Up},         {"down", Qt::Key_Down},         {"left", Qt::Key_Left},
        {"right", Qt::Key_Right},   {"pageup", Qt::Key_PageUp},     {"pagedown", Qt::Key_PageDown},
        {"home", Qt::Key_Home},     {"end", Qt::Key_End},           {"return", Qt::Key_Return},
        {"tab", Qt::Key_Tab},       {"escape", Qt::Key_Escape}};
    return codes.value(key, Qt::Key_unknown);
}

// key NAME KEY...: each key pressed and released on the control as a person's keyboard
// does it, the spin arrows of an edit clicked.
QString Keys(const QString& name, const QString& keys) {
    tk::Control* c = FindReachableControl(name.toStdString());
    if (!c) return Missing(QStringLiteral("control"), name);
    QWidget* widget = c->Widget();
    for (const QString& key : keys.split(' ', Qt::SkipEmptyParts)) {
        if (key.startsWith(QLatin1String("spin-"))) {
            auto* arrow = widget->findChild<QToolButton*>(key == QLatin1String("spin-up") ? "spin_up" : "spin_down");
            if (!arrow || !arrow->isVisible()) return name + " has no spin arrows";
            arrow->click();
        } else {
            if (widget->focusPolicy() != Qt::NoFocus && !widget->hasFocus()) widget->setFocus(Qt::TabFocusReason);
            QKeyEvent press(QEvent::KeyPress, KeyCode(key), Qt::NoModifier);
            QCoreApplication::sendEvent(widget, &press);
            QKeyEvent release(QEvent::KeyRelease, KeyCode(key), Qt::NoModifier);
            QCoreApplication::sendEvent(widget, &release);
        }
        tk::Settle(10);
        // A key may close the window of the control (Return, Escape).
        if (!FindReachableControl(name.toStdString())) break;
        widget = FindReachableControl(name.toStdString())->Widget();
    }
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
    // A control that is not shown (hidden, or inside a hidden part) is out of reach too.
    for (tk::Window* w : ReachableWindows())
        if (tk::Control* c = w->FindControl(name); c && c->Widget()->isVisible()) return c;
    return nullptr;
}

namespace {

// NAME[ROW]: the name and the row; row -1 when there is none.
std::string SplitRow(const std::string& name, int* row) {
    *row = -1;
    const size_t open = name.rfind('[');
    if (open == std::string::npos || name.size() < open + 3 || name.back() != ']') return name;
    const std::string digits = name.substr(open + 1, name.size() - open - 2);
    if (digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos) return name;
    *row = std::stoi(digits);
    return name.substr(0, open);
}

}  // namespace

bool CurrentControlText(const std::string& name, QString* text, QString* why) {
    int row = -1;
    const std::string base = SplitRow(name, &row);
    tk::Control* c = nullptr;
    for (tk::Window* w : ReachableWindows())
        if ((c = w->FindControl(base))) break;
    if (!c) {
        *why = QStringLiteral("no control %1").arg(QString::fromStdString(name));
        return false;
    }
    if (auto* list = dynamic_cast<tk::List*>(c)) {
        // A row's raw text; without a row, the selected one's.
        const int r = row >= 0 ? row : list->CurSel();
        if (r < 0 || r >= list->RowCount()) {
            *why = row >= 0 ? QStringLiteral("%1 has %2 rows").arg(QString::fromStdString(base)).arg(list->RowCount())
                            : QStringLiteral("%1 has no row selected").arg(QString::fromStdString(base));
            return false;
        }
        *text = list->Row(r).text;
        return true;
    }
    if (row >= 0) {
        *why = QStringLiteral("%1 is no list").arg(QString::fromStdString(base));
        return false;
    }
    if (auto* combo = dynamic_cast<tk::Combo*>(c); combo && combo->CurSel() >= 0 && combo->CurSel() < combo->ItemCount()) {
        *text = combo->Item(combo->CurSel()).text;
        return true;
    }
    if (auto* edit = dynamic_cast<tk::Edit*>(c)) {
        // What the box holds now: typed text is never stored as the control's text; while
        // it shows the stored text, that raw text (a language key stays a key).
        *text = edit->text() == c->ShownText() ? c->Text() : edit->text();
        return true;
    }
    *text = c->Text();
    return true;
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
        case ScriptVerb::Key: return Keys(s.target, s.text);
        // As the scene menu's items and the keys do.
        case ScriptVerb::Undo:
            return wnd.Controller().Undo() ? QString() : QStringLiteral("nothing was undone");
        case ScriptVerb::Redo:
            return wnd.Controller().Redo() ? QString() : QStringLiteral("nothing was redone");
        case ScriptVerb::AbStore:
            if (s.target != QLatin1String("A") && s.target != QLatin1String("B")) return QStringLiteral("ab-store takes A or B");
            wnd.Controller().StoreAb(s.target == QLatin1String("A") ? core::AbCompare::kA : core::AbCompare::kB);
            return {};
        case ScriptVerb::AbSwitch:
            return wnd.Controller().SwitchAb() ? QString() : QStringLiteral("the A/B switch did not happen");
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
