// The mixer's cells: switch, trim slider and trim edit of each (input, output), the
// re-entry guard of a trim change, the bridged partner, the edits' steps and clamps,
// moving between cell edits and clearing the whole mix.
#include <cmath>
#include <cstdlib>

#include "base/log.h"
#include "base/limits.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "ui/mixer/mixer_wnd.h"
#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#pragma pop_macro("slots")

namespace dvdsp::ui {
namespace {

// One guard for every mixer window: a switch or slider set from code notifies again.
bool gVolChangedBusy = false;

// The number an edit's text starts with ("-12dB" is -12); 0 for none.
double LeadingNumber(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    return std::strtod(s.c_str(), nullptr);
}

}  // namespace

void CMixerWnd::SetVol_u(int i, int o, int trim) {
    LogWriteNarrow("%s %d %d\n", "SetVol_u", i, o);
    if (tk::Control* slider = FindControl(Cell("box_volume_", o, i))) slider->SetValue(trim);
    if (tk::Edit* e = CellEdit(o, i)) e->SetText(QStringLiteral("%1dB").arg(trim));
}

void CMixerWnd::SetMixEnabled_u(int i, int o, bool on) {
    LogWriteNarrow("%s %d %s\n", "SetMixEnabled_u", o, on ? "true" : "false");
    tk::Control* box = FindControl(Cell("box_enable_", o, i));
    if (box && box->IsSelected() != on) box->SetSelected(on);
}

void CMixerWnd::OnVolChanged(int i, int o, int trim, bool keepFocus) {
    if (gVolChangedBusy) {
        LogWriteNarrow("<------%s %d %d,%d %d quit as re-entry\n", "OnVolChanged", mSource, i, o, trim);
        return;
    }
    gVolChangedBusy = true;
    LogWriteNarrow(">>>>>>>>>>>>>>>>>%s %d %d,%d %d\n", "OnVolChanged", mSource, i, o, trim);
    const int partner = mController.SetMixTrim(mSource, i, o, trim);
    SetVol_u(i, o, trim);
    SetMixEnabled_u(i, o, trim > 0);
    if (partner >= 0) RefreshCell(partner, i);
    if (!keepFocus) FocusEdit(CellEdit(o, i));
    LogWriteNarrow("<<<<<<<<<<<<<<<<<<<<< %s %d %d,%d %d\n", "OnVolChanged", mSource, i, o, trim);
    gVolChangedBusy = false;
}

void CMixerWnd::OnEnableBtnClick(int i, int o) {
    LogWriteNarrow("%s %d %d,%d\n", "OnEnableBtnClick", mSource, i, o);
    tk::Control* box = FindControl(Cell("box_enable_", o, i));
    if (!box || i < 0 || i >= mInputCount || o < 0 || o >= core::kChannels) return;
    int trim = 0;
    if (box->IsSelected()) {
        trim = mController.Model().current.inputMixVolume[static_cast<size_t>(mSource)][static_cast<size_t>(i)]
                                                         [static_cast<size_t>(o)];
        if (trim == 0) trim = limits::kMixCellFull;
    }
    OnVolChanged(i, o, trim, true);
}

void CMixerWnd::OnVolSliderChanged(int o, int i) {
    tk::Control* slider = FindControl(Cell("box_volume_", o, i));
    if (!slider || i < 0 || i >= mInputCount) return;
    const int value = slider->Value();
    LogWriteNarrow("OnVolSliderChanged set in_ch %d out_ch %d volume to %d\n", i, o, value);
    OnVolChanged(i, o, value, false);
}

int CMixerWnd::GetVol_uEdit(int i, int o, int step) {
    tk::Edit* e = CellEdit(o, i);
    const int typed = e ? static_cast<int>(std::lround(LeadingNumber(e->text()))) : 0;
    const int value = typed + step;
    if (tk::Control* slider = FindControl(Cell("box_volume_", o, i)))
        return value < slider->Minimum() ? slider->Minimum() : (value > slider->Maximum() ? slider->Maximum() : value);
    return static_cast<int>(limits::kMixCellTrimFree.Clamp(value));
}

void CMixerWnd::OnVolEditChanged(int o, int i, bool keepFocus) {
    if (i < 0 || i >= mInputCount || o < 0 || o >= core::kChannels) return;
    const int value = GetVol_uEdit(i, o, 0);
    LogWriteNarrow("OnVolEditChanged set in_ch %d out_ch %d volume to %d\n", i, o, value);
    OnVolChanged(i, o, value, keepFocus);
}

void CMixerWnd::OnVolEditUpDown(int o, int i, int step) {
    if (i < 0 || i >= mInputCount || o < 0 || o >= core::kChannels) return;
    const int value = GetVol_uEdit(i, o, step);
    LogWriteNarrow("OnVolEditChanged set in_ch %d out_ch %d volume to %d\n", i, o, value);
    OnVolChanged(i, o, value, false);
}

void CMixerWnd::MoveCellFocus(int o, int i, bool right) {
    if (mInputCount <= 0) return;
    o += right ? 1 : -1;
    if (o >= core::kChannels) {
        o = 0;
        i = (i + 1) % mInputCount;
    } else if (o < 0) {
        o = core::kChannels - 1;
        i = (i - 1 + mInputCount) % mInputCount;
    }
    FocusEdit(CellEdit(o, i));
}

void CMixerWnd::ClearMix() {
    mController.ClearMix(mSource);
    for (int o = 0; o < core::kChannels; ++o)
        for (int i = 0; i < mInputCount; ++i) RefreshCell(o, i);
}

}  // namespace dvdsp::ui
