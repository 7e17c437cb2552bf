// The command sequences of the bulk transfers, as written to the unit.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <tuple>
#include <vector>

#include "core/transfer.h"
#include "emulator/virtual_transport.h"
#include "emulator/virtual_unit.h"
#include "link/commands.h"
#include "link/packet.h"
#include "link/protocol/units.h"
#include "profile_fixture.h"

namespace dvdsp::core {
namespace {

using namespace link;

// Forwards to the virtual unit and keeps every report written.
class RecordingBackend final : public HidBackend {
public:
    explicit RecordingBackend(HidBackend& inner) : inner_(inner) {}
    struct Handle final : HidHandle {
        Handle(std::shared_ptr<HidHandle> h, RecordingBackend& o) : inner(std::move(h)), owner(o) {}
        int GetString(HidString w, std::wstring& out) override { return inner->GetString(w, out); }
        int SetNonblocking(bool on) override { return inner->SetNonblocking(on); }
        int Write(const uint8_t* data, size_t len) override {
            {
                std::lock_guard lock(owner.mutex);
                owner.reports.emplace_back(data, data + len);
            }
            return inner->Write(data, len);
        }
        int ReadTimeout(uint8_t* data, size_t len, int ms) override { return inner->ReadTimeout(data, len, ms); }
        std::wstring Error() override { return inner->Error(); }
        void Interrupt() override { inner->Interrupt(); }
        std::shared_ptr<HidHandle> inner;
        RecordingBackend& owner;
    };
    int Init() override { return inner_.Init(); }
    std::shared_ptr<HidHandle> Open(uint16_t v, uint16_t p) override {
        auto h = inner_.Open(v, p);
        return h ? std::make_shared<Handle>(h, *this) : nullptr;
    }
    // (type, command, first data byte, fourth data byte) of each report since the last call.
    using Entry = std::tuple<int, int, int, int>;
    std::vector<Entry> Take() {
        std::lock_guard lock(mutex);
        std::vector<Entry> out;
        for (const auto& r : reports) {
            const int n = r[3] - 3;  // data bytes of the packet
            out.emplace_back(r[4], r[5], n > 0 ? r[7] : -1, n > 3 ? r[10] : -1);
        }
        reports.clear();
        return out;
    }
    std::mutex mutex;
    std::vector<std::vector<uint8_t>> reports;

private:
    HidBackend& inner_;
};

class Sequence : public ::testing::Test {
protected:
    void SetUp() override {
        dev.SetDeviceProfile(98, 10, 8, 1, 0);
        dev.OpenHIDDevice();
        ASSERT_TRUE(dev.IsConnected());
        rec.Take();
    }
    void TearDown() override { dev.CloseHIDDevice(false); }

    // Expected entries of one scene's body (filters, bands, channel values, mixer).
    static void Body(std::vector<RecordingBackend::Entry>& e, const SceneState& s, int scene, int source) {
        for (int ch = 0; ch < kChannels; ++ch) {
            e.emplace_back(CMD_DSP, DSP_FILTER_SET, scene, 1);  // low-pass first
            e.emplace_back(CMD_DSP, DSP_FILTER_SET, scene, 2);
            for (int b = 0; b < s.channels[static_cast<size_t>(ch)].eqSize; ++b)
                e.emplace_back(CMD_DSP, DSP_EQ_CH, scene, b);
        }
        for (int cmd : {DSP_CH_TYPE, DSP_TRIM_CH, DSP_MUTE_CH, DSP_PHASE_CH, DSP_CH_SOLO, DSP_DELAY_CH,
                        DSP_EQ_BYPASS})
            e.emplace_back(CMD_DSP, cmd, scene, 9);
        e.emplace_back(CMD_DSP, DSP_MIX_CH, scene, 9);
        for (int src : {0, 2, 3, 5, 7, 8})
            for (int in = 0; in < kInputChannelsPerSource[static_cast<size_t>(src)]; ++in)
                e.emplace_back(CMD_DSP, DSP_INPUT_MIX_CH_TRIM, scene, 0);
        (void)source;
    }
    // What follows the body: the routing of the other sources, the cross-source feeds, the
    // bridge pairs, lock and link.
    static void Rest(std::vector<RecordingBackend::Entry>& e, const SceneState& s, int scene, int source) {
        for (int src = 0; src < kSources; ++src)
            if (src != source) e.emplace_back(CMD_DSP, DSP_MIX_CH, scene, 9);
        for (int src = 0; src < kSources; ++src)
            for (int in = 0; in < kInputChannelsPerSource[static_cast<size_t>(src)]; ++in)
                e.emplace_back(CMD_DSP, DSP_CROSS_SOURCE_MIX, scene,
                               s.csmViceSource[static_cast<size_t>(src)][static_cast<size_t>(in)]);
        e.emplace_back(CMD_DSP, DSP_OUPUT_BRIDGE, scene, s.bridge[0]);
        e.emplace_back(CMD_DSP, DSP_CH_LOCK, scene, -1);
        // With the link on, the first pair's first channel.
        e.emplace_back(CMD_DSP, DSP_CH_LINK, scene, s.linkMode ? 0 : -1);
    }
    static void Live(std::vector<RecordingBackend::Entry>& e, const SceneState& s) {
        e.emplace_back(CMD_DSP, DSP_VOLUME, static_cast<int>(link::units::MainVolumeToWire(s.mainVolume)), -1);
        e.emplace_back(CMD_DSP, DSP_MUTE, s.mainMute, -1);
        Body(e, s, 0, s.source);
        Rest(e, s, 0, s.source);
    }

    emu::VirtualUnit unit;
    ManualClock clock;
    emu::VirtualHidBackend virt{unit, clock};
    RecordingBackend rec{virt};
    DspDevice dev{rec, clock};
};

TEST_F(Sequence, LiveSettings) {
    SceneState s;
    s.mainVolume = -20;
    s.channels[3].eqSize = 12;
    s.source = 5;
    s.bridge[0] = 1;
    s.csmViceSource[7][1] = 3;
    s.lockMode = 1;
    s.linkMode = 1;
    s.linkOutputs[0] = 1;
    s.linkOutputs[1] = 0;
    SetReadCurProfileToMCU(dev, s);
    std::vector<RecordingBackend::Entry> expected;
    Live(expected, s);
    EXPECT_EQ(rec.Take(), expected);
}

TEST_F(Sequence, WholeProfileScenesThenLive) {
    auto m = std::make_unique<UnitModel>();
    m->names[4] = SceneNameFromUtf8("Club");
    SetReadWholeProfileToMCU(dev, *m);
    std::vector<RecordingBackend::Entry> expected;
    for (int n = 1; n <= kStoredScenes; ++n) {
        Body(expected, m->scenes[static_cast<size_t>(n - 1)], n, m->current.source);
        Rest(expected, m->scenes[static_cast<size_t>(n - 1)], n, m->current.source);
        expected.emplace_back(CMD_FLASH, FLASH_SCENE_NAME, n, n == 5 ? 'l' : 0);
        expected.emplace_back(CMD_FLASH, FLASH_SCENE_SAVE, n, -1);
    }
    Live(expected, m->current);
    EXPECT_EQ(rec.Take(), expected);
    EXPECT_EQ(unit.State().names[5][0], 'C');
}

}  // namespace
}  // namespace dvdsp::core
