// The main window's side of firmware updates: the user's update window from the option
// menu and after the unit reported an abnormal state, and the forced-update window the
// controller runs, with the hand-over when the unit comes back.
#include <QPointer>
#include <QTimer>

#include "base/log.h"
#include "ui/dialogs/message_box.h"
#include "ui/main/main_session_view.h"
#include "ui/main/main_wnd.h"
#include "ui/update/force_update_wnd.h"
#include "ui/update/tool_road.h"
#include "ui/update/update_fw_wnd.h"
#include "ui/update/update_job.h"

namespace dvdsp::ui {

int MainSessionView::RunUpdateWindow(const QString& file) {
    if (update_ || force_) return 0;
    wnd_.controller_.SetUpgradeWindowOpen(true);
    CUpdateFwWnd window(&wnd_, wnd_.controller_, file);
    update_ = &window;
    const int result = window.Run();
    update_ = nullptr;
    wnd_.controller_.SetUpgradeWindowOpen(false);
    return result;
}

int CMainWnd::RunUpdateWindow() { return view_->RunUpdateWindow(); }

void MainSessionView::CloseUpdateWindow() {
    // A window whose worker still talks to the unit stays until the worker is done.
    if (update_ && !update_->WorkerRunning()) update_->Close(0);
}

int MainSessionView::PrepareFirmwareFolder(const std::string& archive, std::string* startPath) {
    DeleteWorkFolder(preparedFolder_);
    const PreparedUpdate p = PrepareUpdate(QString::fromStdString(archive));
    preparedFolder_ = p.folder;
    if (startPath) *startPath = p.startPath.toStdString();
    return p.result;
}

int MainSessionView::RunForcedUpdate(const std::string& firstText, const std::string& firstPath,
                                     const std::string& secondText, const std::string& secondPath) {
    if (force_) return 0;
    CForceUpdateWnd window(&wnd_, wnd_.controller_, QString::fromStdString(firstText),
                           QString::fromStdString(firstPath), QString::fromStdString(secondText),
                           QString::fromStdString(secondPath));
    force_ = &window;
    const int result = window.Run();
    force_ = nullptr;
    // Closed after a start that did not finish: the session ends, so that the next
    // connection reads the unit as it is and offers the update again.
    if (window.Begun() && !window.Done()) wnd_.controller_.ShowDisconnected();
    // The prepared files are not needed any more.
    DeleteWorkFolder(preparedFolder_);
    preparedFolder_.clear();
    // Finished: the unit is read out again (the controller does so on 1).
    return window.Done() ? 1 : result;
}

void MainSessionView::ContinueForcedUpdate() {
    if (force_) force_->Continue();
}

void CMainWnd::ShowTipsThenUpdate(const QString& text) {
    QPointer<CMainWnd> self(this);
    ShowTipsLater(text, [self] {
        if (self) self->view_->RunUpdateWindow();
    });
}

}  // namespace dvdsp::ui
