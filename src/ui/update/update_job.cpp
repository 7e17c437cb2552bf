#include "ui/update/update_job.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/log.h"
#include "core/equalizer_manager.h"
#include "core/upgrade_run.h"
#include "firmware/upgrade_transfer.h"
#include "link/dsp_device.h"
#include "toolkit/mailbox.h"
#include "ui/update/tool_road.h"

namespace dvdsp::ui {

int PseudoProgressStep(int value, int& counter) {
    if (value >= 80) return value;
    const int k = counter++;
    if (k * 10 + 10 >= value) {
        counter = 0;
        ++value;
    }
    return value;
}

bool UsesDownloadTool() {
    return ToolCanRun(QStringLiteral("download.bat"));
}

PreparedUpdate PrepareUpdate(const QString& archive) {
    PreparedUpdate p;
    const auto failed = [&p](int result) {
        DeleteWorkFolder(p.folder);
        p.folder.clear();
        p.startPath.clear();
        p.result = result;
        return p;
    };
    if (UsesDownloadTool()) {
        p.result = PrepareDownloadFolder(archive, &p.folder, &p.startPath);
        return p.result == kPrepareOk ? p : failed(p.result);
    }
    // The direct road needs the archive's MCU image only, unpacked into a new folder of
    // this run, so nothing an earlier run left can stand in for it.
    if (archive.isEmpty() || !QFileInfo(archive).isFile() || !MakeWorkFolder(&p.folder)) return failed(2);
    if (!UnzipToWorkFolder(archive, p.folder, QString::fromLatin1(kFirmwarePassword))) return failed(2);
    const QString app = QDir(p.folder).filePath(QStringLiteral("app.bin"));
    p.startPath = QDir(p.folder).filePath(QString::fromLatin1(kDirectImageName));
    if (!QFileInfo(app).isFile()) return failed(4);
    if (QFile::exists(p.startPath) && !QFile::remove(p.startPath)) return failed(4);
    if (!QFile::copy(app, p.startPath)) return failed(4);
    p.result = 0;
    return p;
}

UpdateJob::UpdateJob(core::EqualizerManager& controller, std::shared_ptr<tk::Mailbox> mailbox)
    : controller_(controller), mailbox_(std::move(mailbox)) {}

UpdateJob::~UpdateJob() {
    Join();
}

void UpdateJob::Join() {
    if (thread_.joinable()) thread_.join();
}

QString UpdateJob::Folder() const {
    return running_ ? QString() : folder_;
}

void UpdateJob::Post(uint32_t msg, int64_t wparam) {
    mailbox_->Post(msg, wparam, nullptr);
}

void UpdateJob::StartWithArchive(const QString& archive) {
    Join();
    running_ = true;
    thread_ = std::thread([this, archive] {
        const PreparedUpdate p = PrepareUpdate(archive);
        folder_ = p.folder;
        if (p.result != 0) {
            LogWriteNarrow("PrepareDownloadFolder return %d\n", p.result);
            running_ = false;
            Post(WM_UPG_FILES_NOT_READY);
            return;
        }
        Run(p.startPath, 0);
    });
}

void UpdateJob::StartPrepared(const QString& startPath, uint32_t startMessage) {
    Join();
    running_ = true;
    folder_ = QFileInfo(startPath).absolutePath();
    thread_ = std::thread([this, startPath, startMessage] { Run(startPath, startMessage); });
}

void UpdateJob::Run(const QString& startPath, uint32_t startMessage) {
    const std::unique_ptr<core::UpgradeRun> owned = controller_.NewUpgradeRun();
    core::UpgradeRun& run = *owned;
    installedMain_ = installedSub_ = -1;
    core::UpgradeEvents events;
    events.restarting = [this] { Post(WM_UPG_RESTARTING); };
    // The bar starts at 0 with its own message.
    events.progress = [this](int percent) {
        if (percent > 0) Post(WM_UPG_PROGRESS, percent);
    };
    const int r = run.Start(startPath.toStdString(), false, events);
    if (r != 0) {
        LogWriteNarrow("UpgradeStart return %d\n", r);
        running_ = false;
        // A file that is no image of this unit, or a unit that would not take it.
        Post(r == fw::kUpgradeRefused || r == fw::UPG_CONNECT_FAIL ? WM_UPG_FAILED : WM_UPG_FILES_NOT_READY);
        return;
    }
    if (startMessage) Post(startMessage);
    if (run.BatchFileAccepted()) {
        Post(WM_UPG_PROGRESS_ZERO, 1);
        const QString output = RunHiddenTool(startPath, kToolTimeLimitMs, QFileInfo(startPath).absolutePath());
        LogWriteNarrow("Download finished.\n");
        const bool ok = ToolOutputSucceeded(output);
        running_ = false;
        if (ok) Post(WM_UPG_PROGRESS, 100);
        Post(ok ? WM_UPG_TOOL_FINISHED : WM_UPG_FAILED);
        return;
    }
    Post(WM_UPG_PROGRESS_ZERO, 0);
    const bool ok = run.Transfer(events);
    running_ = false;
    if (ok) {
        installedMain_ = run.SentMain();
        installedSub_ = run.SentSub();
        Post(WM_UPG_PROGRESS, 100);
        Post(WM_UPG_SUCCEEDED);
    } else {
        Post(WM_UPG_FAILED);
    }
}

void UpdateJob::StartFactoryReset() {
    Join();
    running_ = true;
    thread_ = std::thread([this] {
        controller_.NewUpgradeRun()->FactoryReset();
        running_ = false;
        Post(WM_UPG_FACTORY_DONE);
    });
}

}  // namespace dvdsp::ui
