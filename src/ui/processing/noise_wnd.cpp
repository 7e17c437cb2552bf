// The input noise threshold and the noise meters of the current source's inputs.
#include "ui/processing/noise_wnd.h"

#include <cmath>

#include "base/log.h"
#include "link/commands.h"
#include "base/limits.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "toolkit/language.h"
#include "ui/control_names.h"
#include "ui/link_sink.h"
#include "ui/processing/proc_common.h"

namespace dvdsp::ui {
namespace {

const QString kOff = QStringLiteral("${off}");

}  // namespace

CNoiseThresholdWnd::CNoiseThresholdWnd(QWidget* owner, core::EqualizerManager& controller)
    : DialogWnd(owner, QStringLiteral("XML_NOISE_THRESHOLD"), QStringLiteral("NoiseThresholdWnd")),
      mController(controller) {}

CNoiseThresholdWnd::~CNoiseThresholdWnd() {
    KillTimer(NOISE_READ_TIMER);
    mController.Attach(link::Target::Noise, nullptr);
}

void CNoiseThresholdWnd::OnLoaded() {
    mSink = std::make_unique<ui::WindowMessageSink>(*this);
    mController.Attach(link::Target::Noise, mSink.get());
    const int stored = mController.InputThreshold();
    if (tk::Control* e = FindControl("value_edt"))
        e->SetText(stored <= limits::kInputThresholdOff ? kOff : proc::Format("%ddBu", stored));
    mInputCount = std::clamp(mController.NoiseInputCount(), 0, kNoiseMeters);
    for (int i = 0; i < kNoiseMeters; ++i) {
        if (tk::Control* bar = FindControl(Indexed("progress_", i))) bar->SetValue(-100);
        if (i < mInputCount) continue;
        for (const char* part : {"in_", "prg_group_"})
            if (tk::Control* c = FindControl(Indexed(part, i))) c->SetVisible(false);
    }
    // The layout is drawn for 8 inputs.
    const QSize base = BaseSize();
    const int change = std::max((mInputCount - 8) * kNoiseMeterWidth, -2 * kNoiseMeterWidth);
    SetBaseSize(QSize(base.width() + change, base.height()));
    if (mController.IsConnected()) {
        SetTimer(NOISE_READ_TIMER, kNoiseReadMs);
        mPolling = true;
    }
    mReady = true;
    // What the unit holds now replaces what the controller last knew.
    mController.ReadInputThreshold();
}

void CNoiseThresholdWnd::StopPolling() {
    mStop = true;
    mPolling = false;
    KillTimer(NOISE_READ_TIMER);
}

void CNoiseThresholdWnd::OnTimer(int id) {
    if (id != NOISE_READ_TIMER || mStop) return;
    LogWriteNarrow("WM_TIMER %d\n", id);
    mController.RequestInputNoise(mInputCount);
}

void CNoiseThresholdWnd::OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) {
    if (msg != link::WM_READ_DSP_VALUE || wparam != link::DSP_INPUT_NOISE) return;
    auto* p = dynamic_cast<ui::LinkPayload*>(payload.get());
    const auto* r = p ? p->message.As<link::InputNoiseValue>() : nullptr;
    if (!r) return;
    const auto& v = r->levels;
    LogWriteNarrow("input noise value %.1f %.1f %.1f %.1f %.2f %.1f\n", v[0], v[1], v[2], v[3], v[4], v[5]);
    for (int i = 0; i < mInputCount && i < static_cast<int>(v.size()); ++i) {
        const float level = v[static_cast<size_t>(i)];
        if (tk::Control* t = FindControl(Indexed("noise_", i))) t->SetText(proc::Format(" %.1f", level));
        if (tk::Control* bar = FindControl(Indexed("progress_", i))) bar->SetValue(static_cast<int>(std::lround(level)));
    }
}

int CNoiseThresholdWnd::EditValue() const {
    auto* e = Find<tk::Edit>("value_edt");
    if (!e) return limits::kInputThresholdOff;
    const QString text = e->text().trimmed();
    // "${off}", its word in the language shown, and any text that is no number are off.
    if (text == kOff || text == tk::Lang(kOff) || !proc::IsInteger(text)) return limits::kInputThresholdOff;
    return proc::ParseInteger(text);
}

void CNoiseThresholdWnd::Accept(int value) {
    const int v = static_cast<int>(limits::kInputThreshold.Clamp(value));
    LogWriteNarrow("on input threshold edit change to %d dB\n", v);
    auto* e = Find<tk::Edit>("value_edt");
    if (e) e->SetText(v <= limits::kInputThresholdOff ? kOff : proc::Format("%ddBu", v));
    mController.SetInputThreshold(v);
    proc::FocusEdit(e);
}

bool CNoiseThresholdWnd::OnNotify(tk::TNotify& n) {
    if (!mReady) return false;
    const std::string& type = n.type;
    if (type == tk::notify::kClick) {
        if (n.name == "confirm_btn" || n.name == "cancel_btn" || n.name == "closebtn") StopPolling();
        return false;  // the common buttons close
    }
    if (n.name != "value_edt") return false;
    if (type == tk::notify::kValueChangedUp || type == tk::notify::kValueChangedDown) {
        const int step = type == tk::notify::kValueChangedUp ? 1 : -1;
        Accept(EditValue() + step);
        return true;
    }
    if (type == tk::notify::kReturn) {
        Accept(EditValue());
        return true;
    }
    return false;
}

void CNoiseThresholdWnd::OnModelChange(const core::Change& change) {
    if (!mReady || change.what != core::What::InputThreshold) return;
    const int stored = mController.InputThreshold();
    if (tk::Control* e = FindControl("value_edt"))
        e->SetText(stored <= limits::kInputThresholdOff ? kOff : proc::Format("%ddBu", stored));
}

}  // namespace dvdsp::ui
