// Cost of the link on top of the wire: the connection read-out against the virtual unit
// with a modelled exchange time, and one queued command from enqueue to decoded reply.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/readout.h"
#include "emulator/virtual_transport.h"
#include "emulator/virtual_unit.h"
#include "link/commands.h"
#include "link/dsp_device.h"

using namespace dvdsp;

namespace {

class CountingSink final : public link::MessageSink {
  public:
    void Post(link::Message) override {
        {
            std::lock_guard lock(mutex_);
            ++count_;
        }
        cv_.notify_all();
    }
    void WaitFor(uint64_t n) {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return count_ >= n; });
    }
    uint64_t Count() {
        std::lock_guard lock(mutex_);
        return count_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    uint64_t count_ = 0;
};

struct Rig {
    emu::VirtualUnit unit;
    emu::VirtualHidBackend backend{unit};
    link::DspDevice dev{backend};
    CountingSink sink;
    explicit Rig(uint32_t exchangeMs) {
        backend.SetReportDelayMs(exchangeMs);
        dev.SetDeviceProfile(98, 10, 8, 1, 0);
        for (int t = 0; t < link::kTargetCount; ++t)
            dev.SetTarget(static_cast<link::Target>(t), &sink);
        dev.OpenHIDDevice();
    }
    ~Rig() { dev.CloseHIDDevice(false); }
};

// The whole read-out with L ms per exchange. "ratio" = time / (exchanges x L).
void BM_ReadOut(benchmark::State& state) {
    const auto exchangeMs = static_cast<uint32_t>(state.range(0));
    Rig rig(exchangeMs);
    uint64_t exchanges = 0;
    double seconds = 0;
    for (auto _ : state) {
        uint64_t before = rig.unit.CommandsHandled();
        auto t0 = std::chrono::steady_clock::now();
        core::ReadOutUnitStatus(rig.dev);
        auto t1 = std::chrono::steady_clock::now();
        // The attach notice is written without waiting for an answer.
        exchanges = rig.unit.CommandsHandled() - before - 1;
        seconds += std::chrono::duration<double>(t1 - t0).count();
    }
    double perRun = seconds / static_cast<double>(state.iterations());
    state.counters["exchanges"] = static_cast<double>(exchanges);
    state.counters["ms_per_readout"] = perRun * 1000.0;
    state.counters["ratio"] = perRun / (static_cast<double>(exchanges) * exchangeMs / 1000.0);
}
BENCHMARK(BM_ReadOut)->Arg(2)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// One queued command with no modelled wire time: enqueue, worker sends, the unit answers,
// the reply is decoded and posted.
void BM_QueuedCommand(benchmark::State& state) {
    Rig rig(0);
    rig.dev.Hand_Connect();
    rig.dev.EnableCmdQueue();
    uint64_t expected = rig.sink.Count();
    for (auto _ : state) {
        rig.dev.Send(link::CMD_DSP, link::DSP_VOLUME, link::OP_GET, {}, false);
        rig.sink.WaitFor(++expected);
    }
    rig.dev.DisableCmdQueue();
}
BENCHMARK(BM_QueuedCommand)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
