// Operations of the inputs, the mixer, calibration, processing switches and karaoke: each
// sends the frame its protocol function builds.
#include "link/commands.h"
#include "link/dsp_device.h"
#include "link/protocol/calibration.h"
#include "link/protocol/input.h"
#include "link/protocol/ranged.h"

namespace dvdsp::link {

namespace p = protocol;

void DspDevice::Input_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                const std::vector<uint8_t>& gain, bool immediate) {
    Send(p::Input_Trim_Ctrl(scene, source, chStart, chEnd, gain), immediate);
}
void DspDevice::Mute_Input_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                   const std::vector<uint8_t>& mute, bool immediate) {
    Send(p::Mute_Input_Ch_Ctrl(scene, source, chStart, chEnd, mute), immediate);
}
void DspDevice::Input_Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                 const std::vector<uint8_t>& phase, bool immediate) {
    Send(p::Input_Phase_Ctrl(scene, source, chStart, chEnd, phase), immediate);
}
void DspDevice::Get_Input_Trim(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) {
    Send(p::RangedGet(DSP_INPUT_TRIM_CH, scene, source, chStart, chEnd), true);
}
void DspDevice::Get_Mute_Input_Ch(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) {
    Send(p::RangedGet(DSP_INPUT_CH_MUTE, scene, source, chStart, chEnd), true);
}
void DspDevice::Get_Phase_Input_Ch(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) {
    Send(p::RangedGet(DSP_INPUT_CH_PHASE, scene, source, chStart, chEnd), true);
}
void DspDevice::Input_EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t bandStart,
                              uint8_t bandEnd, const std::vector<EqBandSetting>& bands,
                              bool immediate) {
    Send(p::Input_EQ_Ctrl(scene, source, inCh, bandStart, bandEnd, bands), immediate);
}
void DspDevice::Get_Input_EQ(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t bandStart,
                             uint8_t bandEnd) {
    Send(p::Get_Input_EQ(scene, source, inCh, bandStart, bandEnd), true);
}
void DspDevice::Input_Ch_Threshold_Ctrl(int8_t threshold, bool immediate) {
    Send(p::Input_Ch_Threshold_Ctrl(threshold), immediate);
}
void DspDevice::Get_Input_Threshold(uint8_t scene, uint8_t source, bool immediate) {
    Send(p::Get_Input_Threshold(scene, source), immediate);
}
void DspDevice::Get_Input_Noise(uint8_t chX, uint8_t chY, bool immediate) {
    Send(p::Get_Input_Noise(chX, chY), immediate);
}

void DspDevice::Input_Mix_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t outStart,
                                    uint8_t outEnd, const std::vector<int8_t>& trim,
                                    bool immediate) {
    Send(p::Input_Mix_Trim_Ctrl(scene, source, inCh, outStart, outEnd, trim), immediate);
}
void DspDevice::Get_Input_Mix_CH_Trim(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t outStart,
                                      uint8_t outEnd) {
    Send(p::Get_Input_Mix_CH_Trim(scene, source, inCh, outStart, outEnd), true);
}
void DspDevice::Input_Mix_Trim_Ctrl2(uint8_t scene, uint8_t source, uint8_t inStart, uint8_t inEnd,
                                     uint8_t outCh, const std::vector<int8_t>& trim,
                                     bool immediate) {
    Send(p::Input_Mix_Trim_Ctrl2(scene, source, inStart, inEnd, outCh, trim), immediate);
}
void DspDevice::Mix_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t type, bool immediate) {
    Send(p::Mix_Type_Ctrl(scene, source, type), immediate);
}
void DspDevice::Mix_Type2_Ctrl(uint8_t scene, uint8_t source, uint8_t type, bool immediate) {
    Send(p::Mix_Type2_Ctrl(scene, source, type), immediate);
}
void DspDevice::Get_Mix_Type(uint8_t scene, uint8_t source) {
    Send(p::Get_Mix_Type(scene, source), true);
}
void DspDevice::Get_Mix_Type2(uint8_t scene, uint8_t source) {
    Send(p::Get_Mix_Type2(scene, source), true);
}
void DspDevice::Mix_Source_Switch_Ctrl(uint8_t source, bool immediate) {
    Send(p::Mix_Source_Switch_Ctrl(source), immediate);
}
void DspDevice::Get_Mix_Source() {
    Send(p::Get_Mix_Source(), true);
}
void DspDevice::Cross_Source_Mix_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t viceSource,
                                      uint8_t viceCh, uint8_t viceGain, bool immediate) {
    Send(p::Cross_Source_Mix_Ctrl(scene, source, ch, viceSource, viceCh, viceGain), immediate);
}
void DspDevice::Get_Mix_Source2(uint8_t scene, uint8_t source, uint8_t ch) {
    Send(p::Get_Mix_Source2(scene, source, ch), true);
}
void DspDevice::Cross_Source_Mix_Ctrl_CS47048(uint8_t scene, uint8_t source, uint8_t ch,
                                              uint8_t viceSource, uint8_t viceCh, bool immediate) {
    Send(p::Cross_Source_Mix_Ctrl_CS47048(scene, source, ch, viceSource, viceCh), immediate);
}
void DspDevice::Get_Mix_Source2_CS47048(uint8_t scene, uint8_t source) {
    Send(p::Get_Mix_Source2_CS47048(scene, source), true);
}
void DspDevice::Get_InDistort(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) {
    Send(p::Get_InDistort(scene, source, chStart, chEnd), true);
}
void DspDevice::Get_OutDistort(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) {
    Send(p::Get_OutDistort(scene, source, chStart, chEnd), true);
}

// Calibration and processing switches.
void DspDevice::IRC_Ctrl(uint8_t on, uint16_t ircch, uint8_t irc_eqmode, bool syncMode) {
    Send(p::IRC_Ctrl(on, ircch, irc_eqmode, syncMode), syncMode);
}
void DspDevice::IRC_Get() {
    Send(p::IRC_Get(), true);
}
void DspDevice::IRC_Get_Distance(uint8_t ch, uint8_t chEnd) {
    Send(p::IRC_Get_Range(DSP_IRC_DISTANCE, "IRC_Get_Distance", ch, chEnd), true);
}
void DspDevice::IRC_Get_Trim(uint8_t ch, uint8_t chEnd) {
    Send(p::IRC_Get_Range(DSP_IRC_TRIM, "IRC_Get_Trim", ch, chEnd), true);
}
void DspDevice::IRC_Get_Spk_Size(uint8_t ch, uint8_t chEnd) {
    Send(p::IRC_Get_Range(DSP_IRC_SPK_SIZE, "IRC_Get_Spk_Size", ch, chEnd), true);
}
void DspDevice::IRC_Get_Spk_Phase(uint8_t ch, uint8_t chEnd) {
    Send(p::IRC_Get_Range(DSP_IRC_SPK_PHASE, "IRC_Get_Spk_Phase", ch, chEnd), true);
}
void DspDevice::IRC_Get_Spk_Level(uint8_t ch, uint8_t chEnd) {
    Send(p::IRC_Get_Range(DSP_IRC_SPK_LEVEL, "IRC_Get_Spk_Level", ch, chEnd), true);
}
void DspDevice::IRC_Get_Noise_Level(uint8_t ch, uint8_t chEnd) {
    Send(p::IRC_Get_Range(DSP_IRC_NOISE_LEVEL, "IRC_Get_Noise_Level", ch, chEnd), true);
}
void DspDevice::IRC_Get_EQ(uint8_t ch, uint8_t band, uint8_t bandEnd) {
    Send(p::IRC_Get_EQ(ch, band, bandEnd), true);
}
void DspDevice::IRC_Get_Spectrum(uint8_t ch, uint8_t band, uint8_t bandEnd) {
    Send(p::IRC_Get_Spectrum(ch, band, bandEnd), true);
}
void DspDevice::IRC_Get_RTA() {
    Send(p::IRC_Get_RTA(), true);
}
void DspDevice::IRC_Set_Test_Mic(uint8_t on, bool immediate) {
    Send(p::IRC_Set_Test_Mic(on), immediate);
}
void DspDevice::IRC_Sel_Test_Module(uint8_t moduleMask, bool syncMode) {
    Send(p::IRC_Sel_Test_Module(moduleMask, syncMode), syncMode);
}
void DspDevice::IRC_Active_Bypass_Ctrl(uint8_t source, uint8_t active, bool immediate) {
    Send(p::IRC_Active_Bypass_Ctrl(source, active), immediate);
}
void DspDevice::Auto_Effect_Ctrl(uint8_t source, uint8_t on, bool immediate) {
    Send(p::Auto_Effect_Ctrl(source, on), immediate);
}
void DspDevice::Get_AUTO_ON() {
    Send(p::Get_AUTO_ON(), true);
}
void DspDevice::CS_Auto_Setting_Ctrl(const std::array<uint8_t, kAutoSettingBlockSize>& block,
                                     bool immediate) {
    Send(p::CS_Auto_Setting_Ctrl(block), immediate);
}

// Karaoke.
void DspDevice::KTV_Set(uint8_t parameter, int value, bool immediate) {
    Send(p::KTV_Set(parameter, value), immediate);
}
void DspDevice::KTV_Get(uint8_t parameter) {
    Send(p::KTV_Get(parameter), true);
}

}  // namespace dvdsp::link
