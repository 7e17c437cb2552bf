#pragma once
// The controller's view of the main window, and the prompt that asks the user with the
// shared dialogs.

#include <QPointer>
#include <memory>

#include "core/prompt.h"
#include "core/session_view.h"
#include "toolkit/mailbox.h"
#include "ui/update/force_update_wnd.h"
#include "ui/update/update_fw_wnd.h"

namespace dvdsp::ui {

class CMainWnd;
class CMixerWnd;

class MainSessionView final : public core::SessionView {
public:
    explicit MainSessionView(CMainWnd& wnd);
    void Post(uint32_t msg, int64_t wparam) override;
    std::string LangText(const std::string& key) override;
    void SetConnectButton(core::ConnectButton state) override;
    void Refresh(const core::Change& change) override;
    void StartTimer(int id, int ms) override;
    void StopTimer(int id) override;
    void UpdateEqualizer(int band) override;
    // The mixer window: opened over the current source, closed when the unit goes or
    // comes back, and shown every change while it is open.
    bool HasWindow(core::WindowKind kind) const override;
    void CloseWindow(core::WindowKind kind) override;
    int RunWindow(core::WindowKind kind) override;
    CMixerWnd* OpenMixer() const;
    void CloseUpdateWindow();
    // The firmware update windows (main_update.cpp).
    int PrepareFirmwareFolder(const std::string& archive, std::string* startPath) override;
    int RunForcedUpdate(const std::string& firstText, const std::string& firstPath, const std::string& secondText,
                        const std::string& secondPath) override;
    void ContinueForcedUpdate() override;
    // Opens the user's update window (none when one is open); its result.
    int RunUpdateWindow(const QString& file = QString());
    CUpdateFwWnd* OpenUpdateWindow() const { return update_.data(); }
    CForceUpdateWnd* OpenForcedUpdateWindow() const { return force_.data(); }

private:
    CMainWnd& wnd_;
    QPointer<CMixerWnd> mixer_;
    QPointer<CUpdateFwWnd> update_;
    QPointer<CForceUpdateWnd> force_;
    QString preparedFolder_;  // the working folder PrepareFirmwareFolder made, until the update is over
    std::shared_ptr<tk::Mailbox> mailbox_;  // posting from any thread never touches the window
};

class MainPrompt final : public core::Prompt {
public:
    explicit MainPrompt(CMainWnd& wnd) : wnd_(wnd) {}
    void ShowTips(const std::string& text) override;
    bool Ask(const std::string& text) override;
    int AskChoice(const std::string& text, const std::string& option1, const std::string& option2) override;
    int AskThree(const std::string& text, const std::string& first, const std::string& second,
                 const std::string& third) override;
    std::optional<std::string> ChooseFile(core::FileMode mode, const std::string& title, const std::string& filter,
                                          const std::string& defaultName) override;

private:
    CMainWnd& wnd_;
};

}  // namespace dvdsp::ui
