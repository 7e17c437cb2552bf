#pragma once
// The main window on a virtual unit: start, wait for a state, click by name.

#include <functional>
#include <memory>

#include "emulator/virtual_transport.h"
#include "emulator/virtual_unit.h"
#include "toolkit/controls.h"
#include "toolkit/waits.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/small_dialogs.h"
#include "ui/main/main_wnd.h"
#include "ui_fixture.h"

namespace uitest {

class SessionTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        unit = std::make_unique<dvdsp::emu::VirtualUnit>();
        backend = std::make_unique<dvdsp::emu::VirtualHidBackend>(*unit);
    }
    void TearDown() override {
        if (wnd) wnd->Controller().Device().SetUpgStatus(dvdsp::link::UPG_IDLE);
        wnd.reset();
        EXPECT_EQ(unit->UnknownCommands(), 0u) << "the unit was sent a command it does not know";
        UiTest::TearDown();
    }

    dvdsp::ui::StartOptions Options(bool autoConnect) {
        dvdsp::ui::StartOptions o;
        o.checkSingleInstance = false;
        o.autoConnect = autoConnect;
        o.readOutPauseMs = 20;
        o.language = language;
        auto* b = backend.get();
        o.plug.addListener = [b](std::function<void(bool)> l) { return b->AddPlugListener(std::move(l)); };
        o.plug.removeListener = [b](int id) { b->RemovePlugListener(id); };
        o.plug.setPlugged = [b](bool on) { on ? b->Plug() : b->Unplug(); };
        o.plug.poll = [b] { b->Poll(); };
        return o;
    }
    void Open(bool autoConnect = false) {
        wnd = std::make_unique<dvdsp::ui::CMainWnd>(backend.get(), Options(autoConnect));
        ASSERT_TRUE(wnd->Create());
    }

    // Runs the window's event loop until `cond` holds; false after `ms`.
    static bool WaitFor(const std::function<bool()>& cond, int ms = 15000) { return dvdsp::tk::WaitUntil(cond, ms); }
    // Lets posted messages and zero timers run.
    static void Settle(int rounds = 20) { dvdsp::tk::Settle(rounds); }

    dvdsp::tk::Control* C(const std::string& name) { return wnd->FindControl(name); }
    QString ButtonText() { return C("btnConnect")->Text(); }
    bool Connected() { return ButtonText() == QLatin1String("${btn_connected}"); }
    bool Disconnected() { return ButtonText() == QLatin1String("${btn_disconnected}"); }
    void Click(const std::string& name) {
        auto* b = dynamic_cast<dvdsp::tk::Button*>(C(name));
        ASSERT_NE(b, nullptr) << name;
        b->Click();
    }
    // Asked for: the message box itself comes from a zero timer after it.
    bool Shown(const QString& text) { return wnd->MessagesShown().contains(text); }
    // Every answer queued for a modal window has been taken by one.
    static bool Answered() { return dvdsp::tk::testing::PendingModalAnswers() == 0; }
    // Connects by the button and waits until the session is idle again.
    void ConnectAndWait() {
        Click("btnConnect");
        ASSERT_TRUE(WaitFor([&] { return Connected() && wnd->Controller().RunningWorkers() == 0; }));
        Settle();
    }

    std::unique_ptr<dvdsp::emu::VirtualUnit> unit;
    std::unique_ptr<dvdsp::emu::VirtualHidBackend> backend;
    std::unique_ptr<dvdsp::ui::CMainWnd> wnd;
    QString language;  // the program's default when empty
};

}  // namespace uitest
