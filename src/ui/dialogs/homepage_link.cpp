// The link buttons that show the build's home page.
#include <QDesktopServices>
#include <QUrl>

#include "toolkit/control.h"
#include "toolkit/window.h"
#include "ui/dialogs/homepage.h"

namespace dvdsp::ui {

void ShowHomepageLink(tk::Window& window, const QString& url) {
    tk::Control* button = window.FindControl("web_btn_1");
    if (!button) return;
    const QUrl address(url, QUrl::StrictMode);
    const bool shown = !url.isEmpty() && address.isValid() && !address.host().isEmpty();
    button->SetUserData(shown ? url : QString());
    button->SetToolTip(shown ? url : QString());
    // The skin's own text is no address: without one the button goes.
    button->SetText(shown ? address.toString(QUrl::RemoveScheme | QUrl::StripTrailingSlash).mid(2) : QString());
    button->SetVisible(shown);
}

bool OpenHomepageLink(const tk::Control& button) {
    if (button.UserData().isEmpty()) return false;
    return QDesktopServices::openUrl(QUrl(button.UserData()));
}

}  // namespace dvdsp::ui
