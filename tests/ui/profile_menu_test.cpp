// The profile items of the scene menu, against the virtual unit: the file dialogs, the
// refusals, the busy window and the round trip through a unit reset to its defaults.
#include <cjson/cJSON.h>

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTest>

#include "core/curve_store.h"
#include "core/profile_diff.h"
#include "scene_fixture.h"

namespace uitest {
namespace {

using JsonEdit = std::function<void(cJSON*)>;

class ProfileMenuTest : public SceneOpsTest {
protected:
    // The scene profile of the window's live settings, edited, as a file.
    QString EditedSceneFile(const char* name, const JsonEdit& edit) {
        cJSON* root = cJSON_Parse(core::SceneProfileText(Model()).c_str());
        EXPECT_NE(root, nullptr);
        edit(root);
        char* text = cJSON_PrintUnformatted(root);
        const QString path = Path(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        cJSON_free(text);
        cJSON_Delete(root);
        return path;
    }
    static std::unique_ptr<core::UnitModel> ReadFile(const QString& path, bool whole) {
        auto m = std::make_unique<core::UnitModel>();
        const core::ProfileResult r = whole ? core::ReadWholeProfile(path.toStdString(), *m)
                                            : core::ReadSceneProfile(path.toStdString(), m->current);
        EXPECT_TRUE(r.ok()) << r.detail;
        return m;
    }
    static std::unique_ptr<core::UnitModel> Reparsed(const core::UnitModel& backup, bool whole) {
        auto m = std::make_unique<core::UnitModel>();
        const core::ProfileResult r = whole ? core::ParseWholeProfile(core::WholeProfileText(backup), *m)
                                            : core::ParseSceneProfile(core::SceneProfileText(backup.current), m->current);
        EXPECT_TRUE(r.ok()) << r.detail;
        return m;
    }
    // Links, locks and bridges, routes several sources and feeds inputs across sources, on
    // the live settings and on stored scene 2 ("Road").
    void SetUpUnit() {
        unit->WithState([](emu::UnitState& s) {
            for (size_t n : {size_t{0}, size_t{2}}) {
                emu::Scene& sc = s.scenes[n];
                sc.out[0].role = 1;
                sc.out[1].role = 7;  // the mirror of role 1: a stereo pair
                sc.lock = 1;
                sc.link.on = 1;
                sc.link.count = 1;
                sc.link.from[0] = 0;
                sc.link.to[0] = 1;
                sc.bridge[1] = 1;
                sc.out[4].trim100 = static_cast<uint16_t>(350 + 100 * n);
                sc.out[6].bands[4].gain10 = 180 + 35;  // +3.5 dB on a channel that is not shown
                sc.src[5].routing = {0x81, 0x42, 0x24, 0x18, 3, 3, 0x0F, 0xF0, 1, 2};
                sc.src[7].routing = {2, 1, 2, 1, 3, 3, 0, 0, 1, 2};
                sc.src[0].csmSource[1] = 5;
                sc.src[0].csmCh[1] = 3;
                sc.src[0].csmGain[1] = 26;
                sc.src[5].csmSource[7] = 2;
                sc.src[5].csmGain[7] = 36;
            }
            const std::string road = "Road";
            s.names[2].fill(0);
            std::copy(road.begin(), road.end(), s.names[2].begin());
            s.validMask = 1u << 2;
            return 0;
        });
    }
    // Factory defaults on the unit, and the window connected to it again.
    void ResetUnitAndReconnect() {
        Click("btnConnect");
        ASSERT_TRUE(WaitFor([&] { return Disconnected(); }));
        unit->FactoryReset();
        ConnectAndWait();
        ASSERT_EQ(Model().bridge[1], 0);
    }
    void Disconnect() {
        Click("btnConnect");
        ASSERT_TRUE(WaitFor([&] { return Disconnected(); }));
        Settle();
    }
};

TEST_F(ProfileMenuTest, RefusedFilesChangeNeitherTheWindowNorTheUnit) {
    Open();
    ConnectAndWait();
    struct Case {
        const char* name;
        JsonEdit edit;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"nine.spf", [](cJSON* r) { cJSON_DeleteItemFromArray(cJSON_GetObjectItem(r, "channels"), 9); },
         "${profile_load_error}"},
        {"eqsize.spf",
         [](cJSON* r) {
             cJSON* ch = cJSON_GetArrayItem(cJSON_GetObjectItem(r, "channels"), 3);
             cJSON_SetNumberValue(cJSON_GetObjectItem(ch, "eqSize"), 30);
         },
         "${profile_load_error}"},
        {"model.spf",
         [](cJSON* r) {
             cJSON_SetNumberValue(cJSON_GetObjectItem(r, "model"), 97);
             cJSON_SetNumberValue(cJSON_GetObjectItem(r, "mainVolume"), -30);
         },
         "${software_not_match}"},
        {"garbage.spf", [](cJSON* r) { cJSON_DeleteItemFromObject(r, "channels"); }, "${profile_load_error}"},
    };
    const std::string before = core::SceneProfileText(Model());
    const uint64_t commands = unit->CommandsHandled();
    const int busy = tk::Window::ShownCount("LoadingWnd");
    QStringList expected;
    for (const Case& c : cases) {
        const QString path = EditedSceneFile(c.name, c.edit);
        seam::AnswerNextModal(1);
        FileItem("scene_item_load_file", path);
        expected << c.message;
        ASSERT_TRUE(WaitFor([&] { return wnd->MessagesShown() == expected && Answered(); })) << c.name;
    }
    // A file that is not there, and a whole profile that is a scene profile.
    seam::AnswerNextModal(1);
    FileItem("scene_item_load_file", Path("missing.spf"));
    seam::AnswerNextModal(1);
    FileItem("scene_item_load_whole", EditedSceneFile("scene.wpf", [](cJSON*) {}));
    expected << "${profile_open_error}" << "${profile_load_error}";
    ASSERT_TRUE(WaitFor([&] { return wnd->MessagesShown() == expected && Answered(); }));
    // Cancelled: nothing at all.
    FileItem("scene_item_load_file", QString());
    Settle();
    EXPECT_EQ(wnd->MessagesShown(), expected);
    EXPECT_EQ(core::SceneProfileText(Model()), before);
    EXPECT_EQ(unit->CommandsHandled(), commands);
    EXPECT_EQ(tk::Window::ShownCount("LoadingWnd"), busy);
}

TEST_F(ProfileMenuTest, AFileWithoutCrossSourceArraysLoadsAndKeepsThem) {
    SetUpUnit();
    Open();
    ConnectAndWait();
    const auto feeds = Model().csmViceSource;
    ASSERT_EQ(feeds[0][1], 5);
    const QString path = EditedSceneFile("nocsm.spf", [](cJSON* r) {
        cJSON_DeleteItemFromObject(r, "csmViceSource");
        cJSON* ch = cJSON_GetArrayItem(cJSON_GetObjectItem(r, "channels"), 6);
        cJSON_SetNumberValue(cJSON_GetObjectItem(ch, "gain"), -3.5);
    });
    const int busy = tk::Window::ShownCount("LoadingWnd");
    FileItem("scene_item_load_file", path);
    ASSERT_TRUE(ProfileDone(busy));
    Settle();
    EXPECT_TRUE(wnd->MessagesShown().isEmpty());
    EXPECT_EQ(Model().channels[6].gain, -3.5f);
    EXPECT_EQ(C("edit_ch_volume_6")->Text(), "-3.5dB");
    EXPECT_EQ(Model().csmViceSource, feeds);
    EXPECT_TRUE(unit->WithState([](emu::UnitState& s) {
        return s.scenes[0].out[6].trim100 == 350 && s.scenes[0].src[0].csmSource[1] == 5;
    }));
}

TEST_F(ProfileMenuTest, SavingWritesTheFileOrSaysItCouldNot) {
    Open();
    ConnectAndWait();
    Type("edit_ch_volume_1", QStringLiteral("-3.5"));
    seam::AnswerNextModal(1);
    FileItem("scene_item_save_file", Path("plain"));  // no extension: the default one
    ASSERT_TRUE(WaitFor([&] { return wnd->MessagesShown() == QStringList{"${profile_save_ok}"} && Answered(); }));
    EXPECT_EQ(ReadFile(Path("plain.txt"), false)->current.channels[1].gain, -3.5f);
    seam::AnswerNextModal(1);
    FileItem("scene_item_save_file", Path("no/such/folder/x.spf"));
    ASSERT_TRUE(WaitFor([&] { return wnd->MessagesShown().size() == 2 && Answered(); }));
    EXPECT_EQ(wnd->MessagesShown().last(), "${profile_create_error}");
}

TEST_F(ProfileMenuTest, ASceneProfileRestoresAResetUnit) {
    SetUpUnit();
    Open();
    ConnectAndWait();
    ASSERT_EQ(Model().linkMode, 1);
    ASSERT_EQ(Model().bridge[1], 1);
    seam::AnswerNextModal(1);
    FileItem("scene_item_save_file", Path("car.spf"));
    ASSERT_TRUE(WaitFor([&] { return wnd->MessagesShown() == QStringList{"${profile_save_ok}"} && Answered(); }));

    ResetUnitAndReconnect();
    const int busy = tk::Window::ShownCount("LoadingWnd");
    FileItem("scene_item_load_file", Path("car.spf"));
    ASSERT_TRUE(ProfileDone(busy));
    Settle();
    EXPECT_EQ(wnd->MessagesShown(), QStringList{"${profile_save_ok}"});
    EXPECT_EQ(Model().linkMode, 1);
    EXPECT_TRUE(C("ch_bridge_1")->IsSelected());
    // Every channel's curve is the one of its loaded settings, not only the current one's.
    for (int ch = 0; ch < core::kChannels; ++ch) {
        dsp::ChannelCurve expected;
        dsp::BuildChannelCurve(core::ChannelFiltersOf(Model(), ch), Model().channels[static_cast<size_t>(ch)].bypass != 0,
                               dsp::CURVE_POINTS, expected);
        EXPECT_EQ(wnd->Controller().Curves().Curve(ch).levels, expected.levels) << "channel " << ch;
    }
    Disconnect();
    const auto saved = ReadFile(Path("car.spf"), false);
    const auto backup = Reparsed(*Backup(false), false);
    EXPECT_EQ(core::DiffScenes(saved->current, backup->current), std::vector<std::string>{});
}

TEST_F(ProfileMenuTest, AWholeProfileRestoresAResetUnitWithItsSceneNames) {
    SetUpUnit();
    Open();
    ConnectAndWait();
    int busy = tk::Window::ShownCount("LoadingWnd");
    seam::AnswerNextModal(1);
    FileItem("scene_item_save_whole", Path("car.wpf"));
    // Each stored scene is given a second to be prepared.
    ASSERT_TRUE(ProfileDone(busy, 60000));
    ASSERT_TRUE(WaitFor([&] { return wnd->MessagesShown() == QStringList{"${profile_save_ok}"} && Answered(); }));
    const auto saved = ReadFile(Path("car.wpf"), true);
    ASSERT_EQ(core::SceneNameToUtf8(saved->names[1]), "Road");
    ASSERT_EQ(saved->scenes[1].channels[4].gain, -5.5f);

    ResetUnitAndReconnect();
    ASSERT_EQ(ModelName(2), "");
    busy = tk::Window::ShownCount("LoadingWnd");
    FileItem("scene_item_load_whole", Path("car.wpf"));
    ASSERT_TRUE(ProfileDone(busy));
    Settle();
    EXPECT_EQ(ModelName(2), "Road");
    EXPECT_EQ(UnitName(2), "Road");
    Disconnect();
    const auto backup = Reparsed(*Backup(true), true);
    EXPECT_EQ(core::DiffUnits(*saved, *backup), std::vector<std::string>{});
    EXPECT_EQ(backup->scenes[1].linkMode, 1);
    EXPECT_EQ(backup->scenes[1].inputs[7][0], 2);
}

TEST_F(ProfileMenuTest, AUnitThatGoesAwayDuringALoadIsReported) {
    Open();
    ConnectAndWait();
    const QString path = EditedSceneFile("any.spf", [](cJSON*) {});
    backend->ArmFault(emu::VirtualHidBackend::Fault::Unplug, 40);
    const int busy = tk::Window::ShownCount("LoadingWnd");
    seam::AnswerNextModal(1);  // "${profile_write_unit_error}"
    FileItem("scene_item_load_file", path);
    ASSERT_TRUE(ProfileDone(busy));
    ASSERT_TRUE(WaitFor([&] { return Shown("${profile_write_unit_error}") && Answered(); }));
    Settle();
    EXPECT_EQ(wnd->LoadingWindow(), nullptr);
}

}  // namespace
}  // namespace uitest

namespace uitest {

TEST_F(ProfileMenuTest, TheSceneMenuShowsItsKeysAndTheProfileKeysWork) {
    Open();
    ConnectAndWait();
    wnd->show();
    QApplication::setActiveWindow(wnd.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(wnd.get()));
    Click("btn_scene");
    ASSERT_NE(wnd->CurrentMenu(), nullptr);
    QMenu* menu = wnd->CurrentMenu()->Widget();
    auto shown = [menu](const char* item) {
        QAction* a = menu->findChild<QAction*>(QString::fromLatin1(item));
        return a ? a->shortcut().toString(QKeySequence::PortableText) : QString();
    };
    EXPECT_EQ(shown("scene_item_undo"), "Ctrl+Z");
    EXPECT_EQ(shown("scene_item_redo"), "Ctrl+Shift+Z");
    EXPECT_EQ(shown("scene_item_switch_ab"), "Ctrl+B");
    EXPECT_EQ(shown("scene_item_load_whole"), "Ctrl+O");
    EXPECT_EQ(shown("scene_item_save_whole"), "Ctrl+S");
    wnd->CurrentMenu()->CloseMenu();
    // Ctrl+O loads a whole profile as the item does: a file that is not there is refused.
    seam::AnswerNextFileDialog(Path("none.wpf"));
    seam::AnswerNextModal(1);
    QTest::keyClick(wnd.get(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return wnd->MessagesShown().size() == 1 && Answered(); }));
}

}  // namespace uitest
