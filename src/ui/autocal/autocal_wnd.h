#pragma once
// CAutoCalWnd: the automatic calibration window. The user picks the channels, the audio
// effect and the corrections, starts and stops the unit's run, watches its progress,
// the measured distances, spectra and correction curves, and applies or discards the
// result. The controller's calibration part runs the worker and keeps the results; the
// window shows what it reports and is the only one that touches the controls.

#include <memory>

#include "ui/dialogs/dialog_wnd.h"

namespace dvdsp::core {
class EqualizerManager;
class Calibration;
}  // namespace dvdsp::core

namespace dvdsp::ui {

class WindowMessageSink;

inline constexpr uint32_t kAutoCalDisabledTextColor = 0xff888888;

class CAutoCalWnd final : public DialogWnd {
  public:
    CAutoCalWnd(QWidget* owner, core::EqualizerManager& controller);
    ~CAutoCalWnd() override;

    // The graph's visibility flags: channel selected and shown.
    bool ChannelSelected(int ch) const { return ch >= 0 && ch < 10 && mSelected[static_cast<size_t>(ch)] != 0; }
    bool ShowEq() const { return mShowEq; }
    bool ShowSpectra() const { return mShowSpectra; }

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;
    void OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) override;
    void closeEvent(QCloseEvent* e) override;
    bool OnDefaultKey(int key) override;

  private:
    void SetUpChannels();
    void OnStartStop();
    void OnStatus(uint32_t code, int64_t param);
    void OnData(uint32_t cmd, const tk::Payload* payload);
    void OnOption(const std::string& name, bool on);
    void HandEqCurves();
    void HandSpectra();
    void SetTips(const QString& raw);
    void RunEnded();
    void CloseWindow();

    core::EqualizerManager& mController;
    core::Calibration& mCal;
    std::unique_ptr<ui::WindowMessageSink> mSink;
    std::array<int, 10> mSelected{};
    bool mShowEq = true, mShowSpectra = true;
    bool mReady = false;
    bool mClosing = false;
};

}  // namespace dvdsp::ui
