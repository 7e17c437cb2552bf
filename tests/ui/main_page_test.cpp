// The main page as the user sees it: every named control and menu item in place with
// its index, nothing outside the window or on top of a sibling, texts that fit in all
// three languages, the language items, the single-instance rule and a skinless start.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>
#include <set>

#include "platform/settings.h"
#include "platform/resources.h"
#include "toolkit/controls.h"
#include "toolkit/menu.h"
#include "ui/controls/equalizer.h"
#include "ui/dialogs/homepage.h"
#include "ui/main/main_wnd.h"
#include "ui_fixture.h"

using namespace dvdsp;
using namespace dvdsp::ui;
namespace seam = dvdsp::tk::testing;

namespace {

StartOptions NoInstanceCheck() {
    StartOptions o;
    o.checkSingleInstance = false;
    return o;
}

std::string Fmt(const char* pattern, int a) {
    char buf[96];
    std::snprintf(buf, sizeof buf, pattern, a);
    return buf;
}

// Named controls of the page and the index each carries (-1: none).
std::vector<std::pair<std::string, int>> ExpectedControls() {
    std::vector<std::pair<std::string, int>> out;
    for (const char* name : {"btnConnect",
                             "btnDpi",
                             "web_btn_1",
                             "btn_option",
                             "btn_scene",
                             "btn_advance",
                             "btn_debug",
                             "btn_input_source",
                             "btn_amp_onoff",
                             "btn_rem_out1_onoff",
                             "btn_rem_out2_onoff",
                             "btn_2ohm_spk",
                             "btn_noise_gate",
                             "btn_reset_eq",
                             "btn_bypass",
                             "btn_arg_eq",
                             "btn_reset_output",
                             "btn_lock_output",
                             "btn_link_output",
                             "btn_link_select",
                             "btn_reset_link",
                             "btn_delay_down",
                             "btn_delay_up",
                             "btn_irc",
                             "label_channel_name",
                             "btn_channel_select",
                             "edit_main_volume",
                             "slider_main_volume",
                             "main_mute",
                             "edit_acc",
                             "slider_acc",
                             "comb_ch_unit",
                             "ch_mute",
                             "ch_phase",
                             "slider_ch_volume",
                             "edit_ch_volume",
                             "hp_type",
                             "lp_type",
                             "hp_freq",
                             "lp_freq",
                             "hp_slop",
                             "lp_slop",
                             "equalizer",
                             "channel_settings"})
        out.emplace_back(name, -1);
    const char* perChannel[] = {"ch_output_btn_%d",    "slider_ch_volume_%d", "edit_ch_volume_%d",
                                "ch_volume_bg_%d",     "ch_mute_%d",          "ch_solo_%d",
                                "ch_phase_%d",         "ch_synchronize_%d",   "delay_link_%d",
                                "slider_ch_delay_%d",  "edit_ch_delay_%d",    "delay_lable_%d",
                                "ch_show_%d",          "ch_enable_%d",        "ch_border_top_%d",
                                "ch_border_buttom_%d", "ch_border_left_%d",   "ch_border_right_%d",
                                "control_empty_%d",    "input_123_%d",        "input_456_%d"};
    for (int n = 0; n < 10; ++n) {
        for (const char* p : perChannel) out.emplace_back(Fmt(p, n), n);
        for (int k = 0; k < 8; ++k)
            out.emplace_back("option_ch_in" + std::to_string(k) + "_" + std::to_string(n), n);
    }
    for (int p = 0; p < 5; ++p) {
        out.emplace_back(Fmt("ch_bridge_%d", p), p);
        out.emplace_back(Fmt("bridge_checkbox_%d", p), p);
    }
    for (int r = 1; r <= 24; ++r)
        for (const char* p : {"speaker_%d", "spk_con_%d", "spk_delay_%d"})
            out.emplace_back(Fmt(p, r), r);
    for (int b = 0; b < 31; ++b)
        for (const char* p :
             {"eq_freq_%d", "eq_q_%d", "eq_gain_%d", "eq_slider_%d", "pt_enable_%d"})
            out.emplace_back(Fmt(p, b), b);
    return out;
}

const std::map<std::string, std::vector<const char*>> kMenus = {
    {"btn_option",
     {"option_item_firmware_upgrade", "option_item_reset_default", "option_item_about",
      "option_item_language", "option_item_language_en", "option_item_language_cn",
      "option_item_language_ru"}},
    {"btn_scene",
     {"scene_item_load_scene", "scene_item_saveas_scene", "scene_item_delete_scene",
      "scene_item_load_file", "scene_item_save_file", "scene_item_load_whole",
      "scene_item_save_whole"}},
    {"btn_advance",
     {"advance_item_mixer", "advance_item_compressors_on", "advance_item_autocal",
      "advance_item_noise_threshold", "advance_item_poweroff_delay", "advance_item_ktv",
      "advance_item_compressor"}},
    {"ch_output_btn_3",
     {"output_menu_front",
      "output_menu_front_left",
      "output_menu_front_left_high_freq",
      "output_menu_front_left_mid_freq",
      "output_menu_front_left_low_freq",
      "output_menu_front_left_mid_high_freq",
      "output_menu_front_left_mid_low_freq",
      "output_menu_front_left_all_freq",
      "output_menu_front_right",
      "output_menu_front_right_high_freq",
      "output_menu_front_right_mid_freq",
      "output_menu_front_right_low_freq",
      "output_menu_front_right_mid_high_freq",
      "output_menu_front_right_mid_low_freq",
      "output_menu_front_right_all_freq",
      "output_menu_rear",
      "output_menu_rear_left",
      "output_menu_rear_left_high_freq",
      "output_menu_rear_left_low_freq",
      "output_menu_rear_left_all_freq",
      "output_menu_rear_right",
      "output_menu_rear_right_high_freq",
      "output_menu_rear_right_low_freq",
      "output_menu_rear_right_all_freq",
      "output_menu_center",
      "output_menu_center_high_freq",
      "output_menu_center_low_freq",
      "output_menu_subwoof",
      "output_menu_subwoof_left",
      "output_menu_subwoof_right",
      "output_menu_subwoof_low"}},
    {"delay_link_4",
     {"delay_link_group_0", "delay_link_group_1", "delay_link_group_2", "delay_link_group_3",
      "delay_link_group_4", "delay_link_group_5", "delay_link_group_6"}},
};

// Controls meant to lie over or under their siblings.
bool MayOverlap(const QString& name) {
    return name.startsWith("ch_volume_bg_") || name.startsWith("ch_border_") ||
           name.startsWith("control_empty_") || name == "car_image";
}

class MainPageTest : public uitest::UiTest {
  protected:
    std::unique_ptr<CMainWnd> Open(int dpi = 96, const QString& language = "en") {
        tk::SetDefaultDpi(dpi);
        StartOptions o = NoInstanceCheck();
        o.language = language;
        auto w = std::make_unique<CMainWnd>(nullptr, o);
        EXPECT_TRUE(w->Create());
        QCoreApplication::processEvents();
        return w;
    }
    void Click(tk::Window& w, const std::string& name) {
        tk::Control* c = w.FindControl(name);
        ASSERT_NE(c, nullptr) << name;
        qobject_cast<QAbstractButton*>(c->Widget())->click();
    }
};

TEST_F(MainPageTest, EveryNamedControlIsThereWithItsIndex) {
    auto w = Open();
    EXPECT_EQ(w->windowTitle(), "DV DSP Audio");
    EXPECT_EQ(w->size(), QSize(1230, 650));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());  // no sizing frame
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    for (const auto& [name, index] : ExpectedControls()) {
        tk::Control* c = w->FindControl(name);
        ASSERT_NE(c, nullptr) << name;
        if (index >= 0) {
            EXPECT_EQ(c->UserData(), QString::number(index)) << name;
        }
    }
    EXPECT_NE(dynamic_cast<UIEqualizer*>(w->FindControl("equalizer")), nullptr);
    auto* source = w->Find<tk::Combo>("btn_input_source");
    const char* sources[] = {"source_opt", "source_coax", "source_bt",  "source_aux", "source_low",
                             "source_hi",  "source_dmp",  "source_udp", "source_scp"};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(source->FindItem(sources[i]), i) << sources[i];
    EXPECT_FALSE(w->FindControl("btn_advance")->IsVisible());
    EXPECT_FALSE(w->FindControl("btn_debug")->IsVisible());  // no "debug.ini" here
}

TEST_F(MainPageTest, EveryMenuHasItsItems) {
    auto w = Open();
    for (const auto& [button, items] : kMenus) {
        tk::Control* c = w->FindControl(button);
        ASSERT_NE(c, nullptr) << button;
        c->SetVisible(true);
        Click(*w, button);
        tk::Menu* m = w->CurrentMenu();
        ASSERT_NE(m, nullptr) << button;
        for (const char* item : items) EXPECT_TRUE(m->HasItem(item)) << button << ": " << item;
    }
    EXPECT_EQ(w->DelayLinkChannel(), 4);
    Click(*w, "ch_output_btn_3");
    EXPECT_EQ(w->OutputMenuChannel(), 3);
    EXPECT_EQ(w->CurrentMenu()->ItemUserData("output_menu_subwoof_right"), "23");
    // The advance menu hides the windows this model does not open.
    Click(*w, "btn_advance");
    EXPECT_FALSE(w->CurrentMenu()->IsItemVisible("advance_item_ktv"));
    EXPECT_TRUE(w->CurrentMenu()->IsItemVisible("advance_item_mixer"));
    // Without a unit the device items are disabled.
    Click(*w, "btn_scene");
    EXPECT_FALSE(w->CurrentMenu()->IsItemEnabled("scene_item_load_scene"));
    EXPECT_TRUE(w->CurrentMenu()->IsItemEnabled("scene_item_load_file"));
    Click(*w, "btn_option");
    EXPECT_FALSE(w->CurrentMenu()->IsItemEnabled("option_item_reset_default"));

    auto links = tk::Menu::Load(w.get(), "xml/link_group_menu.xml");
    ASSERT_NE(links, nullptr);
    for (int g = 0; g <= 6; ++g)
        EXPECT_EQ(links->ItemUserData(QString("link_group_%1").arg(g)), QString::number(g));
}

// Checks the page at one scale and language: named controls inside the window,
// siblings apart, texts not clipped, something drawn.
void CheckLayout(CMainWnd& w, const std::string& what) {
    QRect window = w.rect();
    for (tk::Control* c : w.AllControls()) {
        QWidget* wid = c->Widget();
        if (!wid->isVisible()) continue;
        QRect r(wid->mapTo(&w, QPoint(0, 0)), wid->size());
        if (!c->Name().empty()) {
            EXPECT_TRUE(window.contains(r)) << what << ": " << c->Name() << " outside";
        }
        if (wid->width() <= 0 || wid->height() <= 0)
            ADD_FAILURE() << what << ": " << c->Name() << " has no size";
        // Overlap with later visible siblings.
        if (MayOverlap(wid->objectName())) continue;
        for (QObject* o : wid->parent()->children()) {
            auto* sib = qobject_cast<QWidget*>(o);
            if (!sib || sib == wid || !sib->isVisible() || !tk::Control::From(sib) ||
                MayOverlap(sib->objectName()))
                continue;
            if (sib->geometry().intersects(wid->geometry()) &&
                wid->objectName() < sib->objectName())
                ADD_FAILURE() << what << ": " << wid->objectName().toStdString() << " overlaps "
                              << sib->objectName().toStdString();
        }
        // Texts fit.
        QString text;
        int room = wid->width();
        if (auto* b = qobject_cast<QAbstractButton*>(wid)) {
            text = b->text();
            room -= qobject_cast<QCheckBox*>(wid) ? 20 : 4;
        } else if (auto* l = qobject_cast<QLabel*>(wid); l && !l->wordWrap()) {
            text = l->text();
        } else if (auto* combo = qobject_cast<QComboBox*>(wid)) {
            room -= 24;
            for (int i = 0; i < combo->count(); ++i)
                if (wid->fontMetrics().horizontalAdvance(combo->itemText(i)) > room)
                    ADD_FAILURE() << what << ": " << c->Name() << " item \""
                                  << combo->itemText(i).toStdString() << "\" clipped";
        }
        if (!text.isEmpty() && wid->fontMetrics().horizontalAdvance(text) > room)
            ADD_FAILURE() << what << ": " << c->Name() << " text \"" << text.toStdString()
                          << "\" clipped";
    }
    QImage shot = w.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    std::set<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3)
        for (int x = 0; x < shot.width(); x += 3) colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 100u) << what << ": the page looks blank";
}

TEST_F(MainPageTest, LayoutHoldsAtBothScalesInAllLanguages) {
    for (int dpi : {96, 144}) {
        for (const char* lang : {"en", "cn_zh", "ru"}) {
            auto w = Open(dpi, lang);
            EXPECT_EQ(w->width(), dpi == 96 ? 1230 : 1845);
            CheckLayout(*w, std::to_string(dpi) + "/" + lang);
        }
    }
}

TEST_F(MainPageTest, LanguageItemsSwitchEveryShownText) {
    auto w = Open();
    QString settings = QString::fromStdString(SettingsPath());
    QFile::remove(settings);
    EXPECT_EQ(w->FindControl("btnConnect")->ShownText(), "Disconnected");
    Click(*w, "btn_option");
    ASSERT_TRUE(w->CurrentMenu()->Trigger("option_item_language_ru"));
    QCoreApplication::processEvents();
    EXPECT_EQ(tk::CurrentLanguages().Current(), "ru");
    EXPECT_EQ(w->FindControl("btnConnect")->ShownText(), "Не подключено");
    EXPECT_EQ(qobject_cast<QAbstractButton*>(w->FindControl("btn_scene")->Widget())->text(),
              "Сцены");
    EXPECT_EQ(ReadLanguageSetting(), 2);

    // The language already in use changes nothing and writes nothing.
    QFile::remove(settings);
    EXPECT_FALSE(ChangeLanguage("ru", "2"));
    EXPECT_FALSE(QFile::exists(settings));

    // The toggle item: Chinese from anything but Chinese, then back to English.
    w->PostMessage(tk::WM_MENUCLICK, 0,
                   tk::MakePayload(tk::MenuClick{"option_item_language", "", ""}));
    QCoreApplication::processEvents();
    EXPECT_EQ(tk::CurrentLanguages().Current(), "cn_zh");
    EXPECT_EQ(w->FindControl("btnConnect")->ShownText(), "未连接");
    w->PostMessage(tk::WM_MENUCLICK, 0,
                   tk::MakePayload(tk::MenuClick{"OPTION_ITEM_LANGUAGE", "", ""}));
    QCoreApplication::processEvents();
    EXPECT_EQ(tk::CurrentLanguages().Current(), "en");
    EXPECT_EQ(ReadLanguageSetting(), 0);
}

// The header's and the About box's link name the build's home page, or are not there.
void ExpectHomepageLink(tk::Window& w) {
    const QString url = QString::fromUtf8(HomepageUrl());
    tk::Control* link = w.FindControl("web_btn_1");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->IsVisible(), !url.isEmpty()) << w.ClassName().toStdString();
    EXPECT_EQ(link->UserData(), url);
    EXPECT_FALSE(link->ShownText().contains("example.org")) << link->ShownText().toStdString();
    EXPECT_FALSE(link->ToolTip().contains("example.org"));
    if (!url.isEmpty()) {
        EXPECT_TRUE(url.endsWith(link->ShownText()));
    }
}

TEST_F(MainPageTest, AboutItemOpensTheAboutBox) {
    auto w = Open();
    ExpectHomepageLink(*w);
    bool shown = false;
    seam::ActOnNextModal([&](tk::Window& about) {
        shown = about.ClassName() == "AboutWnd";
        EXPECT_EQ(about.FindControl("fw_version")->ShownText(), "VTR50 ");
        ExpectHomepageLink(about);
        about.Close(0);
    });
    w->PostMessage(tk::WM_MENUCLICK, 0,
                   tk::MakePayload(tk::MenuClick{"option_item_about", "", ""}));
    QCoreApplication::processEvents();
    EXPECT_TRUE(shown);
}

TEST_F(MainPageTest, StartupSelectsTheStoredLanguage) {
    ASSERT_TRUE(WriteSettingInt("lan", 2));
    tk::SetDefaultDpi(96);
    {
        CMainWnd w(nullptr, NoInstanceCheck());
        ASSERT_TRUE(w.Create());
        EXPECT_EQ(tk::CurrentLanguages().Current(), "ru");
    }
    ASSERT_TRUE(WriteSettingInt("lan", 7));  // unknown: the default language
    tk::CurrentLanguages().ClearForTest();
    RegisterLanguages();
    {
        CMainWnd w(nullptr, NoInstanceCheck());
        ASSERT_TRUE(w.Create());
        EXPECT_EQ(tk::CurrentLanguages().Current(), "en");
    }
    WriteSettingInt("lan", 0);
}

TEST_F(MainPageTest, ASecondCopyShowsTheMessageAndCloses) {
    platform::NamedMutex first;
    ASSERT_TRUE(first.Acquire(platform::InstanceMutexName()));
    std::string text;
    seam::ActOnNextModal([&](tk::Window& box) {
        text = box.FindControl("MessageText")->ShownText().toStdString();
        qobject_cast<QAbstractButton*>(box.FindControl("confirm_btn")->Widget())->click();
    });
    CMainWnd second(nullptr, StartOptions{});
    ASSERT_TRUE(second.Create());
    EXPECT_TRUE(second.ClosedAtStart());
    EXPECT_FALSE(second.isVisible());
    EXPECT_NE(text.find("already running"), std::string::npos);
    EXPECT_TRUE(first.Held());
}

TEST_F(MainPageTest, AScreenshotReplacesItsFileInOneStep) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CMainWnd w(nullptr, NoInstanceCheck());
    ASSERT_TRUE(w.Create());
    const QString shot = dir.filePath(QStringLiteral("shot.png")), twin = dir.filePath(QStringLiteral("twin.png"));
    std::string why;
    ASSERT_TRUE(w.SaveScreenshot(shot, &why)) << why;
    EXPECT_FALSE(QImage(shot).isNull());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("shot.png")});
    // Written in place, a file with a second name would change under both names.
    QFile old(twin);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("kept");
    old.close();
    ASSERT_EQ(::link(QFile::encodeName(twin).constData(), QFile::encodeName(shot + ".2").constData()), 0);
    EXPECT_FALSE(w.SaveScreenshot(shot + ".2", &why));
    EXPECT_NE(why.find("hard links"), std::string::npos) << why;
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("kept"));
}

TEST_F(MainPageTest, TheProgramStartsWithoutTheSkinResource) {
    platform::ResourceView saved = platform::FindResource(kSkinResourceName, kSkinResourceType);
    ASSERT_FALSE(saved.Empty());
    platform::UnregisterResource(kSkinResourceName, kSkinResourceType);
    EXPECT_FALSE(LoadSkinFromResource());
    {
        CMainWnd w(nullptr, NoInstanceCheck());
        EXPECT_TRUE(w.Create());
        EXPECT_EQ(w.FindControl("btnConnect"), nullptr);
        EXPECT_EQ(w.windowTitle(), "DV DSP Audio");
    }
    static const uint8_t empty[1] = {0};
    platform::RegisterResource(kSkinResourceName, kSkinResourceType, empty, 0);
    EXPECT_FALSE(LoadSkinFromResource());
    platform::RegisterResource(kSkinResourceName, kSkinResourceType, saved.data, saved.size);
    EXPECT_TRUE(LoadSkinFromResource());
}

TEST(StartOptionsTest, ParsesTheScreenshotOptions) {
    const char* args[] = {"dvdsp", "--virtual-unit", "--screenshot", "a.png", "--language",
                          "ru",    "--scale",        "144"};
    StartOptions o;
    QString error;
    ASSERT_TRUE(ParseStartOptions(8, const_cast<char**>(args), &o, &error));
    EXPECT_EQ(o.screenshot, "a.png");
    EXPECT_EQ(o.language, "ru");
    EXPECT_EQ(o.scale, 144);
    const char* bad[] = {"dvdsp", "--scale", "100"};
    EXPECT_FALSE(ParseStartOptions(3, const_cast<char**>(bad), &o, &error));
    const char* missing[] = {"dvdsp", "--language"};
    EXPECT_FALSE(ParseStartOptions(2, const_cast<char**>(missing), &o, &error));
    EXPECT_EQ(LanguageCodeOf(1), "cn_zh");
    EXPECT_EQ(LanguageCodeOf(7), "");
}

}  // namespace
