#pragma once
// CCircleProgressUI (tag "CircleProgress"): progress drawn as a ring. The background
// colour ("bkcolor") fills the control's ellipse, the foreground colour ("forecolor")
// a pie from straight down, clockwise, of value / (max - min) of the full turn, and a
// white ellipse 10 px inside every edge covers the middle.

#include <QWidget>

#include "toolkit/control.h"

namespace dvdsp::ui {

class CCircleProgressUI : public QWidget, public tk::Control {
  public:
    explicit CCircleProgressUI(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("CircleProgress"); }
    bool SetAttribute(const QString& name, const QString& value) override;
    void SetValue(int value) override;
    int Value() const override { return value_; }
    void SetRange(int min, int max) override;
    int Minimum() const override { return min_; }
    int Maximum() const override { return max_; }
    void SetForeColor(uint32_t argb);
    uint32_t ForeColor() const { return foreColor_; }
    // The pie's sweep in degrees, clockwise from straight down.
    double SweepDegrees() const;

  protected:
    bool PaintsOwnColors() const override { return true; }
    void paintEvent(QPaintEvent* e) override;

  private:
    int min_ = 0, max_ = 100, value_ = 0;
    uint32_t foreColor_ = 0xFF2D9CDB;
};

}  // namespace dvdsp::ui
