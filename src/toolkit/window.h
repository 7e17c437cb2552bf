#pragma once
// The toolkit's window base: loads a layout from the skin, finds controls by name,
// receives notifications, posted messages and timers, runs modally, and keeps the
// registry of open windows.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "toolkit/control.h"
#include "toolkit/notify.h"
#include "toolkit/payload.h"

class QEventLoop;
class QTimer;

namespace dvdsp::tk {

class Mailbox;

// Result codes of modal windows.
inline constexpr int kResultClosed = 0;
inline constexpr int kResultConfirm = 1;
inline constexpr int kResultThird = 2;

// The message a drop-down menu posts to its owner when an item is clicked.
inline constexpr uint32_t WM_MENUCLICK = 1027;  // WM_USER + 3

class Window : public QWidget {
  public:
    explicit Window(QWidget* parent = nullptr);
    ~Window() override;

    // Window class name, e.g. "MsgWnd"; dialogs can be ended by it.
    virtual QString ClassName() const = 0;

    // Builds the window from a layout key of the root definitions or a layout file.
    // The layout's <Window> element gives size, title and caption height. False when the
    // skin lacks it (the window then stays empty).
    bool LoadLayout(const QString& keyOrFile);
    // Builds a layout file's controls into the named container. Returns the first
    // control built, or nullptr.
    Control* LoadInto(const std::string& containerName, const QString& file);
    // Creates a control for a tag the toolkit does not know; nullptr for none.
    virtual Control* CreateControl(const QString& tag) {
        (void)tag;
        return nullptr;
    }

    Control* Root() const { return root_; }
    Control* FindControl(const std::string& name) const;
    template <typename T>
    T* Find(const std::string& name) const {
        return dynamic_cast<T*>(FindControl(name));
    }
    // Every control of the window, in tree order.
    QList<Control*> AllControls() const;

    // Window title with language keys.
    void SetTitle(const QString& raw);
    const QString& Title() const { return title_; }

    // Display scale (96 = unscaled): every control and the window size follow.
    void SetDpi(int dpi);
    int Dpi() const { return dpi_; }
    // Size as the layout gives it, unscaled.
    QSize BaseSize() const { return baseSize_; }
    void SetBaseSize(QSize s);
    void CenterOnScreen();
    void CenterOver(QWidget* other);

    // Notifications: logs "Notify %s\n" and calls Notify.
    void DispatchNotify(TNotify& n);
    virtual void Notify(TNotify& n) { (void)n; }

    // Posted messages: safe from any thread; handled in order on the window's thread by
    // OnMessage. A payload posted to a window that is gone is freed.
    void PostMessage(uint32_t msg, int64_t wparam = 0, std::unique_ptr<Payload> payload = nullptr);
    std::shared_ptr<Mailbox> GetMailbox() const { return mailbox_; }
    virtual void OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<Payload> payload) {
        (void)msg, (void)wparam, (void)payload;
    }

    void SetTimer(int id, int ms);
    void KillTimer(int id);
    bool HasTimer(int id) const { return timers_.count(id) != 0; }
    virtual void OnTimer(int id) { (void)id; }

    // Shows the window modally and returns the code given to Close. OnInit runs before.
    int ShowModal();
    // Shows the window modelessly (main window, menus). OnInit runs before.
    void ShowWindow();
    // Ends the window; a modal loop returns `result`.
    void Close(int result = kResultClosed);
    int Result() const { return result_; }
    bool IsModalRunning() const { return loop_ != nullptr; }
    // Runs once, after the layout is built and before the window is first shown.
    virtual void OnInit() {}
    void EnsureInit();

    // The common pattern: "closebtn" and "cancel_btn" close with 0, "confirm_btn" with 1,
    // "third_btn" with 2, "minbtn" minimises. True when the notification was one of them.
    bool HandleCommonButtons(const TNotify& n);

    // Re-resolves the texts of every control.
    void ApplyLanguage();
    static void ApplyLanguageToAll();

    // Registry of open windows.
    static QList<Window*> OpenWindows();
    // Ends the open modal window whose shown title is `title` (or whose class name is
    // `className`) with `result`. True when one was found.
    static bool EndDialogByTitle(const QString& title, int result);
    static bool EndDialogByClass(const QString& className, int result);
    // How many times a window of class `className` has been shown since the process
    // started: a record of windows that may be up only for a moment.
    static int ShownCount(const QString& className);
    // The visible windows, the most recently shown first.
    static QList<Window*> VisibleWindows();
    // The most recently shown visible window; nullptr when none is visible.
    static Window* Topmost();
    // True when the window keeps the user from the windows beneath it (modal).
    bool BlocksBeneath() const { return windowModality() != Qt::NonModal; }

  protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    // Escape and Return in a dialog: the default keeps the common pattern (Escape
    // closes with 0).
    virtual bool OnDefaultKey(int key);

  private:
    friend class Mailbox;
    friend class Builder;
    void DrainMailbox();

    Control* root_ = nullptr;
    QString title_;
    QSize baseSize_{0, 0};
    int captionHeight_ = 0;
    int dpi_;
    int result_ = kResultClosed;
    bool inited_ = false;
    bool closing_ = false;
    QEventLoop* loop_ = nullptr;
    std::map<int, QTimer*> timers_;
    std::shared_ptr<Mailbox> mailbox_;
    QPoint dragFrom_;
    bool dragging_ = false;
};

}  // namespace dvdsp::tk
