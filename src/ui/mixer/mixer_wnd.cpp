// The mixer window: its rows for the source's inputs, its size, what it shows of the
// controller's changes, the clip indicators' timer and the routing of notifications.
#include "ui/mixer/mixer_wnd.h"

#include "base/log.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
// The link's command queue has a member named like a Qt keyword macro.
#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#include "ui/control_names.h"
#pragma pop_macro("slots")

namespace dvdsp::ui {
namespace {

// The source names of the row titles, by source index.
const char* const kSourceKeys[core::kSources] = {"${source_opt}", "${source_coax}", "${source_bt}",
                                                 "${source_aux}", "${source_low}",  "${source_hi}",
                                                 "${source_dmp}", "${source_udp}",  "${source_scp}"};

void ShowIf(tk::Window& w, const std::string& name, bool shown) {
    if (tk::Control* c = w.FindControl(name)) c->SetVisible(shown);
}

}  // namespace

CMixerWnd::CMixerWnd(QWidget* owner, core::EqualizerManager& controller, int source)
    : DialogWnd(owner, QStringLiteral("MixerWnd"), QStringLiteral("CMixerWnd")),
      mController(controller),
      mSource(source) {}

CMixerWnd::~CMixerWnd() { KillTimer(STATUS_READ_TIMER); }

std::string CMixerWnd::Cell(const char* prefix, int o, int i) {
    return prefix + std::to_string(o) + "_" + std::to_string(i);
}

std::string CMixerWnd::Row(const char* prefix, int i) { return prefix + std::to_string(i); }

tk::Edit* CMixerWnd::CellEdit(int o, int i) const { return Find<tk::Edit>(Cell("box_edit_", o, i)); }

void CMixerWnd::FocusEdit(tk::Edit* e) {
    if (!e) return;
    e->setFocus(Qt::OtherFocusReason);
    e->selectAll();
}

void CMixerWnd::OnLoaded() {
    LogWriteNarrow("mSource = %d\n", mSource);
    mInputCount = core::EqualizerManager::MixerInputCount(mSource);
    mHasMixerSource = core::EqualizerManager::MixerHasMixerSource(mSource);
    LogWriteNarrow("mHasMixerSource = %d\n", mHasMixerSource ? 1 : 0);
    SetUpRows();
    const core::SceneState& s = mController.Model().current;
    for (int p = 0; p < core::kBridgePairs; ++p)
        if (tk::Control* c = FindControl(Row("ch_bridge_", p))) c->SetSelected(s.bridge[static_cast<size_t>(p)] != 0);
    SizeWindow();
    mReady = true;
    if (FindControl("in_distort_0") && FindControl("out_distort_0")) SetTimer(STATUS_READ_TIMER, kStatusReadMs);
}

void CMixerWnd::SetUpRows() {
    const QString source = (mSource >= 0 && mSource < core::kSources) ? QString::fromLatin1(kSourceKeys[mSource])
                                                                      : QString();
    for (int i = 0; i < core::kInputsPerSource; ++i) {
        const bool row = i < mInputCount;
        const bool gap = i < mInputCount - 1;
        for (const char* part : {"left_box_", "second_", "in_phase_box_", "title_label_"}) ShowIf(*this, Row(part, i), row);
        for (const char* part : {"left_grap_", "second_grap_", "in_phase_grap_"}) ShowIf(*this, Row(part, i), gap);
        for (const char* part : {"cmb_csm_vice_source_", "line_0_", "line_1_", "arrow_up_", "csm_vice_gain_edit_"})
            ShowIf(*this, Row(part, i), row && mHasMixerSource);
        for (int o = 0; o < core::kChannels; ++o) {
            ShowIf(*this, Cell("box_", o, i), row);
            ShowIf(*this, Cell("box_grap_", o, i), gap);
        }
        if (tk::Control* title = FindControl(Row("title_label_", i))) {
            if (mInputCount == 2) title->SetText(source + (i == 0 ? QStringLiteral(" L") : QStringLiteral(" R")));
            else title->SetText(source + QString::number(i + 1));
        }
        if (!row) continue;
        for (int o = 0; o < core::kChannels; ++o) RefreshCell(o, i);
        RefreshInput(i);
    }
}

void CMixerWnd::SizeWindow() {
    const QSize base = BaseSize();
    const int absent = core::kInputsPerSource - mInputCount;
    SetBaseSize(QSize(base.width(), base.height() - absent * kMixerRowHeight));
}

void CMixerWnd::OnModelChange(const core::Change& change) {
    using core::What;
    if (change.scene != 0) return;
    switch (change.what) {
    case What::Routing:
    case What::InputMixTrim:
        if (change.source >= 0 && change.source != mSource) return;
        for (int o = 0; o < core::kChannels; ++o) {
            if (change.channel >= 0 && o != change.channel) continue;
            for (int i = 0; i < mInputCount; ++i)
                if (change.what == What::Routing || change.band < 0 || change.band == i) RefreshCell(o, i);
        }
        break;
    case What::Bridge:
        for (int p = 0; p < core::kBridgePairs; ++p)
            if (tk::Control* c = FindControl(Row("ch_bridge_", p)))
                c->SetSelected(mController.Model().current.bridge[static_cast<size_t>(p)] != 0);
        break;
    case What::CrossSourceMix:
    case What::Phase:
        if (change.source == mSource && change.band >= 0 && change.band < mInputCount) RefreshInput(change.band);
        break;
    default: break;
    }
}

void CMixerWnd::RefreshCell(int o, int i) {
    if (i < 0 || i >= mInputCount || o < 0 || o >= core::kChannels) return;
    SetMixEnabled_u(i, o, mController.MixRouted(mSource, i, o));
    SetVol_u(i, o, mController.MixEffectiveTrim(mSource, i, o));
}

void CMixerWnd::CloseMixer() {
    KillTimer(STATUS_READ_TIMER);
    Close(tk::kResultClosed);
}

void CMixerWnd::OnTimer(int id) {
    if (id != STATUS_READ_TIMER) return;
    LogWriteNarrow("STATUS_READ_TIMER reaching ...\n");
    ShowClipFlags();
    mController.ReadClipFlags(mSource);
}

void CMixerWnd::ShowClipFlags() {
    const auto image = [](bool clipped) {
        return clipped ? QStringLiteral("images/off.png") : QStringLiteral("images/on.png");
    };
    for (int i = 0; i < mInputCount; ++i)
        if (tk::Control* c = FindControl(Row("in_distort_", i))) c->SetBkImage(image(mController.InputClipped(i)));
    for (int o = 0; o < core::kChannels; ++o)
        if (tk::Control* c = FindControl(Row("out_distort_", o))) c->SetBkImage(image(mController.OutputClipped(o)));
}

bool CMixerWnd::OnNotify(tk::TNotify& n) {
    if (!mReady) return true;
    const std::string& name = n.name;
    const std::string& type = n.type;
    int o = -1, i = -1;
    const auto cell = [&](const char* prefix) {
        return std::sscanf(name.c_str() + std::char_traits<char>::length(prefix), "%d_%d", &o, &i) == 2;
    };
    const auto row = [&](const char* prefix) {
        return std::sscanf(name.c_str() + std::char_traits<char>::length(prefix), "%d", &i) == 1;
    };
    if (type == tk::notify::kClick) {
        if (name == "btn_reset_input") {
            ClearMix();
            return true;
        }
        if (name == "closebtn" || name == "cancel_btn" || name == "confirm_btn" || name == "third_btn")
            KillTimer(STATUS_READ_TIMER);
        return false;  // the common buttons close with their results
    }
    if (type == tk::notify::kSelectChanged) {
        const bool on = n.sender && n.sender->IsSelected();
        if (StartsWith(name, "box_enable_") && cell("box_enable_")) {
            OnEnableBtnClick(i, o);
        } else if (StartsWith(name, "ch_bridge_") && row("ch_bridge_")) {
            mController.SetBridge(i, on);
            for (int in = 0; in < core::kInputsPerSource; ++in) RefreshCell(i * 2 + 1, in);
        } else if (StartsWith(name, "in_phase_") && row("in_phase_")) {
            mController.SetInputMixPhase(mSource, i, on);
        }
        return true;
    }
    if (type == tk::notify::kValueChanged || type == tk::notify::kMoveValueChanged) {
        if (StartsWith(name, "box_volume_") && cell("box_volume_")) OnVolSliderChanged(o, i);
        return true;
    }
    const bool up = type == tk::notify::kValueChangedUp;
    if (up || type == tk::notify::kValueChangedDown) {
        if (StartsWith(name, "box_edit_") && cell("box_edit_")) OnVolEditUpDown(o, i, up ? 1 : -1);
        else if (StartsWith(name, "csm_vice_gain_edit_") && row("csm_vice_gain_edit_")) StepCSMViceGain(i, up ? 1 : -1);
        return true;
    }
    const bool right = type == tk::notify::kValueChangedRight;
    if (right || type == tk::notify::kValueChangedLeft) {
        if (StartsWith(name, "box_edit_") && cell("box_edit_")) MoveCellFocus(o, i, right);
        return true;
    }
    if (type == tk::notify::kReturn || type == tk::notify::kKillFocus || type == tk::notify::kSetFocus) {
        const bool leaving = type == tk::notify::kKillFocus;
        if (StartsWith(name, "box_edit_") && cell("box_edit_")) OnVolEditChanged(o, i, leaving);
        else if (StartsWith(name, "csm_vice_gain_edit_") && row("csm_vice_gain_edit_")) SetCSMViceGainEdit(i, leaving);
        return true;
    }
    if (type == tk::notify::kItemSelect && StartsWith(name, "cmb_csm_vice_source_") && row("cmb_csm_vice_source_")) {
        LogWriteNarrow("on %s DUI_MSGTYPE_ITEMSELECT\n", name.c_str());
        SetCSMViceSourceCombox(i);
        return true;
    }
    return false;
}

}  // namespace dvdsp::ui
