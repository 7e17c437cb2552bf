#pragma once
// The common pattern of the program's secondary windows: a frameless tool window over
// its owner, built from a layout key, at the program's display scale, closing with
// 0 ("closebtn", "cancel_btn"), 1 ("confirm_btn") or 2 ("third_btn").

#include "toolkit/window.h"

namespace dvdsp::ui {

class DialogWnd : public tk::Window {
  public:
    DialogWnd(QWidget* owner, QString layoutKey, QString className);
    QString ClassName() const override { return className_; }
    void OnInit() override;
    void Notify(tk::TNotify& n) override;
    tk::Control* CreateControl(const QString& tag) override;
    // Runs the window over its owner and returns its result.
    int Run();

  protected:
    // Sees every notification first (after logging); true when it handled it, else the
    // common buttons apply.
    virtual bool OnNotify(tk::TNotify& n) {
        (void)n;
        return false;
    }
    // Called once the layout is loaded.
    virtual void OnLoaded() {}
    // Sets a control's text when the control exists and the text is not empty.
    void SetTextIf(const char* name, const QString& raw);

  private:
    QString layoutKey_;
    QString className_;
};

}  // namespace dvdsp::ui
