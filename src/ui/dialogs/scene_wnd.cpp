#include "ui/dialogs/scene_wnd.h"

#include <QListWidgetItem>
#include <QPointer>
#include <QTimer>

#include "base/log.h"
#include "link/messages.h"
#include "toolkit/controls.h"
#include "toolkit/language.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/small_dialogs.h"
#include "ui/link_sink.h"

namespace dvdsp::ui {

namespace {

// Posted to the window itself by the unit's answer to a delete (and its older form).
constexpr uint32_t WM_SCENE_DELETED_OLD = 1236;

QString NameText(const core::SceneName& name) {
    size_t len = 0;
    while (len < name.size() && name[len] != 0) ++len;
    return QString::fromUtf16(name.data(), static_cast<qsizetype>(len));
}

core::SceneName NameFrom(const QString& text) {
    core::SceneName name{};
    const QString cut = text.left(kMaxNameLength);
    for (qsizetype i = 0; i < cut.size() && i < static_cast<qsizetype>(name.size()) - 1; ++i)
        name[static_cast<size_t>(i)] = static_cast<char16_t>(cut[i].unicode());
    return name;
}

struct ModeTexts {
    const char* title;
    const char* confirm;
    const char* log;
};

ModeTexts TextsOf(SceneMode mode) {
    switch (mode) {
    case SceneMode::Load: return {"${load_scene}", "${load}", "SENCE_LOAD id = %d\n"};
    case SceneMode::SaveAs: return {"${save_as_scene}", "${save}", "SENCE_SAVE id = %d\n"};
    case SceneMode::Delete: return {"${delete_scene}", "${delete}", "SENCE_DELETE id = %d\n"};
    }
    return {"", "", ""};
}

}  // namespace

// The controller's way to the window: posted messages only.
class CSceneWnd::Port final : public core::SceneWindowPort {
  public:
    explicit Port(std::shared_ptr<tk::Mailbox> mailbox) : mailbox_(std::move(mailbox)) {}
    void Post(uint32_t msg, int64_t wparam) override { mailbox_->Post(msg, wparam, nullptr); }

  private:
    std::shared_ptr<tk::Mailbox> mailbox_;
};

CSceneWnd::CSceneWnd(QWidget* owner, core::EqualizerManager& controller, SceneMode mode)
    : DialogWnd(owner, QStringLiteral("XML_SENCE_PROFILE"), QStringLiteral("CSceneWnd")),
      controller_(controller),
      mode_(mode) {
    setObjectName(QStringLiteral("scenewnd"));
}

CSceneWnd::~CSceneWnd() {
    Detach();
    CloseLoading();
}

void CSceneWnd::Detach() {
    if (!port_) return;
    controller_.SetSceneWindow(nullptr);
    controller_.Attach(link::Target::Scene, nullptr);
    port_.reset();
    linkSink_.reset();
}

void CSceneWnd::OnLoaded() {
    port_ = std::make_unique<Port>(GetMailbox());
    linkSink_ = std::make_unique<ui::WindowMessageSink>(*this);
    const ModeTexts texts = TextsOf(mode_);
    SetTitle(QString::fromLatin1(texts.title));
    SetTextIf("MessageTitle", QString::fromLatin1(texts.title));
    SetTextIf("confirm_btn", QString::fromLatin1(texts.confirm));
    SetTextIf("cancel_btn", QStringLiteral("${exit}"));
    WriteRows();
    if (controller_.SceneId() > 0) UpdateCurrentScene(controller_.SceneId() - 1);
    controller_.SetSceneWindow(port_.get());
    controller_.Attach(link::Target::Scene, linkSink_.get());
    controller_.GetSceneId();
}

void CSceneWnd::WriteRows() {
    auto* list = Find<tk::List>("listview");
    if (!list) return;
    const int current = list->CurSel();
    list->RemoveAll();
    for (int n = 1; n <= core::kStoredScenes; ++n) {
        const QString name = NameText(controller_.SceneNameOf(n));
        list->AddRow(QStringLiteral("%1   %2").arg(n).arg(name), name);
    }
    if (current >= 0) list->SelectItem(current);
    if (highlighted_ >= 0) UpdateCurrentScene(highlighted_);
}

void CSceneWnd::UpdateCurrentScene(int row) {
    LogWriteNarrow("UpdateCurrentScene %d\n", row);
    auto* list = Find<tk::List>("listview");
    highlighted_ = row >= 0 && row < core::kStoredScenes ? row : -1;
    if (!list) return;
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setBackground(i == highlighted_ ? QBrush(QColor::fromRgba(kCurrentSceneColor)) : QBrush());
}

bool CSceneWnd::OnNotify(tk::TNotify& n) {
    if (n.name == "listview" && n.type == tk::notify::kItemActivate) {
        Act(static_cast<int>(n.wparam));
        return true;
    }
    if (n.type != tk::notify::kClick) return false;
    if (n.name == "confirm_btn") {
        auto* list = Find<tk::List>("listview");
        if (list && list->CurSel() >= 0) Act(list->CurSel());
        return true;
    }
    if (n.name == "cancel_btn") LogWriteNarrow("Click cancel_btn\n");
    return false;  // cancel and close end the window
}

void CSceneWnd::Act(int row) {
    if (row < 0 || row >= core::kStoredScenes) return;
    LogWriteNarrow(TextsOf(mode_).log, row);
    const int n = row + 1;
    switch (mode_) {
    case SceneMode::Load: Load(n); break;
    case SceneMode::SaveAs: SaveAs(n); break;
    case SceneMode::Delete: Delete(n); break;
    }
}

QString CSceneWnd::Format(const char* key, const QStringList& args) {
    const QString text = tk::Lang(QString::fromLatin1(key));
    QString out;
    int next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('%') && i + 1 < text.size() &&
            (text[i + 1] == QLatin1Char('d') || text[i + 1] == QLatin1Char('s'))) {
            if (next < args.size()) out += args[next];
            ++next;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool CSceneWnd::Ask(const char* key, const QString& text) {
    messagesShown_.append(QString::fromLatin1(key));
    const QString captions[3] = {QStringLiteral("${confirm}"), QStringLiteral("${cancel}"), QString()};
    return ShowMessageBox(this, QStringLiteral("${tips}"), text, captions, 2) == tk::kResultConfirm;
}

void CSceneWnd::Tell(const char* key, const QString& text) {
    messagesShown_.append(QString::fromLatin1(key));
    ShowTips(this, text);
}

void CSceneWnd::Load(int n) {
    const QString name = NameText(controller_.SceneNameOf(n));
    const bool asked = name.isEmpty()
                           ? Ask("${load_scene_tips2}", Format("${load_scene_tips2}", {QString::number(n)}))
                           : Ask("${load_scene_tips1}", Format("${load_scene_tips1}", {QString::number(n), name}));
    if (!asked) return;
    controller_.LoadSence(n);
    UpdateCurrentScene(n - 1);
}

void CSceneWnd::SaveAs(int n) {
    QString name = NameText(controller_.SceneNameOf(n));
    if (!name.isEmpty() && !Ask("${save_scene_overwrite}", Format("${save_scene_overwrite}", {QString::number(n)})))
        return;
    const QString captions[2] = {QStringLiteral("${save}"), QStringLiteral("${cancel}")};
    if (ShowNameMessageBox(this, QStringLiteral("${save_as_scene}"), QString(), captions, &name) != tk::kResultConfirm)
        return;
    const core::SceneName slot = NameFrom(name);
    if (core::SceneNameHasControl(slot)) {
        // Nothing is stored or sent: such a name would break every list of the names.
        Tell("${scene_name_control}", QStringLiteral("${scene_name_control}"));
        return;
    }
    if (const int other = controller_.SceneNamed(slot, n); other > 0) {
        // Refused: nothing goes to the unit and the slot keeps its own name.
        Tell("${same_name_tips}", Format("${same_name_tips}", {NameText(slot), QString::number(other),
                                                                NameText(controller_.SceneNameOf(other))}));
        return;
    }
    controller_.SaveSence(n, slot);
    WriteRows();
    UpdateCurrentScene(n - 1);
}

void CSceneWnd::Delete(int n) {
    controller_.DeleteSence(n);
    WriteRows();
}

void CSceneWnd::ShowLoading() {
    CloseLoading();
    loading_ = new CLoadingWnd(this);
    loading_->setWindowModality(Qt::WindowModal);
    loading_->ShowWindow();
}

void CSceneWnd::CloseLoading() {
    if (!loading_) return;
    CLoadingWnd* w = loading_;
    loading_ = nullptr;
    w->Close(tk::kResultClosed);
    w->deleteLater();
}

void CSceneWnd::OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) {
    (void)wparam;
    switch (msg) {
    case WM_SCENE_DELETED_OLD:
    case link::WM_SCENE_DELETED: PostMessage(core::WM_CLOSE_LOADING); break;
    case link::WM_READ_SCENE_VALUE: {
        // The unit stored the scene.
        CloseLoading();
        messagesShown_.append(QStringLiteral("${save_scene_ok}"));
        QPointer<CSceneWnd> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self) ShowTips(self, QStringLiteral("${save_scene_ok}"));
        });
        break;
    }
    case link::WM_READ_SCENE_ID: {
        auto* p = dynamic_cast<ui::LinkPayload*>(payload.get());
        const int n = p ? static_cast<int>(p->message.value) : 0;
        controller_.SetSceneId(n);
        UpdateCurrentScene(n > 0 ? n - 1 : -1);
        break;
    }
    case core::WM_SHOW_LOADING: ShowLoading(); break;
    case core::WM_CLOSE_LOADING: CloseLoading(); break;
    default: break;
    }
}

}  // namespace dvdsp::ui
