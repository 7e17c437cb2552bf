// Notifications as a user's keys and mouse produce them.
#include <QSignalSpy>
#include <QTest>

#include "tk_fixture.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"

using namespace dvdsp::tk;
using tktest::RecordingWindow;

namespace {

const char* kNotifyLayout = R"(<Window size="300,200">
  <VerticalLayout name="root">
    <Edit name="edit_a" text="12" height="24" spin="true"/>
    <Edit name="edit_b" text="" height="24"/>
    <Slider name="slider" min="0" max="100" value="0" height="24" width="200"/>
    <Combo name="combo" height="24"><Item text="a"/><Item text="b" userdata="x"/><Item text="c"/></Combo>
    <List name="list" height="60"><Row text="r0"/><Row text="r1"/></List>
    <HorizontalLayout height="30">
      <Option name="opt_a" group="g" selected="true" width="40"/>
      <Option name="opt_b" group="g" width="40"/>
      <Option name="toggle" width="40"/>
      <CheckBox name="check" width="40"/>
      <Button name="btn" width="40"/>
    </HorizontalLayout>
  </VerticalLayout>
</Window>)";

class NotifyTest : public tktest::ToolkitTest {
  protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        UseSkin({{"xml/n.xml", kNotifyLayout}});
        ASSERT_TRUE(w.LoadLayout("xml/n.xml"));
        w.ShowWindow();
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        w.Clear();
    }
    RecordingWindow w;
};

TEST_F(NotifyTest, EditKeysBecomeNotifications) {
    auto* a = w.Find<Edit>("edit_a");
    w.Find<Edit>("edit_b")->setFocus();
    w.Clear();
    a->setFocus();
    EXPECT_TRUE(w.Saw("setfocus:edit_a"));
    QTest::keyClick(a, Qt::Key_Up);
    QTest::keyClick(a, Qt::Key_Down);
    EXPECT_TRUE(w.Saw("valuechangedup:edit_a"));
    EXPECT_TRUE(w.Saw("valuechangeddown:edit_a"));

    // Left only notifies once the cursor sits at the start.
    a->setCursorPosition(2);
    w.Clear();
    QTest::keyClick(a, Qt::Key_Left);
    EXPECT_FALSE(w.Saw("valuechangedleft:edit_a"));
    EXPECT_EQ(a->cursorPosition(), 1);
    QTest::keyClick(a, Qt::Key_Left);
    QTest::keyClick(a, Qt::Key_Left);
    EXPECT_TRUE(w.Saw("valuechangedleft:edit_a"));
    a->setCursorPosition(2);
    QTest::keyClick(a, Qt::Key_Right);
    EXPECT_TRUE(w.Saw("valuechangedright:edit_a"));

    QTest::keyClick(a, Qt::Key_Return);
    EXPECT_TRUE(w.Saw("return:edit_a"));
    QTest::keyClicks(a, "5");
    EXPECT_EQ(a->text(), "125");

    w.Clear();
    w.Find<Edit>("edit_b")->setFocus();
    ASSERT_GE(w.log.size(), 2u);
    EXPECT_EQ(w.log[0], "killfocus:edit_a");
    EXPECT_EQ(w.log[1], "setfocus:edit_b");
}

TEST_F(NotifyTest, SpinArrowsStepTheEdit) {
    auto* a = w.Find<Edit>("edit_a");
    ASSERT_TRUE(a->HasSpin());
    auto* up = a->findChild<QWidget*>("spin_up");
    ASSERT_NE(up, nullptr);
    QTest::mouseClick(up, Qt::LeftButton);
    a->PressSpin(false);
    EXPECT_TRUE(w.Saw("valuechangedup:edit_a"));
    EXPECT_TRUE(w.Saw("valuechangeddown:edit_a"));
}

TEST_F(NotifyTest, SliderDragMovesThenChanges) {
    auto* s = w.Find<Slider>("slider");
    s->SetValue(50);
    EXPECT_TRUE(w.log.empty());  // a change from code does not notify
    QStyleOptionSlider opt;
    opt.initFrom(s);
    opt.minimum = s->minimum();
    opt.maximum = s->maximum();
    opt.sliderPosition = s->value();
    opt.sliderValue = s->value();
    opt.orientation = s->orientation();
    QRect handle = s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, s);
    QPoint from = handle.center();
    QTest::mousePress(s, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(s, from + QPoint(20, 0));
    QTest::mouseMove(s, from + QPoint(40, 0));
    QTest::mouseRelease(s, Qt::LeftButton, Qt::NoModifier, from + QPoint(40, 0));
    std::vector<std::string> fromSlider;
    for (const auto& e : w.log)
        if (e.ends_with(":slider")) fromSlider.push_back(e);
    // The press gives it the focus first.
    ASSERT_GE(fromSlider.size(), 3u);
    EXPECT_EQ(fromSlider.front(), "setfocus:slider");
    fromSlider.erase(fromSlider.begin());
    EXPECT_EQ(fromSlider.front(), "movevaluechanged:slider");
    EXPECT_EQ(fromSlider.back(), "valuechanged:slider");
    for (size_t i = 0; i + 1 < fromSlider.size(); ++i)
        EXPECT_EQ(fromSlider[i], "movevaluechanged:slider");
    EXPECT_GT(s->Value(), 50);
}

TEST_F(NotifyTest, OptionsAndCheckBoxes) {
    QTest::mouseClick(w.Find<Option>("opt_b"), Qt::LeftButton);
    EXPECT_EQ(w.log, (std::vector<std::string>{"click:opt_b", "selectchanged:opt_b"}));
    EXPECT_TRUE(w.Find<Option>("opt_b")->IsSelected());
    EXPECT_FALSE(w.Find<Option>("opt_a")->IsSelected());

    // Clicking the selected option of a group keeps it selected.
    w.Clear();
    QTest::mouseClick(w.Find<Option>("opt_b"), Qt::LeftButton);
    EXPECT_EQ(w.log, (std::vector<std::string>{"click:opt_b"}));
    EXPECT_TRUE(w.Find<Option>("opt_b")->IsSelected());

    // An option without a group toggles.
    QTest::mouseClick(w.Find<Option>("toggle"), Qt::LeftButton);
    EXPECT_TRUE(w.Find<Option>("toggle")->IsSelected());
    QTest::mouseClick(w.Find<Option>("toggle"), Qt::LeftButton);
    EXPECT_FALSE(w.Find<Option>("toggle")->IsSelected());

    w.Clear();
    auto* check = w.Find<CheckBox>("check");
    QTest::mouseClick(check, Qt::LeftButton, Qt::NoModifier, QPoint(6, check->height() / 2));
    EXPECT_TRUE(w.Saw("selectchanged:check"));
    EXPECT_TRUE(w.Find<CheckBox>("check")->IsSelected());
    w.Clear();
    w.Find<CheckBox>("check")->SetSelected(false);
    EXPECT_FALSE(w.Find<CheckBox>("check")->isChecked());
    EXPECT_TRUE(w.log.empty());

    QTest::mouseClick(w.Find<Button>("btn"), Qt::LeftButton);
    EXPECT_TRUE(w.Saw("click:btn"));
    // A disabled button does not notify.
    w.Clear();
    w.Find<Button>("btn")->SetEnabled(false);
    QTest::mouseClick(w.Find<Button>("btn"), Qt::LeftButton);
    EXPECT_TRUE(w.log.empty());
}

TEST_F(NotifyTest, CombosAndListsReportTheItemTheUserPicked) {
    auto* combo = w.Find<Combo>("combo");
    combo->SelectItem(1);
    EXPECT_TRUE(w.log.empty());  // from code: silent
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(combo->CurSel(), 2);
    ASSERT_EQ(w.log, (std::vector<std::string>{"itemselect:combo"}));
    combo->SetItemVisible(0, false);
    EXPECT_FALSE(combo->IsItemVisible(0));
    EXPECT_TRUE(combo->IsItemVisible(1));

    w.Clear();
    auto* list = w.Find<List>("list");
    list->SelectItem(0);
    EXPECT_TRUE(w.log.empty());
    QRect row1 = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row1.center());
    EXPECT_TRUE(w.Saw("itemselect:list"));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row1.center());
    EXPECT_TRUE(w.Saw("itemactivate:list"));
}

TEST(FileDialogSeam, AnswersGivenInAdvance) {
    tktest::App();
    dvdsp::tk::testing::AnswerNextFileDialog("/tmp/a.spf");
    dvdsp::tk::testing::AnswerNextFileDialog("");
    EXPECT_EQ(GetOpenFileName(nullptr, "${load}", "*.spf"), "/tmp/a.spf");
    EXPECT_EQ(GetSaveFileName(nullptr, "${save}", "*.spf"), "");  // cancelled
}

}  // namespace
