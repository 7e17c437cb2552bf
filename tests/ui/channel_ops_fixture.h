#pragma once
// The main window on the virtual unit with helpers that act on the page's controls as a
// user does: typing into edits, spin arrows, dragging sliders, clicking options.

#include <QTest>

#include "core/channel_format.h"
#include "session_fixture.h"
#include "toolkit/edit.h"
#include "toolkit/language.h"

namespace uitest {

namespace tk = dvdsp::tk;
namespace emu = dvdsp::emu;
namespace core = dvdsp::core;

class ChannelOpsTest : public SessionTest {
protected:
    // Types `text` into the edit as a user would and presses Enter.
    void Type(const std::string& name, const QString& text) {
        auto* e = wnd->Find<tk::Edit>(name);
        ASSERT_NE(e, nullptr) << name;
        e->setFocus();
        e->selectAll();
        e->insert(text);  // as typed or pasted; key clicks know no letters beyond ASCII
        QTest::keyClick(e, Qt::Key_Return);
        Settle(2);
    }
    void Spin(const std::string& name, bool up) {
        auto* e = wnd->Find<tk::Edit>(name);
        ASSERT_NE(e, nullptr) << name;
        e->PressSpin(up);
    }
    // Moves the slider as a user drags it.
    void Drag(const std::string& name, int value) {
        auto* s = wnd->Find<tk::Slider>(name);
        ASSERT_NE(s, nullptr) << name;
        s->setValue(value);
    }
    void ClickOption(const std::string& name) {
        auto* o = dynamic_cast<tk::Option*>(C(name));
        ASSERT_NE(o, nullptr) << name;
        o->Click();
    }
    // Waits until the unit's state satisfies `pred` (the commands go through the queue).
    bool UnitHas(const std::function<bool(emu::UnitState&)>& pred) {
        return WaitFor([&] { return unit->WithState([&](emu::UnitState& s) { return pred(s); }); }, 5000);
    }
    emu::Scene& Live(emu::UnitState& s) { return s.scenes[0]; }
    static std::string N(const char* prefix, int ch) { return prefix + std::to_string(ch); }
    core::SceneState& Model() { return wnd->Controller().ModelForTests().current; }
    QString Off() { return tk::Lang(QStringLiteral("${off}")); }
};

}  // namespace uitest
