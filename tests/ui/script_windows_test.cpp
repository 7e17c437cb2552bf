// Scripts that reach beyond the main window: dialogs on top, file choices, windows opened
// by class name, drags, waits for a text, and dialogs the script leaves unanswered.
#include <QSlider>

#include "session_fixture.h"
#include "toolkit/window_factory.h"
#include "ui/main/script_runner.h"

using namespace dvdsp;
using uitest::SessionTest;

namespace {

std::string Describe(const ui::ScriptResult& r) { return std::to_string(r.line) + ": " + r.message.toStdString(); }

bool AnyVisible(const QString& className) {
    for (tk::Window* w : tk::Window::VisibleWindows())
        if (w->ClassName() == className) return true;
    return false;
}

}  // namespace

TEST_F(SessionTest, ScriptClicksTheButtonOfTheDialogOnTop) {
    backend->Unplug();
    Open();
    const int shown = tk::Window::ShownCount("MsgWnd");
    ui::ScriptResult r = ui::RunScript(*wnd, {"click btnConnect", "wait-window MsgWnd", "click confirm_btn",
                                              "wait-disconnected 5000"});
    EXPECT_EQ(r.code, 0) << Describe(r);
    EXPECT_EQ(tk::Window::ShownCount("MsgWnd"), shown + 1);
    EXPECT_FALSE(AnyVisible("MsgWnd")) << "the script's click closed it";
    EXPECT_TRUE(Shown("${device_connect_fail}"));
}

TEST_F(SessionTest, ScriptOpensWindowsByClassAndActsOnThem) {
    Open();
    const int about = tk::Window::ShownCount("AboutWnd");
    ui::ScriptResult r = ui::RunScript(*wnd, {"open AboutWnd", "wait-text company_title DV DSP Audio", "click closebtn",
                                              "open CMsgLinkSelWnd", "check check_box_right", "wait-text check_box_0 CH2 -> CH1",
                                              "click confirm_btn"});
    EXPECT_EQ(r.code, 0) << Describe(r);
    EXPECT_EQ(tk::Window::ShownCount("AboutWnd"), about + 1);
    EXPECT_FALSE(AnyVisible("AboutWnd"));
    EXPECT_FALSE(AnyVisible("CMsgLinkSelWnd"));

    ui::ScriptResult unknown = ui::RunScript(*wnd, {"open NoSuchWnd"});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_TRUE(unknown.message.contains("NoSuchWnd")) << Describe(unknown);
    EXPECT_TRUE(unknown.message.contains("AboutWnd")) << "the known classes are listed";
}

TEST_F(SessionTest, ScriptAnswersTheNextFileDialog) {
    Open();
    QStringList answers;
    tk::RegisterWindowFactory("FileAskingWnd", [&](tk::Window& owner) {
        answers.append(tk::GetOpenFileName(&owner, "${load}", "*.spf"));
        answers.append(tk::GetSaveFileName(&owner, "${save}", "*.spf"));
    });
    ui::ScriptResult r = ui::RunScript(*wnd, {"answer-file /tmp/my scene.spf", "answer-file", "open FileAskingWnd"});
    EXPECT_EQ(r.code, 0) << Describe(r);
    EXPECT_EQ(answers, (QStringList{"/tmp/my scene.spf", ""}));

    // Without an answer the script fails rather than wait for a user.
    answers.clear();
    ui::ScriptResult unanswered = ui::RunScript(*wnd, {"answer-file /tmp/a.spf", "open FileAskingWnd"});
    EXPECT_EQ(unanswered.code, 1);
    EXPECT_EQ(unanswered.line, 2);
    EXPECT_TRUE(unanswered.message.contains("file dialog")) << Describe(unanswered);
    EXPECT_TRUE(unanswered.message.contains("${save}")) << Describe(unanswered);
    EXPECT_EQ(answers, (QStringList{"/tmp/a.spf", ""}));
}

TEST_F(SessionTest, ScriptDragsASliderLikeTheMouse) {
    Open();
    auto* slider = wnd->Find<tk::Slider>("slider_main_volume");
    ASSERT_NE(slider, nullptr);
    // Halfway along its range the handle sits at the middle of the slider.
    slider->SetValue((slider->Minimum() + slider->Maximum()) / 2);
    ASSERT_EQ((slider->Minimum() + slider->Maximum()) % 2, 0);
    const QPoint from(slider->width() / 2, slider->height() / 2);
    QString drag = QStringLiteral("drag slider_main_volume %1 %2 %3 %4").arg(from.x()).arg(from.y()).arg(-50).arg(from.y());
    // Dragged to the far left: the volume is off.
    ui::ScriptResult r = ui::RunScript(*wnd, {drag, "wait-text edit_main_volume ${off}"});
    EXPECT_EQ(r.code, 0) << Describe(r);
    EXPECT_EQ(slider->Value(), -60);
}

TEST_F(SessionTest, ScriptWaitsForATextOrSaysWhatWasShown) {
    Open();
    ui::ScriptResult ok = ui::RunScript(*wnd, {"slide slider_main_volume -20", "wait-text edit_main_volume -20dB"});
    EXPECT_EQ(ok.code, 0) << Describe(ok);

    ui::ScriptResult wrong = ui::RunScript(*wnd, {"wait-text edit_main_volume -30dB 100", "click btnConnect"});
    EXPECT_EQ(wrong.code, 1);
    EXPECT_EQ(wrong.line, 1);
    EXPECT_TRUE(wrong.message.contains("\"-20dB\"")) << Describe(wrong);
    EXPECT_TRUE(wrong.message.contains("\"-30dB\"")) << Describe(wrong);
    EXPECT_TRUE(Disconnected()) << "nothing after the failing line runs";

    ui::ScriptResult missing = ui::RunScript(*wnd, {"wait-text no_such_edit 1 100"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.message.contains("no control no_such_edit")) << Describe(missing);
}

TEST_F(SessionTest, ScriptPressesKeysAndSpinArrows) {
    Open();
    ConnectAndWait();
    ui::ScriptResult r = ui::RunScript(*wnd, {"slide slider_main_volume -20", "key edit_main_volume up up",
                                              "wait-text edit_main_volume -18dB", "key edit_main_volume down",
                                              "wait-text edit_main_volume -19dB"});
    EXPECT_EQ(r.code, 0) << Describe(r);
    // A page key moves the slider by its page, as the keyboard does.
    auto* slider = dynamic_cast<QSlider*>(wnd->FindControl("slider_main_volume")->Widget());
    ASSERT_NE(slider, nullptr);
    const int paged = slider->value() - slider->pageStep();
    r = ui::RunScript(*wnd, {"key slider_main_volume pagedown"});
    EXPECT_EQ(r.code, 0) << Describe(r);
    EXPECT_EQ(slider->value(), paged);
    EXPECT_EQ(wnd->FindControl("edit_main_volume")->Text(), QStringLiteral("%1dB").arg(paged));
    // The spin arrows of an edit; an edit without them says so.
    r = ui::RunScript(*wnd, {"open KtvWnd", "wait-text edit_mic_volume 0dB", "key edit_mic_volume spin-up spin-up",
                             "wait-text edit_mic_volume 2dB", "key edit_mic_volume spin-down",
                             "wait-text edit_mic_volume 1dB", "click closebtn"});
    EXPECT_EQ(r.code, 0) << Describe(r);
    r = ui::RunScript(*wnd, {"key btnConnect spin-up"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.message.contains("no spin arrows")) << Describe(r);
}

TEST_F(SessionTest, ScriptReadsAndChoosesListRowsAndSeesTheSceneWindowsMessages) {
    Open();
    ConnectAndWait();
    ui::ScriptResult r = ui::RunScript(
        *wnd, {"open CSceneWnd", "wait-text listview[4] 5", "choose listview 4", "wait-text listview 5",
               "click confirm_btn", "wait-message ${load_scene_tips2}",
               // The text as shown, blanks and all, with a time after it.
               "wait-message Load scene 5? The current settings will be replaced. 2000", "click cancel_btn",
               "choose listview 2", "wait-text listview 3", "click cancel_btn"});
    EXPECT_EQ(r.code, 0) << Describe(r);
    r = ui::RunScript(*wnd, {"open CSceneWnd", "wait-text listview[12] x 100"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.message.contains("listview has 10 rows")) << Describe(r);
}

TEST_F(SessionTest, ScriptReadsWhatAnEditHoldsAndCannotClickHiddenControls) {
    Open();
    // A file chosen into the edit: the text it holds, not the one it was built with.
    ui::ScriptResult r =
        ui::RunScript(*wnd, {"open CUpdateFwWnd", "answer-file /tmp/fw/VTR50_MCU_UPG.bin", "click file_btn",
                             "wait-text file_path_edt /tmp/fw/VTR50_MCU_UPG.bin 1000", "click cancel_btn"});
    EXPECT_EQ(r.code, 0) << Describe(r);
    // A one-button message box hides its other buttons: no person reaches them.
    backend->Unplug();
    r = ui::RunScript(*wnd, {"click btnConnect", "wait-window MsgWnd", "click third_btn"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.line, 3);
    EXPECT_TRUE(r.message.startsWith("no control third_btn")) << Describe(r);
}

TEST_F(SessionTest, ADialogTheScriptLeavesUnansweredFailsItWithTheDialogsText) {
    backend->Unplug();
    Open();
    ui::ScriptResult r = ui::RunScript(*wnd, {"click btnConnect", "wait-message ${device_connect_fail}"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.line, 2);
    EXPECT_TRUE(r.message.contains("did not answer")) << Describe(r);
    EXPECT_TRUE(r.message.contains("${device_connect_fail}")) << Describe(r);
    EXPECT_FALSE(AnyVisible("MsgWnd")) << "the dialog was closed, not left waiting";

    // A failing line with a dialog up names the dialog too, and closes it.
    ui::ScriptResult behind = ui::RunScript(*wnd, {"click btnConnect", "wait-window MsgWnd", "click btnConnect"});
    EXPECT_EQ(behind.code, 1);
    EXPECT_EQ(behind.line, 3);
    EXPECT_TRUE(behind.message.contains("MsgWnd")) << Describe(behind);
    EXPECT_FALSE(AnyVisible("MsgWnd"));
}
