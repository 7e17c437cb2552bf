#pragma once
// The controller on the virtual unit without a window: a view that records what it is
// told, a scripted prompt, and the window thread's part of the session played by the
// test thread.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "core/equalizer_manager.h"
#include "emulator/virtual_transport.h"
#include "emulator/virtual_unit.h"
#include "support/scripted_prompt.h"

namespace dvdsp::testing {

class RecordingView final : public core::SessionView {
public:
    void Post(uint32_t msg, int64_t) override {
        std::lock_guard lock(mutex);
        posted.push_back(msg);
    }
    std::string LangText(const std::string& key) override { return key + " v%d.%d v%d.%d"; }
    void SetConnectButton(core::ConnectButton state) override { button = state; }
    void Refresh(const core::Change& change) override {
        refreshed.push_back(change.what);
        changes.push_back(change);
    }
    void CloseWindow(core::WindowKind kind) override { closed.push_back(kind); }
    void UpdateEqualizer(int band) override { curveUpdates.push_back(band); }
    void StartTimer(int id, int) override { timer = id; }
    void StopTimer(int id) override {
        if (timer == id) timer = 0;
    }
    std::vector<uint32_t> Posted() {
        std::lock_guard lock(mutex);
        return posted;
    }
    // The last change of kind `what` (for `channel` unless -2), or None.
    core::Change Last(core::What what, int channel = -2) const {
        for (auto it = changes.rbegin(); it != changes.rend(); ++it)
            if (it->what == what && (channel == -2 || it->channel == channel)) return *it;
        return {};
    }

    std::mutex mutex;
    std::vector<uint32_t> posted;
    std::vector<core::What> refreshed;
    std::vector<core::Change> changes;
    std::vector<core::WindowKind> closed;
    std::vector<int> curveUpdates;  // band of each hand-over to the curve control
    core::ConnectButton button = core::ConnectButton::Disconnected;
    int timer = 0;
};

// Passes everything to the virtual unit and keeps the header of every report written.
class CommandLog final : public link::HidBackend {
public:
    explicit CommandLog(link::HidBackend& inner) : inner_(inner) {}
    struct Handle final : link::HidHandle {
        Handle(std::shared_ptr<link::HidHandle> h, CommandLog& o) : inner(std::move(h)), owner(o) {}
        int GetString(link::HidString w, std::wstring& out) override { return inner->GetString(w, out); }
        int SetNonblocking(bool on) override { return inner->SetNonblocking(on); }
        int Write(const uint8_t* data, size_t len) override {
            {
                std::lock_guard lock(owner.mutex_);
                owner.reports_.emplace_back(data, data + len);
                // A command lost on the way: the write succeeds, the unit never sees it.
                if (len > 6 && owner.lost_ && data[4] == owner.lost_->type && data[5] == owner.lost_->cmd &&
                    data[6] == owner.lost_->op)
                    return static_cast<int>(len);
            }
            return inner->Write(data, len);
        }
        int ReadTimeout(uint8_t* data, size_t len, int ms) override { return inner->ReadTimeout(data, len, ms); }
        std::wstring Error() override { return inner->Error(); }
        void Interrupt() override { inner->Interrupt(); }
        std::shared_ptr<link::HidHandle> inner;
        CommandLog& owner;
    };
    int Init() override { return inner_.Init(); }
    std::shared_ptr<link::HidHandle> Open(uint16_t v, uint16_t p) override {
        auto h = inner_.Open(v, p);
        return h ? std::make_shared<Handle>(h, *this) : nullptr;
    }
    // The data bytes of each command (type, command code) written since the last Clear.
    std::vector<std::vector<uint8_t>> Sent(uint8_t type, uint8_t cmd) {
        std::lock_guard lock(mutex_);
        std::vector<std::vector<uint8_t>> out;
        for (const auto& r : reports_)
            if (r.size() > 7 && r[4] == type && r[5] == cmd)
                out.emplace_back(r.begin() + 7, r.begin() + 7 + std::max(0, r[3] - 3));
        return out;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        reports_.clear();
    }
    // From now on every command (type, command, operation) is lost on its way to the unit.
    void LoseCommand(uint8_t type, uint8_t cmd, uint8_t op) {
        std::lock_guard lock(mutex_);
        lost_ = Lost{type, cmd, op};
    }
    // Every report written since the last Clear, whole.
    std::vector<std::vector<uint8_t>> Reports() {
        std::lock_guard lock(mutex_);
        return reports_;
    }

private:
    struct Lost {
        uint8_t type, cmd, op;
    };
    link::HidBackend& inner_;
    std::mutex mutex_;
    std::vector<std::vector<uint8_t>> reports_;
    std::optional<Lost> lost_;
};

// Keeps the link's messages for the test thread, as the window's mailbox would.
class QueueSink final : public link::MessageSink {
public:
    void Post(link::Message m) override {
        std::lock_guard lock(mutex_);
        messages_.push_back(std::move(m));
    }
    std::vector<link::Message> Take() {
        std::lock_guard lock(mutex_);
        return std::move(messages_);
    }

private:
    std::mutex mutex_;
    std::vector<link::Message> messages_;
};

class ControllerTest : public ::testing::Test {
protected:
    // The controller's (and the link's) clock, and the one of the unit's report timing.
    explicit ControllerTest(link::Clock& clock = link::DefaultClock(), link::Clock& unitClock = link::DefaultClock())
        : backend(unit, unitClock), commands(backend), mgr(commands, clock) {
        mgr.Init(&view, &prompt);
        mgr.SetReadOutPauseMs(0);
        mgr.Device().SetTarget(link::Target::Main, &sink);
        // The tests count every command an operation issues, however fast they follow.
        mgr.Device().SetCoalescing(false);
    }
    ~ControllerTest() override {
        mgr.Shutdown();
        mgr.Device().SetTarget(link::Target::Main, nullptr);
    }
    void TearDown() override { EXPECT_EQ(prompt.Unused(), 0u) << "scripted answers nobody asked for"; }
    // Polls the number of running workers with a generous deadline.
    void WaitWorkers() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (mgr.RunningWorkers() > 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(mgr.RunningWorkers(), 0);
    }
    // The window thread's part: every reply in order, then the controller's own messages.
    void Dispatch() {
        for (link::Message& m : sink.Take())
            if (m.msg != link::WM_READ_KTV_VALUE) mgr.OnMessage(m.msg, m.wparam, &m);
        for (uint32_t msg : view.Posted())
            if (msg == core::WM_DEVICE_CONNECTED || msg == core::WM_DEVICE_DISCONNECTED) mgr.OnMessage(msg, 0, nullptr);
    }
    // Connected with the queue enabled, as after the read-out.
    void ConnectAndReadOut() {
        mgr.Connect(false);
        WaitWorkers();
        Dispatch();
        ASSERT_TRUE(mgr.Device().QueueEnabled());
        view.changes.clear();
        view.refreshed.clear();
    }
    // Waits until the queue has sent everything and any busy-window worker is done.
    void Drain() {
        ASSERT_TRUE(mgr.Device().WaitQueueIdle(10000)) << "the queue did not drain";
        WaitWorkers();
    }
    template <class F>
    auto Unit(F&& f) {
        return unit.WithState(std::forward<F>(f));
    }
    core::SceneState& Live() { return mgr.ModelForTests().current; }

    emu::VirtualUnit unit;
    emu::VirtualHidBackend backend;
    CommandLog commands;  // what the controller sent
    RecordingView view;
    ScriptedPrompt prompt;
    QueueSink sink;
    core::EqualizerManager mgr;
};

}  // namespace dvdsp::testing
