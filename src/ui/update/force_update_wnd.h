#pragma once
// The forced update ("ForceUpdateWnd", layout "XML_FORCE_UPDATE"), opened by the
// controller when the unit's firmware is older than the built-in one. Step 1 installs the
// first file ("mcu_file"), step 2 the second ("flash_file") once the unit is back, and a
// factory reset may follow ("check_box_facotry"); the controller calls Continue each time
// the unit comes back.

#include <QStringList>
#include <memory>

#include "ui/dialogs/dialog_wnd.h"

namespace dvdsp::core {
class EqualizerManager;
}

namespace dvdsp::ui {

class UpdateJob;

class CForceUpdateWnd : public DialogWnd {
  public:
    CForceUpdateWnd(QWidget* owner, core::EqualizerManager& controller, const QString& firstText,
                    const QString& firstPath, const QString& secondText, const QString& secondPath);
    ~CForceUpdateWnd() override;

    void BeginUpdate();
    // The unit has come back during the update.
    void Continue();

    void OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) override;
    void OnTimer(int id) override;
    int Phase() const { return phase_; }
    bool Done() const { return done_; }
    // An update was started in this window (the unit may have been left in its loader).
    bool Begun() const { return begun_; }
    const QStringList& TipsShown() const { return tipsShown_; }
    bool WorkerRunning() const;

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void EnableButtons(bool on);
    void ShowTips(const QString& raw);
    void SetBars(int value);
    tk::Control* PhaseBar();
    QString TextOf(const char* name);

    core::EqualizerManager& controller_;
    QString firstText_, firstPath_, secondText_, secondPath_;
    int phase_ = 0;
    bool done_ = false;
    bool begun_ = false;
    std::unique_ptr<UpdateJob> job_;
    int pseudoCounter_ = 0;
    QStringList tipsShown_;
};

}  // namespace dvdsp::ui
