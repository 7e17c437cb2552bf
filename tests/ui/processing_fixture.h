#pragma once
// The processing windows on the virtual unit: a window opened by class name over the
// main window, acted on through its named controls while it is up, and what the unit
// received of it.

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

#include "channel_ops_fixture.h"
#include "link/commands.h"
#include "link/packet.h"
#include "ui/processing/processing_windows.h"

namespace uitest {

class ProcessingTest : public ChannelOpsTest {
protected:
    // Opens the window `className` and runs `body` on it while it is up; the window is
    // closed afterwards unless `body` closed it. Returns the window's result.
    int WithWindow(const QString& className, const std::function<void(tk::Window&)>& body) {
        bool ran = false;
        tk::testing::ActOnNextModal([&](tk::Window& w) {
            ran = true;
            EXPECT_EQ(w.ClassName(), className);
            w.activateWindow();
            // What the window asked the unit for as it opened is shown first.
            EXPECT_TRUE(wnd->Controller().Device().WaitQueueIdle(5000));
            Settle(20);
            body(w);
            if (w.isVisible()) w.Close(0);
        });
        const int result = dvdsp::ui::RunProcessingWindow(wnd.get(), wnd->Controller(), className);
        EXPECT_TRUE(ran) << "no window was shown";
        return result;
    }
    void TypeIn(tk::Window& w, const std::string& name, const QString& text) {
        auto* e = w.Find<tk::Edit>(name);
        ASSERT_NE(e, nullptr) << name;
        e->setFocus();
        e->selectAll();
        e->insert(text);
        QTest::keyClick(e, Qt::Key_Return);
        Settle(2);
    }
    void Key(tk::Window& w, const std::string& name, Qt::Key key) {
        auto* e = w.Find<tk::Edit>(name);
        ASSERT_NE(e, nullptr) << name;
        e->setFocus();
        QTest::keyClick(e, key);
        Settle(2);
    }
    static QString EditText(tk::Window& w, const std::string& name) {
        auto* e = w.Find<tk::Edit>(name);
        return e ? e->text() : QString();
    }
    static QString RawText(tk::Window& w, const std::string& name) {
        tk::Control* c = w.FindControl(name);
        return c ? c->Text() : QString();
    }
    static int SliderValue(tk::Window& w, const std::string& name) {
        tk::Control* c = w.FindControl(name);
        return c ? c->Value() : -99999;
    }
    static void SetSlider(tk::Window& w, const std::string& name, int value) {
        tk::Control* c = w.FindControl(name);
        ASSERT_NE(c, nullptr) << name;
        c->SetValue(value);  // from code: no notification
    }
    static void DragIn(tk::Window& w, const std::string& name, int value) {
        auto* s = w.Find<tk::Slider>(name);
        ASSERT_NE(s, nullptr) << name;
        s->setValue(value);
        Settle(2);
    }
    void ClickIn(tk::Window& w, const std::string& name) {
        tk::Control* c = w.FindControl(name);
        ASSERT_NE(c, nullptr) << name;
        if (auto* b = dynamic_cast<tk::Button*>(c)) b->Click();
        else if (auto* box = dynamic_cast<QAbstractButton*>(c)) box->click();
        else ADD_FAILURE() << name << " is no button";
        Settle(2);
    }
    // The commands of that kind the unit received, oldest first.
    std::vector<std::vector<uint8_t>> Sent(uint8_t type, uint8_t cmd, uint8_t op = dvdsp::link::OP_SET) {
        return unit->Received(type, cmd, op);
    }
    // Waits until the unit has received `count` commands of that kind.
    bool SentCount(uint8_t type, uint8_t cmd, size_t count, uint8_t op = dvdsp::link::OP_SET) {
        return WaitFor([&] { return unit->Received(type, cmd, op).size() >= count; }, 5000);
    }
    static QWidget* Focused() { return QApplication::focusWidget(); }
};

}  // namespace uitest
