#include "ui/main/window_registry.h"

#include "toolkit/window_factory.h"
#include "ui/autocal/autocal_wnd.h"
#include "ui/custom_eq/custom_eq_wnd.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/scene_wnd.h"
#include "ui/dialogs/small_dialogs.h"
#include "ui/main/main_wnd.h"
#include "ui/mixer/mixer_wnd.h"
#include "ui/processing/processing_windows.h"
#include "ui/update/force_update_wnd.h"

namespace dvdsp::ui {
namespace {

// Neighbouring outputs, copied in the chosen direction.
std::vector<ChannelPair> NeighbourPairs(bool leftToRight) {
    std::vector<ChannelPair> pairs;
    for (int ch = 0; ch + 1 < 8 && static_cast<int>(pairs.size()) < CMsgLinkSelWnd::kMaxPairs; ch += 2)
        pairs.push_back(leftToRight ? ChannelPair{ch, ch + 1, false} : ChannelPair{ch + 1, ch, false});
    return pairs;
}

}  // namespace

void RegisterWindowFactories() {
    static const bool registered = [] {
        tk::RegisterWindowFactory(QStringLiteral("AboutWnd"), [](tk::Window& owner) {
            auto* main = dynamic_cast<CMainWnd*>(&owner);
            CAboutWnd about(&owner, main ? main->FirmwareMain() : -1, main ? main->FirmwareSub() : -1);
            about.Run();
        });
        tk::RegisterWindowFactory(QStringLiteral("MsgWnd"), [](tk::Window& owner) {
            ShowTips(&owner, QString());
        });
        tk::RegisterWindowFactory(QStringLiteral("MsgCheckBoxWnd"), [](tk::Window& owner) {
            ShowCheckBoxMessage(&owner, QStringLiteral("${tips}"), QString(), QString(), QString());
        });
        tk::RegisterWindowFactory(QStringLiteral("NameMsgWnd"), [](tk::Window& owner) {
            const QString captions[2] = {QStringLiteral("${confirm}"), QStringLiteral("${cancel}")};
            QString name;
            ShowNameMessageBox(&owner, QStringLiteral("${tips}"), QString(), captions, &name);
        });
        tk::RegisterWindowFactory(QStringLiteral("CMsgLinkSelWnd"), [](tk::Window& owner) {
            CMsgLinkSelWnd box(&owner, NeighbourPairs);
            box.Run();
        });
        tk::RegisterWindowFactory(QStringLiteral("CSceneWnd"), [](tk::Window& owner) {
            auto* main = dynamic_cast<CMainWnd*>(&owner);
            if (!main) return;
            CSceneWnd scenes(&owner, main->Controller(), SceneMode::Load);
            scenes.Run();
        });
        tk::RegisterWindowFactory(QStringLiteral("CMixerWnd"), [](tk::Window& owner) {
            auto* main = dynamic_cast<CMainWnd*>(&owner);
            if (main) main->Controller().OpenMixer();
        });
        for (const QString& name : ProcessingWindowNames())
            tk::RegisterWindowFactory(name, [name](tk::Window& owner) {
                if (auto* main = dynamic_cast<CMainWnd*>(&owner)) RunProcessingWindow(&owner, main->Controller(), name);
            });
        // No control opens these two in this configuration; scripts and tests open them.
        const auto autoCal = [](tk::Window& owner) {
            auto* main = dynamic_cast<CMainWnd*>(&owner);
            if (!main) return;
            CAutoCalWnd wnd(&owner, main->Controller());
            wnd.Run();
        };
        tk::RegisterWindowFactory(QStringLiteral("CAutoCalWnd"), autoCal);
        tk::RegisterWindowFactory(QStringLiteral("AutoCalWnd"), autoCal);
        const auto customEq = [](tk::Window& owner) {
            auto* main = dynamic_cast<CMainWnd*>(&owner);
            if (!main) return;
            CCustomEqWnd wnd(&owner, main->Controller(), core::DefaultCustomEqFactory());
            wnd.Run();
        };
        tk::RegisterWindowFactory(QStringLiteral("CCustomEqWnd"), customEq);
        tk::RegisterWindowFactory(QStringLiteral("CustomEqWnd"), customEq);
        tk::RegisterWindowFactory(QStringLiteral("CUpdateFwWnd"), [](tk::Window& owner) {
            if (auto* main = dynamic_cast<CMainWnd*>(&owner)) main->RunUpdateWindow();
        });
        // As the version check opens it, with both steps named; without their files an
        // update only says that there is nothing to send.
        tk::RegisterWindowFactory(QStringLiteral("CForceUpdateWnd"), [](tk::Window& owner) {
            auto* main = dynamic_cast<CMainWnd*>(&owner);
            if (!main) return;
            CForceUpdateWnd wnd(&owner, main->Controller(), QStringLiteral("MCU_UPG.bin"), QString(),
                                QStringLiteral("DSP_UPG.bin"), QString());
            wnd.Run();
        });
        return true;
    }();
    (void)registered;
}

}  // namespace dvdsp::ui
