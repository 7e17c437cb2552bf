#pragma once
// The controller's view of the main window.

#include <memory>

#include "core/session_view.h"
#include "toolkit/mailbox.h"

namespace dvdsp::ui {

class CMainWnd;

class MainSessionView final : public core::SessionView {
public:
    explicit MainSessionView(CMainWnd& wnd);
    void Post(uint32_t msg, int64_t wparam) override;
    void ShowTips(const std::string& text) override;
    bool Ask(const std::string& text) override;
    int AskChoice(const std::string& text, const std::string& option1, const std::string& option2) override;
    int AskThree(const std::string& text, const std::string& first, const std::string& second,
                 const std::string& third) override;
    std::string LangText(const std::string& key) override;
    void SetConnectButton(core::ConnectButton state) override;
    void Refresh(const core::Change& change) override;
    int ClampToSlider(const std::string& name, int value) override;
    std::string ControlText(const std::string& name) override;
    void SetSelected(const std::string& name, bool selected) override;
    void MarkSelected(const std::string& name, bool selected) override;
    void SetBkColor(const std::string& name, uint32_t argb) override;
    void SetText(const std::string& name, const std::string& text) override;
    void SetVisible(const std::string& name, bool visible) override;
    void SetEnabled(const std::string& name, bool enabled) override;
    int ControlValue(const std::string& name) override;
    void StartTimer(int id, int ms) override;
    void StopTimer(int id) override;
    void UpdateEqualizer(int band) override;

private:
    CMainWnd& wnd_;
    std::shared_ptr<tk::Mailbox> mailbox_;  // posting from any thread never touches the window
};

}  // namespace dvdsp::ui
