#pragma once
// The user's firmware update ("UpdateFwWnd", layout "XML_UPDATE_FW"): a firmware archive
// chosen in "file_path_edt" (or handed over by the opener) is prepared and installed by a
// worker; "progress" and "update_tips" follow the worker's messages.

#include <QStringList>
#include <memory>

#include "ui/dialogs/dialog_wnd.h"

namespace dvdsp::core {
class EqualizerManager;
}

namespace dvdsp::ui {

class UpdateJob;

class CUpdateFwWnd : public DialogWnd {
  public:
    // `file`: the archive to install, empty to let the user choose.
    CUpdateFwWnd(QWidget* owner, core::EqualizerManager& controller, const QString& file = QString());
    ~CUpdateFwWnd() override;

    void OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) override;
    void OnTimer(int id) override;
    // The status texts shown so far (raw, as language keys or numbers), in order.
    const QStringList& TipsShown() const { return tipsShown_; }
    bool WorkerRunning() const;

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    void ChooseFile();
    void BeginUpdate();
    void EnableControls(bool on);
    void ShowTips(const QString& raw);
    void SetProgress(int value);
    void DeleteFolder();

    core::EqualizerManager& controller_;
    QString openedWith_;
    std::unique_ptr<UpdateJob> job_;
    int pseudoCounter_ = 0;
    QStringList tipsShown_;
};

}  // namespace dvdsp::ui
