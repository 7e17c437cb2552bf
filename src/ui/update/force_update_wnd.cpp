#include "ui/update/force_update_wnd.h"

#include <QCloseEvent>

#include "base/log.h"
#include "core/firmware_upgrade.h"
#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#pragma pop_macro("slots")
#include "toolkit/controls.h"
#include "toolkit/language.h"
#include "ui/update/update_job.h"

namespace dvdsp::ui {

namespace {
constexpr int kPhaseIdle = 0, kPhaseFirst = 1, kPhaseSecond = 2, kPhaseFactory = 3;
}  // namespace

CForceUpdateWnd::CForceUpdateWnd(QWidget* owner, core::EqualizerManager& controller, const QString& firstText,
                                 const QString& firstPath, const QString& secondText, const QString& secondPath)
    : DialogWnd(owner, QStringLiteral("XML_FORCE_UPDATE"), QStringLiteral("ForceUpdateWnd")),
      controller_(controller),
      firstText_(firstText),
      firstPath_(firstPath),
      secondText_(secondText),
      secondPath_(secondPath) {
    setObjectName(QStringLiteral("updatefwwnd"));
}

CForceUpdateWnd::~CForceUpdateWnd() {
    if (job_) job_->Join();
}

bool CForceUpdateWnd::WorkerRunning() const {
    return job_ && job_->Running();
}

void CForceUpdateWnd::OnLoaded() {
    SetTextIf("mcu_file", firstText_);
    if (!secondText_.isEmpty() && !secondPath_.isEmpty()) SetTextIf("flash_file", secondText_);
}

QString CForceUpdateWnd::TextOf(const char* name) {
    tk::Control* c = FindControl(name);
    return c ? c->Text() : QString();
}

bool CForceUpdateWnd::OnNotify(tk::TNotify& n) {
    if (n.name == "update_btn" && n.type == tk::notify::kClick) {
        BeginUpdate();
        return true;
    }
    return false;  // "closebtn" and "cancel_btn" close with 0
}

void CForceUpdateWnd::EnableButtons(bool on) {
    for (const char* name : {"update_btn", "cancel_btn", "closebtn"})
        if (tk::Control* c = FindControl(name)) c->SetEnabled(on);
}

void CForceUpdateWnd::ShowTips(const QString& raw) {
    tipsShown_.append(raw);
    if (tk::Control* c = FindControl("update_tips")) c->SetText(raw);
}

void CForceUpdateWnd::SetBars(int value) {
    for (const char* name : {"mcu_progress", "flash_progress"})
        if (tk::Control* c = FindControl(name)) c->SetValue(value);
}

tk::Control* CForceUpdateWnd::PhaseBar() {
    if (phase_ == kPhaseFirst) return FindControl("mcu_progress");
    if (phase_ == kPhaseSecond) return FindControl("flash_progress");
    return nullptr;
}

void CForceUpdateWnd::BeginUpdate() {
    LogWriteNarrow("%s\n", "CForceUpdateWnd::BeginUpdate");
    controller_.HoldQueueForUpgrade();
    if (phase_ == kPhaseIdle && !TextOf("mcu_file").isEmpty()) {
        phase_ = kPhaseFirst;
        begun_ = true;
        SetBars(0);
        EnableButtons(false);
    } else if (phase_ == kPhaseFirst && !TextOf("flash_file").isEmpty()) {
        phase_ = kPhaseSecond;
    } else {
        ShowTips(QStringLiteral("${update_no_file}"));
        SetBars(0);
        return;
    }
    ShowTips(phase_ == kPhaseFirst ? QStringLiteral("${update_check_mcu}") : QStringLiteral("${update_check_flash}"));
    if (!job_) job_ = std::make_unique<UpdateJob>(controller_, GetMailbox());
    job_->StartPrepared(phase_ == kPhaseFirst ? firstPath_ : secondPath_,
                        phase_ == kPhaseFirst ? WM_UPG_START_MCU : WM_UPG_START_FLASH);
}

void CForceUpdateWnd::Continue() {
    if (phase_ == kPhaseFirst && !secondPath_.isEmpty()) {
        BeginUpdate();
        return;
    }
    if (phase_ == kPhaseFirst || phase_ == kPhaseSecond) {
        auto* factory = Find<tk::CheckBox>("check_box_facotry");
        if (factory && factory->isChecked()) {
            ShowTips(QStringLiteral("${update_factory}"));
            LogWriteNarrow("%s\n", "CForceUpdateWnd::ResetMcuFactoryDefault");
            phase_ = kPhaseFactory;
            if (!job_) job_ = std::make_unique<UpdateJob>(controller_, GetMailbox());
            job_->StartFactoryReset();
            return;
        }
        ShowTips(QStringLiteral("${update_finish}"));
    } else {
        done_ = true;
        if (phase_ == kPhaseFactory) ShowTips(QStringLiteral("${update_finish}"));
    }
    EnableButtons(true);
    phase_ = kPhaseIdle;
}

void CForceUpdateWnd::OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) {
    switch (msg) {
    case WM_UPG_FACTORY_DONE:
        ShowTips(QStringLiteral("${update_factory_reboot}"));
        return;
    case WM_UPG_PROGRESS: {
        KillTimer(kPseudoProgressTimer);
        if (tk::Control* bar = PhaseBar()) bar->SetValue(static_cast<int>(wparam));
        const char* key = phase_ == kPhaseSecond ? "${update_progress_flash}" : "${update_progress_mcu}";
        ShowTips(QString::fromStdString(core::FormatInts(tk::Lang(QString::fromLatin1(key)).toStdString(),
                                                         {static_cast<int>(wparam)})));
        return;
    }
    case WM_UPG_RESTARTING:
        ShowTips(QStringLiteral("${update_unit_restarting}"));
        return;
    case WM_UPG_SUCCEEDED:
        if (job_) controller_.UpdateInstalled(job_->InstalledMain(), job_->InstalledSub());
        ShowTips(phase_ == kPhaseSecond ? QStringLiteral("${update_reboot_flash}")
                                        : QStringLiteral("${update_reboot_mcu}"));
        return;
    case WM_UPG_FAILED:
    case WM_UPG_FILES_NOT_READY:
        // The person may try again or close the window: the unit stays as it is, and the
        // next connection offers the update again.
        KillTimer(kPseudoProgressTimer);
        ShowTips(msg == WM_UPG_FAILED ? QStringLiteral("${please_update_again}") : QStringLiteral("${load_fw_fail}"));
        if (job_) job_->Join();
        EnableButtons(true);
        phase_ = kPhaseIdle;
        return;
    case WM_UPG_START_MCU:
        ShowTips(QStringLiteral("${update_start_mcu}"));
        return;
    case WM_UPG_START_FLASH:
        ShowTips(QStringLiteral("${update_start_flash}"));
        return;
    case WM_UPG_TOOL_FINISHED:
        KillTimer(kPseudoProgressTimer);
        ShowTips(QStringLiteral("${please_plug_out_and_in}"));
        return;
    case WM_UPG_PSEUDO_STEP:
        OnTimer(kPseudoProgressTimer);
        return;
    case WM_UPG_PROGRESS_ZERO:
        if (tk::Control* bar = PhaseBar()) bar->SetValue(0);
        pseudoCounter_ = 0;
        if (wparam == 1) SetTimer(kPseudoProgressTimer, kPseudoProgressMs);
        return;
    default:
        DialogWnd::OnMessage(msg, wparam, std::move(payload));
    }
}

void CForceUpdateWnd::closeEvent(QCloseEvent* e) {
    // While the worker talks to the unit the window stays, as its buttons say.
    if (WorkerRunning()) {
        e->ignore();
        return;
    }
    DialogWnd::closeEvent(e);
}

void CForceUpdateWnd::OnTimer(int id) {
    if (id != kPseudoProgressTimer) return;
    tk::Control* bar = PhaseBar();
    if (!bar) return;  // outside the two steps nothing is shown
    bar->SetValue(PseudoProgressStep(bar->Value(), pseudoCounter_));
}

}  // namespace dvdsp::ui
