// The output-channel and EQ operations of the controller without a window, against the
// virtual unit: what they store, what they ask, what they report to the view and what
// the unit holds once the queue has drained.
#include <gtest/gtest-spi.h>

#include <cmath>

#include "core/part_helpers.h"
#include "core/controller_fixture.h"

using namespace dvdsp;
using namespace dvdsp::core;
using dvdsp::testing::ControllerTest;

namespace {


uint16_t Trim100Of(emu::UnitState& s, int ch) { return s.scenes[0].out[Z(ch)].trim100; }

}  // namespace

TEST_F(ControllerTest, TrimFollowsTheLinkGroupThePartnerAndTheBridgedNeighbour) {
    ConnectAndReadOut();
    // Channel 1 is channel 0's partner (bridge pair 0); channel 4 shares its link group
    // and plays bridged with channel 5.
    Live().bridge[0] = 1;
    Live().bridge[2] = 1;
    Live().linkSel[0] = Live().linkSel[4] = 1;
    Live().channels[4].mute = 1;
    Live().channels[5].gain = -3.0f;
    mgr.SetChVolumeSlider(0, -100);
    Drain();
    for (int ch : {0, 1, 4, 5}) EXPECT_FLOAT_EQ(Live().channels[Z(ch)].gain, -10.0f) << ch;
    EXPECT_FLOAT_EQ(Live().channels[2].gain, 0.0f);
    EXPECT_EQ(Live().channels[4].mute, 0) << "a trim from the user unmutes";
    EXPECT_EQ(view.Last(What::ChannelMute, 4).what, What::ChannelMute);
    Unit([](emu::UnitState& s) {
        for (int ch : {0, 1, 4, 5}) EXPECT_EQ(Trim100Of(s, ch), 1000) << ch;
        EXPECT_EQ(Trim100Of(s, 2), 0);
        EXPECT_EQ(s.scenes[0].out[4].mute, 0);
        return 0;
    });

    // The edit's text is limited to the page's range; "${off}" is its lowest trim.
    mgr.SetChVolumeEdit(2, "-75");
    EXPECT_FLOAT_EQ(Live().channels[2].gain, -60.0f);
    mgr.SetChVolumeEdit(3, "${off}");
    EXPECT_FLOAT_EQ(Live().channels[3].gain, -60.0f);
    mgr.SetChVolumeEdit(3, "+4");
    EXPECT_FLOAT_EQ(Live().channels[3].gain, 0.0f);
    mgr.SetChVolumeUp(3, false);
    EXPECT_FLOAT_EQ(Live().channels[3].gain, -0.5f);
    Drain();
    Unit([](emu::UnitState& s) {
        EXPECT_EQ(Trim100Of(s, 2), 6000);
        EXPECT_EQ(Trim100Of(s, 3), 50);
        return 0;
    });
}

TEST_F(ControllerTest, MainVolumeIsLimitedToThePageRangeAndUnmutes) {
    ConnectAndReadOut();
    Live().mainMute = 1;
    mgr.SetMainVolumeEdit("12");
    EXPECT_EQ(Live().mainVolume, 0);
    EXPECT_EQ(Live().mainMute, 0);
    mgr.SetMainVolumeUp(true);
    EXPECT_EQ(Live().mainVolume, 0);
    Drain();
    Unit([](emu::UnitState& s) {
        EXPECT_EQ(s.scenes[0].mainVolume, 6);  // 6 - volume on the wire
        EXPECT_EQ(s.scenes[0].mute, 0);
        return 0;
    });
    mgr.SetMainVolumeEdit("${off}");
    EXPECT_EQ(Live().mainVolume, -60);
    mgr.SetMainVolumeSlider(-200);
    EXPECT_EQ(Live().mainVolume, -60);
    mgr.SetMainVolumeEdit("not a number");
    EXPECT_EQ(Live().mainVolume, -60) << "a text without a number keeps the volume";
    Drain();
    Unit([](emu::UnitState& s) {
        EXPECT_EQ(s.scenes[0].mainVolume, 66);
        return 0;
    });
    EXPECT_EQ(view.Last(What::MainVolume).what, What::MainVolume);
}

TEST_F(ControllerTest, DelayEditsReadInTheUnitAndLandOnItsWholeSteps) {
    ConnectAndReadOut();
    ASSERT_EQ(mgr.DelayUnit(), kDelayCm);
    mgr.SetChDelayEdit(0, "100");
    const float cm100 = 100.0f * 15.0f / 519.0f;
    EXPECT_NEAR(Live().channels[0].delay, cm100, 1e-5);
    EXPECT_EQ(DelayText(Live().channels[0].delay, kDelayCm), "100 cm");

    mgr.SetDelayUnit(kDelayInch);
    const Change unitChange = view.Last(What::DelayUnit);
    EXPECT_EQ(unitChange.value, kDelayInch) << "the view is told the unit once";
    EXPECT_EQ(DelayText(Live().channels[0].delay, kDelayInch), "39 in");
    mgr.SetChDelayEdit(1, "999");
    EXPECT_FLOAT_EQ(Live().channels[1].delay, 15.0f) << "limited to 204 in";

    mgr.SetDelayUnit(kDelayMs);
    mgr.SetChDelayEdit(2, "1.25");
    EXPECT_FLOAT_EQ(Live().channels[2].delay, 1.25f);
    mgr.SetChDelayUp(2, true);
    EXPECT_NEAR(Live().channels[2].delay, 1.271f, 1e-6);
    mgr.SetChDelayEdit(3, "-4");
    EXPECT_FLOAT_EQ(Live().channels[3].delay, 0.0f);
    Drain();
    Unit([&](emu::UnitState& s) {
        const auto& out = s.scenes[0].out;
        EXPECT_EQ(out[0].delayUs, static_cast<uint32_t>(std::lround(cm100 * 1000.0f)));
        EXPECT_EQ(out[1].delayUs, 15000u);
        EXPECT_EQ(out[2].delayUs, 1271u);
        EXPECT_EQ(out[3].delayUs, 0u);
        return 0;
    });
}

TEST_F(ControllerTest, TheBypassQuestionComesFromTheModelsBands) {
    ConnectAndReadOut();
    ASSERT_EQ(Live().currOutChannel, 0);
    // A raised band shows off zero: the question is to bypass.
    Live().eqStore[0][3].gain = 5.0f;
    prompt.Answer(true);
    mgr.SetOutputBypass();
    ASSERT_EQ(prompt.asked.back(), "${bypass_all_eq_tips}");
    EXPECT_EQ(Live().channels[0].bypass, 1);
    EXPECT_EQ(view.Last(What::BypassButton).value, 1);
    Drain();
    EXPECT_EQ(Unit([](emu::UnitState& s) { return s.scenes[0].out[0].eqBypass; }), 1);

    // Bypassed, the bands show flat over stored gains: the question is to restore.
    prompt.Answer(false);
    mgr.SetOutputBypass();
    ASSERT_EQ(prompt.asked.back(), "${restore_all_eq_tips}");
    EXPECT_EQ(Live().channels[0].bypass, 1) << "declined";
    prompt.Answer(true);
    mgr.SetOutputBypass();
    EXPECT_EQ(Live().channels[0].bypass, 0);
    EXPECT_EQ(view.Last(What::BypassButton).value, 0);

    // A disabled band shows flat too.
    Live().eqStore[0][3].enable = 0;
    prompt.Answer(true);
    mgr.SetOutputBypass();
    EXPECT_EQ(prompt.asked.back(), "${restore_all_eq_tips}");

    // Flat bands: nothing is asked (the script has no answer).
    Live().eqStore[0][3] = DefaultBand(Live().channels[0].eqSize, 3);
    const size_t asked = prompt.asked.size();
    mgr.SetOutputBypass();
    EXPECT_EQ(prompt.asked.size(), asked);
    EXPECT_EQ(Live().channels[0].bypass, 0);
    Drain();
    EXPECT_EQ(Unit([](emu::UnitState& s) { return s.scenes[0].out[0].eqBypass; }), 0);
}

TEST_F(ControllerTest, TheLockAsksAndUnlockingEndsTheLink) {
    ConnectAndReadOut();
    prompt.Answer(false);
    mgr.SetOutpuLock();
    EXPECT_EQ(prompt.asked.back(), "${lock_output_tips}");
    EXPECT_EQ(Live().lockMode, 0);
    EXPECT_EQ(view.Last(What::Lock).what, What::None) << "declined: nothing changes";

    prompt.Answer(true);
    mgr.SetOutpuLock();
    EXPECT_EQ(Live().lockMode, 1);
    EXPECT_EQ(view.Last(What::Lock).what, What::Lock);
    Drain();
    EXPECT_EQ(Unit([](emu::UnitState& s) { return s.scenes[0].lock; }), 1);

    // Linked, then unlocked: the link ends with the lock.
    prompt.AnswerChoice(1);
    mgr.SetOutputLink();
    ASSERT_EQ(Live().linkMode, 1);
    Drain();
    ASSERT_EQ(Unit([](emu::UnitState& s) { return s.scenes[0].link.on; }), 1);
    prompt.Answer(true);
    mgr.SetOutpuLock();
    EXPECT_EQ(prompt.asked.back(), "${unlock_output_tips}");
    EXPECT_EQ(Live().lockMode, 0);
    EXPECT_EQ(Live().linkMode, 0);
    EXPECT_EQ(Live().linkOutputs[0], -1);
    Drain();
    Unit([](emu::UnitState& s) {
        EXPECT_EQ(s.scenes[0].lock, 0);
        EXPECT_EQ(s.scenes[0].link.on, 0);
        return 0;
    });
}

TEST_F(ControllerTest, TheStereoLinkCopiesInTheDirectionPicked) {
    ConnectAndReadOut();
    // Channels 0 and 1 play mirrored roles (6 and 12) and are partners.
    ASSERT_EQ(ComputeLinkPartners(Live())[0], 1);
    Live().eqStore[0][4].gain = 6.0f;
    Live().eqStore[1][7].gain = -3.0f;

    // Cancelled: nothing is linked.
    prompt.AnswerChoice(0);
    mgr.SetOutputLink();
    EXPECT_EQ(prompt.asked.back(), "${link_tips}");
    EXPECT_EQ(Live().linkMode, 0);

    // Left to right: the smaller role code copies itself onto its partner.
    prompt.AnswerChoice(1);
    mgr.SetOutputLink();
    EXPECT_EQ(Live().linkMode, 1);
    EXPECT_EQ(Live().lockMode, 1);
    EXPECT_FLOAT_EQ(Live().eqStore[1][4].gain, 6.0f);
    EXPECT_FLOAT_EQ(Live().eqStore[1][7].gain, 0.0f);
    Drain();
    Unit([](emu::UnitState& s) {
        EXPECT_EQ(s.scenes[0].link.on, 1);
        EXPECT_EQ(s.scenes[0].lock, 1);
        EXPECT_EQ(s.scenes[0].out[1].bands[4].gain10, 180 + 60);
        return 0;
    });

    // A second click ends the link without asking.
    mgr.SetOutputLink();
    EXPECT_EQ(Live().linkMode, 0);
    EXPECT_EQ(Live().lockMode, 0);

    // Right to left: the larger role code copies.
    Live().eqStore[1][9].gain = 2.0f;
    prompt.AnswerChoice(2);
    mgr.SetOutputLink();
    EXPECT_FLOAT_EQ(Live().eqStore[0][9].gain, 2.0f);
    EXPECT_FLOAT_EQ(Live().eqStore[0][4].gain, 6.0f) << "both sides held it";
    Drain();
    EXPECT_EQ(Unit([](emu::UnitState& s) { return s.scenes[0].out[0].bands[9].gain10; }), 180 + 20);
}

TEST_F(ControllerTest, EveryOperationsChangeGoesThroughTheEditor) {
    ConnectAndReadOut();
    mgr.Editor().TakeChanges();
    mgr.SetChMute(3, true);
    mgr.SetCurChannelChange(2);
    const std::vector<Change> changes = mgr.Editor().TakeChanges();
    ASSERT_GE(changes.size(), 2u);
    EXPECT_EQ(changes[0].what, What::ChannelMute);
    EXPECT_EQ(changes[0].channel, 3);
    EXPECT_EQ(changes[1].what, What::CurrentChannel);
    EXPECT_EQ(changes[1].channel, 2);
    EXPECT_EQ(view.changes.size(), changes.size()) << "the view is told each change as it is made";
    EXPECT_TRUE(mgr.Editor().TakeChanges().empty());

    // Each stored item an operation changed is recorded with its old and new value.
    mgr.Editor().TakeEdits();
    mgr.SetChVolumeEdit(4, "-6.5");
    mgr.SetKaraoke(2, 30);
    const std::vector<ItemChange> edits = mgr.Editor().TakeEdits();
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(edits[0].key, (ItemKey{Field::Trim, 0, 4}));
    EXPECT_EQ(std::get<float>(edits[0].after), -6.5f);
    EXPECT_NE(std::get<float>(edits[0].before), -6.5f);
    EXPECT_EQ(edits[1].key, (ItemKey{Field::Karaoke, -1, 2}));
    EXPECT_EQ(std::get<int32_t>(edits[1].after), 30);
    EXPECT_TRUE(mgr.Editor().TakeEdits().empty());
}

TEST(ScriptedPromptTest, AQuestionNobodyScriptedFailsWithItsText) {
    dvdsp::testing::ScriptedPrompt prompt;
    EXPECT_NONFATAL_FAILURE(prompt.Ask("${lock_output_tips}"), "unexpected question: ${lock_output_tips}");
    prompt.AnswerChoice(1);
    EXPECT_NONFATAL_FAILURE(prompt.Ask("${reset_all_eq_tips}"), "another kind");
    EXPECT_EQ(prompt.Unused(), 0u);
}
