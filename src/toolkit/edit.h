#pragma once
// Single-line edit box. Keys become notifications the way a user expects:
// Up/Down (or the spin arrows, attribute spin="true") "valuechangedup"/"valuechangeddown",
// Left at the start "valuechangedleft", Right at the end "valuechangedright", Return
// "return", focus in and out "setfocus" and "killfocus". A spin edit tells assistive
// technology its number and, from the layout ("min", "max", "step"), its range and step.

#include <QLineEdit>

#include "toolkit/control.h"

class QToolButton;

namespace dvdsp::tk {

class Edit : public QLineEdit, public Control {
  public:
    explicit Edit(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("Edit"); }
    bool SetAttribute(const QString& name, const QString& value) override;
    void ApplyScale(int dpi) override;
    void ApplyLanguage() override;
    bool HasSpin() const { return up_ != nullptr; }
    // The spin arrows, as a user would press them.
    void PressSpin(bool up);
    // The number the text starts with (0 when none).
    double NumericValue() const;
    double SpinMinimum() const { return min_; }
    double SpinMaximum() const { return max_; }
    double SpinStep() const { return step_; }
    // A value set by assistive technology: typed in and confirmed as with Return.
    void SetByAssistant(double value);
    bool TextNamesControl() const override { return false; }

  protected:
    void ShowText(const QString& shown) override { setText(shown); }
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    void EnableSpin(bool on);
    void PlaceSpin();
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
    double min_ = 0, max_ = 0, step_ = 1;
};

}  // namespace dvdsp::tk
