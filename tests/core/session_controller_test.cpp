// The controller's connection side without a window: what it posts, in which order, what
// it asks and shows, and what its reply dispatch stores, against the virtual unit.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "core/equalizer_manager.h"
#include "emulator/virtual_transport.h"
#include "emulator/virtual_unit.h"

using namespace dvdsp;
using namespace dvdsp::core;

namespace {

class RecordingView final : public SessionView {
public:
    void Post(uint32_t msg, int64_t) override {
        std::lock_guard lock(mutex);
        posted.push_back(msg);
    }
    void ShowTips(const std::string& text) override { tips.push_back(text); }
    bool Ask(const std::string& text) override {
        asked.push_back(text);
        return answer;
    }
    std::string LangText(const std::string& key) override { return key + " v%d.%d v%d.%d"; }
    void SetConnectButton(ConnectButton state) override { button = state; }
    void Refresh(const Change& change) override { refreshed.push_back(change.what); }
    int ClampToSlider(const std::string&, int value) override { return value; }
    void StartTimer(int id, int) override { timer = id; }
    void StopTimer(int id) override {
        if (timer == id) timer = 0;
    }
    std::vector<uint32_t> Posted() {
        std::lock_guard lock(mutex);
        return posted;
    }

    std::mutex mutex;
    std::vector<uint32_t> posted;
    std::vector<std::string> tips, asked;
    std::vector<What> refreshed;
    ConnectButton button = ConnectButton::Disconnected;
    bool answer = true;
    int timer = 0;
};

// Keeps the link's messages for the test thread, as the window's mailbox would.
class QueueSink final : public link::MessageSink {
public:
    void Post(link::Message m) override {
        std::lock_guard lock(mutex_);
        messages_.push_back(std::move(m));
    }
    std::vector<link::Message> Take() {
        std::lock_guard lock(mutex_);
        return std::move(messages_);
    }

private:
    std::mutex mutex_;
    std::vector<link::Message> messages_;
};

class ControllerTest : public ::testing::Test {
protected:
    ControllerTest() : backend(unit), mgr(backend) {
        mgr.Init(&view);
        mgr.SetReadOutPauseMs(0);
        mgr.Device().SetTarget(link::Target::Main, &sink);
    }
    ~ControllerTest() override {
        mgr.Shutdown();
        mgr.Device().SetTarget(link::Target::Main, nullptr);
    }
    void WaitWorkers() {
        for (int i = 0; i < 5000 && mgr.RunningWorkers() > 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(mgr.RunningWorkers(), 0);
    }
    // The window thread's part: every reply in order, then the controller's own messages.
    void Dispatch() {
        for (link::Message& m : sink.Take()) {
            if (m.msg == link::WM_READ_DSP_VALUE) mgr.ReadDspValueCallback(m);
            else if (m.msg == link::WM_READ_MCU_VALUE) mgr.ReadMcuValueCallback(m);
            else if (m.msg == link::WM_READ_SCENE_VALUE) mgr.ReadSenceValueCallback(m);
        }
        for (uint32_t msg : view.Posted()) {
            if (msg == WM_DEVICE_CONNECTED) mgr.ShowConnected();
            if (msg == WM_DEVICE_DISCONNECTED) mgr.ShowDisconnected();
        }
    }

    emu::VirtualUnit unit;
    emu::VirtualHidBackend backend;
    RecordingView view;
    QueueSink sink;
    EqualizerManager mgr;
};

}  // namespace

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
    EXPECT_TRUE(view.tips.empty());
    EXPECT_EQ(unit.UnknownCommands(), 0u);
}

TEST_F(ControllerTest, OlderFirmwareAsksForTheUpdateWithTheVersions) {
    unit.Identity().fwSub = 26;
    mgr.Connect(false);
    WaitWorkers();
    EXPECT_EQ(view.Posted().back(), WM_FORCE_UPDATE);
    Dispatch();
    view.answer = false;
    mgr.ForceUpdatePrompt();
    ASSERT_EQ(view.asked.size(), 1u);
    EXPECT_EQ(view.asked[0], "${update_tips} v2.26 v2.27");
}

TEST_F(ControllerTest, TheUpgradeGuardFreezesTheSession) {
    mgr.Device().SetUpgStatus(link::UPG_ENTER);
    mgr.Connect(true);
    mgr.DevicePlugin();
    mgr.DevicePlugOut();
    mgr.ShowDisconnected();
    EXPECT_FALSE(mgr.Device().IsConnected());
    EXPECT_TRUE(view.Posted().empty());
    EXPECT_TRUE(view.tips.empty());
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
