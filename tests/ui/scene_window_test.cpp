// The scene window from the scene menu, against the virtual unit: the questions, the
// name window, the busy window and what reaches the unit.
#include "scene_fixture.h"

namespace uitest {
namespace {

class SceneWindowTest : public SceneOpsTest {
protected:
    // Stored scene n named `name` on the unit, channel 0 attenuated by `trim100` hundredths of a dB.
    void StoreOnUnit(int n, const std::string& name, uint16_t trim100) {
        unit->WithState([&](emu::UnitState& s) {
            s.scenes[static_cast<size_t>(n)].out[0].trim100 = trim100;
            auto& bytes = s.names[static_cast<size_t>(n)];
            bytes.fill(0);
            std::copy(name.begin(), name.end(), bytes.begin());
            s.validMask = static_cast<uint16_t>(s.validMask | (1u << n));
            return 0;
        });
    }
};

TEST_F(SceneWindowTest, LoadingAsksFirstWithTheNumberAndTheNameAndARefusalSendsNothing) {
    StoreOnUnit(2, "Club", 300);
    Open();
    ConnectAndWait();
    ASSERT_EQ(ModelName(2), "Club");
    WithSceneWindow("scene_item_load_scene", [&](ui::CSceneWnd& w) {
        EXPECT_EQ(w.FindControl("MessageTitle")->Text(), "${load_scene}");
        EXPECT_EQ(w.FindControl("confirm_btn")->Text(), "${load}");
        EXPECT_EQ(w.FindControl("cancel_btn")->Text(), "${exit}");
        EXPECT_TRUE(w.Find<tk::List>("listview")->Row(1).text.contains("Club"));
        const uint64_t before = unit->CommandsHandled();
        QString unnamed, named;
        AnswerBox(0, &unnamed);
        Choose(w, 4);  // scene 5 has no name
        AnswerBox(0, &named);
        Choose(w, 1);
        EXPECT_EQ(w.MessagesShown(), (QStringList{"${load_scene_tips2}", "${load_scene_tips1}"}));
        EXPECT_TRUE(unnamed.contains("5")) << unnamed.toStdString();
        EXPECT_FALSE(unnamed.contains("%"));
        EXPECT_TRUE(named.contains("2") && named.contains("Club")) << named.toStdString();
        Settle();
        EXPECT_EQ(unit->CommandsHandled(), before);
        // No row chosen: nothing happens.
        w.Find<tk::List>("listview")->setCurrentRow(-1);
        Press(w, "confirm_btn");
        EXPECT_EQ(w.MessagesShown().size(), 2);
    });
}

TEST_F(SceneWindowTest, SceneNumberZeroHighlightsNoRowAndAnotherItsRow) {
    Open();
    ConnectAndWait();
    WithSceneWindow("scene_item_delete_scene", [&](ui::CSceneWnd& w) {
        EXPECT_EQ(w.FindControl("MessageTitle")->Text(), "${delete_scene}");
        EXPECT_EQ(w.FindControl("confirm_btn")->Text(), "${delete}");
        EXPECT_EQ(w.HighlightedRow(), -1);
        EXPECT_EQ(wnd->Controller().SceneId(), 0);
    });
    unit->WithState([](emu::UnitState& s) { return s.device.currentScene = 6; });
    WithSceneWindow("scene_item_load_scene", [&](ui::CSceneWnd& w) {
        EXPECT_TRUE(WaitFor([&] { return w.HighlightedRow() == 5; }));
        auto* list = w.Find<tk::List>("listview");
        EXPECT_EQ(list->item(5)->background().color(), QColor::fromRgba(ui::kCurrentSceneColor));
        EXPECT_EQ(list->item(4)->background().style(), Qt::NoBrush);
    });
    EXPECT_EQ(wnd->Controller().SceneId(), 6);
}

TEST_F(SceneWindowTest, SavingIntoAnEmptySlotAsksOnlyForTheNameAndOverwritingAsksFirst) {
    StoreOnUnit(4, "Road", 0);
    Open();
    ConnectAndWait();
    WithSceneWindow("scene_item_saveas_scene", [&](ui::CSceneWnd& w) {
        EXPECT_EQ(w.FindControl("confirm_btn")->Text(), "${save}");
        // Overwriting scene 4: refused at the question, nothing goes out.
        const uint64_t before = unit->CommandsHandled();
        QString asked;
        AnswerBox(0, &asked);
        Choose(w, 3);
        EXPECT_EQ(w.MessagesShown(), QStringList{"${save_scene_overwrite}"});
        EXPECT_TRUE(asked.contains("4"));
        // Refused in the name window: nothing either.
        AnswerBox(1, nullptr);
        seam::AnswerNextModal(0);
        Choose(w, 3);
        Settle();
        EXPECT_EQ(unit->CommandsHandled(), before);
        EXPECT_EQ(UnitName(4), "Road");

        // An empty slot: straight to the name window.
        const int busy = tk::Window::ShownCount("LoadingWnd");
        AnswerName("Jazz");
        seam::AnswerNextModal(1);  // "${save_scene_ok}"
        Choose(w, 6);
        ASSERT_TRUE(ActionDone(w, busy));
        ASSERT_TRUE(WaitFor([&] { return w.MessagesShown().contains("${save_scene_ok}") && Answered(); }));
        EXPECT_EQ(w.MessagesShown(), (QStringList{"${save_scene_overwrite}", "${save_scene_overwrite}", "${save_scene_ok}"}));
        EXPECT_EQ(UnitName(7), "Jazz");
        EXPECT_TRUE(unit->WithState([](emu::UnitState& s) { return (s.validMask & (1u << 7)) != 0; }));
        EXPECT_EQ(w.HighlightedRow(), 6);
        EXPECT_TRUE(w.Find<tk::List>("listview")->Row(6).text.contains("Jazz"));
        EXPECT_TRUE(w.isVisible());  // the window stays open after an action
    });
    EXPECT_EQ(ModelName(7), "Jazz");
    EXPECT_EQ(wnd->Controller().SceneId(), 7);
}

TEST_F(SceneWindowTest, ADuplicateNameIsRefusedAndAnEmptyNameIsNotCompared) {
    StoreOnUnit(1, "Bass", 0);
    Open();
    ConnectAndWait();
    WithSceneWindow("scene_item_saveas_scene", [&](ui::CSceneWnd& w) {
        const uint64_t before = unit->CommandsHandled();
        QString refusal;
        AnswerName("Bass");
        AnswerBox(1, &refusal);
        Choose(w, 2);
        EXPECT_EQ(w.MessagesShown(), QStringList{"${same_name_tips}"});
        EXPECT_TRUE(refusal.contains("Bass") && refusal.contains("1")) << refusal.toStdString();
        Settle();
        EXPECT_EQ(unit->CommandsHandled(), before);
        EXPECT_EQ(ModelName(3), "");
        EXPECT_EQ(UnitName(3), "");

        // Two unnamed scenes do not clash: an empty name is saved.
        const int busy = tk::Window::ShownCount("LoadingWnd");
        AnswerName("");
        seam::AnswerNextModal(1);  // "${save_scene_ok}"
        Choose(w, 4);
        ASSERT_TRUE(ActionDone(w, busy));
        ASSERT_TRUE(WaitFor(Answered));
        EXPECT_EQ(w.MessagesShown(), (QStringList{"${same_name_tips}", "${save_scene_ok}"}));
        EXPECT_TRUE(unit->WithState([](emu::UnitState& s) { return (s.validMask & (1u << 5)) != 0; }));
    });
}

TEST_F(SceneWindowTest, ANameWithAControlCharacterIsRefused) {
    Open();
    ConnectAndWait();
    WithSceneWindow("scene_item_saveas_scene", [&](ui::CSceneWnd& w) {
        const uint64_t before = unit->CommandsHandled();
        AnswerName(QStringLiteral("Ro\tad"));
        AnswerBox(1, nullptr);
        Choose(w, 2);
        EXPECT_EQ(w.MessagesShown(), QStringList{"${scene_name_control}"});
        Settle();
        EXPECT_EQ(unit->CommandsHandled(), before) << "nothing is sent";
        EXPECT_EQ(ModelName(3), "");
    });
}

TEST_F(SceneWindowTest, SavingOverANamedSceneOffersItsNameAndARefusedDuplicateKeepsIt) {
    StoreOnUnit(1, "Bass", 0);
    StoreOnUnit(5, "Rock", 0);
    Open();
    ConnectAndWait();
    // The name window as it opens; `typed` is then confirmed, or the window cancelled.
    auto nameWindow = [](QString* offered, const QString& typed, bool confirm) {
        seam::ActOnNextModal([=](tk::Window& w) {
            auto* e = w.Find<tk::Edit>("name_edt");
            ASSERT_NE(e, nullptr);
            // Shown, and the control's own text (what a script reads).
            *offered = e->text() == e->Text() ? e->text() : e->text() + " / " + e->Text();
            if (!confirm) {
                Press(w, "cancel_btn");
                return;
            }
            e->selectAll();
            e->insert(typed);
            Press(w, "confirm_btn");
        });
    };
    WithSceneWindow("scene_item_saveas_scene", [&](ui::CSceneWnd& w) {
        // A name read from the unit; the duplicate is refused and nothing changes.
        const uint64_t before = unit->CommandsHandled();
        QString offered;
        seam::AnswerNextModal(1);  // "${save_scene_overwrite}"
        nameWindow(&offered, QStringLiteral("Bass"), true);
        seam::AnswerNextModal(1);  // "${same_name_tips}"
        Choose(w, 4);
        ASSERT_TRUE(WaitFor(Answered));
        EXPECT_EQ(offered, "Rock");
        EXPECT_EQ(w.MessagesShown(), (QStringList{"${save_scene_overwrite}", "${same_name_tips}"}));
        Settle();
        EXPECT_EQ(unit->CommandsHandled(), before);
        EXPECT_EQ(ModelName(5), "Rock");
        EXPECT_TRUE(w.Find<tk::List>("listview")->Row(4).text.contains("Rock"));

        // A name saved in this session.
        const int busy = tk::Window::ShownCount("LoadingWnd");
        AnswerName("Jazz");
        seam::AnswerNextModal(1);  // "${save_scene_ok}"
        Choose(w, 6);
        ASSERT_TRUE(ActionDone(w, busy));
        ASSERT_TRUE(WaitFor(Answered));
        seam::AnswerNextModal(1);  // "${save_scene_overwrite}"
        nameWindow(&offered, QString(), false);
        Choose(w, 6);
        ASSERT_TRUE(WaitFor(Answered));
        EXPECT_EQ(offered, "Jazz");
    });
    // The load question names the scene.
    WithSceneWindow("scene_item_load_scene", [&](ui::CSceneWnd& w) {
        QString asked;
        AnswerBox(0, &asked);
        Choose(w, 4);
        EXPECT_EQ(w.MessagesShown(), QStringList{"${load_scene_tips1}"});
        EXPECT_TRUE(asked.contains("Rock")) << asked.toStdString();
    });
}

TEST_F(SceneWindowTest, DeletingEmptiesTheSlotWithoutAQuestion) {
    StoreOnUnit(3, "Road", 0);
    Open();
    ConnectAndWait();
    WithSceneWindow("scene_item_delete_scene", [&](ui::CSceneWnd& w) {
        const int busy = tk::Window::ShownCount("LoadingWnd");
        Choose(w, 2);
        ASSERT_TRUE(ActionDone(w, busy));
        EXPECT_TRUE(w.MessagesShown().isEmpty());
        EXPECT_FALSE(w.Find<tk::List>("listview")->Row(2).text.contains("Road"));
        EXPECT_TRUE(w.isVisible());
    });
    EXPECT_EQ(ModelName(3), "");
    EXPECT_EQ(UnitName(3), "");
    EXPECT_FALSE(unit->WithState([](emu::UnitState& s) { return (s.validMask & (1u << 3)) != 0; }));
}

TEST_F(SceneWindowTest, ASavedSceneLoadsBackIntoTheControlsAndTheUnit) {
    Open();
    ConnectAndWait();
    Type("edit_ch_volume_2", QStringLiteral("-6.5"));
    ClickOption("ch_mute_5");
    ASSERT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[2].trim100 == 650 && s.scenes[0].out[5].mute; }));
    const QString firstTrim = C("edit_ch_volume_2")->Text();

    WithSceneWindow("scene_item_saveas_scene", [&](ui::CSceneWnd& w) {
        const int busy = tk::Window::ShownCount("LoadingWnd");
        AnswerName("Bass");
        seam::AnswerNextModal(1);  // "${save_scene_ok}"
        Choose(w, 2);
        ASSERT_TRUE(ActionDone(w, busy));
        ASSERT_TRUE(WaitFor(Answered));
    });
    ASSERT_EQ(UnitName(3), "Bass");

    Type("edit_ch_volume_2", QStringLiteral("-1"));
    ClickOption("ch_mute_5");
    ASSERT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[2].trim100 == 100 && !s.scenes[0].out[5].mute; }));
    ASSERT_NE(C("edit_ch_volume_2")->Text(), firstTrim);

    WithSceneWindow("scene_item_load_scene", [&](ui::CSceneWnd& w) {
        const int busy = tk::Window::ShownCount("LoadingWnd");
        seam::AnswerNextModal(1);  // "${load_scene_tips1}"
        Choose(w, 2);
        ASSERT_TRUE(ActionDone(w, busy));
        EXPECT_EQ(w.MessagesShown(), QStringList{"${load_scene_tips1}"});
        EXPECT_EQ(w.HighlightedRow(), 2);
    });
    EXPECT_EQ(C("edit_ch_volume_2")->Text(), firstTrim);
    EXPECT_TRUE(C("ch_mute_5")->IsSelected());
    EXPECT_EQ(Model().channels[2].gain, -6.5f);
    EXPECT_TRUE(unit->WithState([](emu::UnitState& s) { return s.scenes[0].out[2].trim100 == 650 && s.scenes[0].out[5].mute; }));
    // The queue runs again: an edit reaches the unit.
    Type("edit_ch_volume_2", QStringLiteral("-2"));
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[2].trim100 == 200; }));
}

TEST_F(SceneWindowTest, TheUnitKeepsItsScenesInItsStateFile) {
    const std::string path = Path("unit.json").toStdString();
    std::string why;
    ASSERT_TRUE(unit->AttachStateFile(path, &why)) << why;
    Open();
    ConnectAndWait();
    WithSceneWindow("scene_item_saveas_scene", [&](ui::CSceneWnd& w) {
        const int busy = tk::Window::ShownCount("LoadingWnd");
        AnswerName("Home");
        seam::AnswerNextModal(1);
        Choose(w, 8);
        ASSERT_TRUE(ActionDone(w, busy));
        ASSERT_TRUE(WaitFor(Answered));
    });
    wnd.reset();
    const emu::UnitState before = unit->State();
    unit.reset();
    backend.reset();

    unit = std::make_unique<emu::VirtualUnit>();
    backend = std::make_unique<emu::VirtualHidBackend>(*unit);
    ASSERT_TRUE(unit->AttachStateFile(path, &why)) << why;
    EXPECT_EQ(UnitName(9), "Home");
    EXPECT_TRUE(unit->State() == before);
    EXPECT_EQ(unit->WithState([](emu::UnitState& s) { return int(s.device.currentScene); }), 9);
    Open();
    ConnectAndWait();
    EXPECT_EQ(ModelName(9), "Home");
    WithSceneWindow("scene_item_load_scene", [&](ui::CSceneWnd& w) { EXPECT_TRUE(WaitFor([&] { return w.HighlightedRow() == 8; })); });
}

}  // namespace
}  // namespace uitest
