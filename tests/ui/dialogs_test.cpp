// The shared dialogs: buttons shown, result codes, the edge cases of each box.
#include <QAbstractButton>
#include <QTest>

#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "ui/dialogs/homepage.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/small_dialogs.h"
#include "ui_fixture.h"

using namespace dvdsp;
using namespace dvdsp::ui;
namespace seam = dvdsp::tk::testing;

namespace {

class DialogsTest : public uitest::UiTest {};

// A user's click on a shown button, option or check box.
void Click(tk::Window& w, const std::string& name) {
    tk::Control* c = w.FindControl(name);
    ASSERT_NE(c, nullptr) << name;
    auto* b = qobject_cast<QAbstractButton*>(c->Widget());
    ASSERT_NE(b, nullptr) << name;
    ASSERT_TRUE(b->isVisible()) << name;
    b->click();
}

TEST_F(DialogsTest, MessageBoxShowsOneTwoOrThreeButtons) {
    const QString captions[3] = {"${confirm}", "${cancel}", "${default}"};
    struct Case {
        int count;
        std::string press;
        int result;
    };
    for (const Case& c : {Case{1, "confirm_btn", 1}, Case{2, "cancel_btn", 0},
                          Case{3, "third_btn", 2}, Case{3, "closebtn", 0}}) {
        bool checked = false;
        seam::ActOnNextModal([&](tk::Window& w) {
            EXPECT_EQ(w.ClassName(), "MsgWnd");
            EXPECT_EQ(w.FindControl("MessageTitle")->ShownText(), "Tips");
            EXPECT_EQ(w.FindControl("MessageText")->ShownText(), "Please wait…");
            EXPECT_EQ(w.FindControl("confirm_btn")->ShownText(), "OK");
            EXPECT_EQ(w.FindControl("cancel_btn")->Widget()->isVisible(), c.count >= 2);
            EXPECT_EQ(w.FindControl("third_btn")->Widget()->isVisible(), c.count >= 3);
            if (c.count >= 3) {
                EXPECT_EQ(w.FindControl("third_btn")->ShownText(), "Default");
            }
            checked = true;
            Click(w, c.press);
        });
        EXPECT_EQ(ShowMessageBox(nullptr, "${tips}", "${loading}", captions, c.count), c.result)
            << c.count;
        EXPECT_TRUE(checked);
    }
}

TEST_F(DialogsTest, EscapeClosesTheOneButtonBoxWithZero) {
    seam::ActOnNextModal([](tk::Window& w) { QTest::keyClick(&w, Qt::Key_Escape); });
    EXPECT_EQ(ShowTips(nullptr, "${mutex_tips}"), 0);
    // An empty text keeps the layout's.
    seam::ActOnNextModal([](tk::Window& w) {
        EXPECT_EQ(w.FindControl("confirm_btn")->ShownText(), "OK");
        Click(w, "confirm_btn");
    });
    const QString none[3];
    EXPECT_EQ(ShowMessageBox(nullptr, "", "", none, 1), 1);
}

TEST_F(DialogsTest, ReturnConfirmsOrPressesTheFocusedButtonEscapeIsTheCloseButton) {
    const QString two[3] = {"${confirm}", "${cancel}", ""};
    seam::ActOnNextModal([](tk::Window& w) { QTest::keyClick(&w, Qt::Key_Return); });
    EXPECT_EQ(ShowMessageBox(nullptr, "${tips}", "${loading}", two, 2), 1);
    seam::ActOnNextModal([](tk::Window& w) {
        w.FindControl("cancel_btn")->Widget()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w.focusWidget() ? w.focusWidget() : &w, Qt::Key_Enter);
    });
    EXPECT_EQ(ShowMessageBox(nullptr, "${tips}", "${loading}", two, 2), 0);
    seam::ActOnNextModal([](tk::Window& w) { QTest::keyClick(&w, Qt::Key_Escape); });
    EXPECT_EQ(ShowMessageBox(nullptr, "${tips}", "${loading}", two, 2), 0);
}

TEST_F(DialogsTest, TwoChoiceBoxNeedsACheckedOption) {
    seam::ActOnNextModal([](tk::Window& w) {
        EXPECT_EQ(w.ClassName(), "MsgCheckBoxWnd");
        EXPECT_EQ(w.FindControl("check_box_0")->ShownText(), "Copy left to right");
        Click(w, "confirm_btn");  // neither checked: stays open
        EXPECT_TRUE(w.isVisible());
        Click(w, "check_box_1");
        Click(w, "confirm_btn");
    });
    EXPECT_EQ(ShowCheckBoxMessage(nullptr, "${tips}", "${link_tips}", "${copy_left_to_right}",
                                  "${copy_right_to_left}"),
              2);
    seam::ActOnNextModal([](tk::Window& w) {
        Click(w, "check_box_0");
        Click(w, "confirm_btn");
    });
    EXPECT_EQ(ShowCheckBoxMessage(nullptr, "${tips}", "${link_tips}", "A", "B"), 1);
    seam::ActOnNextModal([](tk::Window& w) {
        // One empty caption: both keep the layout's text.
        EXPECT_EQ(w.FindControl("check_box_0")->ShownText(), "Copy left to right");
        Click(w, "cancel_btn");
    });
    EXPECT_EQ(ShowCheckBoxMessage(nullptr, "${tips}", "x", "only one", ""), 0);
}

TEST_F(DialogsTest, NameBoxReturnsTheTextOnlyOnReturnOrConfirm) {
    const QString captions[2] = {"${save}", "${cancel}"};
    QString name = "Old";
    seam::ActOnNextModal([](tk::Window& w) {
        EXPECT_EQ(w.ClassName(), "NameMsgWnd");
        auto* edit = w.Find<tk::Edit>("name_edt");
        EXPECT_EQ(edit->text(), "Old");
        edit->selectAll();
        QTest::keyClicks(edit, "Concert Hall");
        Click(w, "cancel_btn");
    });
    EXPECT_EQ(ShowNameMessageBox(nullptr, "${tips}", "${save_as_scene}", captions, &name), 0);
    EXPECT_EQ(name, "Old");

    seam::ActOnNextModal([](tk::Window& w) {
        auto* edit = w.Find<tk::Edit>("name_edt");
        edit->selectAll();
        QTest::keyClicks(edit, "Concert Hall");
        EXPECT_EQ(edit->text(), "Concert");  // at most 7 characters
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(ShowNameMessageBox(nullptr, "${tips}", "${save_as_scene}", captions, &name), 1);
    EXPECT_EQ(name, "Concert");

    seam::ActOnNextModal([](tk::Window& w) {
        w.Find<tk::Edit>("name_edt")->setText("Jazz");
        Click(w, "confirm_btn");
    });
    EXPECT_EQ(ShowNameMessageBox(nullptr, "${tips}", "", captions, &name), 1);
    EXPECT_EQ(name, "Jazz");
}

TEST_F(DialogsTest, LinkSelectionRebuildsPerDirectionAndReturnsCheckedPairs) {
    auto candidates = [](bool leftToRight) {
        std::vector<ChannelPair> pairs;
        for (int p = 0; p < 5; ++p)  // five candidates: only four fit
            pairs.push_back(leftToRight ? ChannelPair{2 * p, 2 * p + 1, p == 1}
                                        : ChannelPair{2 * p + 1, 2 * p, false});
        return pairs;
    };
    CMsgLinkSelWnd wnd(nullptr, candidates);
    seam::ActOnNextModal([](tk::Window& w) {
        EXPECT_EQ(w.FindControl("check_box_0")->ShownText(), "CH1 -> CH2");
        EXPECT_TRUE(w.FindControl("check_box_1")->IsSelected());
        EXPECT_TRUE(w.FindControl("check_box_3")->IsVisible());
        Click(w, "check_box_right");
        EXPECT_EQ(w.FindControl("check_box_0")->ShownText(), "CH2 -> CH1");
        EXPECT_FALSE(w.FindControl("check_box_1")->IsSelected());
        Click(w, "check_box_2");
        Click(w, "check_box_0");
        Click(w, "confirm_btn");
    });
    EXPECT_EQ(wnd.Run(), 1);
    ASSERT_EQ(wnd.Selected().size(), 2u);
    EXPECT_EQ(wnd.Selected()[0].from, 1);  // list order, not click order
    EXPECT_EQ(wnd.Selected()[0].to, 0);
    EXPECT_EQ(wnd.Selected()[1].from, 5);

    CMsgLinkSelWnd few(nullptr, [](bool) { return std::vector<ChannelPair>{{0, 1, false}}; });
    seam::ActOnNextModal([](tk::Window& w) {
        EXPECT_FALSE(w.FindControl("check_box_1")->IsVisible());
        Click(w, "cancel_btn");
    });
    EXPECT_EQ(few.Run(), 0);
    EXPECT_TRUE(few.Selected().empty());
}

TEST_F(DialogsTest, AboutBoxBeforeAndAfterAConnection) {
    CAboutWnd before(nullptr, -1, -1);
    seam::ActOnNextModal([](tk::Window& w) {
        EXPECT_EQ(w.ClassName(), "AboutWnd");
        EXPECT_FALSE(w.FindControl("company_title")->IsVisible());
        EXPECT_EQ(w.FindControl("company_title")->ShownText(), "DV DSP Audio");
        EXPECT_EQ(w.FindControl("fw_version")->ShownText(), "VTR50 ");
        EXPECT_EQ(w.FindControl("soft_version")->ShownText(), "Software version v6.8.7");
        EXPECT_EQ(w.FindControl("inner_fw_version")->ShownText(), "Built-in firmware v2.27");
        Click(w, "closebtn");
    });
    EXPECT_EQ(before.Run(), 0);

    CAboutWnd after(nullptr, 2, 28);
    seam::ActOnNextModal([](tk::Window& w) {
        EXPECT_EQ(w.FindControl("fw_version")->ShownText(), "VTR50 firmware v2.28");
        Click(w, "confirm_btn");
    });
    EXPECT_EQ(after.Run(), 1);
}

TEST_F(DialogsTest, TheHomePageLinkShowsAnAddressWithoutItsSchemeOrIsHidden) {
    CAboutWnd box(nullptr, -1, -1);
    seam::ActOnNextModal([](tk::Window& w) {
        tk::Control* link = w.FindControl("web_btn_1");
        ASSERT_NE(link, nullptr);
        ShowHomepageLink(w, QStringLiteral("https://dvdsp.test/home/"));
        EXPECT_TRUE(link->IsVisible());
        EXPECT_EQ(link->ShownText(), "dvdsp.test/home");
        EXPECT_EQ(link->ToolTip(), "https://dvdsp.test/home/");
        EXPECT_EQ(link->UserData(), "https://dvdsp.test/home/");
        // No address, or none that names a host: no link, and a click opens nothing.
        for (const char* url : {"", "dvdsp.test", "https://"}) {
            ShowHomepageLink(w, QString::fromLatin1(url));
            EXPECT_FALSE(link->IsVisible()) << url;
            EXPECT_TRUE(link->ShownText().isEmpty()) << url;
            EXPECT_FALSE(OpenHomepageLink(*link)) << url;
        }
        w.Close(0);
    });
    box.Run();
}

TEST_F(DialogsTest, BusyWindowIsClosedByItsOwner) {
    CLoadingWnd loading(nullptr);
    seam::ActOnNextModal([](tk::Window& w) {
        EXPECT_EQ(w.ClassName(), "LoadingWnd");
        EXPECT_NE(w.FindControl("loading_progress"), nullptr);  // custom tag through the builder
        EXPECT_TRUE(tk::Window::EndDialogByClass("LoadingWnd", 1));
    });
    EXPECT_EQ(loading.Run(), 1);
}

}  // namespace
