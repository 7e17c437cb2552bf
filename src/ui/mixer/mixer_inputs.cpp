// The mixer's per-input controls: the phase switch, the cross-source feed (combo and
// gain edit) and what they show.
#include <cstdio>
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

size_t Z(int v) { return static_cast<size_t>(v); }

}  // namespace

void CMixerWnd::RefreshInput(int i) {
    if (i < 0 || i >= mInputCount) return;
    const core::SceneState& s = mController.Model().current;
    if (tk::Control* phase = FindControl(Row("in_phase_", i))) phase->SetSelected(s.inMixPhase[Z(mSource)][Z(i)] != 0);
    SelectCrossSourceItem(i);
    ShowCrossSourceGain(i);
}

void CMixerWnd::ShowCrossSourceGain(int i) {
    const int gain = mController.Model().current.csmViceGain[Z(mSource)][Z(i)];
    if (tk::Control* e = FindControl(Row("csm_vice_gain_edit_", i))) e->SetText(QStringLiteral("%1dB").arg(gain));
}

void CMixerWnd::SelectCrossSourceItem(int i) {
    auto* combo = Find<tk::Combo>(Row("cmb_csm_vice_source_", i));
    if (!combo || combo->ItemCount() == 0) return;
    const core::SceneState& s = mController.Model().current;
    const int vs = s.csmViceSource[Z(mSource)][Z(i)], vc = s.csmViceCh[Z(mSource)][Z(i)];
    char tag[16];
    std::snprintf(tag, sizeof tag, "%02d%02d", vs, vc);
    LogWriteNarrow("tag %s from %02d %02d\n", tag, vs, vc);
    for (int k = 0; k < combo->ItemCount(); ++k) {
        const QByteArray itemTag = combo->Item(k).userData.toLatin1();
        LogWriteNarrow("combox item tag[%d] = %s\n", k, itemTag.constData());
        if (itemTag == tag) {
            combo->SelectItem(k);
            return;
        }
    }
    LogWriteNarrow("WARNING: no combox item found for %s\n", tag);
    combo->SelectItem(combo->ItemCount() - 1);
}

void CMixerWnd::SetCSMViceSourceCombox(int i) {
    auto* combo = Find<tk::Combo>(Row("cmb_csm_vice_source_", i));
    if (!combo || i < 0 || i >= mInputCount) return;
    const int sel = combo->CurSel();
    if (sel < 0 || sel >= combo->ItemCount()) return;
    mController.SetCrossSourceTag(mSource, i, combo->Item(sel).userData.toInt());
    ShowCrossSourceGain(i);
    combo->update();
}

void CMixerWnd::SetCSMViceGainEdit(int i, bool keepFocus) {
    auto* e = Find<tk::Edit>(Row("csm_vice_gain_edit_", i));
    if (!e || i < 0 || i >= mInputCount) return;
    const std::string text = e->text().trimmed().toStdString();
    const int typed = static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
    const int gain = static_cast<int>(limits::kCrossSourceGain.Clamp(typed));
    e->SetText(QStringLiteral("%1dB").arg(gain));
    mController.SetCrossSourceGain(mSource, i, gain);
    if (!keepFocus) FocusEdit(e);
}

void CMixerWnd::StepCSMViceGain(int i, int step) {
    auto* e = Find<tk::Edit>(Row("csm_vice_gain_edit_", i));
    if (!e || i < 0 || i >= mInputCount) return;
    const std::string text = e->text().trimmed().toStdString();
    const int before = static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
    const int after = static_cast<int>(limits::kCrossSourceGain.Clamp(before + step));
    if (after == before) return;
    e->SetText(QStringLiteral("%1dB").arg(after));
    FocusEdit(e);
    SetCSMViceGainEdit(i);
}

}  // namespace dvdsp::ui
