#include "ui/main/startup.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <QStyleFactory>

#include "base/log.h"
#include "platform/settings.h"
#include "platform/resources.h"
#include "toolkit/language.h"
#include "toolkit/scale.h"
#include "toolkit/skin.h"
#include "ui/firmware_resource.h"
#include "ui/main/main_wnd.h"
#include "ui/main/script_runner.h"
#include "ui/skin_resource.h"

namespace dvdsp::ui {

bool ParseStartOptions(int argc, char** argv, StartOptions* out, QString* error) {
    for (int i = 1; i < argc; ++i) {
        QString arg = QString::fromLocal8Bit(argv[i]);
        auto value = [&](QString* v) {
            if (i + 1 >= argc) {
                *error = arg + QStringLiteral(" needs a value");
                return false;
            }
            *v = QString::fromLocal8Bit(argv[++i]);
            return true;
        };
        QString v;
        if (arg == QLatin1String("--screenshot")) {
            if (!value(&out->screenshot)) return false;
        } else if (arg == QLatin1String("--script")) {
            if (!value(&out->script)) return false;
        } else if (arg == QLatin1String("--language")) {
            if (!value(&v)) return false;
            if (v != QLatin1String("en") && v != QLatin1String("cn_zh") && v != QLatin1String("ru")) {
                *error = QStringLiteral("--language takes en, cn_zh or ru");
                return false;
            }
            out->language = v;
        } else if (arg == QLatin1String("--scale")) {
            if (!value(&v)) return false;
            static const int kScales[] = {77, 96, 120, 144, 192, 288};
            bool ok = false;
            int n = v.toInt(&ok);
            if (!ok || std::find(std::begin(kScales), std::end(kScales), n) == std::end(kScales)) {
                *error = QStringLiteral("--scale takes 77, 96, 120, 144, 192 or 288");
                return false;
            }
            out->scale = n;
        } else if (arg == QLatin1String("--virtual-unit") || arg.startsWith(QLatin1String("--virtual-unit=")) ||
                   arg == QLatin1String("--replace-damaged-state") || arg == QLatin1String("--help") ||
                   arg == QLatin1String("--version")) {
            // The program's entry reads these itself.
        } else if (arg.startsWith(QLatin1Char('-'))) {
            *error = QStringLiteral("unknown option '%1'").arg(arg);
            return false;
        } else {
            *error = QStringLiteral("unexpected argument '%1'").arg(arg);
            return false;
        }
    }
    return true;
}

bool LoadSkinFromResource() {
    tk::Skin& skin = tk::CurrentSkin();
    skin.Clear();
    platform::ResourceView res = platform::FindResource(kSkinResourceName, kSkinResourceType);
    if (res.Empty()) return false;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(res.data),
                                               static_cast<qsizetype>(res.size));
    if (!skin.LoadArchive(bytes, QString::fromLatin1(tk::kSkinPassword))) return false;
    return skin.LoadRoot(QStringLiteral("xml\\res.xml"));
}

void RegisterLanguages() {
    tk::Languages& lang = tk::CurrentLanguages();
    lang.Register(QStringLiteral("en"), QStringLiteral("lan/lan_en.xml"));
    lang.Register(QStringLiteral("cn_zh"), QStringLiteral("lan/lan_cn.xml"));
    lang.Register(QStringLiteral("ru"), QStringLiteral("lan/lan_ru.xml"));
}

QString LanguageCodeOf(int value) {
    switch (value) {
    case 0: return QStringLiteral("en");
    case 1: return QStringLiteral("cn_zh");
    case 2: return QStringLiteral("ru");
    default: return QString();
    }
}

bool ChangeLanguage(const QString& code, const QString& value) {
    tk::Languages& lang = tk::CurrentLanguages();
    if (lang.Current() == code) return false;
    if (!lang.Select(code)) return false;
    WriteSettingInt("lan", value.toInt());
    return true;
}

namespace {

void ApplyTheme(QApplication& app) {
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette pal;
    pal.setColor(QPalette::Window, QColor(0x12, 0x16, 0x1C));
    pal.setColor(QPalette::WindowText, QColor(0xD8, 0xDE, 0xE9));
    pal.setColor(QPalette::Base, QColor(0x0F, 0x13, 0x18));
    pal.setColor(QPalette::Text, QColor(0xD8, 0xDE, 0xE9));
    pal.setColor(QPalette::Button, QColor(0x26, 0x2E, 0x3B));
    pal.setColor(QPalette::ButtonText, QColor(0xD8, 0xDE, 0xE9));
    pal.setColor(QPalette::Highlight, QColor(0x2D, 0x7F, 0xB8));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    pal.setColor(QPalette::ToolTipBase, QColor(0x12, 0x16, 0x1C));
    pal.setColor(QPalette::ToolTipText, QColor(0xD8, 0xDE, 0xE9));
    app.setPalette(pal);
    app.setStyleSheet(tk::CurrentSkin().StyleSheet());
}

}  // namespace

int RunProgram(int argc, char** argv, const StartOptions& options, link::HidBackend* backend) {
    // The toolkit scales layouts itself; Qt must not scale a second time.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (!options.screenshot.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("DV DSP Audio"));
    // The installed desktop entry: the desktop shows its name and icon for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.dvdsp.dvdsp"));

    RegisterSkinResource();
    RegisterFirmwareResources();
    if (!LoadSkinFromResource()) LogWriteNarrow("skin resource missing, running without skin\n");
    ApplyTheme(app);
    tk::SetDefaultDpi(options.scale > 0 ? options.scale : tk::ScreenDisplayScale());

    int result = 0;
    {
        CMainWnd wnd(backend, options);
        if (!options.script.isEmpty()) {
            // A dialog at start (the single-instance message) ends the script unrun.
            QString atStart;
            {
                UnansweredDialogGuard guard;
                if (!wnd.Create()) return 0;
                atStart = guard.Message();
            }
            ScriptResult r = atStart.isEmpty() && !wnd.ClosedAtStart()
                                 ? RunScriptFile(wnd, options.script)
                                 : ScriptResult{1, 0, atStart.isEmpty() ? QStringLiteral("the window closed at start") : atStart};
            if (r.code != 0)
                std::fprintf(stderr, "%s:%d: %s\n", options.script.toLocal8Bit().constData(), r.line,
                             r.message.toLocal8Bit().constData());
            std::string why;
            if (!options.screenshot.isEmpty() && !wnd.SaveScreenshot(options.screenshot, &why)) {
                std::fprintf(stderr, "cannot write %s: %s\n", options.screenshot.toLocal8Bit().constData(), why.c_str());
                if (r.code == 0) r.code = 1;
            }
            return r.code;
        }
        if (!wnd.Create()) return 0;
        if (!options.screenshot.isEmpty()) {
            std::string why;
            bool ok = wnd.SaveScreenshot(options.screenshot, &why);
            if (ok) std::printf("screenshot written to %s\n", options.screenshot.toLocal8Bit().constData());
            else std::fprintf(stderr, "cannot write %s: %s\n", options.screenshot.toLocal8Bit().constData(), why.c_str());
            return ok ? 0 : 1;
        }
        if (!wnd.ClosedAtStart()) result = app.exec();
    }
    (void)result;
    return 0;
}

}  // namespace dvdsp::ui
