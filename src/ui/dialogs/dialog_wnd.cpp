#include "ui/dialogs/dialog_wnd.h"

#include "toolkit/control.h"
#include "ui/controls/custom_tags.h"

namespace dvdsp::ui {

DialogWnd::DialogWnd(QWidget* owner, QString layoutKey, QString className)
    : tk::Window(owner), layoutKey_(std::move(layoutKey)), className_(std::move(className)) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void DialogWnd::OnInit() {
    LoadLayout(layoutKey_);
    SetDpi(Dpi());
    OnLoaded();
    CenterOver(parentWidget());
}

void DialogWnd::Notify(tk::TNotify& n) {
    if (OnNotify(n)) return;
    HandleCommonButtons(n);
}

tk::Control* DialogWnd::CreateControl(const QString& tag) {
    return CreateCustomControl(tag);
}

int DialogWnd::Run() {
    return ShowModal();
}

void DialogWnd::SetTextIf(const char* name, const QString& raw) {
    if (raw.isEmpty()) return;
    if (tk::Control* c = FindControl(name)) c->SetText(raw);
}

}  // namespace dvdsp::ui
