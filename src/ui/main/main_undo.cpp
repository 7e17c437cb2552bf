// The main window's undo, redo and A/B: the scene menu's items named after the next step,
// the A/B button with its mark, and the keys (also the whole profile's load and save).
#include <QShortcut>

#include "core/equalizer_manager.h"
#include "toolkit/action_end.h"
#include "toolkit/controls.h"
#include "toolkit/menu.h"
#include "ui/main/main_wnd.h"
#include "ui/undo_keys.h"

namespace dvdsp::ui {

void CMainWnd::InstallUndo() {
    InstallUndoKeys(this, controller_);
    // The whole profile's keys, as the scene menu shows them: the items' own way.
    auto item = [this](QKeySequence keys, const char* name) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, this, [this, name] {
            PostMessage(tk::WM_MENUCLICK, 0, tk::MakePayload(tk::MenuClick{QString::fromLatin1(name), {}, {}}));
        });
    };
    item(QKeySequence(Qt::CTRL | Qt::Key_O), "scene_item_load_whole");
    item(QKeySequence(Qt::CTRL | Qt::Key_S), "scene_item_save_whole");
    // Every action the windows route ends a step of the history.
    tk::SetActionEnd([this] { controller_.CloseStep(); });
}

void CMainWnd::PrepareUndoItems(tk::Menu& menu) {
    menu.SetItemText(QStringLiteral("scene_item_undo"), UndoItemText(controller_));
    menu.SetItemText(QStringLiteral("scene_item_redo"), RedoItemText(controller_));
    menu.SetItemEnabled(QStringLiteral("scene_item_undo"), controller_.CanUndo());
    menu.SetItemEnabled(QStringLiteral("scene_item_redo"), controller_.CanRedo());
    menu.SetItemEnabled(QStringLiteral("scene_item_switch_ab"), UnitConnected());
    menu.SetItemEnabled(QStringLiteral("scene_item_save_a"), controller_.Ab().Stored(core::AbCompare::kA));
    menu.SetItemEnabled(QStringLiteral("scene_item_save_b"), controller_.Ab().Stored(core::AbCompare::kB));
}

bool CMainWnd::HandleUndoMenuClick(const QString& name) {
    if (name == QLatin1String("scene_item_undo")) controller_.Undo();
    else if (name == QLatin1String("scene_item_redo")) controller_.Redo();
    else if (name == QLatin1String("scene_item_store_a")) controller_.StoreAb(core::AbCompare::kA);
    else if (name == QLatin1String("scene_item_store_b")) controller_.StoreAb(core::AbCompare::kB);
    else if (name == QLatin1String("scene_item_switch_ab")) controller_.SwitchAb();
    else if (name == QLatin1String("scene_item_save_a")) controller_.SaveAbSlot(core::AbCompare::kA);
    else if (name == QLatin1String("scene_item_save_b")) controller_.SaveAbSlot(core::AbCompare::kB);
    else return false;
    return true;
}

void CMainWnd::ShowAbMark() {
    if (tk::Control* ab = FindControl("btn_ab")) ab->SetText(AbMark(controller_));
}

}  // namespace dvdsp::ui
