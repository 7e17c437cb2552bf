#pragma once
// The undo, redo and A/B keys of a window that edits the unit: Ctrl+Z, Ctrl+Shift+Z and
// Ctrl+Y, Ctrl+B (switch A/B). Each runs the controller's operation and then shows, as
// every action does, what it changed.

class QWidget;

namespace dvdsp::core {
class EqualizerManager;
}

namespace dvdsp::ui {

void InstallUndoKeys(QWidget* window, core::EqualizerManager& controller);

// The menu's words for the next undo and redo ("Undo: CH3 band 5 gain"), in the current
// language; the plain word when there is nothing to do.
QString UndoItemText(const core::EqualizerManager& controller);
QString RedoItemText(const core::EqualizerManager& controller);
// The A/B mark: the live slot, with "*" when changed since it was stored.
QString AbMark(const core::EqualizerManager& controller);

}  // namespace dvdsp::ui
