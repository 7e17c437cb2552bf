#pragma once
// The scene window ("CSceneWnd", layout "XML_SENCE_PROFILE"): the ten scenes of the unit
// with their names in "listview", opened to load (mode 0), save as (1) or delete (2) the
// chosen one. The row of the current scene is highlighted. Each action asks what it
// must, then runs on a controller worker behind a busy window that the completion
// messages close; the window stays open until "cancel_btn" or "closebtn".

#include <QStringList>
#include <memory>

#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#pragma pop_macro("slots")
#include "ui/dialogs/dialog_wnd.h"

namespace dvdsp::ui {

class CLoadingWnd;

enum class SceneMode { Load = 0, SaveAs = 1, Delete = 2 };

// The row colour of the current scene.
inline constexpr uint32_t kCurrentSceneColor = 0xFFF6CE1D;

class CSceneWnd : public DialogWnd {
  public:
    CSceneWnd(QWidget* owner, core::EqualizerManager& controller, SceneMode mode);
    ~CSceneWnd() override;

    SceneMode Mode() const { return mode_; }
    // The highlighted row (scene - 1), -1 when none.
    int HighlightedRow() const { return highlighted_; }
    CLoadingWnd* LoadingWindow() const { return loading_; }
    // The questions and messages shown so far, as language keys, in order.
    const QStringList& MessagesShown() const { return messagesShown_; }

    void OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) override;

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    class Port;
    void WriteRows();
    void UpdateCurrentScene(int row);
    void Act(int row);
    void Load(int n);
    void SaveAs(int n);
    void Delete(int n);
    // The text of `key` in the current language with its "%d" and "%s" filled in order.
    QString Format(const char* key, const QStringList& args);
    bool Ask(const char* key, const QString& text);
    void Tell(const char* key, const QString& text);
    void ShowLoading();
    void CloseLoading();
    void Detach();

    core::EqualizerManager& controller_;
    SceneMode mode_;
    std::unique_ptr<Port> port_;
    std::unique_ptr<link::MessageSink> linkSink_;
    CLoadingWnd* loading_ = nullptr;
    int highlighted_ = -1;
    QStringList messagesShown_;
};

}  // namespace dvdsp::ui
