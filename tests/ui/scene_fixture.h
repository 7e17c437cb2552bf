#pragma once
// The main window on the virtual unit with the scene window and the profile menu items
// driven as a user drives them, and a backup of the unit taken as the command line takes
// it (its own link, every stored scene and the live settings).

#include <QAbstractButton>
#include <QTemporaryDir>

#include "channel_ops_fixture.h"
#include "core/apply.h"
#include "core/profile.h"
#include "core/readout.h"
#include "core/transfer.h"
#include "support/link_fixture.h"
#include "ui/dialogs/scene_wnd.h"

namespace uitest {

namespace ui = dvdsp::ui;
namespace seam = dvdsp::tk::testing;
namespace link = dvdsp::link;

class SceneOpsTest : public ChannelOpsTest {
protected:
    static void Press(tk::Window& w, const std::string& name) {
        tk::Control* c = w.FindControl(name);
        ASSERT_NE(c, nullptr) << name;
        auto* b = qobject_cast<QAbstractButton*>(c->Widget());
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }
    // Opens the scene window by its menu item and runs `body` on it while it is open;
    // the window is closed with "cancel_btn" afterwards.
    void WithSceneWindow(const char* item, const std::function<void(ui::CSceneWnd&)>& body) {
        bool done = false;
        seam::ActOnNextModal([&](tk::Window& w) {
            auto* scenes = dynamic_cast<ui::CSceneWnd*>(&w);
            EXPECT_NE(scenes, nullptr) << w.ClassName().toStdString();
            if (scenes) {
                Settle();  // the unit's answer to the scene number question
                body(*scenes);
            }
            if (w.isVisible()) Press(w, "cancel_btn");
            done = true;
        });
        Click("btn_scene");
        ASSERT_NE(wnd->CurrentMenu(), nullptr);
        ASSERT_TRUE(wnd->CurrentMenu()->Trigger(QString::fromLatin1(item)));
        ASSERT_TRUE(WaitFor([&] { return done; }));
        Settle();
    }
    // Chooses row `row` and presses the confirm button.
    void Choose(ui::CSceneWnd& w, int row) {
        auto* list = w.Find<tk::List>("listview");
        ASSERT_NE(list, nullptr);
        list->SelectItem(row);
        Press(w, "confirm_btn");
    }
    // The action's worker has ended and its busy window has come and gone.
    bool ActionDone(ui::CSceneWnd& w, int busyBefore) {
        return WaitFor([&] {
            return tk::Window::ShownCount("LoadingWnd") > busyBefore && w.LoadingWindow() == nullptr &&
                   wnd->Controller().RunningWorkers() == 0;
        });
    }
    // The name window: types `name` and confirms.
    static void AnswerName(const QString& name) {
        seam::ActOnNextModal([name](tk::Window& w) {
            auto* e = w.Find<tk::Edit>("name_edt");
            ASSERT_NE(e, nullptr);
            e->selectAll();
            e->insert(name);
            Press(w, "confirm_btn");
        });
    }
    // The next message box: its text is kept, then it ends with `result`.
    static void AnswerBox(int result, QString* text) {
        seam::ActOnNextModal([result, text](tk::Window& w) {
            if (text) *text = w.FindControl("MessageText")->ShownText();
            w.Close(result);
        });
    }
    std::string UnitName(int n) {
        return unit->WithState([n](emu::UnitState& s) {
            std::string name;
            for (uint8_t b : s.names[static_cast<size_t>(n)])
                if (b != 0 && b != 0xFF) name += static_cast<char>(b);
            return name;
        });
    }
    std::string ModelName(int n) { return core::SceneNameToUtf8(wnd->Controller().SceneNameOf(n)); }

    // A menu item of the scene menu that asks for a file: `path` is the user's choice.
    void FileItem(const char* item, const QString& path) {
        seam::AnswerNextFileDialog(path);
        Click("btn_scene");
        ASSERT_NE(wnd->CurrentMenu(), nullptr);
        ASSERT_TRUE(wnd->CurrentMenu()->Trigger(QString::fromLatin1(item)));
    }
    // Waits for the profile worker started by a menu item and its busy window.
    bool ProfileDone(int busyBefore, int ms = 15000) {
        return WaitFor(
            [&] {
                return tk::Window::ShownCount("LoadingWnd") > busyBefore && wnd->LoadingWindow() == nullptr &&
                       wnd->Controller().RunningWorkers() == 0;
            },
            ms);
    }

    // The unit's settings as a backup reads them, on a link of its own (the window
    // must be disconnected).
    std::unique_ptr<core::UnitModel> Backup(bool whole) {
        link::ManualClock clock;
        emu::VirtualHidBackend hid(*unit, clock);
        link::DspDevice device(hid, clock);
        device.SetDeviceProfile(98, 10, 8, 1, 0);
        dvdsp::testing::RecordingSink sink;
        for (int t = 0; t < link::kTargetCount; ++t) device.SetTarget(static_cast<link::Target>(t), &sink);
        auto m = std::make_unique<core::UnitModel>();
        device.OpenHIDDevice();
        EXPECT_TRUE(device.IsConnected());
        if (whole) {
            for (int n = 1; n <= core::kStoredScenes; ++n) EXPECT_TRUE(core::ReadStoredScene(device, n, clock));
            device.ReadScene(0, 0);
        }
        EXPECT_EQ(core::ReadOutUnitStatus(device), core::kReadOutDone);
        for (const link::Message& msg : sink.Take()) core::ApplyMessage(*m, msg);
        device.CloseHIDDevice(false);
        return m;
    }

    QTemporaryDir dir;
    QString Path(const char* name) { return dir.filePath(QString::fromLatin1(name)); }
};

}  // namespace uitest
