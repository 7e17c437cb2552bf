// Window services: posted messages, timers, modal results, the dialog registry, menus
// and languages.
#include <QTest>
#include <atomic>
#include <thread>

#include "tk_fixture.h"
#include "toolkit/controls.h"
#include "ui/link_sink.h"
#include "toolkit/menu.h"

using namespace dvdsp::tk;
using dvdsp::ui::LinkPayload;
using dvdsp::ui::WindowMessageSink;
using tktest::RecordingWindow;

namespace {

struct Counted : Payload {
    explicit Counted(std::atomic<int>* live) : live_(live) { ++*live_; }
    ~Counted() override { --*live_; }
    std::atomic<int>* live_;
};

class MessageWindow : public RecordingWindow {
  public:
    void OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<Payload> payload) override {
        received.emplace_back(msg, wparam);
        if (auto* lp = dynamic_cast<LinkPayload*>(payload.get()); lp && lp->message.record)
            ++records;
        if (auto* click = Unbox<MenuClick>(payload.get())) lastClick = *click;
    }
    void OnTimer(int id) override { ticks.push_back(id); }
    std::vector<std::pair<uint32_t, int64_t>> received;
    std::vector<int> ticks;
    int records = 0;
    MenuClick lastClick;
};

const char* kDialog = R"(<Window size="200,100" title="${tips}">
  <VerticalLayout name="root">
    <Label name="MessageText" text="${hello} / ${missing_key}" tooltip="${hello}"/>
    <Combo name="combo"><Item text="${hello}"/></Combo>
    <Button name="confirm_btn" text="${confirm}"/>
    <Button name="cancel_btn"/>
    <Button name="third_btn"/>
  </VerticalLayout>
</Window>)";

const char* kMenu = R"(<Menu>
  <MenuItem name="item_a" text="${hello}" userdata="11"/>
  <Separator/>
  <MenuItem name="group" text="Group">
    <MenuItem name="item_b" text="B" userdata="22"/>
  </MenuItem>
</Menu>)";

class WindowTest : public tktest::ToolkitTest {
  protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        UseSkin(
            {{"xml/dlg.xml", kDialog},
             {"xml/menu.xml", kMenu},
             {"lan/en.xml",
              R"(<Language><Text key="hello">Hello</Text><Text key="tips">Tips</Text><Text key="confirm">OK</Text></Language>)"},
             {"lan/ru.xml",
              R"(<Language><Text key="hello">Привет</Text><Text key="tips">Подсказка</Text></Language>)"}});
        CurrentLanguages().Register("en", "lan/en.xml");
        CurrentLanguages().Register("ru", "lan/ru.xml");
        ASSERT_TRUE(CurrentLanguages().Select("en"));
    }
};

TEST_F(WindowTest, PostedMessagesArriveInOrderFromAnyThread) {
    MessageWindow w;
    std::thread t([&] {
        for (int i = 0; i < 50; ++i) w.PostMessage(1234, i);
    });
    t.join();
    w.PostMessage(1235, 99);
    QCoreApplication::processEvents();
    ASSERT_EQ(w.received.size(), 51u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(w.received[i], std::make_pair(1234u, int64_t{i}));
    EXPECT_EQ(w.received[50].first, 1235u);
}

TEST_F(WindowTest, PayloadsForAGoneWindowAreFreed) {
    std::atomic<int> live{0};
    std::shared_ptr<Mailbox> box;
    {
        MessageWindow w;
        box = w.GetMailbox();
        w.PostMessage(1, 0, std::make_unique<Counted>(&live));  // queued, never handled
        EXPECT_EQ(live, 1);
    }
    EXPECT_EQ(live, 0);
    EXPECT_FALSE(box->Post(2, 0, std::make_unique<Counted>(&live)));
    EXPECT_EQ(live, 0);
    QCoreApplication::processEvents();
}

TEST_F(WindowTest, LinkMessagesReachTheWindowThroughTheSink) {
    MessageWindow w;
    WindowMessageSink sink(w);
    dvdsp::link::Message m;
    m.msg = dvdsp::link::WM_READ_DSP_VALUE;
    m.wparam = 5;
    m.record = std::make_unique<dvdsp::link::ChannelValue>();
    sink.Post(std::move(m));
    QCoreApplication::processEvents();
    ASSERT_EQ(w.received.size(), 1u);
    EXPECT_EQ(w.received[0], std::make_pair(dvdsp::link::WM_READ_DSP_VALUE, int64_t{5}));
    EXPECT_EQ(w.records, 1);
}

TEST_F(WindowTest, TimersFireByIdentifierUntilKilled) {
    MessageWindow w;
    w.SetTimer(4114, 1);
    EXPECT_TRUE(w.HasTimer(4114));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.ticks.size() >= 2; }, 5000));
    w.KillTimer(4114);
    EXPECT_FALSE(w.HasTimer(4114));
    size_t n = w.ticks.size();
    QTest::qWait(20);
    EXPECT_EQ(w.ticks.size(), n);
    for (int id : w.ticks) EXPECT_EQ(id, 4114);
}

TEST_F(WindowTest, ModalResultsOfTheCommonButtons) {
    const char* buttons[] = {"closebtn", "cancel_btn", "confirm_btn", "third_btn"};
    (void)buttons;
    for (auto [name, expected] :
         {std::pair{"cancel_btn", 0}, {"confirm_btn", 1}, {"third_btn", 2}}) {
        RecordingWindow w;
        ASSERT_TRUE(w.LoadLayout("xml/dlg.xml"));
        std::string button = name;
        dvdsp::tk::testing::ActOnNextModal(
            [button](Window& win) { win.Find<Button>(button)->Click(); });
        EXPECT_EQ(w.ShowModal(), expected) << name;
        EXPECT_FALSE(w.isVisible());
    }
    RecordingWindow esc;
    ASSERT_TRUE(esc.LoadLayout("xml/dlg.xml"));
    dvdsp::tk::testing::ActOnNextModal([](Window& win) { QTest::keyClick(&win, Qt::Key_Escape); });
    EXPECT_EQ(esc.ShowModal(), 0);
    RecordingWindow answered;
    dvdsp::tk::testing::AnswerNextModal(2);
    EXPECT_EQ(answered.ShowModal(), 2);
}

TEST_F(WindowTest, OpenDialogsCanBeEndedByTitleOrClass) {
    RecordingWindow w;
    ASSERT_TRUE(w.LoadLayout("xml/dlg.xml"));
    EXPECT_EQ(w.windowTitle(), "Tips");
    dvdsp::tk::testing::ActOnNextModal(
        [](Window&) { EXPECT_TRUE(Window::EndDialogByTitle("Tips", 0)); });
    EXPECT_EQ(w.ShowModal(), 0);
    dvdsp::tk::testing::ActOnNextModal(
        [](Window&) { EXPECT_TRUE(Window::EndDialogByClass("RecordingWnd", 2)); });
    EXPECT_EQ(w.ShowModal(), 2);
    EXPECT_FALSE(Window::EndDialogByTitle("Tips", 0));  // none open any more
}

TEST_F(WindowTest, SwitchingTheLanguageReResolvesEveryShownText) {
    RecordingWindow a, b;
    ASSERT_TRUE(a.LoadLayout("xml/dlg.xml"));
    ASSERT_TRUE(b.LoadLayout("xml/dlg.xml"));
    auto* text = a.Find<Label>("MessageText");
    EXPECT_EQ(text->text(), "Hello / ${missing_key}");  // a missing key shows itself
    EXPECT_EQ(text->toolTip(), "Hello");
    ASSERT_TRUE(CurrentLanguages().Select("ru"));
    EXPECT_EQ(CurrentLanguages().Current(), "ru");
    for (RecordingWindow* w : {&a, &b}) {
        EXPECT_EQ(w->windowTitle(), "Подсказка");
        EXPECT_EQ(w->Find<Label>("MessageText")->text(), "Привет / ${missing_key}");
        EXPECT_EQ(w->Find<Label>("MessageText")->toolTip(), "Привет");
        EXPECT_EQ(w->Find<Combo>("combo")->itemText(0), "Привет");
        EXPECT_EQ(w->Find<Button>("confirm_btn")->text(), "${confirm}");  // absent in ru
    }
    EXPECT_FALSE(CurrentLanguages().Select("xx"));
    EXPECT_EQ(CurrentLanguages().Current(), "ru");
    EXPECT_EQ(Lang("${a}${hello}${"), "${a}Привет${");
}

TEST_F(WindowTest, MenuItemsPostTheirRecordToTheOwner) {
    MessageWindow w;
    auto menu = Menu::Load(&w, "xml/menu.xml");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->ItemNames(), (QStringList{"item_a", "group", "item_b"}));
    EXPECT_EQ(menu->ItemUserData("item_b"), "22");
    menu->Popup(QPoint(10, 10));
    EXPECT_TRUE(menu->IsOpen());
    ASSERT_TRUE(menu->Trigger("item_a"));
    QCoreApplication::processEvents();
    ASSERT_EQ(w.received.size(), 1u);
    EXPECT_EQ(w.received[0].first, WM_MENUCLICK);
    EXPECT_EQ(w.lastClick.name, "item_a");
    EXPECT_EQ(w.lastClick.userData, "11");
    EXPECT_EQ(w.lastClick.text, "Hello");

    menu->SetItemEnabled("item_b", false);
    EXPECT_FALSE(menu->Trigger("item_b"));
    menu->SetItemEnabled("item_b", true);
    menu->SetItemVisible("item_b", false);
    EXPECT_FALSE(menu->IsItemVisible("item_b"));
    EXPECT_FALSE(menu->Trigger("item_b"));
    EXPECT_FALSE(menu->Trigger("group"));  // a group opens, it is not an item
    EXPECT_FALSE(menu->Trigger("nothing"));
    EXPECT_EQ(Menu::Load(&w, "xml/none.xml"), nullptr);
}

}  // namespace
