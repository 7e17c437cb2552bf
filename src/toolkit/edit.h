#pragma once
// Single-line edit box. Keys become notifications the way a user expects:
// Up/Down (or the spin arrows, attribute spin="true") "valuechangedup"/"valuechangeddown",
// Left at the start "valuechangedleft", Right at the end "valuechangedright", Return
// "return", focus in and out "setfocus" and "killfocus".

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
    bool HasSpin() const { return up_ != nullptr; }
    // The spin arrows, as a user would press them.
    void PressSpin(bool up);

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
};

}  // namespace dvdsp::tk
