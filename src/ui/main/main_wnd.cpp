#include "ui/main/main_wnd.h"

#include "toolkit/action_end.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include "base/log.h"
#include "platform/atomic_file.h"
#include "platform/settings.h"
#include "toolkit/action_end.h"
#include "toolkit/controls.h"
#include "toolkit/language.h"
#include "toolkit/scale.h"
#include "ui/control_names.h"
#include "ui/controls/custom_tags.h"
#include "ui/dialogs/homepage.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/scene_wnd.h"
#include "ui/dialogs/small_dialogs.h"
#include "ui/link_sink.h"
#include "ui/main/main_session_view.h"
#include "ui/main/window_registry.h"
#include "ui/processing/processing_windows.h"
#include "ui/remote/control_server.h"

namespace dvdsp::ui {
namespace {

// The backend of a window started without a unit: nothing is ever found.
class NoUnitBackend final : public link::HidBackend {
public:
    int Init() override { return 0; }
    std::shared_ptr<link::HidHandle> Open(uint16_t, uint16_t) override { return nullptr; }
};

link::HidBackend& BackendOrNone(link::HidBackend* backend) {
    static NoUnitBackend none;
    return backend ? *backend : none;
}

}  // namespace

CMainWnd::CMainWnd(link::HidBackend* backend, StartOptions options)
    : tk::Window(nullptr),
      backend_(backend),
      options_(std::move(options)),
      view_(std::make_unique<MainSessionView>(*this)),
      prompt_(std::make_unique<MainPrompt>(*this)),
      controller_(BackendOrNone(backend)) {
    controller_.Init(view_.get(), prompt_.get());
    linkSink_ = std::make_unique<ui::WindowMessageSink>(*this);
    controller_.Attach(link::Target::Main, linkSink_.get());
    controller_.SetReadOutPauseMs(options_.readOutPauseMs);
    // A captioned frame with system menu and minimise box; no maximise box, no sizing.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    SetTitle(QStringLiteral("DV DSP Audio"));
}

CMainWnd::~CMainWnd() {
    tk::SetActionEnd(nullptr);
    control_.reset();
    if (options_.plug && plugListener_) options_.plug.removeListener(plugListener_);
    hotplug_.reset();
    controller_.Shutdown();
    controller_.Attach(link::Target::Main, nullptr);
    CloseLoading();
    plugOutBox_.reset();
    menu_.reset();
}

bool CMainWnd::Create() {
    EnsureInit();
    if (closedAtStart_) return true;
    QSize base = BaseSize().isValid() && BaseSize().width() > 0 ? BaseSize() : QSize(1230, 650);
    SetBaseSize(base);
    setFixedSize(tk::Scaled(base.width(), Dpi()), tk::Scaled(base.height(), Dpi()));
    CenterOnScreen();
    // No edit box starts with the keyboard focus.
    setFocusPolicy(Qt::StrongFocus);
    show();
    setFocus(Qt::OtherFocusReason);
    return true;
}

tk::Control* CMainWnd::CreateControl(const QString& tag) { return CreateCustomControl(tag); }

void CMainWnd::OnInit() {
    RegisterWindowFactories();
    LoadLayout(QStringLiteral("XML_MAIN"));
    SetTitle(QStringLiteral("DV DSP Audio"));
    LoadInto(kPageContainer, QString::fromLatin1(kPageLayout));
    ApplySliderLimits();
    SelectStartLanguage();
    SetDpi(Dpi());
    if (tk::Control* debug = FindControl("btn_debug")) debug->SetVisible(QFileInfo::exists(QStringLiteral("debug.ini")));
    if (tk::Control* advance = FindControl("btn_advance")) advance->SetVisible(false);
    ShowHomepageLink(*this, QString::fromUtf8(HomepageUrl()));
    // Sources this model does not offer.
    if (auto* source = Find<tk::Combo>("btn_input_source"))
        for (const char* item : {"source_coax", "source_low", "source_dmp"})
            if (int i = source->FindItem(QString::fromLatin1(item)); i >= 0) source->SetItemVisible(i, false);
    if (options_.checkSingleInstance && !CheckSingleInstance()) {
        closedAtStart_ = true;
        return;
    }
    SetConnectButton(core::ConnectButton::Disconnected);
    InstallUndo();
    ShowAbMark();
    if (!options_.controlSocket.isEmpty()) {
        auto server = std::make_unique<ControlServer>(controller_);
        QString why;
        if (server->Listen(options_.controlSocket, &why)) control_ = std::move(server);
        else LogWriteNarrow("no control interface: %s\n", why.toLocal8Bit().constData());
    }
    if (options_.autoConnect) controller_.Connect(false);
    RegisterDeviceNotification();
    WatchDisplay();
}

void CMainWnd::SelectStartLanguage() {
    RegisterLanguages();
    factoryEq_ = ReadSettingInt("factoryEQ", 0);
    QString code = options_.language.isEmpty() ? LanguageCodeOf(ReadLanguageSetting()) : options_.language;
    if (!code.isEmpty()) tk::CurrentLanguages().Select(code);
    if (tk::CurrentLanguages().Current().isEmpty()) tk::CurrentLanguages().Select(QStringLiteral("en"));
    ApplyLanguage();
}

bool CMainWnd::CheckSingleInstance() {
    if (options_.onVirtualUnit ? !options_.unitInUse : instance_.Acquire(platform::InstanceMutexName()))
        return true;
    const QString captions[3] = {QStringLiteral("${confirm}"), QString(), QString()};
    ShowMessageBox(this, QStringLiteral("${tips}"), QStringLiteral("${mutex_tips}"), captions, 1);
    close();
    return false;
}

bool CMainWnd::SaveScreenshot(const QString& path, std::string* why) {
    QCoreApplication::processEvents();
    QPixmap shot = grab();
    QByteArray png;
    QBuffer buffer(&png);
    if (shot.isNull() || !buffer.open(QIODevice::WriteOnly) || !shot.save(&buffer, "PNG")) {
        if (why) *why = "the window could not be drawn";
        return false;
    }
    // Replaced in one step, as every file the program writes.
    return platform::WriteFileAtomically(QFile::encodeName(path).toStdString(),
                                         std::string_view(png.constData(), static_cast<size_t>(png.size())), why);
}

tk::Menu* CMainWnd::OpenMenu(const QString& layout, tk::Control* under) {
    if (menu_) menu_->CloseMenu();
    menu_ = tk::Menu::Load(this, layout);
    if (!menu_) return nullptr;
    QPoint at = under ? under->Widget()->mapToGlobal(QPoint(0, under->Widget()->height())) : mapToGlobal(QPoint(0, 0));
    menu_->Popup(at);
    return menu_.get();
}

void CMainWnd::Notify(tk::TNotify& n) {
    if (RouteChannelNotify(n) || RouteEqNotify(n)) return;
    if (n.type == tk::notify::kItemSelect) {
        LogWriteNarrow("on %s DUI_MSGTYPE_ITEMSELECT\n", n.name.c_str());
        if (n.name == "btn_input_source") controller_.SetInputSource(static_cast<int>(n.wparam));
        return;
    }
    if (n.type != tk::notify::kClick) return;
    if (n.name == "btnConnect") {
        controller_.Connect(true);
    } else if (n.name == "btn_debug") {
        RunProcessingWindow(this, controller_, QStringLiteral("MemWrWnd"));
    } else if (n.name == "minbtn") {
        showMinimized();
    } else if (n.name == "web_btn_1" && n.sender) {
        OpenHomepageLink(*n.sender);
    } else if (n.name == "btn_option") {
        if (tk::Menu* m = OpenMenu(QStringLiteral("xml/option_menu.xml"), n.sender))
            m->SetItemEnabled(QStringLiteral("option_item_reset_default"), UnitConnected());
    } else if (n.name == "btn_scene") {
        if (tk::Menu* m = OpenMenu(QStringLiteral("xml/scene_menu.xml"), n.sender)) {
            for (const char* item : {"scene_item_load_scene", "scene_item_saveas_scene", "scene_item_delete_scene"})
                m->SetItemEnabled(QString::fromLatin1(item), UnitConnected());
            PrepareUndoItems(*m);
        }
    } else if (n.name == "btn_ab") {
        controller_.SwitchAb();
    } else if (n.name == "btn_advance") {
        if (tk::Menu* m = OpenMenu(QStringLiteral("xml/advance_menu.xml"), n.sender))
            for (const char* item : {"advance_item_autocal", "advance_item_noise_threshold", "advance_item_poweroff_delay",
                                     "advance_item_ktv", "advance_item_compressor"})
                m->SetItemVisible(QString::fromLatin1(item), false);
    } else if (n.name == "btn_graph_view") {
        if (tk::Menu* m = OpenMenu(QStringLiteral("xml/graph_menu.xml"), n.sender)) PrepareGraphMenu(*m, graphViews_);
    } else if (n.name == "btn_filters") {
        OpenMenu(QStringLiteral("xml/filters_menu.xml"), n.sender);
    } else if (StartsWith(n.name, "ch_output_btn")) {
        outputMenuChannel_ = n.sender ? n.sender->UserDataInt() : -1;
        OpenMenu(QStringLiteral("xml/output_menu.xml"), n.sender);
    } else if (StartsWith(n.name, "delay_link_")) {
        delayLinkChannel_ = n.sender ? n.sender->UserDataInt() : -1;
        OpenMenu(QStringLiteral("xml/delay_link_group_menu.xml"), n.sender);
    }
}

bool CMainWnd::HandleMenuClick(const tk::MenuClick& click) {
    LogWriteNarrow("on menu click %s\n", click.name.toUtf8().constData());
    const QString& name = click.name;
    if (name.startsWith(QLatin1String("output_menu")) || name.startsWith(QLatin1String("output_item"))) {
        const int ch = outputMenuChannel_;
        const std::string item = name.toStdString();
        controller_.SetOutputValue(ch, item);
        // A bridged pair plays one role.
        if (ch >= 0 && ch < core::kChannels && controller_.Model().current.bridge[static_cast<size_t>(ch / 2)])
            controller_.SetOutputValue(ch ^ 1, item);
        return true;
    }
    if (name.startsWith(QLatin1String("graph_item_"))) return HandleGraphMenuClick(*this, controller_, name);
    if (name.startsWith(QLatin1String("link_group_"))) {
        LogWriteNarrow("%d: %s\n", outputMenuChannel_, name.toUtf8().constData());
        controller_.SetLinkGroup(outputMenuChannel_, click.userData.toInt());
        return true;
    }
    if (name.startsWith(QLatin1String("delay_link_group_"))) {
        LogWriteNarrow("%d: %s\n", delayLinkChannel_, name.toUtf8().constData());
        controller_.SetDelayLinkGroup(delayLinkChannel_, click.userData.toInt());
        return true;
    }
    if (name.compare(QLatin1String("option_item_language"), Qt::CaseInsensitive) == 0) {
        if (tk::CurrentLanguages().Current() == QLatin1String("cn_zh")) ChangeLanguage(QStringLiteral("en"), QStringLiteral("0"));
        else ChangeLanguage(QStringLiteral("cn_zh"), QStringLiteral("1"));
    } else if (name.compare(QLatin1String("option_item_language_en"), Qt::CaseInsensitive) == 0) {
        ChangeLanguage(QStringLiteral("en"), QStringLiteral("0"));
    } else if (name.compare(QLatin1String("option_item_language_cn"), Qt::CaseInsensitive) == 0) {
        ChangeLanguage(QStringLiteral("cn_zh"), QStringLiteral("1"));
    } else if (name.compare(QLatin1String("option_item_language_ru"), Qt::CaseInsensitive) == 0) {
        ChangeLanguage(QStringLiteral("ru"), QStringLiteral("2"));
    } else if (name == QLatin1String("option_item_reset_default")) {
        controller_.ResetMcuFactoryDefault();
        return true;
    } else if (HandleSceneMenuClick(name)) {
        return true;
    } else if (name == QLatin1String("option_item_firmware_upgrade")) {
        RunUpdateWindow();
        return true;
    } else if (name == QLatin1String("advance_item_mixer")) {
        controller_.OpenMixer();
        return true;
    } else if (name == QLatin1String("advance_item_compressors_on")) {
        RunProcessingWindow(this, controller_, QStringLiteral("CCompressorsOnWnd"));
        return true;
    } else if (name == QLatin1String("advance_item_noise_threshold")) {
        // Hidden in this model's menu; a script may still name it.
        RunProcessingWindow(this, controller_, QStringLiteral("NoiseThresholdWnd"));
        return true;
    } else if (name == QLatin1String("option_item_about")) {
        CAboutWnd about(this, fwMain_, fwSub_);
        about.Run();
    } else {
        return false;
    }
    // "${off}" and the like in the new language.
    controller_.UpdateAllVolumeEdit();
    update();
    return true;
}

bool CMainWnd::HandleSceneMenuClick(const QString& name) {
    struct SceneItem {
        const char* item;
        const char* log;
        SceneMode mode;
    };
    static const SceneItem kSceneWindows[] = {
        {"scene_item_load_scene", "EqualizerManager::LoadSenceConfigFromDSP\n", SceneMode::Load},
        {"scene_item_saveas_scene", "EqualizerManager::SaveSenceConfigToDSP\n", SceneMode::SaveAs},
        {"scene_item_delete_scene", "EqualizerManager::DeleteDSPSenceConfig\n", SceneMode::Delete},
    };
    for (const SceneItem& s : kSceneWindows)
        if (name == QLatin1String(s.item)) {
            // The items are disabled without a unit; a script may still name them.
            if (!UnitConnected()) return true;
            LogWriteNarrow(s.log);
            CSceneWnd scenes(this, controller_, s.mode);
            scenes.Run();
            return true;
        }
    if (HandleUndoMenuClick(name)) return true;
    // The filter files of the EQ panel concern the channel it shows.
    const int ch = controller_.Model().current.currOutChannel;
    if (name == QLatin1String("filters_item_import")) controller_.ImportFilters(ch);
    else if (name == QLatin1String("filters_item_export")) controller_.ExportFilters(ch);
    else if (name == QLatin1String("scene_item_load_file")) controller_.LoadSenceConfigFromFile();
    else if (name == QLatin1String("scene_item_save_file")) controller_.SaveSenceConfigToFile();
    else if (name == QLatin1String("scene_item_load_whole")) controller_.LoadWholeConfigFromFile();
    else if (name == QLatin1String("scene_item_save_whole")) controller_.SaveWholeConfigToFile();
    else if (name == QLatin1String("scene_item_setup_sheet")) RunSetupSheet();
    else return false;
    return true;
}

void CMainWnd::OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) {
    if (msg == tk::WM_MENUCLICK) {
        auto* click = tk::Unbox<tk::MenuClick>(payload.get());
        if (click && (click->name == QLatin1String("option_item_reset_default") ||
                      click->name.startsWith(QLatin1String("scene_item_")) ||
                      click->name.startsWith(QLatin1String("filters_item_")) ||
                      click->name == QLatin1String("advance_item_compressors_on") ||
                      click->name == QLatin1String("advance_item_noise_threshold"))) {
            // Its window or question opens after the posted messages of this round, so
            // that the dialog's own loop does not run inside their handling.
            QPointer<CMainWnd> self(this);
            tk::MenuClick item = *click;
            QTimer::singleShot(0, this, [self, item] {
                if (!self) return;
                self->HandleMenuClick(item);
                tk::ActionMayHaveEnded();
            });
        } else if (click) {
            HandleMenuClick(*click);
        }
        return;
    }
    OnSessionMessage(msg, wparam, payload.get());
    // The payload is freed here.
}

void CMainWnd::closeEvent(QCloseEvent* e) {
    if (menu_) menu_->CloseMenu();
    controller_.ShowDisconnected();
    // Message dialogs of this process still open are ended with 0.
    DismissMessageDialogs();
    CloseLoading();
    tk::Window::closeEvent(e);
    QCoreApplication::quit();
}

}  // namespace dvdsp::ui
