#include "ui/undo_keys.h"

#include <QKeySequence>
#include <QShortcut>
#include <QString>
#include <QWidget>

#include "core/equalizer_manager.h"
#include "toolkit/language.h"

namespace dvdsp::ui {
namespace {

void Key(QWidget* window, const QKeySequence& keys, std::function<void()> run) {
    auto* shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, std::move(run));
}

QString ItemText(const char* word, const std::string& step) {
    const QString plain = tk::Lang(QString::fromLatin1(word));
    if (step.empty()) return plain;
    return plain + QStringLiteral(": ") + tk::Lang(QString::fromStdString(step));
}

}  // namespace

void InstallUndoKeys(QWidget* window, core::EqualizerManager& controller) {
    core::EqualizerManager* c = &controller;
    Key(window, QKeySequence(Qt::CTRL | Qt::Key_Z), [c] { c->Undo(); });
    Key(window, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [c] { c->Redo(); });
    Key(window, QKeySequence(Qt::CTRL | Qt::Key_Y), [c] { c->Redo(); });
    Key(window, QKeySequence(Qt::CTRL | Qt::Key_B), [c] { c->SwitchAb(); });
}

QString UndoItemText(const core::EqualizerManager& controller) { return ItemText("${undo}", controller.UndoName()); }
QString RedoItemText(const core::EqualizerManager& controller) { return ItemText("${redo}", controller.RedoName()); }

QString AbMark(const core::EqualizerManager& controller) {
    const core::AbCompare& ab = controller.Ab();
    QString mark = ab.LiveSlot() == core::AbCompare::kA ? QStringLiteral("A") : QStringLiteral("B");
    if (ab.ChangedSinceStored()) mark += QLatin1Char('*');
    return mark;
}

}  // namespace dvdsp::ui
