// A/B switching against the virtual unit with a modelled exchange time: the frames a switch
// sends and its time from the switch to the last acknowledgement, beside a restore of the
// live settings (the whole sequence of commands). "ratio" = time / (frames x L). The memory
// of an undo history of 1000 band steps is reported beside it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "core/equalizer_manager.h"
#include "core/transfer.h"
#include "emulator/virtual_transport.h"
#include "emulator/virtual_unit.h"

using namespace dvdsp;

namespace {

class NullView final : public core::SessionView {
  public:
    void Post(uint32_t msg, int64_t) override {
        std::lock_guard lock(mutex);
        posted.push_back(msg);
    }
    std::string LangText(const std::string& key) override { return key; }
    void SetConnectButton(core::ConnectButton) override {}
    void Refresh(const core::Change&) override {}
    void StartTimer(int, int) override {}
    void StopTimer(int) override {}
    std::mutex mutex;
    std::vector<uint32_t> posted;
};

class NullPrompt final : public core::Prompt {
  public:
    void ShowTips(const std::string&) override {}
    bool Ask(const std::string&) override { return true; }
    int AskChoice(const std::string&, const std::string&, const std::string&) override { return 1; }
    int AskThree(const std::string&, const std::string&, const std::string&, const std::string&) override { return 1; }
    std::optional<std::string> ChooseFile(core::FileMode, const std::string&, const std::string&,
                                          const std::string&) override {
        return std::nullopt;
    }
};

class Sink final : public link::MessageSink {
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

struct Rig {
    emu::VirtualUnit unit;
    emu::VirtualHidBackend backend{unit};
    NullView view;
    NullPrompt prompt;
    Sink sink;
    core::EqualizerManager mgr{backend};
    explicit Rig(uint32_t exchangeMs) {
        mgr.Init(&view, &prompt);
        mgr.SetReadOutPauseMs(0);
        mgr.Attach(link::Target::Main, &sink);
        mgr.Connect(false);
        while (mgr.RunningWorkers() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        Dispatch();
        backend.SetReportDelayMs(exchangeMs);
    }
    ~Rig() {
        mgr.Shutdown();
        mgr.Attach(link::Target::Main, nullptr);
    }
    void Dispatch() {
        for (link::Message& m : sink.Take()) mgr.OnMessage(m.msg, m.wparam, &m);
        std::vector<uint32_t> posted;
        {
            std::lock_guard lock(view.mutex);
            posted.swap(view.posted);
        }
        for (uint32_t msg : posted)
            if (msg == core::WM_DEVICE_CONNECTED) mgr.OnMessage(msg, 0, nullptr);
    }
    // B differs from A in one band, or in every band of every channel and every trim.
    void StoreSlots(bool many) {
        mgr.StoreAb(core::AbCompare::kA);
        if (many) {
            for (int ch = 0; ch < core::kChannels; ++ch) {
                mgr.SetChVolumeEdit(ch, "-" + std::to_string(ch + 1));
                mgr.SetCurChannelChange(ch);
                for (int b = 0; b < core::kBandsPerChannel; ++b) mgr.SetEqSlider(b, 10 + b);
            }
        } else {
            mgr.SetEqSlider(5, 30);
        }
        mgr.CloseStep();
        mgr.Device().WaitQueueIdle(600000);
        mgr.StoreAb(core::AbCompare::kB);
    }
};

constexpr uint32_t kExchangeMs = 2;

void Report(benchmark::State& state, size_t frames, double seconds) {
    const double perRun = seconds / static_cast<double>(state.iterations());
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["ms_per_switch"] = perRun * 1000.0;
    state.counters["ratio"] = frames ? perRun / (static_cast<double>(frames) * kExchangeMs / 1000.0) : 0.0;
}

void BM_AbSwitch(benchmark::State& state) {
    Rig rig(kExchangeMs);
    rig.StoreSlots(state.range(0) != 0);
    size_t frames = 0;
    double seconds = 0;
    for (auto _ : state) {
        const uint64_t before = rig.unit.CommandsHandled();
        const auto t0 = std::chrono::steady_clock::now();
        rig.mgr.SwitchAb();
        rig.mgr.Device().WaitQueueIdle(600000);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        frames = rig.unit.CommandsHandled() - before;
    }
    Report(state, frames, seconds);
}
BENCHMARK(BM_AbSwitch)->Arg(0)->Arg(1)->Iterations(4)->Unit(benchmark::kMillisecond)->UseRealTime();

// The restore of the live settings that a switch with everything different replaces.
void BM_RestoreLive(benchmark::State& state) {
    Rig rig(kExchangeMs);
    rig.StoreSlots(true);
    size_t frames = 0;
    double seconds = 0;
    for (auto _ : state) {
        const uint64_t before = rig.unit.CommandsHandled();
        const auto t0 = std::chrono::steady_clock::now();
        core::SetReadCurProfileToMCU(rig.mgr.Device(), rig.mgr.Model().current);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        frames = rig.unit.CommandsHandled() - before;
    }
    Report(state, frames, seconds);
}
BENCHMARK(BM_RestoreLive)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The memory of a full history: 1000 steps of one band each, kept with their old and new values.
void BM_HistoryMemory(benchmark::State& state) {
    core::History history;
    for (auto _ : state) {
        history.Clear();
        for (int n = 0; n < static_cast<int>(core::History::kDefaultSteps); ++n) {
            core::HistoryStep s{"CH1 ${step_band_of} 5 ${step_gain}",
                                {core::ItemChange{{core::Field::Band, 0, 0, 4}, core::EqBand{}, core::EqBand{1.0f, 1.0f, 1000, 1}}}};
            history.Push(std::move(s));
        }
        benchmark::DoNotOptimize(history.Steps());
    }
    state.counters["bytes"] = static_cast<double>(history.Bytes());
    state.counters["bytes_per_step"] = static_cast<double>(history.Bytes()) / static_cast<double>(history.Steps());
}
BENCHMARK(BM_HistoryMemory)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
