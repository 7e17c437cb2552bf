// The main window's side of the device session: the controller's view and prompt, the session
// messages, device-change broadcasts, the main-volume poll and the busy window.
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTimer>

#include "base/identity.h"
#include "base/log.h"
#include "core/firmware_upgrade.h"
#include "link/messages.h"
#include "platform/device_path.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "toolkit/language.h"
#include "ui/link_sink.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/small_dialogs.h"
#include "ui/main/main_refresh.h"
#include "ui/main/main_session_view.h"
#include "ui/main/main_wnd.h"
#include "ui/mixer/mixer_wnd.h"
#include "ui/update/force_update_wnd.h"
#include "ui/update/update_fw_wnd.h"
#include "ui/processing/processing_windows.h"
// After the window: the seam includes Qt headers that the link's queue must not see.
#include "toolkit/test_seams.h"

namespace dvdsp::ui {

using namespace dvdsp::core;

namespace {
constexpr int kVirtualUnitPollMs = 200;
}  // namespace

// ---- The controller's view --------------------------------------------------------------

MainSessionView::MainSessionView(CMainWnd& wnd) : wnd_(wnd), mailbox_(wnd.GetMailbox()) {}

void MainSessionView::Post(uint32_t msg, int64_t wparam) { mailbox_->Post(msg, wparam, nullptr); }

std::string MainSessionView::LangText(const std::string& key) {
    return tk::Lang(QString::fromStdString(key)).toStdString();
}

void MainSessionView::SetConnectButton(ConnectButton state) { wnd_.SetConnectButton(state); }

void MainSessionView::Refresh(const Change& change) {
    if (change.what == core::What::UndoSteps || change.what == core::What::AbSlots) wnd_.ShowAbMark();
    RefreshControls(wnd_, wnd_.controller_.Model(), change, wnd_.controller_.DelayUnit());
    RefreshEqControls(wnd_, wnd_.controller_.Model(), change, wnd_.controller_.ParametricEq());
    // The phase and sum views follow a delay or a polarity as it changes.
    if ((change.what == What::Delay || change.what == What::Phase || change.what == What::DelayUnit) &&
        wnd_.GraphViews().view != GraphView::Level)
        ShowGraphView(wnd_, wnd_.controller_);
    if (mixer_) mixer_->OnModelChange(change);
    RefreshProcessingWindow(change);
}

CMixerWnd* MainSessionView::OpenMixer() const { return mixer_.data(); }

bool MainSessionView::HasWindow(core::WindowKind kind) const {
    // The forced-update window counts while it runs: the controller hands over to it.
    if (kind == core::WindowKind::ForcedUpdate) return true;
    return kind == core::WindowKind::Mixer || kind == core::WindowKind::Upgrade;
}

void MainSessionView::CloseWindow(core::WindowKind kind) {
    if (kind == core::WindowKind::Mixer && mixer_) mixer_->CloseMixer();
    if (kind == core::WindowKind::Upgrade) CloseUpdateWindow();
}

int MainSessionView::RunWindow(core::WindowKind kind) {
    if (kind == core::WindowKind::Upgrade) return RunUpdateWindow();
    if (kind != core::WindowKind::Mixer || mixer_) return 0;
    CMixerWnd mixer(&wnd_, wnd_.controller_, wnd_.controller_.Model().current.source);
    mixer_ = &mixer;
    const int result = mixer.Run();
    mixer_ = nullptr;
    return result;
}

void MainSessionView::StartTimer(int id, int ms) { wnd_.SetTimer(id, ms); }
void MainSessionView::StopTimer(int id) { wnd_.KillTimer(id); }

void MainSessionView::UpdateEqualizer(int band) {
    ShowCurves(wnd_, wnd_.controller_.Model(), wnd_.controller_.Curves(), band);
    ShowGraphView(wnd_, wnd_.controller_);
}

// ---- The prompt -------------------------------------------------------------------------

void MainPrompt::ShowTips(const std::string& text) { wnd_.ShowTipsLater(QString::fromStdString(text)); }

bool MainPrompt::Ask(const std::string& text) {
    QString raw = QString::fromStdString(text);
    wnd_.messagesShown_.append(raw);
    const QString captions[3] = {QStringLiteral("${confirm}"), QStringLiteral("${cancel}"), QString()};
    return ShowMessageBox(&wnd_, QStringLiteral("${tips}"), raw, captions, 2) == tk::kResultConfirm;
}

int MainPrompt::AskChoice(const std::string& text, const std::string& option1, const std::string& option2) {
    QString raw = QString::fromStdString(text);
    wnd_.messagesShown_.append(raw);
    return ShowCheckBoxMessage(&wnd_, QStringLiteral("${tips}"), raw, QString::fromStdString(option1),
                               QString::fromStdString(option2));
}

int MainPrompt::AskThree(const std::string& text, const std::string& first, const std::string& second,
                         const std::string& third) {
    QString raw = QString::fromStdString(text);
    wnd_.messagesShown_.append(raw);
    const QString captions[3] = {QString::fromStdString(first), QString::fromStdString(second),
                                 QString::fromStdString(third)};
    return ShowMessageBox(&wnd_, QStringLiteral("${tips}"), raw, captions, 3);
}

std::optional<std::string> MainPrompt::ChooseFile(core::FileMode mode, const std::string& title,
                                                  const std::string& filter, const std::string& defaultName) {
    // The file dialogs of the toolkit take no default name yet: the user types it.
    (void)defaultName;
    const QString t = QString::fromStdString(title), f = QString::fromStdString(filter);
    const QString path = mode == core::FileMode::Open ? tk::GetOpenFileName(&wnd_, t, f) : tk::GetSaveFileName(&wnd_, t, f);
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

// ---- Window side ------------------------------------------------------------------------

void CMainWnd::SetConnectButton(ConnectButton state) {
    tk::Control* btn = FindControl("btnConnect");
    if (!btn) return;
    switch (state) {
    case ConnectButton::Disconnected:
        btn->SetText(QStringLiteral("${btn_disconnected}"));
        btn->SetSelected(false);
        btn->SetTextColor(0xFFFF0000);
        break;
    case ConnectButton::Connecting: btn->SetText(QStringLiteral("${btn_connecting}")); break;
    case ConnectButton::Connected:
        btn->SetText(QStringLiteral("${btn_connected}"));
        btn->SetSelected(true);
        btn->SetTextColor(0xFFFFFFFF);
        break;
    }
    SetUnitFirmware(state == ConnectButton::Connected ? controller_.Info().mainVersion : -1,
                    state == ConnectButton::Connected ? controller_.Info().slaveVersion : -1);
}

void CMainWnd::ShowTipsLater(const QString& text, std::function<void()> then) {
    messagesShown_.append(text);
    // Shown once the current message is handled, so that a dialog's own loop never runs
    // inside the handling of posted messages.
    QPointer<CMainWnd> self(this);
    QTimer::singleShot(0, this, [self, text, then] {
        if (!self) return;
        const QString captions[3] = {QStringLiteral("${confirm}"), QString(), QString()};
        ShowMessageBox(self, QStringLiteral("${tips}"), text, captions, 1);
        if (self && then) then();
    });
}

void CMainWnd::ShowLoading() {
    CloseLoading();
    loadingWanted_ = true;
    // Modal to the user, but without a loop of its own: replies keep being handled.
    loading_ = new CLoadingWnd(this);
    loading_->setWindowModality(Qt::WindowModal);
    loading_->ShowWindow();
}

void CMainWnd::CloseLoading() {
    loadingWanted_ = false;
    if (!loading_) return;
    CLoadingWnd* w = loading_;
    loading_ = nullptr;
    w->Close(tk::kResultClosed);
    w->deleteLater();
}

MsgWnd* CMainWnd::PlugOutMessage() const {
    return plugOutBox_ && plugOutBox_->isVisible() ? plugOutBox_.get() : nullptr;
}

void CMainWnd::ShowPlugOutMessage() {
    messagesShown_.append(QStringLiteral("${device_plugout}"));
    const QString captions[3] = {QStringLiteral("${confirm}"), QString(), QString()};
    plugOutBox_ = std::make_unique<MsgWnd>(this, QStringLiteral("${tips}"), QStringLiteral("${device_plugout}"),
                                           captions, 1);
    plugOutBox_->ShowWindow();
}

void CMainWnd::DismissMessageDialogs() {
    const QString tips = tk::Lang(QStringLiteral("${tips}"));
    for (int guard = 0; guard < 16 && tk::Window::EndDialogByTitle(tips, tk::kResultClosed); ++guard) {
    }
    for (int guard = 0; guard < 16 && tk::Window::EndDialogByClass(QStringLiteral("MsgWnd"), tk::kResultClosed);
         ++guard) {
    }
}

void CMainWnd::PostDeviceChange(const platform::DeviceChange& change) {
    GetMailbox()->Post(WM_DEVICECHANGE, change.event, tk::MakePayload(change));
}

void CMainWnd::OnDeviceChange(const platform::DeviceChange& change) {
    using platform::DBT_DEVICEARRIVAL;
    using platform::DBT_DEVICEREMOVECOMPLETE;
    if (change.event == platform::DBT_DEVNODES_CHANGED) {
        LogWriteNarrow("Message DBT_DEVNODES_CHANGED\n");
        return;
    }
    if (change.event != DBT_DEVICEARRIVAL && change.event != DBT_DEVICEREMOVECOMPLETE) {
        LogWriteNarrow("Message %d\n", change.event);
        return;
    }
    LogWriteNarrow(change.event == DBT_DEVICEARRIVAL ? "Message DBT_DEVICEARRIVAL\n"
                                                     : "Message DBT_DEVICEREMOVECOMPLETE\n");
    if (!change.interfaceKind) return;
    if (!platform::IsUnitDevicePath(change.path, kVendorId, kProductId)) return;
    DismissMessageDialogs();
    if (change.event == DBT_DEVICEARRIVAL) controller_.DevicePlugin();
    else controller_.DevicePlugOut();
}

void CMainWnd::RegisterDeviceNotification() {
    QPointer<CMainWnd> self(this);
    std::shared_ptr<tk::Mailbox> mailbox = GetMailbox();
    auto post = [mailbox](const platform::DeviceChange& c) {
        mailbox->Post(WM_DEVICECHANGE, c.event, tk::MakePayload(c));
    };
    if (options_.plug) {
        // The virtual unit raises the events a real unit's hidraw node would.
        plugListener_ = options_.plug.addListener([post](bool plugged) {
            platform::DeviceChange c;
            c.event = plugged ? platform::DBT_DEVICEARRIVAL : platform::DBT_DEVICEREMOVECOMPLETE;
            c.path = "\\\\?\\HID#VID_0483&PID_5750#virtual";
            post(c);
        });
        if (options_.plug.poll) {
            // A virtual unit that reboots (after a firmware update) goes and comes back.
            auto* poll = new QTimer(this);
            PlugControl plug = options_.plug;
            connect(poll, &QTimer::timeout, this, [plug] { plug.poll(); });
            poll->start(kVirtualUnitPollMs);
        }
        AddDemoMenu();
        return;
    }
    hotplug_ = platform::RegisterDeviceNotification(post);
    if (!hotplug_) LogWriteNarrow("RegisterDeviceNotification\n");
}

void CMainWnd::AddDemoMenu() {
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto add = [this](const char* name, const QString& text, bool plugged) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        PlugControl plug = options_.plug;
        connect(a, &QAction::triggered, this, [plug, plugged] { plug.setPlugged(plugged); });
        addAction(a);
    };
    add("demo_item_unplug", QStringLiteral("Demo: unplug the virtual unit"), false);
    add("demo_item_plug", QStringLiteral("Demo: plug the virtual unit back"), true);
}

void CMainWnd::WatchDisplay() {
    auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, [this] { OnDisplayChange(); });
    };
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
        watch(screen);
        OnDisplayChange();
    });
}

void CMainWnd::OnDisplayChange() {
    LogWriteNarrow("display changed: restarting\n");
    close();
    QProcess::startDetached(QCoreApplication::applicationFilePath(), QStringList());
}

void CMainWnd::OnTimer(int id) {
    if (id == GET_MAIN_VOLUME_TIMER) controller_.OnMainVolumeTimer();
}

bool CMainWnd::OnSessionMessage(uint32_t msg, int64_t wparam, tk::Payload* payload) {
    auto linkMessage = [payload]() -> const link::Message* {
        auto* p = dynamic_cast<ui::LinkPayload*>(payload);
        return p ? &p->message : nullptr;
    };
    // The controller's replies and events are its own; the window handles what it shows.
    if (controller_.OnMessage(msg, wparam, linkMessage())) return true;
    switch (msg) {
    case link::WM_DEVICE_STATUS_UNNORMAL:
        // The unit runs its loader (an update did not finish, say): after the message the
        // update window lets the user install firmware.
        ShowTipsThenUpdate(QStringLiteral("${device_status_unnormal}"));
        return true;
    case WM_FACTORY_RESET_DONE:
        CloseLoading();
        ShowTipsLater(QStringLiteral("${device_reboot}"));
        return true;
    case WM_DEVICE_CONNECT_FAIL: ShowTipsLater(QStringLiteral("${device_connect_fail}")); return true;
    case WM_FORCE_UPDATE: {
        QPointer<CMainWnd> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self) self->controller_.ForceUpdatePrompt();
        });
        return true;
    }
    case WM_DSP_FW_NEWER: {
        std::string text = FormatInts(tk::Lang(QStringLiteral("${dsp_fw_new_tips}")).toStdString(),
                                      {controller_.Info().mainVersion, controller_.Info().slaveVersion,
                                       kInnerFwMain, kInnerFwSub});
        ShowTipsLater(QString::fromStdString(text));
        return true;
    }
    case WM_SHOW_LOADING: ShowLoading(); return true;
    case WM_CLOSE_LOADING: CloseLoading(); return true;
    case WM_DEVICE_PLUGOUT_MSG: ShowPlugOutMessage(); return true;
    case WM_DEVICECHANGE:
        if (auto* c = tk::Unbox<platform::DeviceChange>(payload)) OnDeviceChange(*c);
        return true;
    default: return false;
    }
}

}  // namespace dvdsp::ui
