#include "toolkit/menu.h"

#include <QKeySequence>

#include <QDomDocument>

#include "base/log.h"
#include "toolkit/language.h"
#include "toolkit/skin.h"
#include "toolkit/window.h"

namespace dvdsp::tk {
namespace {

void BuildMenu(QMenu* menu, const QDomElement& parent, QHash<QString, QAction*>* items,
               QHash<QAction*, QString>* raw, QStringList* order) {
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        QString tag = e.tagName().toLower();
        if (tag == QLatin1String("separator")) {
            menu->addSeparator();
            continue;
        }
        if (tag != QLatin1String("menuitem") && tag != QLatin1String("menuelement")) continue;
        QString name = e.attribute(QStringLiteral("name"));
        QString text = e.attribute(QStringLiteral("text"));
        QAction* action;
        if (!name.isEmpty()) order->append(name);
        if (!e.firstChildElement().isNull()) {
            QMenu* sub = menu->addMenu(Lang(text));
            sub->setObjectName(name);
            action = sub->menuAction();
            BuildMenu(sub, e, items, raw, order);
        } else {
            action = menu->addAction(Lang(text));
        }
        action->setObjectName(name);
        action->setData(e.attribute(QStringLiteral("userdata")));
        if (e.attribute(QStringLiteral("enabled")) == QLatin1String("false"))
            action->setEnabled(false);
        if (e.attribute(QStringLiteral("visible")) == QLatin1String("false"))
            action->setVisible(false);
        // The window's key for the item, shown beside it; the window itself handles the key.
        if (e.hasAttribute(QStringLiteral("shortcut"))) {
            action->setShortcut(QKeySequence(e.attribute(QStringLiteral("shortcut")), QKeySequence::PortableText));
            action->setShortcutContext(Qt::WidgetShortcut);
            action->setShortcutVisibleInContextMenu(true);
        }
        raw->insert(action, text);
        if (!name.isEmpty()) items->insert(name, action);
    }
}

}  // namespace

std::unique_ptr<Menu> Menu::Load(Window* owner, const QString& file) {
    QDomDocument doc;
    if (!doc.setContent(CurrentSkin().Read(CurrentSkin().LayoutFile(file)))) {
        LogWriteNarrow("menu %s not found\n", file.toUtf8().constData());
        return nullptr;
    }
    std::unique_ptr<Menu> m(new Menu);
    m->owner_ = owner;
    m->menu_ = new QMenu(owner);
    m->menu_->setObjectName(QStringLiteral("dropdown_menu"));
    if (owner) m->menu_->setFont(CurrentSkin().Font(-1, owner->Dpi()));
    BuildMenu(m->menu_, doc.documentElement(), &m->items_, &m->rawText_, &m->order_);
    Menu* self = m.get();
    QObject::connect(m->menu_, &QMenu::triggered, m->menu_, [self](QAction* a) {
        QString name = a->objectName();
        if (self->owner_ && !name.isEmpty())
            self->owner_->PostMessage(
                WM_MENUCLICK, 0, MakePayload(MenuClick{name, a->data().toString(), a->text()}));
    });
    QObject::connect(m->menu_, &QMenu::aboutToShow, m->menu_, [self] { self->Refresh(); });
    return m;
}

Menu::~Menu() {
    delete menu_;
}

void Menu::Refresh() {
    for (auto it = rawText_.begin(); it != rawText_.end(); ++it)
        it.key()->setText(Lang(it.value()));
}

QString Menu::ItemUserData(const QString& name) const {
    QAction* a = items_.value(name);
    return a ? a->data().toString() : QString();
}

QString Menu::ItemText(const QString& name) const {
    QAction* a = items_.value(name);
    return a ? rawText_.value(a) : QString();
}

void Menu::SetItemEnabled(const QString& name, bool enabled) {
    if (QAction* a = items_.value(name)) a->setEnabled(enabled);
}

void Menu::SetItemText(const QString& name, const QString& raw) {
    QAction* a = items_.value(name);
    if (!a) return;
    rawText_[a] = raw;
    a->setText(Lang(raw));
}

void Menu::SetItemVisible(const QString& name, bool visible) {
    if (QAction* a = items_.value(name)) a->setVisible(visible);
}

void Menu::SetItemChecked(const QString& name, bool checked) {
    if (QAction* a = items_.value(name)) {
        a->setCheckable(true);
        a->setChecked(checked);
    }
}

bool Menu::IsItemChecked(const QString& name) const {
    QAction* a = items_.value(name);
    return a && a->isChecked();
}

bool Menu::IsItemEnabled(const QString& name) const {
    QAction* a = items_.value(name);
    return a && a->isEnabled();
}

bool Menu::IsItemVisible(const QString& name) const {
    QAction* a = items_.value(name);
    return a && a->isVisible();
}

void Menu::Popup(const QPoint& screenPos) {
    Refresh();
    menu_->popup(screenPos);
}

void Menu::CloseMenu() {
    menu_->close();
}

bool Menu::IsOpen() const {
    return menu_->isVisible();
}

bool Menu::Trigger(const QString& name) {
    QAction* a = items_.value(name);
    if (!a || !a->isEnabled() || !a->isVisible() || a->menu()) return false;
    a->trigger();
    menu_->close();
    return true;
}

}  // namespace dvdsp::tk
