// What the unit is sent for each user action, byte for byte: every report an operation
// writes, from the first to the last, against the bytes kept in data/action_frames.txt.
// The operations, their follower rules and the step that turns their changes into frames
// may be rearranged; what goes to the unit for the same action may not change unnoticed.
// DVDSP_WRITE_ACTION_FRAMES=1 writes the file anew from the code as it is.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "controller_fixture.h"
#include "core/outgoing.h"
#include "core/profile_diff.h"
#include "core/readout.h"

namespace dvdsp::testing {
namespace {

struct Action {
    const char* name;
    std::function<void(core::SceneState&)> setUp;  // the page before the action
    std::function<void(core::EqualizerManager&)> act;
    std::function<void(ScriptedPrompt&)> answers = [](ScriptedPrompt&) {};
};

void Bridged23(core::SceneState& s) {
    s.bridge[1] = 1;
    s.linkOutputs = core::ComputeLinkPartners(s);
}
void Linked01(core::SceneState& s) {
    s.outputs[0] = 1;
    s.outputs[1] = 7;
    s.lockMode = 1;
    s.linkMode = 1;
    s.linkOutputs = core::ComputeLinkPartners(s);
}
void Grouped(core::SceneState& s) {
    s.linkSel[0] = 1;
    s.linkSel[2] = 1;
    s.delayLinkSel[0] = 2;
    s.delayLinkSel[5] = 2;
}
void None(core::SceneState&) {}
void Pairable(core::SceneState& s) {
    s.outputs[0] = 1;
    s.outputs[1] = 7;
    s.outputs[4] = 8;
    s.outputs[5] = 2;
}

const std::vector<Action>& Actions() {
    using M = core::EqualizerManager;
    core::CurveEdit drag;
    drag.freq = 2500;
    drag.q = 3.0f;
    drag.gain = -4.5f;
    static const std::vector<Action> actions = {
        {"trim-edit-bridged", Bridged23, [](M& m) { m.SetChVolumeEdit(2, "-6.5"); }},
        {"trim-step-linked", Linked01, [](M& m) { m.SetChVolumeUp(0, false); }},
        {"trim-slider-group", Grouped, [](M& m) { m.SetChVolumeSlider(0, -120); }},
        {"trim-muted", [](core::SceneState& s) { s.channels[4].mute = 1; }, [](M& m) { m.SetChVolumeSlider(4, -30); }},
        {"mute-bridged", Bridged23, [](M& m) { m.SetChMute(3, true); }},
        {"phase-bridged", Bridged23, [](M& m) { m.SetChPhase(2, true); }},
        {"phase-single", None, [](M& m) { m.SetChPhase(6, true); }},
        {"solo-linked", Linked01, [](M& m) { m.SetChSolo(1, true); }},
        {"delay-edit-linked", Linked01, [](M& m) { m.SetChDelayEdit(0, "1.25"); }},
        {"delay-step-group", Grouped, [](M& m) { m.SetChDelayUp(0, true); }},
        {"band-edit-linked", Linked01, [](M& m) { m.SetChEqEdit(5, "1200", "2", "3"); }},
        {"band-edit-group", Grouped, [](M& m) { m.SetChEqEdit(7, "800", "1.5", "-2"); }},
        {"band-slider", [](core::SceneState& s) { s.currOutChannel = 4; }, [](M& m) { m.SetEqSlider(3, 60); }},
        {"band-steps", None, [](M& m) {
             m.SetEqFreqUp(2, true);
             m.SetEqQUp(2, false);
             m.SetEqGainUp(2, true);
         }},
        {"band-drag-bridged", [](core::SceneState& s) { Bridged23(s); s.currOutChannel = 2; },
         [drag](M& m) {
             m.EqualizerCallback(9, 0, false, drag);
             m.EqualizerCallback(9, 0, true, drag);
         }},
        {"band-enable-linked", [](core::SceneState& s) { Linked01(s); s.eqStore[0][4].gain = 5.0f; s.eqStore[1][4].gain = 5.0f; },
         [](M& m) { m.OnEqEnable(4); }},
        {"hp-edit-linked", Linked01, [](M& m) { m.SetHpFreqEdit("150"); }},
        {"lp-type-slope", None, [](M& m) {
             m.SetLpType(2);
             m.SetLpSlope(4);
         }},
        {"hp-step-group", Grouped, [](M& m) { m.SetHpFreqUp(true); }},
        {"volume-edit", [](core::SceneState& s) { s.mainMute = 1; }, [](M& m) { m.SetMainVolumeEdit("-12"); }},
        {"volume-step", None, [](M& m) { m.SetMainVolumeUp(true); }},
        {"main-mute", None, [](M& m) { m.SetMainMute(true); }},
        {"acc-step", None, [](M& m) { m.SetAccUp(true); }},
        {"routing-on", [](core::SceneState& s) { s.source = 5; }, [](M& m) { m.SetInputIn(3, 6, true); }},
        {"routing-off", [](core::SceneState& s) { s.source = 5; }, [](M& m) { m.SetInputIn(0, 0, false); }},
        {"mix-trim-bridged", [](core::SceneState& s) { Bridged23(s); s.source = 5; }, [](M& m) { m.SetMixTrim(5, 2, 2, 40); }},
        {"switches", None, [](M& m) {
             m.ToggleAmplifier();
             m.ToggleRemoteOut(1);
             m.ToggleRemoteOut(2);
             m.ToggleSpeakerOhm();
             m.ToggleNoiseGate();
         }},
        {"role", None, [](M& m) { m.SetOutputValue(3, "output_menu_front_left_high_freq"); }},
        {"bridge-on", None, [](M& m) { m.SetBridge(2, true); }},
        {"mix-trim-off", [](core::SceneState& s) { s.source = 5; }, [](M& m) { m.SetMixTrim(5, 0, 0, 0); }},
        {"mix-clear", [](core::SceneState& s) { s.source = 5; }, [](M& m) { m.ClearMix(5); }},
        {"mix-phase", None, [](M& m) { m.SetInputMixPhase(5, 3, true); }},
        {"cross-source", None, [](M& m) {
             m.SetCrossSourceTag(0, 1, 502);
             m.SetCrossSourceGain(0, 1, -7);
         }},
        {"link-left-to-right", Pairable, [](M& m) { m.SetOutputLink(); }, [](ScriptedPrompt& p) { p.AnswerChoice(1); }},
        {"link-right-to-left", Pairable, [](M& m) { m.SetOutputLink(); }, [](ScriptedPrompt& p) { p.AnswerChoice(2); }},
        {"link-off", Linked01, [](M& m) { m.SetOutputLink(); }},
        {"lock-on", None, [](M& m) { m.SetOutpuLock(); }, [](ScriptedPrompt& p) { p.Answer(true); }},
        {"unlock-linked", Linked01, [](M& m) { m.SetOutpuLock(); }, [](ScriptedPrompt& p) { p.Answer(true); }},
        {"output-reset", Linked01, [](M& m) { m.SetOutputReset(); }, [](ScriptedPrompt& p) { p.AnswerThree(1); }},
        {"eq-reset-linked", [](core::SceneState& s) { Linked01(s); s.eqStore[1][3].gain = 4.0f; },
         [](M& m) { m.SetOutputEqReset(); }, [](ScriptedPrompt& p) { p.Answer(true); }},
        {"compressor", None, [](M& m) { m.SetCompressor(3, core::CompressorSettings{0, -12.5f, 3.0f, 25, 400, 2.5f}); }},
        {"compressor-2", None, [](M& m) { m.SetCompressor2(6, -20.0f, 15, 250); }},
        {"compressor-on", None, [](M& m) { m.SetCompressorOn(2, true); }},
        {"input-threshold", None, [](M& m) { m.SetInputThreshold(-40); }},
        {"power-off-delay", None, [](M& m) { m.SetPowerOffDelay(1500); }},
        {"karaoke", None, [](M& m) { m.SetKaraoke(4, 20); }},
        {"auto-setting", None, [](M& m) {
             core::AutoSettingBlock b = m.AutoSetting();
             b[0] = 3;
             b[core::kAutoFlagOffset] = 1;
             m.SetAutoSetting(b);
         }},
        {"custom-eq-slider", None, [](M& m) { m.CustomBands().SetEqSlider(3, 5, "1000", "1.4", 45); }},
        {"custom-eq-disable", [](core::SceneState& s) { s.eqStore[4][core::kCustomEqFirstBand + 2].gain = 3.0f; },
         [](M& m) { m.CustomBands().OnEqEnable(4, 2, 30); }},
    };
    return actions;
}

std::string Hex(const std::vector<std::vector<uint8_t>>& reports) {
    std::string out;
    char b[4];
    for (const auto& r : reports) {
        // A report's length byte tells how much of it is the command.
        const size_t used = r.size() > 3 ? std::min<size_t>(r.size(), 4u + r[3]) : r.size();
        out += out.empty() ? "" : " |";
        for (size_t k = 0; k < used; ++k) {
            std::snprintf(b, sizeof b, " %02x", r[k]);
            out += b;
        }
    }
    return out;
}

const char* kFile = DVDSP_CORE_TEST_DATA "/action_frames.txt";

std::map<std::string, std::string> Kept() {
    std::map<std::string, std::string> kept;
    std::ifstream in(kFile);
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        if (colon != std::string::npos) kept[line.substr(0, colon)] = line.substr(colon + 1);
    }
    return kept;
}

class ActionFrames : public ControllerTest {};

TEST_F(ActionFrames, EachActionSendsWhatItAlwaysSent) {
    const bool write = std::getenv("DVDSP_WRITE_ACTION_FRAMES") != nullptr;
    const std::map<std::string, std::string> kept = write ? std::map<std::string, std::string>{} : Kept();
    std::ostringstream written;
    ConnectAndReadOut();
    const core::UnitModel start = mgr.Model();
    for (const Action& a : Actions()) {
        SCOPED_TRACE(a.name);
        mgr.ModelForTests() = start;
        a.setUp(Live());
        a.answers(prompt);
        Drain();
        commands.Clear();
        a.act(mgr);
        Drain();
        const std::string sent = Hex(commands.Reports());
        EXPECT_NE(sent, "") << "the action sends something";
        if (write) written << a.name << ":" << sent << "\n";
        else if (auto it = kept.find(a.name); it == kept.end()) ADD_FAILURE() << "no bytes kept for it";
        else EXPECT_EQ(sent, it->second);
    }
    if (write) {
        std::ofstream(kFile) << written.str();
        GTEST_SKIP() << "written to " << kFile;
    }
}

}  // namespace
}  // namespace dvdsp::testing

namespace dvdsp::testing {
namespace {

// Two live settings apart: the changes between them, turned into frames, bring a unit that
// holds the one to the other, and what no frame carries is named.
TEST_F(ActionFrames, WhatDiffersIsAllThatIsSentAndBringsTheUnitThere) {
    ConnectAndReadOut();
    const core::SceneState from = Live();
    core::SceneState to = from;
    to.mainVolume = -20;
    to.ampOn = 0;
    to.remOut1 = 0;
    to.remOut2 = 0;
    to.bridge[3] = 1;
    to.channels[2].gain = -7.5f;
    to.channels[5].delay = 2.125f;
    to.channels[8].hp.freq = 250;
    to.channels[8].hp.slope = 4;
    to.channels[8].hp.bypass = 0;
    to.channels[8].bpType = 1 | (to.channels[8].lp.bypass ? 0 : 2);
    to.eqStore[6][12].gain = 4.5f;
    to.outputs[9] = 19;
    to.outputsBk[9] = 19;  // the program's own copy: no frame carries it
    to.inputs[5][4] = 0x21;
    to.inputMixVolume[5][5][4] = 100;  // a newly routed input plays at full
    to.csmViceGain[7][0] = -5;
    to.linkSel[1] = 2;  // the program's own group: no frame carries it

    std::vector<core::ItemKey> unsent;
    const std::vector<core::Change> changes = core::ChangesBetween(from, to, &unsent);
    EXPECT_EQ(unsent, (std::vector<core::ItemKey>{{core::Field::LinkGroup, 0, 1}, {core::Field::SavedRole, 0, 9}}));
    EXPECT_EQ(changes.size(), 12u) << "both remote outputs go in one command, the filter's type with the filter";
    commands.Clear();
    for (const core::Change& c : changes)
        for (link::protocol::Frame& f : core::FramesOf(c, to, mgr.Device().Profile())) mgr.Device().Send(std::move(f), true);
    EXPECT_EQ(commands.Reports().size(), 12u);

    // Read back, the unit holds what `to` holds.
    mgr.ModelForTests().current = from;
    ASSERT_EQ(core::ReadOutUnitStatus(mgr.Device()), core::kReadOutDone);
    Dispatch();
    to.linkSel[1] = 0;
    EXPECT_EQ(core::DiffScenes(Live(), to), std::vector<std::string>{});
    EXPECT_EQ(Live().bridge, to.bridge);
    EXPECT_EQ(Live().ampOn, 0);
    EXPECT_EQ(Live().remOut2, 0);
}

}  // namespace
}  // namespace dvdsp::testing
