#include "toolkit/window.h"

#include <QCloseEvent>
#include <QDomDocument>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleOption>
#include <QTimer>

#include "base/log.h"
#include "toolkit/action_end.h"
#include "toolkit/builder.h"
#include "toolkit/containers.h"
#include "toolkit/controls.h"
#include "toolkit/language.h"
#include "toolkit/mailbox.h"
#include "toolkit/scale.h"
#include "toolkit/skin.h"
#include "toolkit/test_seams.h"

namespace dvdsp::tk {

namespace {

QList<Window*>& Registry() {
    static QList<Window*> windows;
    return windows;
}

// Shown windows in the order they were shown, the latest last.
QList<Window*>& ShownOrder() {
    static QList<Window*> windows;
    return windows;
}

QHash<QString, int>& ShownCounts() {
    static QHash<QString, int> counts;
    return counts;
}

// Gives every control of a freshly built tree its own visibility and scale.
void Realize(Control* top, int dpi) {
    if (!top) return;
    QList<QWidget*> widgets = top->Widget()->findChildren<QWidget*>();
    widgets.prepend(top->Widget());
    QList<Tabs*> tabs;
    for (QWidget* w : widgets) {
        Control* c = Control::From(w);
        if (!c) continue;
        c->ApplyScale(dpi);
        w->setVisible(c->IsVisible());
        if (auto* t = dynamic_cast<Tabs*>(c)) tabs.append(t);
    }
    for (Tabs* t : tabs) t->SelectItem(t->CurSel());
}

QSize ParseSize(const QString& text) {
    QStringList p = text.split(QLatin1Char(','));
    if (p.size() < 2) return {};
    return {p[0].trimmed().toInt(), p[1].trimmed().toInt()};
}

}  // namespace

Window::Window(QWidget* parent)
    : QWidget(parent), dpi_(DefaultDpi()), mailbox_(std::make_shared<Mailbox>(this)) {
    Registry().append(this);
    setAttribute(Qt::WA_StyledBackground);
}

Window::~Window() {
    // Children die after this object; they must not notify it while they go.
    for (Control* c : AllControls()) c->SetOwner(nullptr);
    mailbox_->Detach();
    Registry().removeAll(this);
    ShownOrder().removeAll(this);
    if (loop_) loop_->quit();
}

bool Window::LoadLayout(const QString& keyOrFile) {
    QString file = CurrentSkin().LayoutFile(keyOrFile);
    QDomDocument doc;
    if (!doc.setContent(CurrentSkin().Read(file))) {
        LogWriteNarrow("layout %s not found\n", file.toUtf8().constData());
        return false;
    }
    QDomElement top = doc.documentElement();
    QSize size = ParseSize(top.attribute(QStringLiteral("size")));
    if (size.isValid()) baseSize_ = size;
    captionHeight_ = top.attribute(QStringLiteral("caption"), QStringLiteral("0")).toInt();
    if (top.hasAttribute(QStringLiteral("title"))) SetTitle(top.attribute(QStringLiteral("title")));
    Builder builder(this);
    if (root_) delete root_->Widget();
    root_ = builder.BuildChildren(top, nullptr);
    if (!root_) return false;
    root_->Widget()->setParent(this);
    Realize(root_, dpi_);
    NameByCaptions(root_->Widget());
    if (baseSize_.isValid())
        resize(Scaled(baseSize_.width(), dpi_), Scaled(baseSize_.height(), dpi_));
    root_->Widget()->setGeometry(rect());
    return true;
}

Control* Window::LoadInto(const std::string& containerName, const QString& file) {
    auto* container = Find<Container>(containerName);
    if (!container) return nullptr;
    QDomDocument doc;
    if (!doc.setContent(CurrentSkin().Read(CurrentSkin().LayoutFile(file)))) {
        LogWriteNarrow("layout %s not found\n", file.toUtf8().constData());
        return nullptr;
    }
    QList<Control*> before = container->Children();
    Builder builder(this);
    Control* first = builder.BuildChildren(doc.documentElement(), container);
    for (Control* c : container->Children())
        if (!before.contains(c)) Realize(c, dpi_);
    NameByCaptions(container->Widget());
    return first;
}

Control* Window::FindControl(const std::string& name) const {
    if (name.empty()) return nullptr;
    QString qname = QString::fromStdString(name);
    if (root_ && root_->Name() == name) return root_;
    for (QWidget* w : findChildren<QWidget*>(qname))
        if (Control* c = Control::From(w)) return c;
    return nullptr;
}

QList<Control*> Window::AllControls() const {
    QList<Control*> out;
    for (QWidget* w : findChildren<QWidget*>())
        if (Control* c = Control::From(w)) out.append(c);
    return out;
}

void Window::SetTitle(const QString& raw) {
    title_ = raw;
    setWindowTitle(Lang(raw));
}

void Window::SetBaseSize(QSize s) {
    baseSize_ = s;
    resize(Scaled(s.width(), dpi_), Scaled(s.height(), dpi_));
}

void Window::SetDpi(int dpi) {
    if (dpi <= 0) return;
    dpi_ = dpi;
    for (Control* c : AllControls()) c->ApplyScale(dpi);
    if (baseSize_.isValid()) {
        QSize s(Scaled(baseSize_.width(), dpi), Scaled(baseSize_.height(), dpi));
        if (minimumSize() == maximumSize() && minimumSize().width() > 0) setFixedSize(s);
        resize(s);
    }
    if (root_) root_->Widget()->setGeometry(rect());
}

void Window::CenterOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect r = frameGeometry();
    r.moveCenter(screen->availableGeometry().center());
    move(r.topLeft());
}

void Window::CenterOver(QWidget* other) {
    if (!other) {
        CenterOnScreen();
        return;
    }
    QRect r = frameGeometry();
    r.moveCenter(other->frameGeometry().center());
    move(r.topLeft());
}

void Window::DispatchNotify(TNotify& n) {
    LogWriteNarrow("Notify %s\n", n.type.c_str());
    Notify(n);
    ActionMayHaveEnded();
}

void Window::PostMessage(uint32_t msg, int64_t wparam, std::unique_ptr<Payload> payload) {
    mailbox_->Post(msg, wparam, std::move(payload));
}

void Window::DrainMailbox() {
    std::deque<PostedMessage> messages = mailbox_->TakeAll();
    QPointer<Window> alive(this);
    while (!messages.empty() && alive) {
        PostedMessage m = std::move(messages.front());
        messages.pop_front();
        const bool menuClick = m.msg == WM_MENUCLICK;
        OnMessage(m.msg, m.wparam, std::move(m.payload));
        if (menuClick) ActionMayHaveEnded();
    }
}

void Window::SetTimer(int id, int ms) {
    QTimer*& t = timers_[id];
    if (!t) {
        t = new QTimer(this);
        connect(t, &QTimer::timeout, this, [this, id] { OnTimer(id); });
    }
    t->start(ms);
}

void Window::KillTimer(int id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
}

void Window::EnsureInit() {
    if (inited_) return;
    inited_ = true;
    OnInit();
}

void Window::ShowWindow() {
    EnsureInit();
    show();
}

int Window::ShowModal() {
    EnsureInit();
    closing_ = false;
    ModalAnswer answer;
    bool answered = testing::TakeModalAnswer(&answer);
    if (answered && !answer.action) {
        result_ = answer.result;
        return result_;
    }
    setWindowModality(Qt::ApplicationModal);
    show();
    QPointer<Window> self(this);
    if (answered) {
        auto action = answer.action;
        QTimer::singleShot(0, this, [self, action] {
            if (self) action(*self);
        });
    } else if (testing::ModalObserver observer = testing::CurrentModalObserver()) {
        // Runs inside the window's own loop, as a user's reaction would.
        QTimer::singleShot(0, this, [self, observer] {
            if (self && self->IsModalRunning()) observer(*self);
        });
    }
    QEventLoop loop;
    if (!closing_) {
        loop_ = &loop;
        loop.exec();
        loop_ = nullptr;
    }
    hide();
    return result_;
}

void Window::Close(int result) {
    result_ = result;
    closing_ = true;
    if (loop_) loop_->quit();
    hide();
}

bool Window::HandleCommonButtons(const TNotify& n) {
    if (n.type != notify::kClick) return false;
    if (n.name == "closebtn" || n.name == "cancel_btn")
        Close(kResultClosed);
    else if (n.name == "confirm_btn")
        Close(kResultConfirm);
    else if (n.name == "third_btn")
        Close(kResultThird);
    else if (n.name == "minbtn")
        showMinimized();
    else
        return false;
    return true;
}

void Window::ApplyLanguage() {
    if (!title_.isEmpty()) setWindowTitle(Lang(title_));
    for (Control* c : AllControls()) c->ApplyLanguage();
}

void Window::ApplyLanguageToAll() {
    for (Window* w : Registry()) w->ApplyLanguage();
}

QList<Window*> Window::OpenWindows() {
    return Registry();
}

bool Window::EndDialogByTitle(const QString& title, int result) {
    for (Window* w : Registry()) {
        if (w->isVisible() && w->windowTitle() == title) {
            w->Close(result);
            return true;
        }
    }
    return false;
}

bool Window::EndDialogByClass(const QString& className, int result) {
    for (Window* w : Registry()) {
        if (w->isVisible() && w->ClassName() == className) {
            w->Close(result);
            return true;
        }
    }
    return false;
}

int Window::ShownCount(const QString& className) {
    return ShownCounts().value(className, 0);
}

QList<Window*> Window::VisibleWindows() {
    QList<Window*> out;
    const QList<Window*>& order = ShownOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if ((*it)->isVisible()) out.append(*it);
    return out;
}

Window* Window::Topmost() {
    QList<Window*> visible = VisibleWindows();
    return visible.isEmpty() ? nullptr : visible.front();
}

bool Window::event(QEvent* e) {
    if (e->type() == DrainEventType()) {
        DrainMailbox();
        return true;
    }
    if (e->type() == QEvent::Show) {
        ShownOrder().removeAll(this);
        ShownOrder().append(this);
        ++ShownCounts()[ClassName()];
    } else if (e->type() == QEvent::Hide) {
        ShownOrder().removeAll(this);
    }
    return QWidget::event(e);
}

void Window::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (root_) root_->Widget()->setGeometry(rect());
    TNotify n;
    n.type = notify::kWindowSize;
    n.name = root_ ? root_->Name() : std::string();
    n.sender = root_;
    if (inited_) DispatchNotify(n);
}

void Window::closeEvent(QCloseEvent* e) {
    if (loop_) Close(kResultClosed);
    e->accept();
}

void Window::mousePressEvent(QMouseEvent* e) {
    int caption = Scaled(captionHeight_, dpi_);
    if (e->button() == Qt::LeftButton && caption > 0 && e->position().y() < caption &&
        (windowFlags() & Qt::FramelessWindowHint)) {
        dragging_ = true;
        dragFrom_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QWidget::mousePressEvent(e);
}

void Window::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_) move(e->globalPosition().toPoint() - dragFrom_);
    QWidget::mouseMoveEvent(e);
}

void Window::mouseReleaseEvent(QMouseEvent* e) {
    dragging_ = false;
    QWidget::mouseReleaseEvent(e);
}

bool Window::OnDefaultKey(int key) {
    auto usable = [this](const char* name) {
        auto* b = Find<Button>(name);
        return b && b->isVisibleTo(this) ? b : nullptr;
    };
    if (key == Qt::Key_Escape) {
        // As the close button: the window's own handling of it runs (a disabled one: none).
        Button* close = usable("closebtn");
        if (!close) close = usable("cancel_btn");
        if (close) {
            if (close->isEnabled()) close->Click();
            return true;
        }
        Close(kResultClosed);
        return true;
    }
    // Return presses the focused button, else the window's confirm button.
    if (auto* focused = dynamic_cast<Button*>(Control::From(focusWidget())); focused && focused->isEnabled()) {
        focused->Click();
        return true;
    }
    if (Button* ok = usable("confirm_btn"); ok && ok->isEnabled()) {
        ok->Click();
        return true;
    }
    return false;
}

void Window::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
        OnDefaultKey(e->key()))
        return;
    QWidget::keyPressEvent(e);
}

void Window::paintEvent(QPaintEvent* e) {
    (void)e;
    QStyleOption opt;
    opt.initFrom(this);
    QPainter p(this);
    style()->drawPrimitive(QStyle::PE_Widget, &opt, &p, this);
}

}  // namespace dvdsp::tk
