// The virtual unit behind the HID seam, driven by DspDevice's encoders and read through
// its decoders: what the unit sends is what the program's records say.
#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "emulator/virtual_transport.h"
#include "emulator/virtual_unit.h"
#include "link/commands.h"
#include "link/dsp_device.h"

namespace dvdsp::emu {
namespace {

using namespace dvdsp::link;

class Recorder final : public MessageSink {
  public:
    void Post(Message m) override {
        std::lock_guard lock(mutex_);
        messages_.push_back(std::move(m));
    }
    std::vector<Message> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(messages_, {});
    }
    template <typename T>
    std::vector<const T*> Records(const std::vector<Message>& ms) {
        std::vector<const T*> out;
        for (const Message& m : ms)
            if (const T* r = m.As<T>()) out.push_back(r);
        return out;
    }

  private:
    std::mutex mutex_;
    std::vector<Message> messages_;
};

class UnitThroughLink : public ::testing::Test {
  protected:
    void SetUp() override {
        dev.SetDeviceProfile(98, 10, 8, 1, 0);
        for (int t = 0; t < kTargetCount; ++t) dev.SetTarget(static_cast<Target>(t), &sink);
        ASSERT_EQ(dev.OpenHIDDevice(), 0);
        ASSERT_TRUE(dev.IsConnected());
        dev.PC_Connect(1);
        ASSERT_TRUE(dev.Hand_Connect());
        sink.Take();
    }
    void TearDown() override { dev.CloseHIDDevice(false); }

    ManualClock clock;
    VirtualUnit unit{clock};
    VirtualHidBackend backend{unit, clock};
    DspDevice dev{backend, clock};
    Recorder sink;
};

TEST_F(UnitThroughLink, ValuesSetAreValuesRead) {
    dev.EQ_Ctrl(0, 0, 2, 5, 1000, 2.5f, 3.5f, true);
    dev.Trim_Ctrl(0, 0, 4, 4, {-3.25f}, true);
    dev.Delay_Ctrl(0, 0, 1, 1, {2.5f}, true);
    sink.Take();

    dev.Get_EQ(0, 0, 2, 5, 5);
    auto ms = sink.Take();
    auto bands = sink.Records<EqBandValue>(ms);
    ASSERT_EQ(bands.size(), 1u);
    EXPECT_EQ(bands[0]->ch, 2);
    EXPECT_EQ(bands[0]->band, 5);
    EXPECT_EQ(bands[0]->freq, 1000);
    EXPECT_FLOAT_EQ(bands[0]->q, 2.5f);
    EXPECT_FLOAT_EQ(bands[0]->gain, 3.5f);

    dev.Get_Trim(0, 0, 4, 4);
    auto trimMs = sink.Take();
    auto trims = sink.Records<ChannelFloat>(trimMs);
    ASSERT_EQ(trims.size(), 1u);
    EXPECT_NEAR(trims[0]->value, -3.25f, 1e-5);

    dev.Get_Delay(0, 0, 1, 1);
    auto delayMs = sink.Take();
    auto delays = sink.Records<ChannelFloat>(delayMs);
    ASSERT_EQ(delays.size(), 1u);
    EXPECT_NEAR(delays[0]->value, 2.5f, 1e-5);

    dev.SetPWD("1234", "pin");
    sink.Take();
    dev.Get_PWD();
    auto pwdMs = sink.Take();
    auto pwd = sink.Records<PasswordValue>(pwdMs);
    ASSERT_EQ(pwd.size(), 1u);
    EXPECT_EQ(pwd[0]->pwd_len, 4);
    EXPECT_EQ(std::string(pwd[0]->pwd.data(), 4), "1234");
    EXPECT_EQ(pwd[0]->remark_len, 3);

    dev.GetSceneName(4);
    auto nameMs = sink.Take();
    auto names = sink.Records<SceneNameValue>(nameMs);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0]->index, 3);
    EXPECT_EQ(names[0]->name, (std::array<uint8_t, 16>{}));  // erased reads as empty

    dev.GetSceneValid();
    auto ms2 = sink.Take();
    ASSERT_EQ(ms2.size(), 1u);
    EXPECT_EQ(ms2[0].wparam, FLASH_SCENE_VALID);
    EXPECT_EQ(unit.UnknownCommands(), 0u);
}

TEST_F(UnitThroughLink, DspStatusReportArrivesUnasked) {
    unit.SetDspStatus(0);
    backend.InjectReport(unit.DspStatusReport());
    ASSERT_TRUE(dev.ReadHIDData(100));
    auto ms = sink.Take();
    ASSERT_EQ(ms.size(), 1u);
    EXPECT_EQ(ms[0].msg, WM_READ_DSP_VALUE);
    EXPECT_EQ(ms[0].wparam, DSP_DSP_STATUS);
    EXPECT_EQ(ms[0].value, 0);
}

// The read-out of a connection, command by command: every query is known and answered.
TEST_F(UnitThroughLink, WholeReadOutUsesOnlyKnownCommands) {
    const uint64_t before = unit.CommandsHandled();
    int queries = 0;
    auto q = [&](auto&& call) {
        call();
        ++queries;
    };
    q([&] { dev.Get_Source(); });
    q([&] { dev.Get_Main_Volume(); });
    q([&] { dev.Get_Acc(); });
    q([&] { dev.Get_Subwoofer_Volume(); });
    q([&] { dev.Get_Mute(); });
    q([&] { dev.Get_Amp_Mute(); });
    q([&] { dev.Get_Rem_Out(); });
    q([&] { dev.Get_Spk_Ohm(); });
    q([&] { dev.Get_Noise_Gate(); });
    q([&] { dev.Get_Speaker_Config(); });
    q([&] { dev.GetSceneValid(); });
    q([&] { dev.Get_Delay(0, 0, 0, 9); });
    q([&] { dev.Get_CH_Type(0, 0, 0, 9); });
    q([&] { dev.Get_Ch_Solo(0, 0, 0, 9); });
    q([&] { dev.Get_CH_Link(0); });
    q([&] { dev.Get_CH_Lock(0); });
    for (uint8_t s = 0; s < 12; s += 4)
        q([&] { dev.Get_Filter(0, 0, s, static_cast<uint8_t>(s + 3)); });
    q([&] { dev.Get_PEQ_Bypass(0, 0, 0, 9); });
    for (uint8_t ch = 0; ch < 10; ++ch)
        for (uint8_t b = 0; b < 31; b += 7)
            q([&] { dev.Get_EQ(0, 0, ch, b, static_cast<uint8_t>(std::min(b + 6, 30))); });
    q([&] { dev.Get_Trim(0, 0, 0, 9); });
    q([&] { dev.Get_Mute_Ch(0, 0, 0, 9); });
    q([&] { dev.Get_Phase(0, 0, 0, 9); });
    q([&] { dev.Get_Ch_Solo(0, 0, 0, 9); });
    for (uint8_t s = 0; s < 9; ++s) q([&] { dev.Get_Mix_Ch(0, s, 0, 9); });
    const int inputs[9] = {2, 0, 2, 2, 0, 8, 0, 2, 2};
    for (uint8_t s = 0; s < 9; ++s)
        for (uint8_t in = 0; in < inputs[s]; ++in)
            q([&] { dev.Get_Input_Mix_CH_Trim(0, s, in, 0, 9); });
    for (uint8_t s = 0; s < 9; ++s)
        for (uint8_t in = 0; in < inputs[s]; ++in) q([&] { dev.Get_Mix_Source2(0, s, in); });
    for (uint8_t n = 1; n <= 10; ++n) q([&] { dev.GetSceneName(n); });
    q([&] { dev.Get_Ouput_Bridge(0, 0, 5); });

    auto ms = sink.Take();
    EXPECT_EQ(unit.UnknownCommands(), 0u);
    EXPECT_EQ(unit.CommandsHandled() - before, static_cast<uint64_t>(queries));
    EXPECT_EQ(backend.PendingReports(), 0u);  // every answer was read with its query
    EXPECT_EQ(sink.Records<FilterValue>(ms).size(), 10u);
    EXPECT_EQ(sink.Records<EqBandValue>(ms).size(), 310u);
    EXPECT_EQ(sink.Records<MixValue>(ms).size(), 90u);
    EXPECT_EQ(sink.Records<SceneNameValue>(ms).size(), 10u);
    auto roles = sink.Records<ChannelValue>(ms);
    ASSERT_GE(roles.size(), 10u);
}

}  // namespace
}  // namespace dvdsp::emu
