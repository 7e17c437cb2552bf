#pragma once
// The channel-pair selection box, the busy window and the About box.

#include <functional>
#include <vector>

#include "ui/dialogs/dialog_wnd.h"

namespace dvdsp::ui {

struct ChannelPair {
    int from = 0, to = 0;  // output channels, 0-based
    bool checked = false;
};

// Channel-pair selection ("CMsgLinkSelWnd", layout "XML_LINK_SEL"): up to four pairs in
// "check_box_0".."check_box_3" captioned "CH%d -> CH%d"; the direction options
// "check_box_left" and "check_box_right" ask `candidates` for the list of that
// direction. "confirm_btn" hands back the checked pairs in list order and ends with 1.
class CMsgLinkSelWnd : public DialogWnd {
  public:
    using Candidates = std::function<std::vector<ChannelPair>(bool leftToRight)>;
    CMsgLinkSelWnd(QWidget* parent, Candidates candidates);
    const std::vector<ChannelPair>& Selected() const { return selected_; }
    static constexpr int kMaxPairs = 4;

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    void Rebuild(bool leftToRight);
    Candidates candidates_;
    std::vector<ChannelPair> shown_;
    std::vector<ChannelPair> selected_;
};

// Busy window ("LoadingWnd", layout "XML_LOADING"); its owner closes it.
class CLoadingWnd : public DialogWnd {
  public:
    explicit CLoadingWnd(QWidget* parent)
        : DialogWnd(parent, QStringLiteral("XML_LOADING"), QStringLiteral("LoadingWnd")) {}
};

// About box ("AboutWnd", layout "XML_ABOUT"). fwMain < 0: no firmware version received.
class CAboutWnd : public DialogWnd {
  public:
    CAboutWnd(QWidget* parent, int fwMain, int fwSub);

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    int fwMain_, fwSub_;
};

}  // namespace dvdsp::ui
