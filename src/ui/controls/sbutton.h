#pragma once
// The custom button of the program's windows (tag "SButton").

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

}  // namespace dvdsp::ui
