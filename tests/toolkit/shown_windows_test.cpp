// What tests and scripts observe of the windows: which were shown and in what order,
// modal windows nobody answered, the waits, the window factories and file choices.
#include <QTimer>

#include "tk_fixture.h"
#include "toolkit/test_seams.h"
#include "toolkit/waits.h"
#include "toolkit/window_factory.h"

using namespace dvdsp::tk;
namespace seam = dvdsp::tk::testing;

namespace {

class NamedWindow : public tktest::RecordingWindow {
  public:
    explicit NamedWindow(QString name) : name_(std::move(name)) {}
    QString ClassName() const override { return name_; }

  private:
    QString name_;
};

const char* kBoxLayout = R"(<Window size="120,80" title="Box">
  <VerticalLayout name="root">
    <Label name="MessageText" text="first"/>
    <Button name="confirm_btn"/>
  </VerticalLayout>
</Window>)";

class ShownWindowsTest : public tktest::ToolkitTest {
  protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        UseSkin({{"xml/box.xml", kBoxLayout}});
        seam::ClearAnswers();
    }
    void TearDown() override {
        seam::SetModalObserver(nullptr);
        seam::SetUnansweredFileHandler(nullptr);
    }
};

}  // namespace

TEST_F(ShownWindowsTest, ShowsAreCountedByClassAndTheLatestShownIsTopmost) {
    NamedWindow a("ShownA"), b("ShownB");
    const int aBefore = Window::ShownCount("ShownA");
    a.ShowWindow();
    b.ShowWindow();
    EXPECT_EQ(Window::ShownCount("ShownA"), aBefore + 1);
    EXPECT_EQ(Window::ShownCount("ShownB"), 1);
    EXPECT_EQ(Window::Topmost(), &b);
    EXPECT_EQ(Window::VisibleWindows().mid(0, 2), (QList<Window*>{&b, &a}));

    // Shown again, a window comes to the top; hidden, it leaves the list but its shows
    // stay recorded.
    a.hide();
    a.show();
    EXPECT_EQ(Window::Topmost(), &a);
    EXPECT_EQ(Window::ShownCount("ShownA"), aBefore + 2);
    a.hide();
    EXPECT_EQ(Window::Topmost(), &b);
    EXPECT_FALSE(Window::VisibleWindows().contains(&a));
    EXPECT_EQ(Window::ShownCount("ShownA"), aBefore + 2);
    {
        NamedWindow gone("ShownGone");
        gone.ShowWindow();
        EXPECT_EQ(Window::Topmost(), &gone);
    }
    EXPECT_EQ(Window::Topmost(), &b);
    b.hide();

    // A modal window that a queued answer ends is never shown.
    NamedWindow answered("ShownAnswered");
    seam::AnswerNextModal(kResultConfirm);
    EXPECT_EQ(answered.ShowModal(), kResultConfirm);
    EXPECT_EQ(Window::ShownCount("ShownAnswered"), 0);
}

TEST_F(ShownWindowsTest, TheModalObserverSeesOnlyUnansweredWindowsInsideTheirLoop) {
    std::vector<QString> seen;
    bool wasRunning = false;
    seam::SetModalObserver([&](Window& w) {
        seen.push_back(w.ClassName());
        wasRunning = w.IsModalRunning() && w.isVisible();
        w.Close(kResultThird);
    });
    NamedWindow box("ObservedBox");
    ASSERT_TRUE(box.LoadLayout("xml/box.xml"));
    EXPECT_EQ(box.ShowModal(), kResultThird);
    EXPECT_TRUE(wasRunning);
    seam::AnswerNextModal(kResultConfirm);
    EXPECT_EQ(box.ShowModal(), kResultConfirm);
    seam::ActOnNextModal([](Window& w) { w.Close(kResultClosed); });
    EXPECT_EQ(box.ShowModal(), kResultClosed);
    EXPECT_EQ(seen, std::vector<QString>{"ObservedBox"});
}

TEST_F(ShownWindowsTest, WaitsEndWhenTheEventLoopBringsTheChange) {
    NamedWindow box("WaitedBox");
    ASSERT_TRUE(box.LoadLayout("xml/box.xml"));
    QTimer::singleShot(0, &box, [&] {
        box.FindControl("MessageText")->SetText("second");
        box.ShowWindow();
    });
    EXPECT_TRUE(WaitForShown("WaitedBox", 0, 20000));
    EXPECT_TRUE(WaitForText(box, "MessageText", "second", 20000));
    EXPECT_FALSE(WaitForText(box, "no_such_control", "second", 0));
    EXPECT_FALSE(WaitForClosed("WaitedBox", 0));
    QTimer::singleShot(0, &box, [&] { box.Close(); });
    EXPECT_TRUE(WaitForClosed("WaitedBox", 20000));
    EXPECT_FALSE(WaitUntil([] { return false; }, 0));
}

TEST_F(ShownWindowsTest, WindowsOpenByClassNameThroughTheirFactory) {
    NamedWindow owner("FactoryOwner");
    std::vector<std::string> opened;
    RegisterWindowFactory("FactoryTestWnd", [&](Window& o) { opened.push_back("first:" + o.ClassName().toStdString()); });
    EXPECT_TRUE(OpenWindowByClass("FactoryTestWnd", owner));
    RegisterWindowFactory("FactoryTestWnd", [&](Window&) { opened.push_back("second"); });
    EXPECT_TRUE(OpenWindowByClass("FactoryTestWnd", owner));
    EXPECT_FALSE(OpenWindowByClass("NoSuchWnd", owner));
    EXPECT_EQ(opened, (std::vector<std::string>{"first:FactoryOwner", "second"}));
    EXPECT_TRUE(RegisteredWindowClasses().contains("FactoryTestWnd"));
}

TEST_F(ShownWindowsTest, FileChoicesTakeQueuedAnswersThenAskTheHandler) {
    QStringList asked;
    seam::SetUnansweredFileHandler([&](const QString& title) {
        asked.append(title);
        return true;
    });
    seam::AnswerNextFileDialog("/tmp/in.spf");
    EXPECT_EQ(ChooseFile(FileChoice::Open, nullptr, "${load}", "*.spf"), "/tmp/in.spf");
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(ChooseFile(FileChoice::Save, nullptr, "${save}", "*.spf"), "");
    EXPECT_EQ(asked, QStringList{"${save}"});
}
