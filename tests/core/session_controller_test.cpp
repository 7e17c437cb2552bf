// The controller's connection side without a window: what it posts, in which order, what
// it asks and shows, and what its reply dispatch stores, against the virtual unit.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "core/controller_fixture.h"
#include "core/profile.h"
#include "link/commands.h"

using namespace dvdsp;
using namespace dvdsp::core;
using dvdsp::testing::ControllerTest;

TEST_F(ControllerTest, ConnectPostsTheReadOutInOrderAndEndsConnected) {
    mgr.Connect(true);
    EXPECT_EQ(view.button, ConnectButton::Connecting);
    EXPECT_FALSE(mgr.Device().QueueEnabled());
    WaitWorkers();
    EXPECT_EQ(view.Posted(), (std::vector<uint32_t>{WM_SHOW_LOADING, WM_DEVICE_CONNECTED, WM_CLOSE_LOADING}));
    EXPECT_FALSE(mgr.Device().QueueEnabled()) << "enabled only when the connected state is shown";
    Dispatch();
    EXPECT_EQ(view.button, ConnectButton::Connected);
    EXPECT_TRUE(mgr.Device().QueueEnabled());
    EXPECT_EQ(mgr.ModelNumber(), 98);
    EXPECT_EQ(mgr.Info().mainVersion, 2);
    EXPECT_EQ(mgr.Info().slaveVersion, 27);
    EXPECT_TRUE(prompt.tips.empty());
    EXPECT_EQ(unit.UnknownCommands(), 0u);
}

TEST_F(ControllerTest, OlderFirmwareAsksForTheUpdateWithTheVersions) {
    unit.Identity().fwSub = 26;
    mgr.Connect(false);
    WaitWorkers();
    EXPECT_EQ(view.Posted().back(), WM_FORCE_UPDATE);
    Dispatch();
    prompt.Answer(false);
    mgr.ForceUpdatePrompt();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0], "${update_tips} v2.26 v2.27");
}

TEST_F(ControllerTest, TheUpgradeGuardFreezesTheSession) {
    mgr.Device().SetUpgStatus(link::UPG_ENTER);
    mgr.Connect(true);
    mgr.DevicePlugin();
    mgr.DevicePlugOut();
    mgr.ShowDisconnected();
    EXPECT_FALSE(mgr.Device().IsConnected());
    EXPECT_TRUE(view.Posted().empty());
    EXPECT_TRUE(prompt.tips.empty());
    mgr.Device().SetUpgStatus(link::UPG_IDLE);
}

TEST_F(ControllerTest, PlugOutDisconnectsAndPostsItsMessageOnce) {
    mgr.Connect(false);
    WaitWorkers();
    Dispatch();
    view.posted.clear();
    mgr.DevicePlugOut();
    WaitWorkers();
    EXPECT_EQ(view.button, ConnectButton::Disconnected);
    EXPECT_FALSE(mgr.Device().IsConnected());
    EXPECT_EQ(view.Posted(), std::vector<uint32_t>{WM_DEVICE_PLUGOUT_MSG});
    EXPECT_EQ(mgr.ModelNumber(), -1);
}

TEST_F(ControllerTest, TheRestartAnUpdateCausedIsNoPlugOutAndItsImageNoNews) {
    ConnectAndReadOut();
    // An update window sent firmware 2.28, newer than this program's; the unit restarts.
    unit.Identity().fwSub = 28;
    mgr.UpdateInstalled(2, 28);
    view.posted.clear();
    mgr.DevicePlugOut();
    WaitWorkers();
    EXPECT_TRUE(view.Posted().empty());
    mgr.DevicePlugin();
    WaitWorkers();
    EXPECT_EQ(view.Posted(), (std::vector<uint32_t>{WM_SHOW_LOADING, WM_DEVICE_CONNECTED, WM_CLOSE_LOADING}));
    Dispatch();
    // Once: a later unplug is told, and a unit that is not back with the image sent is too.
    view.posted.clear();
    mgr.DevicePlugOut();
    WaitWorkers();
    EXPECT_EQ(view.Posted(), std::vector<uint32_t>{WM_DEVICE_PLUGOUT_MSG});
    mgr.UpdateInstalled(2, 29);
    view.posted.clear();
    mgr.DevicePlugin();
    WaitWorkers();
    EXPECT_EQ(view.Posted().back(), WM_DSP_FW_NEWER);
    Dispatch();
}

TEST_F(ControllerTest, AnArrivalConnectsOnceAndLeavesAnOpenLinkAlone) {
    mgr.DevicePlugin();
    EXPECT_TRUE(mgr.Device().IsConnected());
    WaitWorkers();
    Dispatch();
    EXPECT_EQ(view.button, ConnectButton::Connected);
    view.posted.clear();
    // Another arrival, or one that comes after the user's click, keeps the session.
    mgr.DevicePlugin();
    WaitWorkers();
    EXPECT_TRUE(mgr.Device().IsConnected());
    EXPECT_EQ(view.button, ConnectButton::Connected);
    EXPECT_TRUE(view.Posted().empty());
    EXPECT_TRUE(prompt.tips.empty());
}

TEST_F(ControllerTest, TheVolumeReplyStopsThePollAndTheTimerEndsAfterTenTicks) {
    mgr.StartMainVolumePoll();
    EXPECT_EQ(view.timer, GET_MAIN_VOLUME_TIMER);
    for (int i = 0; i < 10; ++i) mgr.OnMainVolumeTimer();  // no unit open: nothing is sent
    EXPECT_EQ(mgr.MainVolumePollsLeft(), 0);
    EXPECT_EQ(view.timer, GET_MAIN_VOLUME_TIMER);
    mgr.OnMainVolumeTimer();
    EXPECT_EQ(view.timer, 0);

    mgr.StartMainVolumePoll();
    link::Message volume;
    volume.msg = link::WM_READ_DSP_VALUE;
    volume.wparam = 2;  // DSP_VOLUME
    volume.value = 26;
    mgr.ReadDspValueCallback(volume);
    EXPECT_EQ(view.timer, 0);
    EXPECT_EQ(mgr.MainVolumePollsLeft(), 0);
}

TEST_F(ControllerTest, ConnectingAndDisconnectingCloseTheSecondaryWindows) {
    mgr.Connect(false);
    EXPECT_EQ(view.closed, (std::vector<WindowKind>{WindowKind::Upgrade, WindowKind::Mixer}));
    WaitWorkers();
    Dispatch();
    view.closed.clear();
    mgr.ShowDisconnected();
    EXPECT_EQ(view.closed, std::vector<WindowKind>{WindowKind::Mixer});
}

TEST_F(ControllerTest, AReadOutCutShortFailsTheConnectionAndNeverEnablesTheQueue) {
    backend.ArmFault(emu::VirtualHidBackend::Fault::Unplug, 40);  // in the middle of the read-out
    mgr.Connect(true);
    WaitWorkers();
    EXPECT_EQ(view.Posted(), (std::vector<uint32_t>{WM_SHOW_LOADING, WM_CLOSE_LOADING, WM_DEVICE_CONNECT_FAIL,
                                                    WM_DEVICE_DISCONNECTED}));
    Dispatch();
    EXPECT_EQ(view.button, ConnectButton::Disconnected);
    EXPECT_FALSE(mgr.Device().QueueEnabled());
    EXPECT_FALSE(mgr.Device().IsConnected());
    EXPECT_EQ(mgr.ModelNumber(), -1);
}

namespace dvdsp::testing {
namespace {

// The link's waits on a clock of the test's own, so that unanswered commands cost nothing.
struct ManualTime {
    link::ManualClock clock;
};
class LostCommands : protected ManualTime, public ControllerTest {
protected:
    LostCommands() : ControllerTest(clock, clock) {}
};

// A profile the unit did not take whole: the model is read back from the unit, so that the
// window does not show the file's values as if the unit held them.
TEST_F(LostCommands, AProfileLoadTheUnitDidNotTakeLeavesTheModelAsTheUnitIs) {
    ConnectAndReadOut();
    core::SceneState file = Live();
    file.channels[9].gain = -12.0f;
    const std::string path =
        (std::filesystem::temp_directory_path() / ("dvdsp_lost_" + std::to_string(::getpid()) + ".spf")).string();
    ASSERT_TRUE(core::WriteSceneProfile(path, file).ok());
    commands.LoseCommand(link::CMD_DSP, link::DSP_TRIM_CH, link::OP_SET);  // no trim reaches the unit
    prompt.AnswerFile(path);
    mgr.LoadSenceConfigFromFile();
    WaitWorkers();
    Dispatch();
    mgr.OnProfileJobDone(core::ProfileJob::LoadScene);
    std::filesystem::remove(path);
    EXPECT_EQ(prompt.tips, (std::vector<std::string>{"${profile_write_unit_error}"}));
    const uint16_t unitTrim = Unit([](emu::UnitState& s) { return s.scenes[0].out[9].trim100; });
    EXPECT_EQ(unitTrim, 0);
    EXPECT_EQ(Live().channels[9].gain, 0.0f) << "the model is the unit's";
}

}  // namespace
}  // namespace dvdsp::testing
