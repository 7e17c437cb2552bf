// Scripts of user actions replayed on the main window against the virtual unit.
#include "session_fixture.h"
#include "ui/main/script_runner.h"

using namespace dvdsp;
using uitest::SessionTest;

TEST_F(SessionTest, ScriptConnectsUnplugsAndPlugsBackThroughTheDemoMenu) {
    Open();
    ui::ScriptResult r = ui::RunScript(*wnd, {
                                                 "# connect, then pull the cable and put it back",
                                                 "click btnConnect",
                                                 "wait-connected",
                                                 "choose btn_input_source source_aux",
                                                 "menu demo_item_unplug",
                                                 "wait-message ${device_plugout}",
                                                 "wait-disconnected",
                                                 "menu demo_item_plug",
                                                 "wait-connected",
                                             });
    EXPECT_EQ(r.code, 0) << r.line << ": " << r.message.toStdString();
    EXPECT_TRUE(Connected());
    EXPECT_EQ(unit->WithState([](emu::UnitState& s) { return int(s.device.sourceCode); }), 81 + 3);
}

TEST_F(SessionTest, ScriptAnswersTheNextDialog) {
    backend->Unplug();
    Open();
    ui::ScriptResult r = ui::RunScript(*wnd, {"answer confirm", "click btnConnect", "wait-message ${device_connect_fail}",
                                              "wait-disconnected 2000"});
    EXPECT_EQ(r.code, 0) << r.line << ": " << r.message.toStdString();
}

TEST_F(SessionTest, ScriptStopsAtAMissingControlOrATimeOut) {
    Open();
    ui::ScriptResult missing = ui::RunScript(*wnd, {"", "click no_such_button", "click btnConnect"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.line, 2);
    EXPECT_TRUE(missing.message.contains("no_such_button"));
    EXPECT_TRUE(Disconnected()) << "nothing after the failing line runs";

    backend->Unplug();
    ui::ScriptResult timeout = ui::RunScript(*wnd, {"wait-connected 200"});
    EXPECT_EQ(timeout.code, 1);
    EXPECT_EQ(timeout.line, 1);

    ui::ScriptResult unknown = ui::RunScript(*wnd, {"dance btnConnect"});
    EXPECT_EQ(unknown.code, 1);
}
