#pragma once
// CMixerWnd: the input mixer of the current source. Per (input channel, output) a switch
// and a trim, per input a phase switch and a cross-source feed, per output pair the
// bridge, and clip indicators for inputs and outputs read every second. The controller
// holds every value; the window shows them and hands each edit to it at once.

#include <string>

#include "ui/dialogs/dialog_wnd.h"

namespace dvdsp::core {
class EqualizerManager;
struct Change;
}  // namespace dvdsp::core

namespace dvdsp::tk {
class Edit;
}

namespace dvdsp::ui {

// The clip indicators' read-out.
inline constexpr int STATUS_READ_TIMER = 8193;
inline constexpr int kStatusReadMs = 1000;
// Height of one input row in layout units: each row the source lacks takes it off.
inline constexpr int kMixerRowHeight = 72;

class CMixerWnd final : public DialogWnd {
  public:
    CMixerWnd(QWidget* owner, core::EqualizerManager& controller, int source);
    ~CMixerWnd() override;

    int Source() const { return mSource; }
    int InputCount() const { return mInputCount; }
    bool Ready() const { return mReady; }

    // What the controller changed: the cells, bridges, phases and feeds of this source
    // that show it are refreshed.
    void OnModelChange(const core::Change& change);
    // Closes the window (the unit went away or came back).
    void CloseMixer();
    void OnTimer(int id) override;

    // Cell (o, i) shows its routing bit and effective trim.
    void RefreshCell(int o, int i);

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    // Cell operations (mixer_cells.cpp).
    void SetVol_u(int i, int o, int trim);
    void SetMixEnabled_u(int i, int o, bool on);
    void OnVolChanged(int i, int o, int trim, bool keepFocus);
    void OnEnableBtnClick(int i, int o);
    void OnVolSliderChanged(int o, int i);
    // `keepFocus` when the edit is losing the focus: the focus goes where it was sent.
    void OnVolEditChanged(int o, int i, bool keepFocus);
    void OnVolEditUpDown(int o, int i, int step);
    int GetVol_uEdit(int i, int o, int step);
    void MoveCellFocus(int o, int i, bool right);
    void ClearMix();
    // Input operations (mixer_inputs.cpp).
    void SetCSMViceSourceCombox(int i);
    void SetCSMViceGainEdit(int i, bool keepFocus = false);
    void StepCSMViceGain(int i, int step);
    void SelectCrossSourceItem(int i);
    void ShowCrossSourceGain(int i);
    void RefreshInput(int i);
    void ShowClipFlags();

    void SetUpRows();
    void SizeWindow();
    tk::Edit* CellEdit(int o, int i) const;
    void FocusEdit(tk::Edit* e);
    static std::string Cell(const char* prefix, int o, int i);
    static std::string Row(const char* prefix, int i);

    core::EqualizerManager& mController;
    int mSource;
    int mInputCount = 0;
    bool mHasMixerSource = false;
    bool mReady = false;
};

}  // namespace dvdsp::ui
