// Queued band and filter sets to one address: while a newer one waits, an older one is not
// sent, so a fast drag over a slow link leaves the unit at the final value at once. Nothing
// else is dropped or reordered.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "link/clock.h"
#include "link/commands.h"
#include "link/dsp_device.h"
#include "support/link_fixture.h"
#include "support/wait_until.h"

using namespace dvdsp;
using namespace dvdsp::link;
using dvdsp::testing::WaitUntil;

namespace {

// Records each report written; the first write waits until the test opens the gate, so the
// test can queue commands while the worker is known to be busy.
class GatedBackend final : public HidBackend {
  public:
    struct Handle final : HidHandle {
        explicit Handle(GatedBackend& b) : owner(b) {}
        int GetString(HidString, std::wstring& out) override {
            out = L"test";
            return 0;
        }
        int SetNonblocking(bool) override { return 0; }
        int Write(const uint8_t* data, size_t len) override {
            std::unique_lock lock(owner.mutex);
            owner.written.emplace_back(data, data + len);
            owner.entered.notify_all();
            owner.opened.wait(lock, [&] { return owner.open; });
            return static_cast<int>(len);
        }
        int ReadTimeout(uint8_t*, size_t, int) override { return 0; }
        std::wstring Error() override { return L""; }
        GatedBackend& owner;
    };
    int Init() override { return 0; }
    std::shared_ptr<HidHandle> Open(uint16_t, uint16_t) override { return std::make_shared<Handle>(*this); }

    void WaitForWrites(size_t n) {
        std::unique_lock lock(mutex);
        entered.wait(lock, [&] { return written.size() >= n; });
    }
    void OpenGate() {
        std::lock_guard lock(mutex);
        open = true;
        opened.notify_all();
    }
    // (command, data bytes) of every report written.
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> Commands() {
        std::lock_guard lock(mutex);
        std::vector<std::pair<uint8_t, std::vector<uint8_t>>> out;
        for (const auto& r : written) {
            const size_t n = r[3] - 3u;
            out.emplace_back(r[5], std::vector<uint8_t>(r.begin() + 7, r.begin() + 7 + static_cast<long>(n)));
        }
        return out;
    }

    std::mutex mutex;
    std::condition_variable entered, opened;
    bool open = false;
    std::vector<std::vector<uint8_t>> written;
};

TEST(Coalescing, OnlyTheNewestSetOfAnAddressGoesOutAndEverythingElseInOrder) {
    ManualClock clock;
    GatedBackend backend;
    DspDevice dev(backend, clock);
    dev.SetDeviceProfile(98, 10, 8, 1, 0);
    dev.OpenHIDDevice();
    ASSERT_TRUE(dev.IsConnected());
    dev.EnableCmdQueue();

    dev.Mute_Ctrl(1, false);  // the worker takes it and waits at the gate
    backend.WaitForWrites(1);
    for (int i = 0; i < 200; ++i) {
        dev.EQ_Ctrl(0, 0, 2, 5, static_cast<uint16_t>(100 + i), 1.0f, -6.0f + 0.05f * static_cast<float>(i), false);
        if (i == 50) dev.Trim_Ctrl(0, 0, 3, 3, {-1.0f}, false);
        if (i % 20 == 0) dev.EQ_Ctrl(0, 0, 2, 6, static_cast<uint16_t>(1000 + i), 2.0f, 1.0f, false);
        dev.Filter_Ctrl(0, 0, 2, 2, 1, static_cast<uint16_t>(30 + i), 2, false);
    }
    dev.Trim_Ctrl(0, 0, 4, 4, {-2.0f}, false);
    backend.OpenGate();
    ASSERT_TRUE(WaitUntil([&] { return dev.QueueIdle(); }));

    const auto sent = backend.Commands();
    std::vector<uint8_t> cmds;
    for (const auto& c : sent) cmds.push_back(c.first);
    // The mute, then each address's newest in the order of the newest: band 6 (queued at
    // 180), the trim of channel 3 (at 50) went before them all, band 5 and the filter last.
    EXPECT_EQ(cmds, (std::vector<uint8_t>{DSP_MUTE, DSP_TRIM_CH, DSP_EQ_CH, DSP_EQ_CH, DSP_FILTER_SET, DSP_TRIM_CH}));
    ASSERT_EQ(sent.size(), 6u);
    // Band 6's newest (1180 Hz) went before band 5's newest (299 Hz), as they were queued.
    EXPECT_EQ(sent[2].second[3], 6);
    EXPECT_EQ((sent[2].second[4] << 8 | sent[2].second[5]), 1180);
    EXPECT_EQ(sent[3].second[3], 5);
    EXPECT_EQ((sent[3].second[4] << 8 | sent[3].second[5]), 299);
    EXPECT_EQ((sent[4].second[5] << 8 | sent[4].second[6]), 229);  // the filter's newest
    EXPECT_EQ(sent[5].second[2], 4);                               // the last trim, still last
    EXPECT_EQ(dev.CoalescedCommands(), 199u + 9u + 199u);
    dev.CloseHIDDevice(false);
}

TEST(Coalescing, AFastDragOverASlowLinkLeavesTheUnitAtTheFinalValue) {
    dvdsp::testing::LinkFixture f(&DefaultClock());
    f.backend.SetReportDelayMs(10);
    ASSERT_TRUE(f.Connect());
    f.device.EnableCmdQueue();
    for (int i = 0; i <= 200; ++i)
        f.device.EQ_Ctrl(0, 0, 1, 3, static_cast<uint16_t>(200 + 10 * i), 2.0f, -10.0f + 0.1f * static_cast<float>(i), false);
    ASSERT_TRUE(f.device.WaitQueueIdle(30000));
    const emu::Band b = f.unit.WithState([](emu::UnitState& s) { return s.scenes[0].out[1].bands[3]; });
    EXPECT_EQ(b.freq, 2200);
    EXPECT_EQ(b.gain10, 280);  // +10 dB, kept as (gain + 18) in tenths
}

}  // namespace
