// Undo and redo against the virtual unit: each kind of step undone leaves the unit as it
// was before the step (its whole state compared), sending only the values the step
// changed; redone, as it was after. A/B switching sends what differs between the slots.
#include <filesystem>
#include <unistd.h>

#include "controller_fixture.h"
#include "core/profile.h"
#include "emulator/state_file.h"
#include "link/commands.h"

namespace dvdsp::testing {
namespace {

class Undo : public ControllerTest {
protected:
    // Connected once: the window handles each posted message once.
    void Connect() {
        ConnectAndReadOut();
        view.posted.clear();
    }
    std::string UnitDump() {
        return Unit([](emu::UnitState& s) { return emu::StateToJson(s); });
    }
    // The window's part after an action: the step is closed and the queue drained.
    void EndAction() {
        mgr.CloseStep();
        Drain();
        Dispatch();
    }
    // Where two dumps part, briefly: they are long.
    static std::string Apart(const std::string& a, const std::string& b) {
        if (a == b) return {};
        size_t i = 0;
        while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
        const size_t from = i > 60 ? i - 60 : 0;
        return "at " + std::to_string(i) + ": ..." + a.substr(from, 90) + " / ..." + b.substr(from, 90);
    }
    size_t FramesOfUndo() {
        commands.Clear();
        EXPECT_TRUE(mgr.Undo());
        Drain();
        Dispatch();
        return commands.Reports().size();
    }
};

struct Step {
    const char* name;
    std::function<void(core::EqualizerManager&, ScriptedPrompt&)> act;
    size_t frames;  // that its undo sends; 0: not counted
};

TEST_F(Undo, EachKindOfStepUndoneAndRedoneOnTheUnit) {
    Connect();
    const std::vector<Step> steps = {
        {"typed trim", [](auto& m, auto&) { m.SetChVolumeEdit(2, "-6.5"); }, 1},
        {"band drag", [](auto& m, auto&) {
             m.SetCurChannelChange(4);
             core::CurveEdit e;
             e.freq = 1000;
             e.q = 2.0f;
             for (float g : {1.0f, 2.5f, 4.0f, -3.0f}) {
                 e.gain = g;
                 m.EqualizerCallback(9, 0, false, e);
             }
             m.EqualizerCallback(9, 0, true, e);
         }, 1},
        {"step button", [](auto& m, auto&) { m.SetChDelayUp(6, true); }, 1},
        {"switch", [](auto& m, auto&) { m.ToggleAmplifier(); }, 1},
        {"role", [](auto& m, auto&) { m.SetOutputValue(3, "output_menu_front_left_high_freq"); }, 0},
        {"routing", [](auto& m, auto&) { m.SetInputIn(3, 6, true); }, 0},
        {"bridge", [](auto& m, auto&) { m.SetBridge(2, true); }, 0},
        {"EQ reset", [](auto& m, auto& p) {
             p.Answer(true);
             m.SetCurChannelChange(4);
             m.SetOutputEqReset();
         }, 0},
        {"output reset", [](auto& m, auto& p) {
             p.AnswerThree(1);
             m.SetOutputReset();
         }, 0},
        {"stereo link", [](auto& m, auto& p) {
             p.AnswerChoice(1);
             m.SetOutputLink();
         }, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const std::string before = UnitDump();
        const core::SceneState modelBefore = Live();
        step.act(mgr, prompt);
        EndAction();
        const std::string after = UnitDump();
        ASSERT_NE(after, before) << "the step changed the unit";
        const size_t values = mgr.UndoSteps().Steps().NextUndo()->items.size();
        const size_t frames = FramesOfUndo();
        EXPECT_EQ(Apart(UnitDump(), before), "");
        if (step.frames) {
            EXPECT_EQ(frames, step.frames);
        }
        EXPECT_LE(frames, values) << "no more frames than values the step changed";
        for (const core::ItemChange& c : core::SceneDifferences(0, modelBefore, Live()))
            EXPECT_EQ(c.key.field, core::Field::CurrentChannel) << "the model is as before but for the page shown";
        ASSERT_TRUE(mgr.Redo());
        Drain();
        Dispatch();
        EXPECT_EQ(Apart(UnitDump(), after), "");
    }
    // Undone to the start, step by step.
    while (mgr.CanUndo()) ASSERT_TRUE(mgr.Undo());
    EXPECT_FALSE(mgr.Undo()) << "nothing left";
}

TEST_F(Undo, AProfileLoadAndASceneLoadAreOneStepEach) {
    Connect();
    const std::string start = UnitDump();
    core::SceneState file = Live();
    file.channels[9].gain = -12.0f;
    file.eqStore[1][3].gain = 4.0f;
    const std::string path =
        (std::filesystem::temp_directory_path() / ("dvdsp_undo_" + std::to_string(::getpid()) + ".spf")).string();
    ASSERT_TRUE(core::WriteSceneProfile(path, file).ok());
    prompt.AnswerFile(path);
    mgr.LoadSenceConfigFromFile();
    mgr.CloseStep();
    WaitWorkers();
    Dispatch();
    mgr.OnProfileJobDone(core::ProfileJob::LoadScene);
    std::filesystem::remove(path);
    EXPECT_EQ(mgr.UndoName(), "${undo_load_profile} " + std::filesystem::path(path).filename().string());
    EXPECT_EQ(FramesOfUndo(), 2u) << "what the load changed and nothing else";
    EXPECT_EQ(Apart(UnitDump(), start), "");

    // Scene 2 holds other values; loading it is a step of the unit's own.
    Unit([](emu::UnitState& s) {
        s.scenes[2] = s.scenes[0];
        s.scenes[2].out[5].trim100 = 900;
        s.validMask = static_cast<uint16_t>(s.validMask | (1u << 2));
    });
    // The unit remembers which scene it loaded last; its live settings are what is undone.
    auto live = [this] {
        emu::UnitState state = Unit([](emu::UnitState& u) { return u; });
        state.device = {};
        return emu::StateToJson(state);
    };
    const std::string withScene = live();
    mgr.LoadSence(2);
    WaitWorkers();
    Dispatch();
    mgr.OnSceneJobDone(core::SceneJob::Load);
    EXPECT_EQ(mgr.UndoName(), "${undo_load_scene} 2");
    EXPECT_EQ(FramesOfUndo(), 1u);
    EXPECT_EQ(Apart(live(), withScene), "");
}

TEST_F(Undo, TheHistoryOutlivesAShortUnplugOnlyWhileTheUnitHoldsIt) {
    Connect();
    mgr.SetChVolumeEdit(1, "-3");
    EndAction();
    mgr.DevicePlugOut();
    WaitWorkers();
    Connect();
    EXPECT_TRUE(mgr.CanUndo()) << "the same unit, as it was";
    mgr.DevicePlugOut();
    WaitWorkers();
    Unit([](emu::UnitState& s) { s.scenes[0].out[7].trim100 = 1200; });  // changed elsewhere
    Connect();
    EXPECT_FALSE(mgr.CanUndo());
    EXPECT_EQ(prompt.tips.back(), "${undo_history_cleared}");
}

TEST_F(Undo, NothingIsUndoneWhileATransferHoldsTheQueue) {
    Connect();
    mgr.SetChVolumeEdit(1, "-3");
    EndAction();
    mgr.Device().DisableCmdQueue();
    EXPECT_FALSE(mgr.Undo());
    EXPECT_EQ(prompt.tips.back(), "${undo_busy}");
    mgr.Device().EnableCmdQueue();
    EXPECT_TRUE(mgr.Undo());
    Drain();
}

TEST_F(Undo, ABSwitchSendsWhatDiffersAndIsAStep) {
    Connect();
    EXPECT_FALSE(mgr.SwitchAb()) << "B is not stored yet";
    const std::string a = UnitDump();
    mgr.SetEqSlider(5, 30);  // one band of the current channel
    EndAction();
    mgr.StoreAb(core::AbCompare::kB);
    const std::string b = UnitDump();
    // A slot is saved by the profile writer.
    const std::string path =
        (std::filesystem::temp_directory_path() / ("dvdsp_ab_" + std::to_string(::getpid()) + ".spf")).string();
    prompt.AnswerFile(path);
    mgr.SaveAbSlot(core::AbCompare::kB);
    core::SceneState saved;
    ASSERT_TRUE(core::ReadSceneProfile(path, saved).ok());
    std::filesystem::remove(path);
    EXPECT_EQ(saved.Bands(Live().currOutChannel)[5], mgr.Ab().Slot(core::AbCompare::kB)->Bands(Live().currOutChannel)[5]);
    commands.Clear();
    ASSERT_TRUE(mgr.SwitchAb());
    Drain();
    EXPECT_EQ(commands.Reports().size(), 1u) << "one band differs: one frame";
    EXPECT_EQ(Apart(UnitDump(), a), "");
    EXPECT_EQ(mgr.Ab().LiveSlot(), core::AbCompare::kA);
    EXPECT_FALSE(mgr.Ab().ChangedSinceStored());
    mgr.SetChVolumeEdit(0, "-4");
    EndAction();
    EXPECT_TRUE(mgr.Ab().ChangedSinceStored());
    ASSERT_TRUE(mgr.SwitchAb());
    Drain();
    EXPECT_EQ(Apart(UnitDump(), b), "");
    // The switch is an undo step like any other.
    EXPECT_EQ(mgr.UndoName(), "${ab_switch_to_b}");
    FramesOfUndo();
    EXPECT_NE(UnitDump(), b);
}

TEST(History, KeepsItsBoundAndDropsWhatCouldBeRedone) {
    core::History h(3);
    auto step = [](int n) {
        core::HistoryStep s{std::to_string(n), {core::ItemChange{{core::Field::Trim, 0, n}, int32_t{0}, int32_t{n}}}};
        return s;
    };
    for (int n = 1; n <= 5; ++n) h.Push(step(n));
    EXPECT_EQ(h.Steps(), 3u);
    EXPECT_EQ(h.NextUndo()->name, "5");
    h.Undone();
    h.Undone();
    EXPECT_EQ(h.NextRedo()->name, "4");
    h.Push(step(6));
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.NextUndo()->name, "6");
    h.Undone();
    EXPECT_EQ(h.NextUndo()->name, "3");
}

}  // namespace
}  // namespace dvdsp::testing
