// Encoders of the inputs, the mixer, calibration, processing switches and karaoke.
#include <algorithm>

#include "base/log.h"
#include "link/commands.h"
#include "link/dsp_device.h"
#include "link/encoder_util.h"
#include "link/wire_values.h"

namespace dvdsp::link {

using namespace wire;

namespace {

void PutBand(std::vector<uint8_t>& d, const DspDevice::EqBandSetting& b) {
    PutBe16(d, b.freq);
    d.push_back(IntPart(b.q));
    d.push_back(TenthsDigit(b.q));
    double g = static_cast<double>(b.gain) + 18.0;
    d.push_back(IntPart(g));
    d.push_back(TenthsDigit(g));
}

}  // namespace

void DspDevice::Input_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                const std::vector<uint8_t>& gain, bool immediate) {
    Send(CMD_DSP, DSP_INPUT_TRIM_CH, OP_SET,
         RangedBytes(scene, source, chStart, chEnd, gain,
                     [&](int ch, uint8_t g) {
                         LogWriteNarrow("Input_Trim_Ctrl: scene(%d), channel(%d), gain(%d)\n",
                                        scene, ch, g);
                     }),
         immediate);
}

void DspDevice::Mute_Input_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                   const std::vector<uint8_t>& mute, bool immediate) {
    Send(CMD_DSP, DSP_INPUT_CH_MUTE, OP_SET,
         RangedBytes(scene, source, chStart, chEnd, mute,
                     [&](int ch, uint8_t m) {
                         LogWriteNarrow(
                             "Mute_Input_Ch_Ctrl: scene(%d),source (%d), channel(%d), mute(%d)\n",
                             scene, source, ch, m);
                     }),
         immediate);
}

void DspDevice::Input_Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                 const std::vector<uint8_t>& phase, bool immediate) {
    Send(CMD_DSP, DSP_INPUT_CH_PHASE, OP_SET,
         RangedBytes(scene, source, chStart, chEnd, phase,
                     [&](int ch, uint8_t p) {
                         LogWriteNarrow(
                             "Input_Phase_Ctrl: scene(%d), source(%d), channel(%d), phase(%d)\n",
                             scene, source, ch, p);
                     }),
         immediate);
}

void DspDevice::Get_Input_Trim(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) {
    Send(CMD_DSP, DSP_INPUT_TRIM_CH, OP_GET, {scene, source, chStart, chEnd}, true);
}
void DspDevice::Get_Mute_Input_Ch(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) {
    Send(CMD_DSP, DSP_INPUT_CH_MUTE, OP_GET, {scene, source, chStart, chEnd}, true);
}
void DspDevice::Get_Phase_Input_Ch(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) {
    Send(CMD_DSP, DSP_INPUT_CH_PHASE, OP_GET, {scene, source, chStart, chEnd}, true);
}

void DspDevice::Input_EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t bandStart,
                              uint8_t bandEnd, const std::vector<EqBandSetting>& bands,
                              bool immediate) {
    // At most eight bands fit one command.
    if (RangeCount(bandStart, bandEnd) > 8) bandEnd = static_cast<uint8_t>(bandStart + 7);
    std::vector<uint8_t> d = {scene, source, inCh, bandStart, bandEnd};
    for (int k = 0; k < RangeCount(bandStart, bandEnd); ++k) PutBand(d, ValueAt(bands, k));
    Send(CMD_DSP, DSP_INPUT_EQ_CH, OP_SET, std::move(d), immediate);
}

void DspDevice::Get_Input_EQ(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t bandStart,
                             uint8_t bandEnd) {
    Send(CMD_DSP, DSP_INPUT_EQ_CH, OP_GET, {scene, source, inCh, bandStart, bandEnd}, true);
}

void DspDevice::Input_Ch_Threshold_Ctrl(int8_t threshold, bool immediate) {
    LogWriteNarrow("Input_Ch_Threshold_Ctrl:threshold(%d)\n", threshold);
    Send(CMD_DSP, DSP_INPUT_THRESHOLD, OP_SET, {static_cast<uint8_t>(threshold)}, immediate);
}

void DspDevice::Get_Input_Threshold(uint8_t scene, uint8_t source, bool immediate) {
    LogWriteNarrow("Get_Input_Threshold: scene(%d), source(%d)\n", scene, source);
    Send(CMD_DSP, DSP_INPUT_THRESHOLD, OP_GET, {scene, source}, immediate);
}

void DspDevice::Get_Input_Noise(uint8_t chX, uint8_t chY, bool immediate) {
    LogWriteNarrow("Get_Input_Noise: ch_x(%d) to ch_y(%d)\n", chX, chY);
    Send(CMD_DSP, DSP_INPUT_NOISE, OP_GET, {chX, chY}, immediate);
}

void DspDevice::Input_Mix_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t outStart,
                                    uint8_t outEnd, const std::vector<int8_t>& trim,
                                    bool immediate) {
    std::vector<uint8_t> d = {scene, source, inCh, outStart, outEnd};
    for (int k = 0; k < RangeCount(outStart, outEnd); ++k) {
        int8_t t = ValueAt(trim, k);
        LogWriteNarrow(
            "Input_Mix_Trim_Ctrl: scene(%d), source(%d), in_ch(%d),out_ch(%d), trim(%d)\n", scene,
            source, inCh, outStart + k, t);
        d.push_back(static_cast<uint8_t>(t));
    }
    Send(CMD_DSP, DSP_INPUT_MIX_CH_TRIM, OP_SET, std::move(d), immediate);
}

void DspDevice::Get_Input_Mix_CH_Trim(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t outStart,
                                      uint8_t outEnd) {
    Send(CMD_DSP, DSP_INPUT_MIX_CH_TRIM, OP_GET, {scene, source, inCh, outStart, outEnd}, true);
}

void DspDevice::Input_Mix_Trim_Ctrl2(uint8_t scene, uint8_t source, uint8_t inStart, uint8_t inEnd,
                                     uint8_t outCh, const std::vector<int8_t>& trim,
                                     bool immediate) {
    std::vector<uint8_t> d = {scene, source, inStart, inEnd, outCh};
    std::string line;
    char b[32];
    for (int k = 0; k < RangeCount(inStart, inEnd); ++k) {
        int8_t t = ValueAt(trim, k);
        std::snprintf(b, sizeof b, "in_ch(%d)=trim(%d), ", inStart + k, t);
        line += b;
        d.push_back(static_cast<uint8_t>(t));
    }
    LogWriteNarrow(
        "Input_Mix_Trim_Ctrl2: scene(%d), source(%d), in_channel(%d to %d),out_ch(%d), %s\n", scene,
        source, inStart, inEnd, outCh, line.c_str());
    Send(CMD_DSP, DSP_INPUT_MIX_CH_TRIM2, OP_SET, std::move(d), immediate);
}

void DspDevice::Mix_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t type, bool immediate) {
    LogWriteNarrow("Mix_Type_Ctrl: scene(%d), source(%d), type(%d)\n", scene, source, type);
    Send(CMD_DSP, DSP_MIX_TYPE, OP_SET, {scene, source, type}, immediate);
}
void DspDevice::Mix_Type2_Ctrl(uint8_t scene, uint8_t source, uint8_t type, bool immediate) {
    LogWriteNarrow("Mix_Type_Ctrl: scene(%d), source(%d), type(%d)\n", scene, source, type);
    Send(CMD_DSP, DSP_MIX_TYPE2, OP_SET, {scene, source, type}, immediate);
}
void DspDevice::Get_Mix_Type(uint8_t scene, uint8_t source) {
    Send(CMD_DSP, DSP_MIX_TYPE, OP_GET, {scene, source}, true);
}
void DspDevice::Get_Mix_Type2(uint8_t scene, uint8_t source) {
    Send(CMD_DSP, DSP_MIX_TYPE2, OP_GET, {scene, source}, true);
}

void DspDevice::Mix_Source_Switch_Ctrl(uint8_t source, bool immediate) {
    LogWriteNarrow("Mix_Source_Switch_Ctrl: source(0x%x)\n", source);
    Send(CMD_DSP, DSP_MIX_SOURCE_SWITCH, OP_SET, {source}, immediate);
}
void DspDevice::Get_Mix_Source() {
    Send(CMD_DSP, DSP_MIX_SOURCE_SWITCH, OP_GET, {}, true);
}

void DspDevice::Cross_Source_Mix_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t viceSource,
                                      uint8_t viceCh, uint8_t viceGain, bool immediate) {
    LogWriteNarrow(
        "Cross_Source_Mix_Ctrl: scene(0x%x), source(0x%x), ch(0x%x), vice_source(0x%x), "
        "vice_ch(0x%x), vice_gain(0x%x)\n",
        scene, source, ch, viceSource, viceCh, viceGain);
    Send(CMD_DSP, DSP_CROSS_SOURCE_MIX, OP_SET, {scene, source, ch, viceSource, viceCh, viceGain},
         immediate);
}
void DspDevice::Get_Mix_Source2(uint8_t scene, uint8_t source, uint8_t ch) {
    Send(CMD_DSP, DSP_CROSS_SOURCE_MIX, OP_GET, {scene, source, ch, 0, 0, 0}, true);
}
void DspDevice::Cross_Source_Mix_Ctrl_CS47048(uint8_t scene, uint8_t source, uint8_t ch,
                                              uint8_t viceSource, uint8_t viceCh, bool immediate) {
    LogWriteNarrow(
        "Cross_Source_Mix_Ctrl_CS47048: scene(0x%x), source(0x%x), ch(0x%x), "
        "vice_source(0x%x), vice_ch(0x%x)\n",
        scene, source, ch, viceSource, viceCh);
    Send(CMD_DSP, DSP_CROSS_SOURCE_MIX_CS47048, OP_SET, {scene, source, viceSource, viceCh, ch},
         immediate);
}
void DspDevice::Get_Mix_Source2_CS47048(uint8_t scene, uint8_t source) {
    Send(CMD_DSP, DSP_CROSS_SOURCE_MIX_CS47048, OP_GET, {scene, source, 0, 0, 0}, true);
}

void DspDevice::Get_InDistort(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) {
    LogWriteNarrow("Get_InDistort: scene(%d), channel(%d)\n", scene, chStart);
    Send(CMD_DSP, DSP_INPUT_CH_DISTORT, OP_GET, {scene, source, chStart, chEnd}, true);
}
void DspDevice::Get_OutDistort(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) {
    LogWriteNarrow("Get_OutDistort: scene(%d), channel(%d)\n", scene, chStart);
    Send(CMD_DSP, DSP_OUTPUT_CH_DISTORT, OP_GET, {scene, source, chStart, chEnd}, true);
}

// ---- Calibration ------------------------------------------------------------------------

void DspDevice::IRC_Ctrl(uint8_t on, uint16_t ircch, uint8_t irc_eqmode, bool syncMode) {
    LogWriteNarrow("IRC_Ctrl: on(%d), ircch=0x%x, irc_eqmode = %d, syncMode(%d)\n", on, ircch,
                   irc_eqmode, syncMode ? 1 : 0);
    std::vector<uint8_t> d = {on};
    PutBe16(d, ircch);
    d.push_back(irc_eqmode);
    Send(CMD_DSP, DSP_IRC_CTRL, OP_SET, std::move(d), syncMode);
}
void DspDevice::IRC_Get() {
    LogWriteNarrow("IRC_Get\n");
    Send(CMD_DSP, DSP_IRC_CTRL, OP_GET, {}, true);
}

#define DVDSP_IRC_RANGE_GET(Name, Code)                                  \
    void DspDevice::Name(uint8_t ch, uint8_t chEnd) {                    \
        LogWriteNarrow(#Name " from ch(%d) to ch_end(%d)\n", ch, chEnd); \
        Send(CMD_DSP, Code, OP_GET, {ch, chEnd}, true);                  \
    }
DVDSP_IRC_RANGE_GET(IRC_Get_Distance, DSP_IRC_DISTANCE)
DVDSP_IRC_RANGE_GET(IRC_Get_Trim, DSP_IRC_TRIM)
DVDSP_IRC_RANGE_GET(IRC_Get_Spk_Size, DSP_IRC_SPK_SIZE)
DVDSP_IRC_RANGE_GET(IRC_Get_Spk_Phase, DSP_IRC_SPK_PHASE)
DVDSP_IRC_RANGE_GET(IRC_Get_Spk_Level, DSP_IRC_SPK_LEVEL)
DVDSP_IRC_RANGE_GET(IRC_Get_Noise_Level, DSP_IRC_NOISE_LEVEL)
#undef DVDSP_IRC_RANGE_GET

void DspDevice::IRC_Get_EQ(uint8_t ch, uint8_t band, uint8_t bandEnd) {
    Send(CMD_DSP, DSP_IRC_EQ, OP_GET, {ch, band, bandEnd}, true);
}
void DspDevice::IRC_Get_Spectrum(uint8_t ch, uint8_t band, uint8_t bandEnd) {
    Send(CMD_DSP, DSP_IRC_SPECTRUM, OP_GET, {ch, band, bandEnd}, true);
}
void DspDevice::IRC_Get_RTA() {
    LogWriteNarrow("IRC_Get_RTA\n");
    Send(CMD_DSP, DSP_IRC_RTA, OP_GET, {}, true);
}
void DspDevice::IRC_Set_Test_Mic(uint8_t on, bool immediate) {
    LogWriteNarrow("IRC_Set_Test_Mic: on(%d)\n", on);
    Send(CMD_DSP, DSP_IRC_TEST_MIC, OP_SET, {on}, immediate);
}
void DspDevice::IRC_Sel_Test_Module(uint8_t moduleMask, bool syncMode) {
    LogWriteNarrow("IRC_Sel_Test_Module: Module(0x%x), syncMode(%d)\n", moduleMask,
                   syncMode ? 1 : 0);
    Send(CMD_DSP, DSP_IRC_SEL_TEST_MODULE, OP_SET, {moduleMask}, syncMode);
}
void DspDevice::IRC_Active_Bypass_Ctrl(uint8_t source, uint8_t active, bool immediate) {
    Send(CMD_DSP, DSP_IRC_ACTIVE_BYPASS_CONTROL, OP_SET, {source, active}, immediate);
}

void DspDevice::Auto_Effect_Ctrl(uint8_t source, uint8_t on, bool immediate) {
    Send(CMD_DSP, DSP_AUTO_EFFECTION_ON_OFF_CONTROL, OP_SET, {source, on}, immediate);
}
void DspDevice::Get_AUTO_ON() {
    LogWriteNarrow("Get_AUTO_ON\n");
    Send(CMD_DSP, DSP_AUTO_EFFECTION_ON_OFF_CONTROL, OP_GET, {}, true);
}
void DspDevice::CS_Auto_Setting_Ctrl(const std::array<uint8_t, kAutoSettingBlockSize>& block,
                                     bool immediate) {
    Send(CMD_DSP, DSP_CS_AUTO_SETTING, OP_SET, std::vector<uint8_t>(block.begin(), block.end()),
         immediate);
}

// ---- Karaoke ----------------------------------------------------------------------------

void DspDevice::KTV_Set(uint8_t parameter, int value, bool immediate) {
    std::vector<uint8_t> d;
    if (parameter == KTV_ECHO_DELAY)
        PutBe16(d, static_cast<unsigned>(value) & 0xFFFF);
    else
        d.push_back(static_cast<uint8_t>(value & 0xFF));
    Send(CMD_KTV, parameter, OP_SET, std::move(d), immediate);
}
void DspDevice::KTV_Get(uint8_t parameter) {
    Send(CMD_KTV, parameter, OP_GET, {}, true);
}

}  // namespace dvdsp::link
