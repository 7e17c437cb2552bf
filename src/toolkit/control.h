#pragma once
// The toolkit's control base. Every control is a Qt widget that also derives from
// Control; windows use only this interface (names, texts with language keys, user data,
// states, colours, values) and never Qt signals.

#include <QColor>
#include <QString>
#include <cstdint>
#include <string>

#include "toolkit/notify.h"

class QWidget;

namespace dvdsp::tk {

class Window;

// Sizes and positions as written in a layout, before the display scale.
struct BaseGeometry {
    int width = -1, height = -1;  // fixed size; -1 = stretch
    int x = 0, y = 0;             // position inside an absolute container
    bool positioned = false;
    int font = -1;  // font id of the skin, -1 = default
};

class Control {
  public:
    explicit Control(QWidget* self);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    QWidget* Widget() const { return self_; }
    // The tag a layout names this kind of control by ("Button", "Curve", ...).
    virtual QString Tag() const = 0;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);

    // Texts may hold "${key}" parts; the shown text is resolved from the current language.
    void SetText(const QString& raw);
    const QString& Text() const { return text_; }
    QString ShownText() const;
    void SetToolTip(const QString& raw);
    const QString& ToolTip() const { return toolTip_; }
    // The name and description assistive technology reads (layout "accname", "accdesc";
    // language keys allowed). Without "accname" the name is the shown text when it says
    // something (two letters or more), else the tool tip.
    void SetAccessibleText(const QString& rawName, const QString& rawDescription = QString());
    QString AccessibleName() const;
    // The caption shown before the control (a label), the name when nothing else names it.
    void SetCaption(const QString& raw);

    const QString& UserData() const { return userData_; }
    int UserDataInt() const { return userData_.toInt(); }
    void SetUserData(const QString& data) { userData_ = data; }
    void SetUserData(int value) { userData_ = QString::number(value); }

    void SetVisible(bool visible);
    bool IsVisible() const { return visible_; }  // the control's own flag, not its parents'
    void SetEnabled(bool enabled);
    bool IsEnabled() const;
    // Selection: checked for options and check boxes, a styled state for other controls.
    // A change from code does not notify unless asked to.
    virtual void SetSelected(bool selected, bool notify = false);
    virtual bool IsSelected() const { return selected_; }

    void SetTextColor(uint32_t argb);
    uint32_t TextColor() const { return textColor_; }
    void SetBkColor(uint32_t argb);
    uint32_t BkColor() const { return bkColor_; }
    void SetBorderColor(uint32_t argb);
    uint32_t BorderColorValue() const { return borderColor_; }
    void SetBkImage(const QString& image);
    const QString& BkImage() const { return bkImage_; }

    // Slider, progress and similar: integer value and range. Others ignore them.
    virtual void SetValue(int value) { (void)value; }
    virtual int Value() const { return 0; }
    virtual void SetRange(int min, int max) { (void)min, (void)max; }
    virtual int Minimum() const { return 0; }
    virtual int Maximum() const { return 0; }

    // Applies one layout attribute; false when the control does not know it.
    virtual bool SetAttribute(const QString& name, const QString& value);

    BaseGeometry& Base() { return base_; }
    const BaseGeometry& Base() const { return base_; }
    // Re-applies sizes, fonts and images for a display scale (96 = unscaled).
    virtual void ApplyScale(int dpi);
    // Re-resolves every language text of the control.
    virtual void ApplyLanguage();

    Window* Owner() const { return owner_; }
    void SetOwner(Window* owner) { owner_ = owner; }
    // Sends a notification to the owning window.
    void Emit(const char* type, int64_t wparam = 0, int64_t lparam = 0);

    // The Control behind a widget, or nullptr.
    static Control* From(QWidget* widget);

  protected:
    // Puts the resolved text on the widget; each kind knows where its text goes.
    virtual void ShowText(const QString& shown);
    virtual void OnSelectedChanged() {}
    void UpdateStyle();
    // Puts the accessible name and description on the widget (after a text change).
    void UpdateAccessible();
    // False for controls whose text is their value (edits): they are named otherwise.
    virtual bool TextNamesControl() const { return true; }
    // Gives the widget the skin's font at its scale again (after a style change).
    void KeepSkinFont();
    // Containers and blocks paint their colours themselves (a style sheet would pass
    // them on to every child).
    virtual bool PaintsOwnColors() const { return false; }
    int Dpi() const { return dpi_; }

    bool selected_ = false;

  private:
    QWidget* self_;
    Window* owner_ = nullptr;
    std::string name_;
    QString text_, toolTip_, userData_, bkImage_, accName_, accDesc_, caption_;
    uint32_t textColor_ = 0, bkColor_ = 0, borderColor_ = 0;
    BaseGeometry base_;
    int dpi_ = 96;
    bool visible_ = true;
};

// "0xAARRGGBB" or "#RRGGBB" or "#AARRGGBB" to ARGB; 0 when unreadable.
uint32_t ParseColor(const QString& text);
QColor ToQColor(uint32_t argb);
bool ParseBool(const QString& text);
// Names every control under `root` that nothing else names by the label before it among its
// siblings; a second control after the same label is its value ("Bass", "Bass value").
void NameByCaptions(QWidget* root);

}  // namespace dvdsp::tk
