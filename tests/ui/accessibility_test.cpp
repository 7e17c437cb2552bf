// What assistive technology sees: every window that opens by its class name, and the main
// window, walked as an accessibility tree in each language; and the main window's Tab walk.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <set>

#include "session_fixture.h"
#include "toolkit/accessible.h"
#include "toolkit/edit.h"
#include "toolkit/test_seams.h"
#include "toolkit/window_factory.h"

namespace uitest {

namespace tk = dvdsp::tk;
namespace seam = dvdsp::tk::testing;

namespace {

bool Interactive(QAccessible::Role r) {
    switch (r) {
        case QAccessible::Button:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::Slider:
        case QAccessible::SpinBox:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::List:
        case QAccessible::Chart:
        case QAccessible::ButtonMenu:
            return true;
        default:
            return false;
    }
}

std::string Where(QAccessibleInterface* a) {
    QObject* o = a->object();
    std::string n = o ? o->objectName().toStdString() : std::string();
    if (n.empty() && o && o->parent()) n = o->parent()->objectName().toStdString() + "/" + o->metaObject()->className();
    return n + " (" + a->text(QAccessible::Name).toStdString() + ")";
}

// The faults of one tree, one line each.
void Walk(QAccessibleInterface* a, std::vector<std::string>& faults) {
    std::map<QString, std::string> names;
    for (int i = 0; i < a->childCount(); ++i) {
        QAccessibleInterface* c = a->child(i);
        if (!c || c->state().invisible) continue;
        const QAccessible::Role role = c->role();
        QObject* obj = c->object();
        // A combo box is named by its item on this system; its own name is on the widget.
        const QString name = role == QAccessible::ComboBox && obj && obj->isWidgetType()
                                 ? static_cast<QWidget*>(obj)->accessibleName()
                                 : c->text(QAccessible::Name);
        if (Interactive(role)) {
            if (name.trimmed().isEmpty()) faults.push_back(Where(c) + " has no name");
            else if (name.contains(QLatin1String("${"))) faults.push_back(Where(c) + " names a missing key");
            else if (names.count(name)) faults.push_back(Where(c) + " has the name of " + names[name]);
            else names[name] = Where(c);
        }
        QObject* o = c->object();
        auto* control = o && o->isWidgetType() ? tk::Control::From(static_cast<QWidget*>(o)) : nullptr;
        if (control && c->object() == control->Widget()) {
            const bool value = c->valueInterface() != nullptr;
            if (dynamic_cast<tk::Slider*>(control) && (role != QAccessible::Slider || !value))
                faults.push_back(Where(c) + " is no slider with a value");
            auto* edit = dynamic_cast<tk::Edit*>(control);
            if (edit && edit->HasSpin() && (role != QAccessible::SpinBox || !value))
                faults.push_back(Where(c) + " is no spin box with a value (role " + std::to_string(int(role)) + ")");
            auto* option = dynamic_cast<tk::Option*>(control);
            if (option && (!c->state().checkable || bool(c->state().checked) != option->IsSelected()))
                faults.push_back(Where(c) + " does not show its state as checked");
            auto* combo = dynamic_cast<tk::Combo*>(control);
            if (combo && c->text(QAccessible::Value) != combo->currentText())
                faults.push_back(Where(c) + " does not say its item");
        }
        Walk(c, faults);
    }
}

std::vector<std::string> Faults(QWidget& w) {
    std::vector<std::string> faults;
    Walk(QAccessible::queryAccessibleInterface(&w), faults);
    return faults;
}

}  // namespace

class Accessibility : public SessionTest {};

TEST_F(Accessibility, EveryWindowNamesEveryControlInEveryLanguage) {
    for (const char* lang : {"en", "cn_zh", "ru"}) {
        language = QString::fromLatin1(lang);
        Open();
        ConnectAndWait();
        wnd->show();
        Settle();
        for (const std::string& f : Faults(*wnd)) ADD_FAILURE() << lang << " main: " << f;
        for (const QString& name : tk::RegisteredWindowClasses()) {
            const std::string at = std::string(lang) + " " + name.toStdString() + ": ";
            bool seen = false;
            auto check = [&](tk::Window& w) {
                seen = true;
                Settle();
                for (const std::string& f : Faults(w)) ADD_FAILURE() << at << f;
                w.Close(0);
            };
            seam::ActOnNextModal(check);
            ASSERT_TRUE(tk::OpenWindowByClass(name, *wnd)) << at;
            Settle();
            if (seen) continue;
            seam::ClearAnswers();
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* w = dynamic_cast<tk::Window*>(top);
                if (w && w != wnd.get() && w->isVisible()) check(*w);
            }
            Settle();
            EXPECT_TRUE(seen) << at << "no window opened";
        }
        wnd.reset();
    }
}

TEST_F(Accessibility, NamesFollowTheLanguageAndValuesAreAnnounced) {
    language = QStringLiteral("en");
    Open();
    ConnectAndWait();
    wnd->show();
    Settle();
    QWidget* mute = C("ch_mute_2")->Widget();
    EXPECT_EQ(mute->accessibleName(), QStringLiteral("CH3 mute"));
    ASSERT_TRUE(tk::CurrentLanguages().Select(QStringLiteral("ru")));
    EXPECT_EQ(mute->accessibleName(), QStringLiteral("CH3 без звука"));

    std::vector<QObject*> changed;
    tk::testing::ObserveAccessibleEvents([&](QAccessibleEvent& e) {
        if (e.type() == QAccessible::ValueChanged) changed.push_back(e.object());
    });
    auto* slider = dynamic_cast<tk::Slider*>(C("slider_main_volume"));
    auto* edit = dynamic_cast<tk::Edit*>(C("edit_main_volume"));
    QAccessibleValueInterface* sliderValue = QAccessible::queryAccessibleInterface(slider)->valueInterface();
    QAccessibleValueInterface* editValue = QAccessible::queryAccessibleInterface(edit)->valueInterface();
    ASSERT_NE(sliderValue, nullptr);
    ASSERT_NE(editValue, nullptr);
    EXPECT_EQ(editValue->minimumValue().toDouble(), -60);
    EXPECT_EQ(editValue->maximumValue().toDouble(), 0);
    // The slider moved by assistive technology: the edit follows and says so.
    sliderValue->setCurrentValue(-20);
    Settle();
    EXPECT_EQ(edit->NumericValue(), -20) << edit->text().toStdString();
    EXPECT_EQ(std::count(changed.begin(), changed.end(), static_cast<QObject*>(edit)), 1);
    // A spin edit set by assistive technology changes the value as typed and confirmed.
    editValue->setCurrentValue(-30);
    Settle();
    EXPECT_EQ(slider->Value(), -30);
    EXPECT_EQ(editValue->currentValue().toDouble(), -30);
    tk::testing::ObserveAccessibleEvents(nullptr);
}

TEST_F(Accessibility, TabVisitsEveryEnabledControlOfTheMainWindowOnce) {
    Open();
    ConnectAndWait();
    wnd->show();
    wnd->activateWindow();
    Settle();
    std::set<QWidget*> reachable;
    for (tk::Control* c : wnd->AllControls()) {
        QWidget* w = c->Widget();
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) reachable.insert(w);
    }
    ASSERT_FALSE(reachable.empty());
    QWidget* first = *reachable.begin();
    first->setFocus(Qt::TabFocusReason);
    std::map<QWidget*, int> visits;
    QWidget* at = first;
    for (size_t i = 0; i < reachable.size() * 2 + 10; ++i) {
        ++visits[at];
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(at, &tab);
        at = wnd->focusWidget();
        if (!at || at == first) break;
    }
    EXPECT_EQ(at, first) << "the walk does not come round";
    for (QWidget* w : reachable)
        EXPECT_EQ(visits[w], 1) << w->objectName().toStdString();
}

}  // namespace uitest
