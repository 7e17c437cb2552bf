#pragma once
// The toolkit's standard controls.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QVector>

#include "toolkit/control.h"

namespace dvdsp::tk {

class Label : public QLabel, public Control {
  public:
    explicit Label(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("Label"); }
    bool SetAttribute(const QString& name, const QString& value) override;

  protected:
    void ShowText(const QString& shown) override { setText(shown); }
    void paintEvent(QPaintEvent* e) override;
};

// A push button; with images ("normalimage", "hotimage", "pushedimage",
// "selectedimage", "disabledimage", "foreimage") it draws them itself. One that shows a
// state (toggle="true", or a "selectedimage") is checkable: checked while selected.
class Button : public QPushButton, public Control {
  public:
    explicit Button(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("Button"); }
    bool SetAttribute(const QString& name, const QString& value) override;
    // A user's click, from code (tests, keyboard accelerators).
    void Click() { click(); }

  protected:
    void ShowText(const QString& shown) override { setText(shown); }
    void paintEvent(QPaintEvent* e) override;
    void OnSelectedChanged() override;
    virtual void OnClicked();
    QString normalImage_, hotImage_, pushedImage_, selectedImage_, disabledImage_, foreImage_;
    int textAlign_ = Qt::AlignCenter;
};

// A selectable button. Options sharing a "group" attribute select one at a time.
class Option : public Button {
  public:
    explicit Option(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("Option"); }
    bool SetAttribute(const QString& name, const QString& value) override;
    bool IsSelected() const override { return isChecked(); }
    const QString& Group() const { return group_; }
    // From code: selects or clears this option and leaves the rest of its group as it is
    // (a channel and its partner are shown selected together).
    void MarkSelected(bool selected);

  protected:
    void OnSelectedChanged() override;
    void OnClicked() override;
    QString group_;

  private:
    bool alone_ = false;
};

class CheckBox : public QCheckBox, public Control {
  public:
    explicit CheckBox(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("CheckBox"); }
    bool IsSelected() const override { return isChecked(); }
    void Click() { click(); }

  protected:
    void ShowText(const QString& shown) override { setText(shown); }
    void OnSelectedChanged() override;
};

class Slider : public QSlider, public Control {
  public:
    explicit Slider(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("Slider"); }
    bool SetAttribute(const QString& name, const QString& value) override;
    // From code: no notification.
    void SetValue(int value) override;
    int Value() const override { return value(); }
    void SetRange(int min, int max) override;
    int Minimum() const override { return minimum(); }
    int Maximum() const override { return maximum(); }

  protected:
    void focusInEvent(QFocusEvent* e) override;

  private:
    bool fromCode_ = false;
    int layoutMin_ = 0, layoutMax_ = 100, layoutValue_ = 0;
};

class Progress : public QProgressBar, public Control {
  public:
    explicit Progress(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("Progress"); }
    bool SetAttribute(const QString& name, const QString& value) override;
    void SetValue(int value) override { setValue(value); }
    int Value() const override { return value(); }
    void SetRange(int min, int max) override { setRange(min, max); }
    int Minimum() const override { return minimum(); }
    int Maximum() const override { return maximum(); }

  private:
    int layoutMin_ = 0, layoutMax_ = 100, layoutValue_ = 0;
};

struct ListItem {
    QString text;  // raw, may hold language keys
    QString userData;
    QString name;
    QString image;  // skin image shown before the text, empty for none
};

// Drop-down list. "itemselect" when the user picks an item (wparam = its index).
class Combo : public QComboBox, public Control {
  public:
    explicit Combo(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("Combo"); }
    void AddItem(const QString& rawText, const QString& userData = QString(),
                 const QString& name = QString());
    // Index of the item with this name, -1 when none.
    int FindItem(const QString& name) const;
    void SetItemText(int index, const QString& rawText);
    int ItemCount() const { return static_cast<int>(items_.size()); }
    const ListItem& Item(int i) const { return items_[i]; }
    // From code: no notification.
    void SelectItem(int index);
    int CurSel() const { return currentIndex(); }
    void SetItemVisible(int index, bool visible);
    // The item's image (a skin image, drawn at the control's scale); empty: none.
    void SetItemImage(int index, const QString& image);
    void ApplyScale(int dpi) override;
    bool IsItemVisible(int index) const;
    void ApplyLanguage() override;

  private:
    QVector<ListItem> items_;
    bool fromCode_ = false;
};

// A list of text rows. "itemselect" when the user selects a row, "itemactivate" on a
// double click or Return.
class List : public QListWidget, public Control {
  public:
    explicit List(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("List"); }
    void AddRow(const QString& rawText, const QString& userData = QString());
    void RemoveAll();
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const ListItem& Row(int i) const { return rows_[i]; }
    void SelectItem(int index);
    int CurSel() const { return currentRow(); }
    void ApplyLanguage() override;

  private:
    QVector<ListItem> rows_;
    bool fromCode_ = false;
};

}  // namespace dvdsp::tk
