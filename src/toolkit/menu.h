#pragma once
// Drop-down menus built from a menu layout file. A click on an item posts WM_MENUCLICK
// to the owner window with a MenuClick payload (the item's name, user data and text).

#include <QHash>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <memory>

#include "toolkit/payload.h"

namespace dvdsp::tk {

class Window;

struct MenuClick {
    QString name;
    QString userData;
    QString text;  // as shown
};

class Menu {
  public:
    // Loads the menu layout; nullptr when the skin lacks it.
    static std::unique_ptr<Menu> Load(Window* owner, const QString& file);
    ~Menu();

    bool HasItem(const QString& name) const { return items_.contains(name); }
    QStringList ItemNames() const { return order_; }
    QString ItemUserData(const QString& name) const;
    QString ItemText(const QString& name) const;  // raw
    void SetItemEnabled(const QString& name, bool enabled);
    // The item's text, ${key} texts taken in the current language.
    void SetItemText(const QString& name, const QString& raw);
    void SetItemVisible(const QString& name, bool visible);
    // A check mark beside the item (it becomes checkable).
    void SetItemChecked(const QString& name, bool checked);
    bool IsItemChecked(const QString& name) const;
    bool IsItemEnabled(const QString& name) const;
    bool IsItemVisible(const QString& name) const;

    // Opens the menu at a screen point without waiting.
    void Popup(const QPoint& screenPos);
    void CloseMenu();
    bool IsOpen() const;
    // A user's click on an item (tests); false for an unknown, hidden or disabled item.
    bool Trigger(const QString& name);
    QMenu* Widget() const { return menu_; }

  private:
    Menu() = default;
    void Refresh();

    QPointer<Window> owner_;
    QMenu* menu_ = nullptr;
    QHash<QString, QAction*> items_;
    QHash<QAction*, QString> rawText_;
    QStringList order_;
};

}  // namespace dvdsp::tk
