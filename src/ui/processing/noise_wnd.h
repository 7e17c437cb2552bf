#pragma once
// The noise threshold window (class "NoiseThresholdWnd", layout "XML_NOISE_THRESHOLD"):
// the unit-wide input noise threshold in "value_edt" (-61 shows "${off}") and a live
// meter of each input's noise level, read every 500 ms while the unit is connected.

#include <memory>

#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#pragma pop_macro("slots")
#include "ui/dialogs/dialog_wnd.h"
#include "ui/processing/processing_windows.h"

namespace dvdsp::ui {

inline constexpr int NOISE_READ_TIMER = 4112;
inline constexpr int kNoiseReadMs = 500;
inline constexpr int kNoiseMeters = 12;
// Width a window gains for each input above 8 (and loses for each below, 100 at most).
inline constexpr int kNoiseMeterWidth = 50;

class CNoiseThresholdWnd final : public DialogWnd, public ProcessingView {
  public:
    CNoiseThresholdWnd(QWidget* owner, core::EqualizerManager& controller);
    void OnModelChange(const core::Change& change) override;
    ~CNoiseThresholdWnd() override;

    int InputCount() const { return mInputCount; }
    bool Polling() const { return mPolling; }
    void OnTimer(int id) override;
    void OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) override;

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    // The threshold the edit holds ("${off}" and its shown word count as -61).
    int EditValue() const;
    void Accept(int value);
    void StopPolling();

    core::EqualizerManager& mController;
    std::unique_ptr<link::MessageSink> mSink;
    int mInputCount = 0;
    bool mStop = false;
    bool mPolling = false;
    bool mReady = false;
};

}  // namespace dvdsp::ui
