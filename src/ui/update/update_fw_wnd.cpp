#include "ui/update/update_fw_wnd.h"

#include <QFile>
#include <QLineEdit>

#include "base/log.h"
#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#pragma pop_macro("slots")
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "ui/update/tool_road.h"
#include "ui/update/update_job.h"

namespace dvdsp::ui {

namespace {
constexpr const char* kArchiveName = "VTR50_MCU_UPG.bin";
const char* const kControls[] = {"closebtn", "cancel_btn", "file_btn", "update_btn", "file_path_edt"};
}  // namespace

CUpdateFwWnd::CUpdateFwWnd(QWidget* owner, core::EqualizerManager& controller, const QString& file)
    : DialogWnd(owner, QStringLiteral("XML_UPDATE_FW"), QStringLiteral("UpdateFwWnd")),
      controller_(controller),
      openedWith_(file) {
    setObjectName(QStringLiteral("updatefwwnd"));
}

CUpdateFwWnd::~CUpdateFwWnd() {
    if (job_) job_->Join();
}

bool CUpdateFwWnd::WorkerRunning() const {
    return job_ && job_->Running();
}

void CUpdateFwWnd::OnLoaded() {
    if (!openedWith_.isEmpty()) {
        if (auto* edit = Find<tk::Edit>("file_path_edt")) edit->setText(openedWith_);
    }
}

bool CUpdateFwWnd::OnNotify(tk::TNotify& n) {
    if (n.name == "file_btn" && n.type == tk::notify::kClick) {
        ChooseFile();
        return true;
    }
    if (n.name == "file_path_edt" && n.type == tk::notify::kSetFocus) {
        auto* edit = Find<tk::Edit>("file_path_edt");
        if (edit && edit->text().isEmpty()) ChooseFile();
        return true;
    }
    if (n.name == "update_btn" && n.type == tk::notify::kClick) {
        BeginUpdate();
        return true;
    }
    return false;  // "closebtn" and "cancel_btn" close with 0
}

void CUpdateFwWnd::ChooseFile() {
    const QString name = QString::fromLatin1(kArchiveName);
    auto chosen = controller_.Prompting().ChooseFile(core::FileMode::Open, "${update_fw}",
                                                     (name + " (" + name + ")").toStdString(), "");
    if (!chosen) return;
    LogWriteNarrow("Upg_GetOpenFileName %s ok\n", chosen->c_str());
    if (auto* edit = Find<tk::Edit>("file_path_edt")) {
        edit->setText(QString::fromStdString(*chosen));
        edit->setFocus();
        edit->selectAll();
    }
}

void CUpdateFwWnd::BeginUpdate() {
    LogWriteNarrow("%s\n", "CUpdateFwWnd::BeginUpdate");
    controller_.HoldQueueForUpgrade();
    ShowTips(QStringLiteral("${loading_fw}"));
    const auto* edit = Find<tk::Edit>("file_path_edt");
    const QString path = edit ? edit->text().left(260) : QString();
    if (!job_) job_ = std::make_unique<UpdateJob>(controller_, GetMailbox());
    job_->StartWithArchive(path);
    EnableControls(false);
}

void CUpdateFwWnd::EnableControls(bool on) {
    for (const char* name : kControls)
        if (tk::Control* c = FindControl(name)) c->SetEnabled(on);
}

void CUpdateFwWnd::ShowTips(const QString& raw) {
    tipsShown_.append(raw);
    if (tk::Control* c = FindControl("update_tips")) c->SetText(raw);
}

void CUpdateFwWnd::SetProgress(int value) {
    if (tk::Control* c = FindControl("progress")) c->SetValue(value);
}

void CUpdateFwWnd::DeleteFolder() {
    if (job_) {
        job_->Join();
        const QString folder = job_->Folder();
        if (!folder.isEmpty()) DeleteWorkFolder(folder);
    }
}

void CUpdateFwWnd::OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) {
    switch (msg) {
    case WM_UPG_PROGRESS:
        SetProgress(static_cast<int>(wparam));
        ShowTips(QStringLiteral("%1%").arg(wparam));
        return;
    case WM_UPG_RESTARTING:
        ShowTips(QStringLiteral("${update_unit_restarting}"));
        return;
    case WM_UPG_SUCCEEDED:
        KillTimer(kPseudoProgressTimer);
        EnableControls(true);
        ShowTips(QStringLiteral("${update_ok}"));
        if (job_) controller_.UpdateInstalled(job_->InstalledMain(), job_->InstalledSub());
        // The installed archive is kept aside, so that it is not installed twice.
        if (!openedWith_.isEmpty()) QFile::rename(openedWith_, openedWith_ + QStringLiteral("_bak"));
        DeleteFolder();
        return;
    case WM_UPG_FAILED:
        KillTimer(kPseudoProgressTimer);
        EnableControls(true);
        ShowTips(QStringLiteral("${update_fail}"));
        DeleteFolder();
        return;
    case WM_UPG_FILES_NOT_READY:
        EnableControls(true);
        ShowTips(QStringLiteral("${load_fw_fail}"));
        if (job_) job_->Join();
        return;
    case WM_UPG_TOOL_FINISHED:
        KillTimer(kPseudoProgressTimer);
        EnableControls(true);
        ShowTips(QStringLiteral("${please_plug_out_and_in}"));
        DeleteFolder();
        return;
    case WM_UPG_PSEUDO_STEP:
        OnTimer(kPseudoProgressTimer);
        return;
    case WM_UPG_PROGRESS_ZERO:
        SetProgress(0);
        pseudoCounter_ = 0;
        // The tool tells nothing while it runs: the bar creeps on a timer.
        if (wparam == 1) SetTimer(kPseudoProgressTimer, kPseudoProgressMs);
        return;
    default:
        DialogWnd::OnMessage(msg, wparam, std::move(payload));
    }
}

void CUpdateFwWnd::OnTimer(int id) {
    if (id != kPseudoProgressTimer) return;
    tk::Control* bar = FindControl("progress");
    if (!bar) return;
    bar->SetValue(PseudoProgressStep(bar->Value(), pseudoCounter_));
}

}  // namespace dvdsp::ui
