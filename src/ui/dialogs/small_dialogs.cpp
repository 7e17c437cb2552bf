#include "ui/dialogs/small_dialogs.h"

#include "base/identity.h"
#include "base/log.h"
#include "toolkit/control.h"
#include "toolkit/language.h"
#include "ui/dialogs/homepage.h"

namespace dvdsp::ui {

// ---- CMsgLinkSelWnd ------------------------------------------------------------

CMsgLinkSelWnd::CMsgLinkSelWnd(QWidget* parent, Candidates candidates)
    : DialogWnd(parent, QStringLiteral("XML_LINK_SEL"), QStringLiteral("CMsgLinkSelWnd")),
      candidates_(std::move(candidates)) {}

void CMsgLinkSelWnd::OnLoaded() {
    tk::Control* right = FindControl("check_box_right");
    Rebuild(!(right && right->IsSelected()));
}

void CMsgLinkSelWnd::Rebuild(bool leftToRight) {
    shown_ = candidates_ ? candidates_(leftToRight) : std::vector<ChannelPair>{};
    if (shown_.size() > kMaxPairs) shown_.resize(kMaxPairs);
    for (int i = 0; i < kMaxPairs; ++i) {
        tk::Control* box = FindControl("check_box_" + std::to_string(i));
        if (!box) continue;
        bool used = i < static_cast<int>(shown_.size());
        box->SetVisible(used);
        if (!used) continue;
        box->SetText(QStringLiteral("CH%1 -> CH%2").arg(shown_[i].from + 1).arg(shown_[i].to + 1));
        box->SetSelected(shown_[i].checked);
    }
}

bool CMsgLinkSelWnd::OnNotify(tk::TNotify& n) {
    if (n.type == tk::notify::kSelectChanged &&
        (n.name == "check_box_left" || n.name == "check_box_right")) {
        LogWriteNarrow("OnSelectChanged\n");
        if (n.sender && n.sender->IsSelected()) Rebuild(n.name == "check_box_left");
        return true;
    }
    if (n.type == tk::notify::kClick && n.name == "confirm_btn") {
        selected_.clear();
        for (int i = 0; i < static_cast<int>(shown_.size()); ++i) {
            tk::Control* box = FindControl("check_box_" + std::to_string(i));
            if (box && box->IsSelected()) selected_.push_back({shown_[i].from, shown_[i].to, true});
        }
        Close(1);
        return true;
    }
    return false;
}

// ---- CAboutWnd -----------------------------------------------------------------

CAboutWnd::CAboutWnd(QWidget* parent, int fwMain, int fwSub)
    : DialogWnd(parent, QStringLiteral("XML_ABOUT"), QStringLiteral("AboutWnd")),
      fwMain_(fwMain),
      fwSub_(fwSub) {}

void CAboutWnd::OnLoaded() {
    ShowHomepageLink(*this, QString::fromUtf8(HomepageUrl()));
    if (tk::Control* title = FindControl("company_title")) {
        title->SetVisible(false);
        title->SetText(QStringLiteral("DV DSP Audio"));
    }
    QString model = QStringLiteral("%1 ").arg(QString::fromLatin1(kModelName));
    if (tk::Control* fw = FindControl("fw_version")) {
        if (fwMain_ < 0) {
            fw->SetText(model);
        } else {
            fw->SetText(QStringLiteral("%1%2 v%3.%4")
                            .arg(model, tk::Lang(QStringLiteral("${version}")))
                            .arg(fwMain_)
                            .arg(fwSub_));
            fw->SetVisible(true);
        }
    }
    if (tk::Control* soft = FindControl("soft_version"))
        soft->SetText(QStringLiteral("%1 %2").arg(tk::Lang(QStringLiteral("${soft_version}")),
                                                  QString::fromLatin1(kSoftwareVersion)));
    if (tk::Control* inner = FindControl("inner_fw_version"))
        inner->SetText(QStringLiteral("%1 v%2.%3")
                           .arg(tk::Lang(QStringLiteral("${inner_fw_version}")))
                           .arg(kInnerFwMain)
                           .arg(kInnerFwSub));
}

bool CAboutWnd::OnNotify(tk::TNotify& n) {
    if (n.type == tk::notify::kClick && n.name == "web_btn_1" && n.sender) {
        OpenHomepageLink(*n.sender);
        return true;
    }
    return false;
}

}  // namespace dvdsp::ui
