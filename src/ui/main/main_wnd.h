#pragma once
#include <functional>
// The main window: the frame "DV DSP Audio" with the channel page, its drop-down menus,
// the language items and the About box. The controller works on the model; the window
// routes its controls to the controller's operations and shows what they change.

#include <QStringList>
#include <memory>

// The link's command queue has a member named like a Qt keyword macro.
#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#pragma pop_macro("slots")
#include "platform/hotplug.h"
#include "platform/instance_lock.h"
#include "toolkit/menu.h"
#include "ui/main/graph_views.h"
#include "toolkit/window.h"
#include "ui/main/startup.h"

namespace dvdsp::ui {

class ControlServer;

class CLoadingWnd;
class MsgWnd;
class MainSessionView;
class MainPrompt;

// Device-change broadcast posted to the main window (payload: platform::DeviceChange).
inline constexpr uint32_t WM_DEVICECHANGE = 0x0219;

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
    // Writes the window as a PNG file, replaced in one step; false with the reason.
    bool SaveScreenshot(const QString& path, std::string* why = nullptr);

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
    int FirmwareMain() const { return fwMain_; }
    int FirmwareSub() const { return fwSub_; }

    core::EqualizerManager& Controller() { return controller_; }
    // The control interface (ui/remote/control_server.h), or null when it is not served.
    ControlServer* Control() { return control_.get(); }
    // What the graph's menu chose: the view, the channels of the sum, the preview.
    GraphViewState& GraphViews() { return graphViews_; }
    // The user's firmware update window, as the option menu opens it.
    int RunUpdateWindow();
    // The device-change handling: arrival, removal and node changes.
    void OnDeviceChange(const platform::DeviceChange& change);
    // Any thread: hands a device change to the window thread.
    void PostDeviceChange(const platform::DeviceChange& change);
    void OnTimer(int id) override;
    // The busy window while it is shown, else nullptr.
    CLoadingWnd* LoadingWindow() const { return loading_; }
    // The plug-out message while it is shown, else nullptr.
    MsgWnd* PlugOutMessage() const;
    // Texts of the message dialogs shown so far, in order (raw, with language keys).
    const QStringList& MessagesShown() const { return messagesShown_; }
    bool DeviceNotificationRegistered() const { return hotplug_ != nullptr; }

protected:
    void closeEvent(QCloseEvent* e) override;
    // Menu items and clicks the page itself handles (languages, About); false otherwise.
    bool HandleMenuClick(const tk::MenuClick& click);
    // The scene window and profile items of the scene menu; false for other items.
    bool HandleSceneMenuClick(const QString& name);
    // Undo, redo and A/B (main_undo.cpp).
    bool HandleUndoMenuClick(const QString& name);
    void ShowAbMark();
    // "Setup sheet...": the note, then the sheet saved as a PDF or printed (main_sheet.cpp).
    void RunSetupSheet();

private:
    void InstallUndo();
    void PrepareUndoItems(tk::Menu& menu);
    friend class MainSessionView;
    friend class MainPrompt;
    void SelectStartLanguage();
    // Gives the page's sliders the ranges of the table of limits (main_slider_limits.cpp).
    void ApplySliderLimits();
    // The text of the named edit as the user left it; "${off}" while it shows that key or
    // the language's word for it.
    std::string EditText(const std::string& name);
    // The channel and master controls of the page (main_channel_routes.cpp); false for
    // notifications that are not theirs.
    bool RouteChannelNotify(tk::TNotify& n);
    bool RouteEqNotify(tk::TNotify& n);
    // The text of a band edit ("eq_freq_", "eq_q_", "eq_gain_") of `band`.
    std::string BandEditText(const char* prefix, int band);
    // Focus moved to the named control: only a focused delay edit or slider shows its
    // channel's delay slider.
    void ShowDelaySliderFor(const std::string& name, int index);
    // Session messages of the controller and the link; false for others.
    bool OnSessionMessage(uint32_t msg, int64_t wparam, tk::Payload* payload);
    void RegisterDeviceNotification();
    // The demo's own menu (right click): unplug and plug back the virtual unit.
    void AddDemoMenu();
    // A change of the display mode closes the program and starts it again.
    void WatchDisplay();
    void OnDisplayChange();
    // `then` runs once the message has been answered.
    void ShowTipsLater(const QString& text, std::function<void()> then = {});
    // Shows the message, then opens the firmware update window (main_update.cpp).
    void ShowTipsThenUpdate(const QString& text);
    void ShowLoading();
    void CloseLoading();
    void ShowPlugOutMessage();
    void DismissMessageDialogs();
    void SetConnectButton(core::ConnectButton state);
    bool CheckSingleInstance();

    link::HidBackend* backend_;
    StartOptions options_;
    std::unique_ptr<tk::Menu> menu_;
    platform::NamedMutex instance_;
    int outputMenuChannel_ = -1;
    int delayLinkChannel_ = -1;
    GraphViewState graphViews_;
    int shownDelaySlider_ = -1;  // channel whose delay slider is shown, -1 none
    int fwMain_ = -1, fwSub_ = -1;
    int factoryEq_ = 0;
    bool closedAtStart_ = false;

    // Declared after the members the view reaches; destroyed before them.
    std::unique_ptr<MainSessionView> view_;
    std::unique_ptr<MainPrompt> prompt_;
    core::EqualizerManager controller_;
    std::unique_ptr<ControlServer> control_;       // the control interface, when served
    std::unique_ptr<link::MessageSink> linkSink_;  // the link's replies, posted here
    std::unique_ptr<platform::HotplugMonitor> hotplug_;
    int plugListener_ = 0;
    CLoadingWnd* loading_ = nullptr;
    bool loadingWanted_ = false;
    std::unique_ptr<MsgWnd> plugOutBox_;
    QStringList messagesShown_;
};

}  // namespace dvdsp::ui
