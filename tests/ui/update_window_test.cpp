// The firmware update windows on the virtual unit: the user's update from the option menu
// and after the unit reported an abnormal state, and the forced update from the version
// check to its end, with the factory reset. On this system the vendor's tool cannot run,
// so the windows send the archive's MCU image over the link and the unit restarts into it.
#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>

#include "firmware/image.h"
#include "platform/resources.h"
#include "session_fixture.h"
#include "support/firmware_zip.h"
#include "toolkit/edit.h"
#include "ui/main/main_session_view.h"
#include "ui/update/force_update_wnd.h"
#include "ui/update/update_fw_wnd.h"
#include "ui/update/update_job.h"

namespace uitest {

namespace ui = dvdsp::ui;
namespace tk = dvdsp::tk;
namespace seam = dvdsp::tk::testing;

namespace {

QByteArray McuImage(uint8_t main, uint8_t sub, size_t payload = 900) {
    std::vector<uint8_t> p(payload);
    for (size_t i = 0; i < payload; ++i) p[i] = static_cast<uint8_t>(i * 7);
    const auto img = dvdsp::fw::MakeSingleImage(dvdsp::fw::FW_ID_MCU, 98, {main, sub, 0, 0}, p);
    return QByteArray(reinterpret_cast<const char*>(img.data()), static_cast<qsizetype>(img.size()));
}

void Press(tk::Window& w, const std::string& name) {
    tk::Control* c = w.FindControl(name);
    ASSERT_NE(c, nullptr) << name;
    auto* b = qobject_cast<QAbstractButton*>(c->Widget());
    ASSERT_NE(b, nullptr) << name;
    b->click();
}

bool Enabled(tk::Window& w, const std::string& name) {
    tk::Control* c = w.FindControl(name);
    return c && c->Widget()->isEnabled();
}

}  // namespace

TEST(PseudoProgress, CreepsTowardsEightyAndSlowsDown) {
    int v = 0, counter = 0;
    std::vector<int> at;
    for (int tick = 1; tick <= 2000; ++tick) {
        v = ui::PseudoProgressStep(v, counter);
        if (tick == 11 || tick == 31 || tick == 60 || tick == 120 || tick == 240) at.push_back(v);
    }
    EXPECT_EQ(at, (std::vector<int>{11, 21, 30, 44, 65}));
    EXPECT_EQ(v, 80);
    EXPECT_EQ(ui::PseudoProgressStep(93, counter), 93);
}

class UpdateWindowTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        ASSERT_TRUE(tmp_.isValid());
        oldTmp_ = qgetenv("TMP");
        qputenv("TMP", tmp_.path().toUtf8());
    }
    void TearDown() override {
        seam::ClearAnswers();
        SessionTest::TearDown();
        qputenv("TMP", oldTmp_);
    }
    QString Archive(const dvdsp::testing::Members& members, const QByteArray& password = dvdsp::testing::kPassword) {
        const QString path = tmp_.filePath(QStringLiteral("VTR50_MCU_UPG.bin"));
        QFile::remove(path);
        dvdsp::testing::MakeZip(path, members, password);
        return path;
    }
    // Opens the update window from the option menu and runs `body` while it is open.
    void WithUpdateWindow(const std::function<void(ui::CUpdateFwWnd&)>& body) {
        bool done = false;
        seam::ActOnNextModal([&](tk::Window& w) {
            auto* u = dynamic_cast<ui::CUpdateFwWnd*>(&w);
            EXPECT_NE(u, nullptr) << w.ClassName().toStdString();
            if (u) body(*u);
            if (w.isVisible() && (!u || !u->WorkerRunning())) Press(w, "cancel_btn");
            done = true;
        });
        Click("btn_option");
        ASSERT_NE(wnd->CurrentMenu(), nullptr);
        ASSERT_TRUE(wnd->CurrentMenu()->Trigger(QStringLiteral("option_item_firmware_upgrade")));
        ASSERT_TRUE(WaitFor([&] { return done; }));
    }
    // Picks `file` with "file_btn" and presses "update_btn"; waits for the end of the run.
    void Update(ui::CUpdateFwWnd& u, const QString& file, const QString& expectTip) {
        if (!file.isEmpty()) {
            seam::AnswerNextFileDialog(file);
            Press(u, "file_btn");
            EXPECT_EQ(u.Find<tk::Edit>("file_path_edt")->text(), file);
        }
        const qsizetype before = u.TipsShown().size();
        Press(u, "update_btn");
        EXPECT_FALSE(Enabled(u, "update_btn"));
        EXPECT_TRUE(WaitFor([&] { return u.TipsShown().mid(before).contains(expectTip) && !u.WorkerRunning(); }, 60000))
            << u.TipsShown().join(QLatin1Char(' ')).toStdString();
        Settle();
    }
    int UnitSub() { return unit->Identity().fwSub; }
    // The unit runs its loader: `connect` reaches it, the program says the unit is not in a
    // normal state and opens the update window, which installs `archive`; the unit comes
    // back with firmware 2.`sub`, the image sent.
    void FinishFromTheLoader(const QString& archive, int sub, const std::function<void()>& connect) {
        bool opened = false;
        seam::ActOnNextModal([](tk::Window& w) { w.Close(tk::kResultConfirm); });
        seam::ActOnNextModal([&](tk::Window& w) {
            auto* u = dynamic_cast<ui::CUpdateFwWnd*>(&w);
            ASSERT_NE(u, nullptr) << w.ClassName().toStdString();
            opened = true;
            Update(*u, archive, QStringLiteral("${update_ok}"));
            EXPECT_TRUE(WaitFor([&] { return !u->isVisible(); }, 60000));
        });
        connect();
        ASSERT_TRUE(WaitFor([&] { return opened; }, 60000))
            << wnd->MessagesShown().join(QLatin1Char('|')).toStdString() << " button " << ButtonText().toStdString();
        EXPECT_TRUE(Shown(QStringLiteral("${device_status_unnormal}")));
        ASSERT_TRUE(WaitFor([&] { return Connected() && wnd->Controller().Device().SlaveVersion() == sub; }, 60000));
        ExpectNoNewsOfTheRestart();
        EXPECT_EQ(UnitSub(), sub);
        EXPECT_FALSE(unit->InUpgradeMode());
    }
    // Back from the restart an update caused: no plug-out message, and no word about the
    // version of the image just installed (newer than this program's).
    void ExpectNoNewsOfTheRestart() {
        ASSERT_TRUE(WaitFor([&] { return wnd->Controller().RunningWorkers() == 0; }));
        Settle();
        const QString all = wnd->MessagesShown().join(QLatin1Char('|'));
        EXPECT_FALSE(wnd->MessagesShown().contains(QStringLiteral("${device_plugout}"))) << all.toStdString();
        EXPECT_FALSE(all.contains(QStringLiteral("newer"))) << all.toStdString();
    }

    QTemporaryDir tmp_;
    // The working folders of updates still in the temporary folder.
    QStringList WorkFoldersLeft() const {
        return QDir(tmp_.path()).entryList({QStringLiteral("dvdsp-upgrade-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    }
    QByteArray oldTmp_;
};

// The long runs (each waits for the unit's restarts) in suites of their own, which run
// side by side with the others.
class UpdateRecoveryTest : public UpdateWindowTest {};
class ForcedUpdateTest : public UpdateWindowTest {};

TEST_F(UpdateWindowTest, EmptyPathOrBadArchiveLoadsNothing) {
    Open();
    ConnectAndWait();
    const QString wrongPassword = Archive({{QStringLiteral("app.bin"), McuImage(2, 40)}}, "not-the-password");
    WithUpdateWindow([&](ui::CUpdateFwWnd& u) {
        Update(u, QString(), QStringLiteral("${load_fw_fail}"));
        EXPECT_TRUE(Enabled(u, "update_btn"));
        Update(u, wrongPassword, QStringLiteral("${load_fw_fail}"));
        // An archive without the MCU image.
        Update(u, Archive({{QStringLiteral("readme.txt"), "x"}}), QStringLiteral("${load_fw_fail}"));
    });
    EXPECT_FALSE(unit->InUpgradeMode());
    EXPECT_EQ(UnitSub(), 27);
    EXPECT_EQ(WorkFoldersLeft(), QStringList());
}

TEST_F(UpdateWindowTest, UpdateFromTheOptionMenuEndsWithTheNewVersion) {
    Open();
    ConnectAndWait();
    unit->SetUpgradeNotReady(4);
    const QString archive = Archive({{QStringLiteral("sub/app.bin"), McuImage(2, 28)},
                                     {QStringLiteral("dsp_image.bin"), "dsp"}});
    WithUpdateWindow([&](ui::CUpdateFwWnd& u) {
        Update(u, archive, QStringLiteral("${update_ok}"));
        // The wait for the unit's restart into its loader is named, then real progress
        // reached the bar and the text.
        const qsizetype restarting = u.TipsShown().indexOf(QStringLiteral("${update_unit_restarting}"));
        EXPECT_GE(restarting, 0) << u.TipsShown().join(QLatin1Char(' ')).toStdString();
        const QStringList tips = u.TipsShown();
        const auto firstPercent = std::find_if(tips.begin(), tips.end(), [](const QString& t) { return t.endsWith('%'); });
        EXPECT_LT(restarting, firstPercent - tips.begin());
        EXPECT_EQ(u.FindControl("progress")->Value(), 100);
        EXPECT_TRUE(u.TipsShown().contains(QStringLiteral("50%")));
        EXPECT_TRUE(Enabled(u, "update_btn"));
        // The unit restarts into the new image; when it is back the window closes and the
        // unit is read out again.
        EXPECT_TRUE(WaitFor([&] { return !u.isVisible(); }, 60000));
    });
    ASSERT_TRUE(WaitFor([&] { return Connected() && wnd->Controller().Device().SlaveVersion() == 28; }, 60000));
    ExpectNoNewsOfTheRestart();
    EXPECT_EQ(UnitSub(), 28);
    EXPECT_FALSE(unit->InUpgradeMode());
    EXPECT_EQ(WorkFoldersLeft(), QStringList());
}

TEST_F(UpdateWindowTest, RefusedStartFails) {
    Open();
    ConnectAndWait();
    unit->RefuseUpgradeStart(1);
    const QString archive = Archive({{QStringLiteral("app.bin"), McuImage(2, 28)}});
    WithUpdateWindow([&](ui::CUpdateFwWnd& u) { Update(u, archive, QStringLiteral("${update_fail}")); });
    EXPECT_EQ(UnitSub(), 27);
}

TEST_F(UpdateRecoveryTest, UnitLeftInItsLoaderIsFoundAndFinished) {
    // An earlier transfer was cut off: the unit runs its loader.
    unit->WithState([](dvdsp::emu::UnitState& s) {
        s.firmware.loader = true;
        s.firmware.appValid = false;
    });
    Open();
    FinishFromTheLoader(Archive({{QStringLiteral("app.bin"), McuImage(2, 29)}}), 29, [&] { Click("btnConnect"); });
}

TEST_F(UpdateRecoveryTest, CutOffUpdateIsFinishedByASecondAttempt) {
    Open();
    ConnectAndWait();
    const QString archive = Archive({{QStringLiteral("app.bin"), McuImage(2, 30)}});
    WithUpdateWindow([&](ui::CUpdateFwWnd& u) {
        // The cable comes out while the blocks flow.
        backend->ArmFault(dvdsp::emu::VirtualHidBackend::Fault::Unplug, 15);
        Update(u, archive, QStringLiteral("${update_fail}"));
        EXPECT_TRUE(Enabled(u, "update_btn"));
    });
    EXPECT_FALSE(backend->Plugged());
    EXPECT_TRUE(unit->InUpgradeMode());
    EXPECT_EQ(UnitSub(), 27);
    // Plugged in again, the unit is found in its loader and the update finishes.
    FinishFromTheLoader(archive, 30, [&] { backend->Plug(); });
}

TEST_F(ForcedUpdateTest, ForcedUpdateWithFactoryResetRunsToItsEnd) {
    // The built-in firmware: an archive carrying the program's own version.
    static QByteArray builtIn;
    {
        const QString path = Archive({{QStringLiteral("app.bin"), McuImage(2, 27)}});
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        builtIn = f.readAll();
    }
    dvdsp::platform::RegisterResource("IDR_MCU_BIN", "BIN", reinterpret_cast<const uint8_t*>(builtIn.constData()),
                                      static_cast<size_t>(builtIn.size()));
    unit->Identity().fwSub = 26;
    unit->WithState([](dvdsp::emu::UnitState& s) { s.scenes[0].out[0].trim100 = 400; });
    Open();

    ui::CForceUpdateWnd* force = nullptr;
    bool finished = false;
    seam::ActOnNextModal([](tk::Window& w) { w.Close(tk::kResultConfirm); });  // "${update_tips}"
    seam::ActOnNextModal([&](tk::Window& w) {
        force = dynamic_cast<ui::CForceUpdateWnd*>(&w);
        ASSERT_NE(force, nullptr) << w.ClassName().toStdString();
        EXPECT_EQ(force->FindControl("mcu_file")->Text(), QStringLiteral("MCU_UPG.bin"));
        force->Find<tk::CheckBox>("check_box_facotry")->setChecked(true);
        Press(w, "update_btn");
        EXPECT_FALSE(Enabled(w, "update_btn"));
        // The MCU step, the unit back, the factory reset, the unit back again: the buttons
        // stay disabled throughout.
        ASSERT_TRUE(WaitFor([&] { return force->TipsShown().contains(QStringLiteral("${update_factory}")); }, 60000))
            << force->TipsShown().join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(Enabled(w, "update_btn"));
        ASSERT_TRUE(WaitFor([&] { return force->Done(); }, 60000))
            << force->TipsShown().join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(force->TipsShown().back(), QStringLiteral("${update_finish}"));
        EXPECT_TRUE(force->TipsShown().contains(QStringLiteral("${update_reboot_mcu}")));
        EXPECT_TRUE(force->TipsShown().contains(QStringLiteral("${update_factory_reboot}")));
        EXPECT_TRUE(Enabled(w, "update_btn"));
        Press(w, "closebtn");
        finished = true;
    });
    Click("btnConnect");
    ASSERT_TRUE(WaitFor([&] { return finished; }, 120000));
    // Read out again: the new firmware and the factory settings.
    ASSERT_TRUE(WaitFor([&] { return Connected() && wnd->Controller().Device().SlaveVersion() == 27; }, 60000));
    EXPECT_EQ(UnitSub(), 27);
    EXPECT_EQ(unit->WithState([](dvdsp::emu::UnitState& s) { return s.scenes[0].out[0].trim100; }), 0);
    dvdsp::platform::UnregisterResource("IDR_MCU_BIN", "BIN");
}

TEST_F(ForcedUpdateTest, AFileThatDoesNotLoadLetsThePersonCloseAndTheNextConnectAsksAgain) {
    // The built-in archive holds no image of this unit.
    static QByteArray builtIn;
    {
        const QString path = Archive({{QStringLiteral("app.bin"), QByteArray(64, 'x')}});
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        builtIn = f.readAll();
    }
    dvdsp::platform::RegisterResource("IDR_MCU_BIN", "BIN", reinterpret_cast<const uint8_t*>(builtIn.constData()),
                                      static_cast<size_t>(builtIn.size()));
    unit->Identity().fwSub = 26;
    Open();
    auto asked = [&] {
        return std::count_if(wnd->MessagesShown().begin(), wnd->MessagesShown().end(),
                             [](const QString& m) { return m.contains(QStringLiteral("v2.26")); });
    };
    bool closed = false;
    seam::ActOnNextModal([](tk::Window& w) { w.Close(tk::kResultConfirm); });  // "${update_tips}"
    seam::ActOnNextModal([&](tk::Window& w) {
        auto* force = dynamic_cast<ui::CForceUpdateWnd*>(&w);
        ASSERT_NE(force, nullptr) << w.ClassName().toStdString();
        Press(w, "update_btn");
        EXPECT_TRUE(WaitFor([&] { return force->TipsShown().contains(QStringLiteral("${load_fw_fail}")) && !force->WorkerRunning(); }, 60000));
        Settle();
        for (const char* name : {"closebtn", "cancel_btn", "update_btn"}) EXPECT_TRUE(Enabled(w, name)) << name;
        if (Enabled(w, "closebtn"))
            Press(w, "closebtn");
        else
            w.Close(tk::kResultClosed);
        closed = true;
    });
    Click("btnConnect");
    ASSERT_TRUE(WaitFor([&] { return closed && !wnd->Controller().ForcedUpdateRunning(); }, 60000));
    // The program goes on, the unit as it was; the session ended with the window.
    EXPECT_TRUE(wnd->isVisible());
    EXPECT_EQ(UnitSub(), 26);
    EXPECT_FALSE(unit->InUpgradeMode());
    EXPECT_FALSE(wnd->Controller().Device().IsConnected());
    EXPECT_EQ(asked(), 1);
    // The next connection offers the update again.
    seam::ActOnNextModal([](tk::Window& w) { w.Close(tk::kResultClosed); });
    Click("btnConnect");
    EXPECT_TRUE(WaitFor([&] { return asked() == 2; }, 60000)) << wnd->MessagesShown().join('|').toStdString();
    dvdsp::platform::UnregisterResource("IDR_MCU_BIN", "BIN");
}

TEST_F(ForcedUpdateTest, ForcedUpdateWithoutAFirstStepSaysSo) {
    Open();
    ui::CForceUpdateWnd force(wnd.get(), wnd->Controller(), QString(), QString(), QString(), QString());
    seam::ActOnNextModal([&](tk::Window& w) {
        Press(w, "update_btn");
        Settle();
        EXPECT_EQ(force.TipsShown(), QStringList{QStringLiteral("${update_no_file}")});
        EXPECT_EQ(force.Phase(), 0);
        Press(w, "cancel_btn");
    });
    EXPECT_EQ(force.Run(), 0);
}

}  // namespace uitest
