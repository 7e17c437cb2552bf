#pragma once
// Containers: vertical and horizontal boxes, an absolute container whose children are
// placed by "pos", tabs (one child page shown at a time), and the plain "Control" used as
// a spacer or a coloured block.

#include <QWidget>

#include "toolkit/control.h"

class QBoxLayout;

namespace dvdsp::tk {

class Container : public QWidget, public Control {
  public:
    explicit Container(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("Container"); }
    bool SetAttribute(const QString& name, const QString& value) override;
    void ApplyScale(int dpi) override;
    // Takes a built child.
    virtual void AddChild(Control* child);
    // Child controls in layout order.
    QList<Control*> Children() const;

  protected:
    bool PaintsOwnColors() const override { return true; }
    void paintEvent(QPaintEvent* e) override;
    int padding_[4] = {0, 0, 0, 0};  // left, top, right, bottom at scale 96
    int round_ = 0;
    int borderSize_ = 1;
};

class Box : public Container {
  public:
    Box(bool vertical, QWidget* parent = nullptr);
    QString Tag() const override {
        return vertical_ ? QStringLiteral("VerticalLayout") : QStringLiteral("HorizontalLayout");
    }
    bool SetAttribute(const QString& name, const QString& value) override;
    void ApplyScale(int dpi) override;
    void AddChild(Control* child) override;

  private:
    bool vertical_;
    QBoxLayout* layout_;
    int spacing_ = 0;
    int childAlign_ = 0;
};

class Tabs : public Container {
  public:
    explicit Tabs(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("TabLayout"); }
    bool SetAttribute(const QString& name, const QString& value) override;
    void AddChild(Control* child) override;
    void SelectItem(int index);
    int CurSel() const { return current_; }
    int Count() const { return static_cast<int>(Children().size()); }

  protected:
    void resizeEvent(QResizeEvent* e) override;

  private:
    int current_ = 0;
};

// "Control": an empty block (spacer, separator, coloured or image area).
class Block : public QWidget, public Control {
  public:
    explicit Block(QWidget* parent = nullptr) : QWidget(parent), Control(this) {}
    QString Tag() const override { return QStringLiteral("Control"); }

  protected:
    bool PaintsOwnColors() const override { return true; }
    void paintEvent(QPaintEvent* e) override;
};

}  // namespace dvdsp::tk
