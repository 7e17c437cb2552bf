#pragma once
// Custom controls of the program's windows: the custom button (tag "SButton") and the
// ring-shaped progress indicator (tag "CircleProgress").

#include "toolkit/controls.h"

namespace dvdsp::ui {

// A button that draws itself: rounded body, optional selected colour and an optional
// icon ("foreimage") left of its text.
class CSButtonUI : public tk::Button {
  public:
    explicit CSButtonUI(QWidget* parent = nullptr) : tk::Button(parent) {}
    QString Tag() const override { return QStringLiteral("SButton"); }
    bool SetAttribute(const QString& name, const QString& value) override;

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    uint32_t selectedColor_ = 0xFF2D7FB8;
    uint32_t normalColor_ = 0xFF262E3B;
    uint32_t hotColor_ = 0xFF2E3848;
    int round_ = 4;
};

// Progress as an arc around a ring, with the percentage in the middle.
class CCircleProgressUI : public QWidget, public tk::Control {
  public:
    explicit CCircleProgressUI(QWidget* parent = nullptr) : QWidget(parent), tk::Control(this) {}
    QString Tag() const override { return QStringLiteral("CircleProgress"); }
    bool SetAttribute(const QString& name, const QString& value) override;
    void SetValue(int value) override;
    int Value() const override { return value_; }
    void SetRange(int min, int max) override;
    int Minimum() const override { return min_; }
    int Maximum() const override { return max_; }
    // Turning without a value (a busy indicator) when true.
    void SetIndeterminate(bool on);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void timerEvent(QTimerEvent* e) override;

  private:
    int min_ = 0, max_ = 100, value_ = 0;
    int lineWidth_ = 5;
    bool showText_ = false;
    bool indeterminate_ = false;
    int spin_ = 0;
    int timerId_ = 0;
    uint32_t ringColor_ = 0xFF2A3342, arcColor_ = 0xFF2D9CDB;
};

}  // namespace dvdsp::ui
