// For each command family: a value set through DspDevice is the value that comes back
// through the virtual unit and the reply decoders.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "core/readout.h"
#include "link/commands.h"
#include "support/link_fixture.h"

using namespace dvdsp;
using namespace dvdsp::link;
using dvdsp::testing::LinkFixture;

namespace {

struct Family {
    const char* what;
    std::function<void(DspDevice&)> set;
    std::function<void(DspDevice&)> get;
    // Finds the value in the decoded replies; NAN when it is missing.
    std::function<double(const std::vector<Message>&)> read;
    double expect;
};

double Plain(const std::vector<Message>& ms, uint32_t msg, uint32_t wparam) {
    for (const Message& m : ms)
        if (m.msg == msg && m.wparam == wparam && !m.record) return static_cast<double>(m.value);
    return NAN;
}

template <typename R, typename F>
double Rec(const std::vector<Message>& ms, F field) {
    for (const Message& m : ms)
        if (const R* r = m.As<R>()) return field(*r);
    return NAN;
}

}  // namespace

TEST(RoundTrip, EveryFamilyReadsBackWhatWasSet) {
    const Family families[] = {
        {"source", [](DspDevice& d) { d.Source_Switch_Ctrl(85, true); },
         [](DspDevice& d) { d.Get_Source(); },
         [](auto& ms) { return Plain(ms, WM_READ_DSP_VALUE, DSP_SOURCE_SWITCH); }, 85},
        {"main volume", [](DspDevice& d) { d.Main_Volume_Ctrl(-14, true); },
         [](DspDevice& d) { d.Get_Main_Volume(); },
         [](auto& ms) { return Plain(ms, WM_READ_DSP_VALUE, DSP_VOLUME); }, 20},
        {"sub volume", [](DspDevice& d) { d.Subwoofer_Volume_Ctrl(-4, true); },
         [](DspDevice& d) { d.Get_Subwoofer_Volume(); },
         [](auto& ms) { return Plain(ms, WM_READ_DSP_VALUE, DSP_SUBWOOFER_VOLUME); }, -4},
        {"mute", [](DspDevice& d) { d.Mute_Ctrl(1, true); }, [](DspDevice& d) { d.Get_Mute(); },
         [](auto& ms) { return Plain(ms, WM_READ_DSP_VALUE, DSP_MUTE); }, 1},
        {"amp", [](DspDevice& d) { d.Amp_Mute_Ctrl(1, true); },
         [](DspDevice& d) { d.Get_Amp_Mute(); },
         [](auto& ms) { return Plain(ms, WM_READ_DSP_VALUE, DSP_AMP_MUTE); }, 1},
        {"speaker ohm", [](DspDevice& d) { d.Spk_Ohm_Ctrl(0, true); },
         [](DspDevice& d) { d.Get_Spk_Ohm(); },
         [](auto& ms) { return Plain(ms, WM_READ_DSP_VALUE, DSP_SPK_OHM); }, 0},
        {"noise gate", [](DspDevice& d) { d.Noise_Gate_Ctrl(1, true); },
         [](DspDevice& d) { d.Get_Noise_Gate(); },
         [](auto& ms) { return Plain(ms, WM_READ_DSP_VALUE, DSP_NOISE_GATE); }, 1},
        {"remote out 2", [](DspDevice& d) { d.Rem_Out_Ctrl(1, 0, true); },
         [](DspDevice& d) { d.Get_Rem_Out(); },
         [](auto& ms) { return Rec<RemOutValue>(ms, [](auto& r) { return r.rem_out2; }); }, 0},
        {"acc", [](DspDevice& d) { d.Set_Acc(7, true); }, [](DspDevice& d) { d.Get_Acc(); },
         [](auto& ms) { return Plain(ms, WM_READ_MCU_VALUE, MCU_ACC); }, 7},
        {"power-off time", [](DspDevice& d) { d.Set_Power_Off_Time(3000, true); },
         [](DspDevice& d) { d.Get_Delay_Power_Off_Time(); },
         [](auto& ms) { return Plain(ms, WM_READ_MCU_VALUE, MCU_POWER_OFF_TIME); }, 3000},
        {"delay", [](DspDevice& d) { d.Delay_Ctrl(0, 0, 6, 6, {7.125f}, true); },
         [](DspDevice& d) { d.Get_Delay(0, 0, 6, 6); },
         [](auto& ms) { return Rec<ChannelFloat>(ms, [](auto& r) { return r.value; }); }, 7.125},
        {"trim", [](DspDevice& d) { d.Trim_Ctrl(0, 0, 2, 2, {-12.5f}, true); },
         [](DspDevice& d) { d.Get_Trim(0, 0, 2, 2); },
         [](auto& ms) { return Rec<ChannelFloat>(ms, [](auto& r) { return r.value; }); }, -12.5},
        {"channel mute", [](DspDevice& d) { d.Mute_Ch_Ctrl(0, 0, 8, 8, {1}, true); },
         [](DspDevice& d) { d.Get_Mute_Ch(0, 0, 8, 8); },
         [](auto& ms) { return Rec<ChannelValue>(ms, [](auto& r) { return r.value; }); }, 1},
        {"phase", [](DspDevice& d) { d.Phase_Ctrl(0, 0, 1, 1, {1}, true); },
         [](DspDevice& d) { d.Get_Phase(0, 0, 1, 1); },
         [](auto& ms) { return Rec<ChannelValue>(ms, [](auto& r) { return r.value; }); }, 1},
        {"solo", [](DspDevice& d) { d.Solo_Ctrl(0, 0, 9, 9, {1}, true); },
         [](DspDevice& d) { d.Get_Ch_Solo(0, 0, 9, 9); },
         [](auto& ms) { return Rec<ChannelValue>(ms, [](auto& r) { return r.value; }); }, 1},
        {"speaker type", [](DspDevice& d) { d.CH_Type_Ctrl(0, 0, 3, 3, {21}, true); },
         [](DspDevice& d) { d.Get_CH_Type(0, 0, 3, 3); },
         [](auto& ms) { return Rec<ChannelValue>(ms, [](auto& r) { return r.value; }); }, 21},
        {"EQ bypass", [](DspDevice& d) { d.PEQ_Bypass_Ctrl(0, 0, 5, 5, {1}, true); },
         [](DspDevice& d) { d.Get_PEQ_Bypass(0, 0, 5, 5); },
         [](auto& ms) { return Rec<ChannelValue>(ms, [](auto& r) { return r.value; }); }, 1},
        {"mix mask", [](DspDevice& d) { d.Mix_Ch_Ctrl(0, 5, 4, 4, {0x81}, true); },
         [](DspDevice& d) { d.Get_Mix_Ch(0, 5, 4, 4); },
         [](auto& ms) { return Rec<MixValue>(ms, [](auto& r) { return r.mask; }); }, 0x81},
        {"high-pass frequency", [](DspDevice& d) { d.Filter_Ctrl(0, 0, 7, 2, 2, 120, 4, true); },
         [](DspDevice& d) { d.Get_Filter(0, 0, 7, 7); },
         [](auto& ms) { return Rec<FilterValue>(ms, [](auto& r) { return r.hp_freq; }); }, 120},
        {"low-pass slope", [](DspDevice& d) { d.Filter_Ctrl(0, 0, 7, 1, 1, 3000, 6, true); },
         [](DspDevice& d) { d.Get_Filter(0, 0, 7, 7); },
         [](auto& ms) { return Rec<FilterValue>(ms, [](auto& r) { return r.lp_slope; }); }, 6},
        {"EQ Q in tenths comes back",
         [](DspDevice& d) { d.EQ_Ctrl(0, 0, 1, 30, 20000, 8.7f, -17.5f, true); },
         [](DspDevice& d) { d.Get_EQ(0, 0, 1, 30, 30); },
         [](auto& ms) { return Rec<EqBandValue>(ms, [](auto& r) { return r.q; }); }, 8.7},
        {"EQ gain", [](DspDevice& d) { d.EQ_Ctrl(0, 0, 1, 30, 20000, 8.7f, -17.5f, true); },
         [](DspDevice& d) { d.Get_EQ(0, 0, 1, 30, 30); },
         [](auto& ms) { return Rec<EqBandValue>(ms, [](auto& r) { return r.gain; }); }, -17.5},
        {"link",
         [](DspDevice& d) {
             d.CH_Link_Ctrl(0, 1, {{0, 1}}, true);
         },
         [](DspDevice& d) { d.Get_CH_Link(0); },
         [](auto& ms) { return Rec<LinkValue>(ms, [](auto& r) { return r.link; }); }, 1},
        {"lock", [](DspDevice& d) { d.CH_Lock_Ctrl(0, 1, true); },
         [](DspDevice& d) { d.Get_CH_Lock(0); },
         [](auto& ms) { return Rec<LockValue>(ms, [](auto& r) { return r.lock; }); }, 1},
        {"bridge",
         [](DspDevice& d) {
             d.Output_Bridge_Ctrl(0, 0, {0, 0, 1, 0, 0}, true);
         },
         [](DspDevice& d) { d.Get_Ouput_Bridge(0, 0, 5); },
         [](auto& ms) { return Rec<BridgeValue>(ms, [](auto& r) { return r.bridge[2]; }); }, 1},
        {"speaker distance", [](DspDevice& d) { d.Spk_Dist_Ctrl(0, 0, 2, 2, {345}, true); },
         [](DspDevice& d) { d.Get_Spk_Dist(0, 0, 2, 2); },
         [](auto& ms) { return Rec<RangeDistances>(ms, [](auto& r) { return r.values[2]; }); },
         345},
        {"compressor 2 threshold",
         [](DspDevice& d) {
             d.Compressor_Ctrl2(0, 0, 4, 4, {{-20.5f, 10, 1200}}, true);
         },
         [](DspDevice& d) { d.Get_Compressor2(0, 0, 4, 4); },
         [](auto& ms) { return Rec<Compressor2Value>(ms, [](auto& r) { return r.threshold; }); },
         -20.5},
        {"compressor 2 release",
         [](DspDevice& d) {
             d.Compressor_Ctrl2(0, 0, 4, 4, {{-20.5f, 10, 1200}}, true);
         },
         [](DspDevice& d) { d.Get_Compressor2(0, 0, 4, 4); },
         [](auto& ms) { return Rec<Compressor2Value>(ms, [](auto& r) { return r.release; }); },
         1200},
        {"input mix trim",
         [](DspDevice& d) {
             d.Input_Mix_Trim_Ctrl(0, 5, 3, 0, 9, std::vector<int8_t>(10, 42), true);
         },
         [](DspDevice& d) { d.Get_Input_Mix_CH_Trim(0, 5, 3, 0, 9); },
         [](auto& ms) { return Rec<InputMixTrimValue>(ms, [](auto& r) { return r.trims[9]; }); },
         42},
        {"cross-source mix", [](DspDevice& d) { d.Cross_Source_Mix_Ctrl(0, 0, 1, 5, 3, 40, true); },
         [](DspDevice& d) { d.Get_Mix_Source2(0, 0, 1); },
         [](auto& ms) { return Rec<CrossSourceMixValue>(ms, [](auto& r) { return r.vice_ch; }); },
         3},
        {"mix type", [](DspDevice& d) { d.Mix_Type_Ctrl(0, 2, 3, true); },
         [](DspDevice& d) { d.Get_Mix_Type(0, 2); },
         [](auto& ms) { return Rec<MixTypeValue>(ms, [](auto& r) { return r.type; }); }, 3},
        {"karaoke echo delay", [](DspDevice& d) { d.KTV_Set(KTV_ECHO_DELAY, 300, true); },
         [](DspDevice& d) { d.KTV_Get(KTV_ECHO_DELAY); },
         [](auto& ms) { return Plain(ms, WM_READ_KTV_VALUE, KTV_ECHO_DELAY); }, 300},
        {"karaoke treble", [](DspDevice& d) { d.KTV_Set(KTV_TREBLE_GAIN, -6, true); },
         [](DspDevice& d) { d.KTV_Get(KTV_TREBLE_GAIN); },
         [](auto& ms) { return Plain(ms, WM_READ_KTV_VALUE, KTV_TREBLE_GAIN); }, -6},
        {"scene name",
         [](DspDevice& d) {
             std::vector<uint8_t> name(16, 0);
             std::string text = "Road trip";
             std::copy(text.begin(), text.end(), name.begin());
             d.SetSceneName(2, name);
         },
         [](DspDevice& d) { d.GetSceneName(2); },
         [](auto& ms) { return Rec<SceneNameValue>(ms, [](auto& r) { return r.name[5]; }); }, 't'},
    };
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    for (const Family& fam : families) {
        fam.set(f.device);
        f.sink.Take();
        fam.get(f.device);
        double got = fam.read(f.sink.Take());
        EXPECT_NEAR(got, fam.expect, 1e-4) << fam.what;
    }
    EXPECT_EQ(f.unit.UnknownCommands(), 0u);
}

TEST(RoundTrip, ConnectionReadOutAnswersEveryQuery) {
    LinkFixture f;
    f.device.OpenHIDDevice();
    ASSERT_EQ(core::ReadOutUnitStatus(f.device), 0);
    EXPECT_EQ(f.unit.UnknownCommands(), 0u);
    EXPECT_EQ(f.backend.PendingReports(), 0u);
    size_t bands = 0, filters = 0, names = 0;
    for (const Message& m : f.sink.Take()) {
        bands += m.As<EqBandValue>() != nullptr;
        filters += m.As<FilterValue>() != nullptr;
        names += m.As<SceneNameValue>() != nullptr;
    }
    EXPECT_EQ(bands, 310u);
    EXPECT_EQ(filters, 10u);
    EXPECT_EQ(names, 10u);
}

TEST(RoundTrip, RefusedHandshakeStopsTheReadOut) {
    LinkFixture f;
    f.unit.Identity().refuseHandshake = true;
    f.device.OpenHIDDevice();
    EXPECT_EQ(core::ReadOutUnitStatus(f.device), 0);  // answered, but nothing is read
    EXPECT_EQ(f.unit.CommandsHandled(), 2u);          // attach and hand-shake only

    LinkFixture g;
    g.device.OpenHIDDevice();
    g.backend.DropReplies(link::kExchangeAttempts);  // a single loss is asked for again
    EXPECT_EQ(core::ReadOutUnitStatus(g.device), -1);
}
