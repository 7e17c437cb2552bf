#pragma once
// The main window: the frame "DV DSP Audio" with the channel page, its drop-down menus,
// the language items and the About box. The controller that drives the page by control
// name is attached to it.

#include <memory>

#include "platform/instance_lock.h"
#include "toolkit/menu.h"
#include "toolkit/window.h"
#include "ui/main/startup.h"

namespace dvdsp::ui {

inline constexpr const char* kPageContainer = "channel_settings";
inline constexpr const char* kPageLayout = "xml/channel_settings_6in_mixer.xml";

class CMainWnd : public tk::Window {
public:
    CMainWnd(link::HidBackend* backend, StartOptions options);
    ~CMainWnd() override;
    QString ClassName() const override { return QStringLiteral("CMainWnd"); }

    // Builds, sizes (1230 x 650 at scale 96), centres and shows the frame window.
    bool Create();
    // True when the single-instance check closed the window at start.
    bool ClosedAtStart() const { return closedAtStart_; }
    // Renders the window into a PNG file.
    bool SaveScreenshot(const QString& path);

    tk::Control* CreateControl(const QString& tag) override;
    void OnInit() override;
    void Notify(tk::TNotify& n) override;
    void OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) override;

    // The drop-down menus, opened below their button; a new one replaces an open one.
    tk::Menu* OpenMenu(const QString& layout, tk::Control* under);
    tk::Menu* CurrentMenu() const { return menu_.get(); }
    int OutputMenuChannel() const { return outputMenuChannel_; }
    int DelayLinkChannel() const { return delayLinkChannel_; }
    // Firmware version of the connected unit for the About box (-1: none yet).
    void SetUnitFirmware(int main, int sub) {
        fwMain_ = main;
        fwSub_ = sub;
    }
    bool UnitConnected() const { return fwMain_ >= 0; }

protected:
    void closeEvent(QCloseEvent* e) override;
    // Menu items and clicks the page itself handles (languages, About); false otherwise.
    bool HandleMenuClick(const tk::MenuClick& click);

private:
    void SelectStartLanguage();
    bool CheckSingleInstance();

    link::HidBackend* backend_;
    StartOptions options_;
    std::unique_ptr<tk::Menu> menu_;
    platform::NamedMutex instance_;
    int outputMenuChannel_ = -1;
    int delayLinkChannel_ = -1;
    int fwMain_ = -1, fwSub_ = -1;
    int factoryEq_ = 0;
    bool closedAtStart_ = false;
};

}  // namespace dvdsp::ui
