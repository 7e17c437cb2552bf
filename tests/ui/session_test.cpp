// The device session through the main window against the virtual unit: connecting and
// the read-out, refused and foreign units, firmware versions, disconnecting, plug
// events, the DSP status report, the factory reset and the main-volume poll.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/firmware_upgrade.h"
#include "core/session_view.h"
#include "link/commands.h"
#include "link/protocol/units.h"
#include "platform/device_path.h"
#include "session_fixture.h"
#include "toolkit/language.h"

using namespace dvdsp;
using uitest::SessionTest;
namespace seam = dvdsp::tk::testing;

TEST_F(SessionTest, ConnectReadsTheUnitIntoTheControls) {
    unit->WithState([](emu::UnitState& s) {
        s.device.sourceCode = 81 + 3;
        s.scenes[0].mainVolume = static_cast<int8_t>(link::units::MainVolumeToWire(-20));
        s.scenes[0].ampMute = 1;
        s.scenes[0].noiseGate = 1;
        s.scenes[0].out[2].mute = 1;
        s.scenes[0].out[4].phase = 1;
        s.scenes[0].out[5].solo = 1;
        s.scenes[0].out[7].trim100 = 350;
        s.scenes[0].out[0].bands[3].gain10 = 240;  // +6 dB, bypassed
        s.scenes[0].out[0].eqBypass = 1;
        return 0;
    });
    Open();
    EXPECT_TRUE(Disconnected());
    Click("btnConnect");
    EXPECT_EQ(ButtonText(), "${btn_connecting}");
    EXPECT_FALSE(wnd->Controller().Device().QueueEnabled());

    // The busy window is up only while the unit is read: its showing is recorded.
    const int busyShown = tk::Window::ShownCount("LoadingWnd");
    bool queueEnabledBeforeConnected = false;
    ASSERT_TRUE(WaitFor([&] {
        if (!Connected() && wnd->Controller().Device().QueueEnabled()) queueEnabledBeforeConnected = true;
        return Connected();
    }));
    EXPECT_GT(tk::Window::ShownCount("LoadingWnd"), busyShown);
    EXPECT_FALSE(queueEnabledBeforeConnected);
    ASSERT_TRUE(WaitFor([&] { return wnd->LoadingWindow() == nullptr; }));
    EXPECT_TRUE(wnd->Controller().Device().QueueEnabled());
    EXPECT_TRUE(C("btnConnect")->IsSelected());
    EXPECT_EQ(C("btnConnect")->TextColor(), 0xFFFFFFFFu);

    EXPECT_EQ(wnd->Find<tk::Combo>("btn_input_source")->CurSel(), 3);
    EXPECT_EQ(C("slider_main_volume")->Value(), -20);
    EXPECT_EQ(C("edit_main_volume")->Text(), "-20dB");
    EXPECT_EQ(C("btn_amp_onoff")->Text(), "${amp_off}");
    EXPECT_FALSE(C("btn_amp_onoff")->IsSelected());
    EXPECT_EQ(C("btn_amp_onoff")->TextColor(), 0xFFFF0000u);
    EXPECT_EQ(C("btn_noise_gate")->Text(), "${btn_noise_gate_on}");
    EXPECT_TRUE(C("btn_noise_gate")->IsSelected());
    for (int ch = 0; ch < 10; ++ch) {
        SCOPED_TRACE(ch);
        EXPECT_EQ(C("ch_mute_" + std::to_string(ch))->IsSelected(), ch == 2);
        EXPECT_EQ(C("ch_phase_" + std::to_string(ch))->IsSelected(), ch == 4);
        EXPECT_EQ(C("ch_solo_" + std::to_string(ch))->IsSelected(), ch == 5);
    }
    EXPECT_EQ(C("slider_ch_volume_7")->Value(), -35);
    EXPECT_EQ(C("edit_ch_volume_7")->Text(), "-3.5dB");
    // The current channel is bypassed: its gains show flat and the button offers the restore.
    EXPECT_EQ(C("eq_gain_3")->Text(), "0.0");
    EXPECT_EQ(C("btn_bypass")->Text(), "${restore_eq}");
    EXPECT_TRUE(wnd->MessagesShown().isEmpty());
}

TEST_F(SessionTest, TheWindowConnectsByItselfAtStart) {
    Open(/*autoConnect=*/true);
    ASSERT_TRUE(WaitFor([&] { return Connected(); }));
    EXPECT_TRUE(wnd->MessagesShown().isEmpty());
}

TEST_F(SessionTest, ARefusedHandshakeReportsTheUnitAndNeverEnablesTheQueue) {
    unit->Identity().refuseHandshake = true;
    Open();
    seam::AnswerNextModal(1);
    seam::AnswerNextModal(0);  // the firmware update window that follows the message
    Click("btnConnect");
    ASSERT_TRUE(WaitFor([&] { return Shown("${device_status_unnormal}") && Answered() && wnd->Controller().RunningWorkers() == 0; }));
    Settle();
    EXPECT_FALSE(Connected());
    EXPECT_FALSE(wnd->Controller().Device().QueueEnabled());
    EXPECT_EQ(wnd->LoadingWindow(), nullptr);
}

TEST_F(SessionTest, AnotherModelIsNamedAndDisconnected) {
    unit->Identity().model = 97;
    Open();
    seam::AnswerNextModal(1);
    Click("btnConnect");
    ASSERT_TRUE(WaitFor([&] { return Shown("${device_not_match} 97") && Answered() && Disconnected(); }));
    ASSERT_TRUE(WaitFor([&] { return wnd->Controller().RunningWorkers() == 0; }));
    Settle();
    EXPECT_TRUE(Disconnected());
    EXPECT_FALSE(wnd->Controller().Device().IsConnected());
    EXPECT_EQ(wnd->Controller().ModelNumber(), -1);
    EXPECT_EQ(wnd->LoadingWindow(), nullptr);
}

TEST_F(SessionTest, NoUnitIsReportedOnlyForAClick) {
    backend->Unplug();
    Open(/*autoConnect=*/true);
    Settle();
    EXPECT_TRUE(Disconnected());
    EXPECT_TRUE(wnd->MessagesShown().isEmpty());
    seam::AnswerNextModal(1);
    Click("btnConnect");
    ASSERT_TRUE(WaitFor([&] { return Shown("${device_connect_fail}") && Answered() && Disconnected(); }));
    Settle();
    EXPECT_EQ(wnd->MessagesShown(), QStringList{"${device_connect_fail}"});
    EXPECT_TRUE(Disconnected());
}

struct FirmwareCase {
    int main, sub;
    const char* expected;  // language key of the message, "" for none
    bool marker;           // noForceUpdate.ini present
};

class FirmwareVersionTest : public SessionTest, public ::testing::WithParamInterface<FirmwareCase> {};

TEST_P(FirmwareVersionTest, TheVersionDecidesTheMessage) {
    const FirmwareCase& c = GetParam();
    QTemporaryDir dir;
    QString oldCwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    if (c.marker) {
        QFile f(dir.filePath("noForceUpdate.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    unit->Identity().fwMain = static_cast<uint8_t>(c.main);
    unit->Identity().fwSub = static_cast<uint8_t>(c.sub);
    Open();
    if (*c.expected) seam::AnswerNextModal(0);  // the message, or "not now" to the update
    ConnectAndWait();
    QString expected;
    if (*c.expected) {
        std::string filled = core::FormatInts(tk::Lang(QString::fromLatin1(c.expected)).toStdString(),
                                              {c.main, c.sub, 2, 27});
        expected = QString::fromStdString(filled);
        EXPECT_EQ(wnd->MessagesShown(), QStringList{expected});
        EXPECT_TRUE(expected.contains(QString("v%1.%2").arg(c.main).arg(c.sub)));
    } else {
        EXPECT_TRUE(wnd->MessagesShown().isEmpty());
    }
    EXPECT_TRUE(Connected());
    wnd.reset();
    QDir::setCurrent(oldCwd);
}

INSTANTIATE_TEST_SUITE_P(Versions, FirmwareVersionTest,
                         ::testing::Values(FirmwareCase{2, 27, "", false}, FirmwareCase{2, 28, "${dsp_fw_new_tips}", false},
                                           FirmwareCase{3, 0, "${dsp_fw_new_tips}", false},
                                           FirmwareCase{2, 26, "${update_tips}", false},
                                           FirmwareCase{2, 26, "", true}, FirmwareCase{1, 99, "${update_tips}", false}),
                         [](const ::testing::TestParamInfo<FirmwareCase>& p) {
                             // Names that stay the same from one process to the next.
                             return "v" + std::to_string(p.param.main) + "_" +
                                    std::to_string(p.param.sub) +
                                    (p.param.marker ? "_noForceUpdate" : "");
                         });

TEST_F(SessionTest, ASecondClickDisconnectsWithoutAMessage) {
    Open();
    ConnectAndWait();
    Click("btnConnect");
    Settle();
    EXPECT_TRUE(Disconnected());
    EXPECT_FALSE(C("btnConnect")->IsSelected());
    EXPECT_EQ(C("btnConnect")->TextColor(), 0xFFFF0000u);
    EXPECT_FALSE(wnd->Controller().Device().IsConnected());
    EXPECT_FALSE(wnd->Controller().Device().QueueEnabled());
    EXPECT_TRUE(wnd->MessagesShown().isEmpty());
}

TEST_F(SessionTest, UnplugShowsTheMessageWithoutBlockingAndReplugReconnects) {
    Open();
    ConnectAndWait();
    backend->Unplug();
    // The message is up while the window's loop keeps running.
    ASSERT_TRUE(WaitFor([&] { return wnd->PlugOutMessage() != nullptr; }));
    EXPECT_TRUE(Disconnected());
    EXPECT_EQ(wnd->MessagesShown(), QStringList{"${device_plugout}"});
    EXPECT_FALSE(wnd->PlugOutMessage()->IsModalRunning());

    backend->Plug();
    ASSERT_TRUE(WaitFor([&] { return Connected(); }));
    EXPECT_EQ(wnd->PlugOutMessage(), nullptr) << "the plug-in dismisses the message";
}

TEST_F(SessionTest, PlugInWhileAMessageIsOpenClosesItAndReconnects) {
    backend->Unplug();
    Open();
    bool closedByPlugIn = false;
    seam::ActOnNextModal([&](tk::Window& box) {
        QPointer<tk::Window> alive(&box);
        backend->Plug();  // the device change arrives while the box waits for the user
        closedByPlugIn = WaitFor([&] { return !alive || !alive->isVisible(); }, 5000);
    });
    Click("btnConnect");
    ASSERT_TRUE(WaitFor([&] { return Connected(); }));
    EXPECT_TRUE(closedByPlugIn);
    EXPECT_EQ(wnd->MessagesShown(), QStringList{"${device_connect_fail}"});
}

TEST_F(SessionTest, PlugEventsDuringAnUpgradeChangeNothing) {
    Open();
    ConnectAndWait();
    wnd->Controller().Device().SetUpgStatus(link::UPG_START);
    backend->Unplug();
    Settle(50);
    EXPECT_TRUE(Connected());
    EXPECT_EQ(wnd->PlugOutMessage(), nullptr);
    backend->Plug();
    Settle(50);
    EXPECT_TRUE(Connected());
    EXPECT_TRUE(wnd->MessagesShown().isEmpty());
}

TEST_F(SessionTest, DspStatusReportDisconnectsAndSaysWhenTheDspIsOff) {
    Open();
    ConnectAndWait();
    seam::AnswerNextModal(1);
    unit->SetDspStatus(0);
    backend->InjectReport(unit->DspStatusReport());
    // The link reads what the unit sent by itself with its next read.
    ASSERT_TRUE(wnd->Controller().Device().ReadHIDData(500));
    ASSERT_TRUE(WaitFor([&] { return Disconnected() && Shown("${dsp_is_off}") && Answered(); }));
    EXPECT_FALSE(wnd->Controller().Device().IsConnected());
}

TEST_F(SessionTest, FactoryResetAsksShowsTheBusyWindowAndReportsTheReboot) {
    unit->WithState([](emu::UnitState& s) {
        s.scenes[0].out[3].mute = 1;
        return 0;
    });
    Open();
    ConnectAndWait();
    backend->SetReportDelayMs(100);  // the reset takes a while, as on the unit
    Click("btn_option");
    ASSERT_NE(wnd->CurrentMenu(), nullptr);
    EXPECT_TRUE(wnd->CurrentMenu()->IsItemEnabled("option_item_reset_default"));
    seam::AnswerNextModal(1);  // "${factory_default_tips}": yes
    seam::AnswerNextModal(1);  // "${device_reboot}"
    ASSERT_TRUE(wnd->CurrentMenu()->Trigger("option_item_reset_default"));
    const int busyShown = tk::Window::ShownCount("LoadingWnd");
    ASSERT_TRUE(WaitFor([&] { return Shown("${device_reboot}") && Answered(); }));
    EXPECT_GT(tk::Window::ShownCount("LoadingWnd"), busyShown);
    EXPECT_EQ(wnd->LoadingWindow(), nullptr);
    EXPECT_EQ(unit->WithState([](emu::UnitState& s) { return s.scenes[0].out[3].mute; }), 0);
    backend->SetReportDelayMs(0);
    // The unit restarts with its factory settings: it goes away, which the window says
    // (the reset's own message may come before or after that), and comes back by itself.
    ASSERT_TRUE(WaitFor([&] { return Shown("${device_plugout}"); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return Connected() && wnd->Controller().RunningWorkers() == 0; }, 5000));
    QStringList shown = wnd->MessagesShown();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.takeFirst(), "${factory_default_tips}");
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"${device_plugout}", "${device_reboot}"}));
    EXPECT_EQ(wnd->PlugOutMessage(), nullptr);
}

TEST_F(SessionTest, FactoryResetDeclinedSendsNothing) {
    Open();
    ConnectAndWait();
    uint64_t before = unit->CommandsHandled();
    Click("btn_option");
    seam::AnswerNextModal(0);
    ASSERT_TRUE(wnd->CurrentMenu()->Trigger("option_item_reset_default"));
    Settle();
    EXPECT_EQ(wnd->MessagesShown(), QStringList{"${factory_default_tips}"});
    EXPECT_EQ(unit->CommandsHandled(), before);
}

TEST_F(SessionTest, VolumePollGoesOutTenTimesAfterASourceChange) {
    Open();
    ConnectAndWait();
    auto* combo = wnd->Find<tk::Combo>("btn_input_source");
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(2);  // the user picks the third source
    combo->activated(2);
    ASSERT_TRUE(wnd->Controller().Device().WaitQueueIdle(5000));
    Settle();
    EXPECT_EQ(unit->WithState([](emu::UnitState& s) { return int(s.device.sourceCode); }), 81 + 2);
    EXPECT_TRUE(wnd->HasTimer(core::GET_MAIN_VOLUME_TIMER));

    backend->DropReplies(1000);  // the unit never answers the poll
    uint64_t before = unit->CommandsHandled();
    for (int tick = 0; tick < 12; ++tick) wnd->OnTimer(core::GET_MAIN_VOLUME_TIMER);
    EXPECT_EQ(unit->CommandsHandled() - before, 10u);
    EXPECT_FALSE(wnd->HasTimer(core::GET_MAIN_VOLUME_TIMER));
    backend->DropReplies(0);
}

TEST_F(SessionTest, VolumePollStopsAtTheVolumeReply) {
    Open();
    ConnectAndWait();
    wnd->Find<tk::Combo>("btn_input_source")->setCurrentIndex(1);
    wnd->Find<tk::Combo>("btn_input_source")->activated(1);
    ASSERT_TRUE(wnd->Controller().Device().WaitQueueIdle(5000));
    Settle();
    uint64_t before = unit->CommandsHandled();
    wnd->OnTimer(core::GET_MAIN_VOLUME_TIMER);
    ASSERT_TRUE(WaitFor([&] { return !wnd->HasTimer(core::GET_MAIN_VOLUME_TIMER); }));
    wnd->OnTimer(core::GET_MAIN_VOLUME_TIMER);  // a tick already on its way sends nothing
    EXPECT_EQ(unit->CommandsHandled() - before, 1u);
}

TEST_F(SessionTest, ClosingTheWindowDisconnectsAndEndsAnOpenMessage) {
    Open();
    ConnectAndWait();
    backend->Unplug();
    ASSERT_TRUE(WaitFor([&] { return wnd->PlugOutMessage() != nullptr; }));
    wnd->close();
    Settle();
    EXPECT_FALSE(wnd->Controller().Device().IsConnected());
    EXPECT_EQ(wnd->PlugOutMessage(), nullptr);
}

TEST_F(SessionTest, DeviceChangesOfOtherDevicesAreIgnored) {
    Open();
    ConnectAndWait();
    auto removal = [](const char* path) {
        platform::DeviceChange c;
        c.event = platform::DBT_DEVICEREMOVECOMPLETE;
        c.path = path;
        return c;
    };
    wnd->PostDeviceChange(removal("\\\\?\\HID#VID_046D&PID_C52B#hidraw1"));
    wnd->PostDeviceChange(removal("\\\\?\\hid#VID_0483&PID_5750#hidraw1"));  // "HID" is case-sensitive
    platform::DeviceChange notInterface = removal("\\\\?\\HID#VID_0483&PID_5750#hidraw1");
    notInterface.interfaceKind = false;
    wnd->PostDeviceChange(notInterface);
    platform::DeviceChange nodes;
    nodes.event = platform::DBT_DEVNODES_CHANGED;
    nodes.path = "\\\\?\\HID#VID_0483&PID_5750#hidraw1";
    wnd->PostDeviceChange(nodes);
    Settle();
    EXPECT_TRUE(Connected());
    EXPECT_EQ(wnd->PlugOutMessage(), nullptr);

    // The unit's own removal, reported as the udev monitor writes it, is acted on.
    wnd->PostDeviceChange(removal(
        platform::HidInterfacePath("/devices/pci0000:00/usb1/1-2/1-2:1.0/0003:0483:5750.0007/hidraw/hidraw3").c_str()));
    ASSERT_TRUE(WaitFor([&] { return Disconnected() && wnd->PlugOutMessage() != nullptr; }));
}
