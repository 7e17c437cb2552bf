// Undo, redo and A/B from the main window against the virtual unit: the scene menu's items
// named after the next step, the keys, the A/B button's mark, and a script.
#include <QTest>

#include "emulator/state_file.h"
#include "session_fixture.h"
#include "toolkit/language.h"
#include "toolkit/menu.h"
#include "ui/main/script_runner.h"

using namespace dvdsp;
using uitest::SessionTest;

namespace {

std::string Dump(emu::VirtualUnit& unit) {
    return unit.WithState([](emu::UnitState& s) { return emu::StateToJson(s); });
}

}  // namespace

TEST_F(SessionTest, ThreeEditsAndThreeUndoLinesLeaveTheUnitAsItStarted) {
    Open();
    ConnectAndWait();
    const std::string start = Dump(*unit);
    ui::ScriptResult r = ui::RunScript(*wnd, {
                                                 "type edit_ch_volume_2 -6.5",
                                                 "type edit_ch_delay_4 1.25",
                                                 "click btn_amp_onoff",
                                                 "undo",
                                                 "undo",
                                                 "undo",
                                             });
    EXPECT_EQ(r.code, 0) << r.line << ": " << r.message.toStdString();
    ASSERT_TRUE(WaitFor([&] { return wnd->Controller().Device().QueueIdle() && Dump(*unit) == start; }));
    EXPECT_EQ(ui::RunScript(*wnd, {"undo"}).code, 1) << "nothing left to undo";
    r = ui::RunScript(*wnd, {"redo"});
    EXPECT_EQ(r.code, 0) << r.message.toStdString();
    ASSERT_TRUE(WaitFor([&] { return wnd->Controller().Device().QueueIdle() && Dump(*unit) != start; }));
}

TEST_F(SessionTest, TheSceneMenuNamesTheNextUndoAndTheKeysRunIt) {
    Open();
    ConnectAndWait();
    Click("btn_scene");
    ASSERT_NE(wnd->CurrentMenu(), nullptr);
    EXPECT_FALSE(wnd->CurrentMenu()->IsItemEnabled(QStringLiteral("scene_item_undo")));
    wnd->CurrentMenu()->CloseMenu();

    ASSERT_EQ(ui::RunScript(*wnd, {"type edit_ch_volume_2 -6.5"}).code, 0);
    Click("btn_scene");
    tk::Menu* menu = wnd->CurrentMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->IsItemEnabled(QStringLiteral("scene_item_undo")));
    EXPECT_EQ(menu->Widget()->actions().constFirst()->text(), tk::Lang(QStringLiteral("${undo}")) + ": CH3 " +
                                                                   tk::Lang(QStringLiteral("${step_trim}")));
    menu->CloseMenu();

    const auto trim = [&] { return unit->WithState([](emu::UnitState& s) { return int(s.scenes[0].out[2].trim100); }); };
    ASSERT_TRUE(WaitFor([&] { return trim() == 650; }));
    // The keys belong to the active window.
    wnd->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(wnd.get()));
    QTest::keyClick(wnd.get(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return trim() == 0; }));
    QTest::keyClick(wnd.get(), Qt::Key_Y, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return trim() == 650; }));
    EXPECT_EQ(C("edit_ch_volume_2")->Text().toStdString().find("-6.5") != std::string::npos, true)
        << "the window follows the redo";
}

TEST_F(SessionTest, TheABButtonSwitchesAndMarksTheLiveSlot) {
    Open();
    ConnectAndWait();
    EXPECT_EQ(C("btn_ab")->Text(), QStringLiteral("A"));
    ASSERT_EQ(ui::RunScript(*wnd, {"type edit_ch_volume_0 -3", "ab-store B"}).code, 0);
    EXPECT_EQ(C("btn_ab")->Text(), QStringLiteral("B"));
    ASSERT_EQ(ui::RunScript(*wnd, {"type edit_ch_volume_1 -2"}).code, 0);
    EXPECT_EQ(C("btn_ab")->Text(), QStringLiteral("B*")) << "changed since it was stored";
    Click("btn_ab");
    EXPECT_EQ(C("btn_ab")->Text(), QStringLiteral("A"));
    const auto trim0 = [&] { return unit->WithState([](emu::UnitState& s) { return int(s.scenes[0].out[0].trim100); }); };
    ASSERT_TRUE(WaitFor([&] { return trim0() == 0; }));
}
