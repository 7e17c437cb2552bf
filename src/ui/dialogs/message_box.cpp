#include "ui/dialogs/message_box.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "toolkit/controls.h"
#include "toolkit/edit.h"

namespace dvdsp::ui {

namespace {
constexpr qsizetype kKeptMessages = 256;

QStringList& ShownMessages() {
    static QStringList shown;
    return shown;
}

void NoteShown(const QString& text) {
    QStringList& shown = ShownMessages();
    shown.append(text);
    if (shown.size() > kKeptMessages) shown.removeFirst();
}
}  // namespace

const QStringList& MessageDialogsShown() {
    return ShownMessages();
}

// ---- MsgWnd --------------------------------------------------------------------

MsgWnd::MsgWnd(QWidget* parent, QString title, QString text, const QString captions[3], int count)
    : DialogWnd(parent, QStringLiteral("XML_MSG"), QStringLiteral("MsgWnd")),
      title_(std::move(title)),
      text_(std::move(text)),
      count_(count) {
    for (int i = 0; i < 3; ++i) captions_[i] = captions ? captions[i] : QString();
}

void MsgWnd::OnLoaded() {
    NoteShown(text_);
    SetTextIf("MessageTitle", title_);
    SetTextIf("MessageText", text_);
    if (!title_.isEmpty()) SetTitle(title_);
    SetTextIf("confirm_btn", captions_[0]);
    if (tk::Control* cancel = FindControl("cancel_btn")) {
        cancel->SetVisible(count_ >= 2);
        if (count_ >= 2) SetTextIf("cancel_btn", captions_[1]);
    }
    if (tk::Control* third = FindControl("third_btn")) {
        third->SetVisible(count_ >= 3);
        if (count_ >= 3) SetTextIf("third_btn", captions_[2]);
    }
}

int ShowMessageBox(QWidget* parent, const QString& title, const QString& text,
                   const QString captions[3], int count) {
    MsgWnd box(parent, title, text, captions, count);
    return box.Run();
}

int ShowTips(QWidget* parent, const QString& text) {
    const QString captions[3] = {QStringLiteral("${confirm}"), QString(), QString()};
    return ShowMessageBox(parent, QStringLiteral("${tips}"), text, captions, 1);
}

// ---- MsgCheckBoxWnd ------------------------------------------------------------

MsgCheckBoxWnd::MsgCheckBoxWnd(QWidget* parent, QString title, QString text, QString option0,
                               QString option1)
    : DialogWnd(parent, QStringLiteral("XML_CHECKBOX_MSG"), QStringLiteral("MsgCheckBoxWnd")),
      title_(std::move(title)),
      text_(std::move(text)),
      options_{std::move(option0), std::move(option1)} {}

void MsgCheckBoxWnd::OnLoaded() {
    NoteShown(text_);
    SetTextIf("MessageTitle", title_);
    SetTextIf("MessageText", text_);
    if (!title_.isEmpty()) SetTitle(title_);
    if (!options_[0].isEmpty() && !options_[1].isEmpty()) {
        SetTextIf("check_box_0", options_[0]);
        SetTextIf("check_box_1", options_[1]);
    }
}

bool MsgCheckBoxWnd::OnNotify(tk::TNotify& n) {
    if (n.type != tk::notify::kClick || n.name != "confirm_btn") return false;
    tk::Control* first = FindControl("check_box_0");
    tk::Control* second = FindControl("check_box_1");
    if (first && first->IsSelected())
        Close(1);
    else if (second && second->IsSelected())
        Close(2);
    return true;  // neither checked: stays open
}

int ShowCheckBoxMessage(QWidget* parent, const QString& title, const QString& text,
                        const QString& option0, const QString& option1) {
    MsgCheckBoxWnd box(parent, title, text, option0, option1);
    return box.Run();
}

// ---- NameMsgWnd ----------------------------------------------------------------

NameMsgWnd::NameMsgWnd(QWidget* parent, QString title, QString text, const QString captions[2],
                       QString* name)
    : DialogWnd(parent, QStringLiteral("XML_MSG_NAME"), QStringLiteral("NameMsgWnd")),
      title_(std::move(title)),
      text_(std::move(text)),
      name_(name) {
    for (int i = 0; i < 2; ++i) captions_[i] = captions ? captions[i] : QString();
}

void NameMsgWnd::OnLoaded() {
    SetTextIf("MessageTitle", title_);
    SetTextIf("MessageText", text_);
    if (!title_.isEmpty()) SetTitle(title_);
    SetTextIf("confirm_btn", captions_[0]);
    SetTextIf("cancel_btn", captions_[1]);
    if (auto* edit = Find<tk::Edit>("name_edt")) {
        edit->setMaxLength(kMaxNameLength);
        // The control's text is the name, and it is shown as it is: a name, not a text
        // with language keys.
        const QString name = name_ ? name_->left(kMaxNameLength) : QString();
        edit->SetText(name);
        edit->setText(name);
        edit->setFocus();
    }
}

void NameMsgWnd::Commit() {
    auto* edit = Find<tk::Edit>("name_edt");
    if (edit && name_) *name_ = edit->text().left(kMaxNameLength);
    Close(1);
}

bool NameMsgWnd::OnNotify(tk::TNotify& n) {
    if ((n.type == tk::notify::kReturn && n.name == "name_edt") ||
        (n.type == tk::notify::kClick && n.name == "confirm_btn")) {
        Commit();
        return true;
    }
    return false;
}

bool NameMsgWnd::OnDefaultKey(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Commit();
        return true;
    }
    return DialogWnd::OnDefaultKey(key);
}

void NameMsgWnd::keyPressEvent(QKeyEvent* e) {
    // Any key typed while the edit lacks the focus goes to the edit.
    auto* edit = Find<tk::Edit>("name_edt");
    if (edit && !edit->hasFocus() && e->key() != Qt::Key_Escape && e->key() != Qt::Key_Return &&
        e->key() != Qt::Key_Enter) {
        edit->setFocus();
        QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->text());
        QCoreApplication::sendEvent(edit, &copy);
        return;
    }
    DialogWnd::keyPressEvent(e);
}

int ShowNameMessageBox(QWidget* parent, const QString& title, const QString& text,
                       const QString captions[2], QString* name) {
    NameMsgWnd box(parent, title, text, captions, name);
    return box.Run();
}

}  // namespace dvdsp::ui
