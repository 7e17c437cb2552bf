#pragma once
// The shared message dialogs: the message box with one to three buttons, the
// two-choice box and the name-entry box.

#include <QString>
#include <QStringList>

#include "ui/dialogs/dialog_wnd.h"

namespace dvdsp::ui {

// Message box ("MsgWnd", layout "XML_MSG"). Texts are language keys or plain text; an
// empty text leaves the layout's. `count` 1 shows only "confirm_btn", 2 adds
// "cancel_btn", 3 adds "third_btn". Returns 0, 1 or 2.
int ShowMessageBox(QWidget* parent, const QString& title, const QString& text,
                   const QString captions[3], int count);
// The common one-button form: title "${tips}", one "${confirm}" button.
int ShowTips(QWidget* parent, const QString& text);

// The raw texts of the message and two-choice boxes shown by any window of this process,
// the latest last (the last 256), for scripts that wait for a message.
const QStringList& MessageDialogsShown();

class MsgWnd : public DialogWnd {
  public:
    MsgWnd(QWidget* parent, QString title, QString text, const QString captions[3], int count);

  protected:
    void OnLoaded() override;

  private:
    QString title_, text_, captions_[3];
    int count_;
};

// Two-choice box ("MsgCheckBoxWnd", layout "XML_CHECKBOX_MSG"): "confirm_btn" ends with
// 1 or 2 by the checked option and does nothing while neither is checked.
class MsgCheckBoxWnd : public DialogWnd {
  public:
    MsgCheckBoxWnd(QWidget* parent, QString title, QString text, QString option0, QString option1);

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    QString title_, text_, options_[2];
};
int ShowCheckBoxMessage(QWidget* parent, const QString& title, const QString& text,
                        const QString& option0, const QString& option1);

// Name-entry box ("NameMsgWnd", layout "XML_MSG_NAME"): "name_edt" starts with `*name`;
// Return or "confirm_btn" copies the text back (at most kMaxNameLength characters) and
// ends with 1; "cancel_btn" ends with 0 and leaves `*name` alone; "third_btn" with 2.
inline constexpr int kMaxNameLength = 7;
int ShowNameMessageBox(QWidget* parent, const QString& title, const QString& text,
                       const QString captions[2], QString* name);

class NameMsgWnd : public DialogWnd {
  public:
    NameMsgWnd(QWidget* parent, QString title, QString text, const QString captions[2],
               QString* name);

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;
    bool OnDefaultKey(int key) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void Commit();
    QString title_, text_, captions_[2];
    QString* name_;
};

}  // namespace dvdsp::ui
