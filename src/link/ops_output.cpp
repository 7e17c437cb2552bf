// Operations of the output channels: each sends the frame its protocol function builds.
#include "link/commands.h"
#include "link/dsp_device.h"
#include "link/protocol/output.h"
#include "link/protocol/ranged.h"

namespace dvdsp::link {

namespace p = protocol;

void DspDevice::Delay_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                           const std::vector<float>& delayMs, bool immediate) {
    Send(p::Delay_Ctrl(scene, source, chStart, chEnd, delayMs), immediate);
}
void DspDevice::Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                          const std::vector<float>& trimDb, bool immediate) {
    Send(p::Trim_Ctrl(scene, source, chStart, chEnd, trimDb, profile_), immediate);
}
void DspDevice::Mute_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                             const std::vector<uint8_t>& mute, bool immediate) {
    Send(p::Mute_Ch_Ctrl(scene, source, chStart, chEnd, mute), immediate);
}
void DspDevice::Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                           const std::vector<uint8_t>& phase, bool immediate) {
    Send(p::Phase_Ctrl(scene, source, chStart, chEnd, phase), immediate);
}
void DspDevice::Mix_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                            const std::vector<uint16_t>& inputMask, bool immediate) {
    Send(p::Mix_Ch_Ctrl(scene, source, chStart, chEnd, inputMask, profile_), immediate);
}
void DspDevice::CH_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                             const std::vector<uint8_t>& type, bool immediate) {
    Send(p::CH_Type_Ctrl(scene, source, chStart, chEnd, type), immediate);
}
void DspDevice::PEQ_Bypass_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                const std::vector<uint8_t>& bypass, bool immediate) {
    Send(p::PEQ_Bypass_Ctrl(scene, source, chStart, chEnd, bypass), immediate);
}
void DspDevice::Solo_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                          const std::vector<uint8_t>& solo, bool immediate) {
    Send(p::Solo_Ctrl(scene, source, chStart, chEnd, solo), immediate);
}
void DspDevice::HPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                const std::vector<uint8_t>& mode, bool immediate) {
    Send(p::HPF_Q_Fact_Ctrl(scene, source, chStart, chEnd, mode), immediate);
}
void DspDevice::LPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                const std::vector<uint8_t>& mode, bool immediate) {
    Send(p::LPF_Q_Fact_Ctrl(scene, source, chStart, chEnd, mode), immediate);
}
void DspDevice::Spk_Dist_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                              const std::vector<uint16_t>& hundredths, bool immediate) {
    Send(p::Spk_Dist_Ctrl(scene, source, chStart, chEnd, hundredths), immediate);
}
void DspDevice::Compressor_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                   const std::vector<uint8_t>& on, bool immediate) {
    Send(p::Compressor_Ch_Ctrl(scene, source, chStart, chEnd, on), immediate);
}

#define DVDSP_RANGED_GET(Name, Code)                                                      \
    void DspDevice::Name(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) { \
        Send(p::RangedGet(Code, scene, source, chStart, chEnd), true);                    \
    }
DVDSP_RANGED_GET(Get_Delay, DSP_DELAY_CH)
DVDSP_RANGED_GET(Get_Trim, DSP_TRIM_CH)
DVDSP_RANGED_GET(Get_Mute_Ch, DSP_MUTE_CH)
DVDSP_RANGED_GET(Get_Phase, DSP_PHASE_CH)
DVDSP_RANGED_GET(Get_Mix_Ch, DSP_MIX_CH)
DVDSP_RANGED_GET(Get_CH_Type, DSP_CH_TYPE)
DVDSP_RANGED_GET(Get_PEQ_Bypass, DSP_EQ_BYPASS)
DVDSP_RANGED_GET(Get_Ch_Solo, DSP_CH_SOLO)
DVDSP_RANGED_GET(Get_HPF_Q_Fact_Mode, DSP_HPF_Q_FACT_MODE)
DVDSP_RANGED_GET(Get_LPF_Q_Fact_Mode, DSP_LPF_Q_FACT_MODE)
DVDSP_RANGED_GET(Get_Spk_Dist, DSP_SPK_DIST)
DVDSP_RANGED_GET(Get_Compressor_Ch_On, DSP_COMPRESSOR_ON_CH)
DVDSP_RANGED_GET(Get_All_Bypass, DSP_BYPASS)
DVDSP_RANGED_GET(Get_PEQ_Reset, DSP_EQ_RESET)
DVDSP_RANGED_GET(Get_Compressor, DSP_COMPRESSOR_SETTING)
DVDSP_RANGED_GET(Get_Compressor2, DSP_COMPRESSOR_SETTING2)
DVDSP_RANGED_GET(Get_Filter, DSP_FILTER_SET)
DVDSP_RANGED_GET(Get_Remap_Ch, DSP_REMAP_CH)
#undef DVDSP_RANGED_GET

void DspDevice::Filter_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t iFilter,
                            uint8_t type, uint16_t freq, uint8_t slope, bool immediate) {
    Send(p::Filter_Ctrl(scene, source, ch, iFilter, type, freq, slope), immediate);
}
void DspDevice::EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t band, uint16_t freq,
                        float q, float gain, bool immediate) {
    Send(p::EQ_Ctrl(scene, source, ch, band, freq, q, gain), immediate);
}
void DspDevice::Get_EQ(uint8_t scene, uint8_t source, uint8_t ch, uint8_t bandStart,
                       uint8_t bandEnd) {
    Send(p::Get_EQ(scene, source, ch, bandStart, bandEnd), true);
}
void DspDevice::Remap_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t outCh,
                              const std::vector<uint8_t>& inputs, bool immediate) {
    Send(p::Remap_Ch_Ctrl(scene, source, outCh, inputs), immediate);
}
void DspDevice::CH_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs,
                             bool immediate) {
    Send(p::CH_Link_Ctrl(scene, link, pairs), immediate);
}
void DspDevice::CH_Trim_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs,
                                  bool immediate) {
    Send(p::CH_Trim_Link_Ctrl(scene, link, pairs), immediate);
}
void DspDevice::CH_Delay_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs,
                                   bool immediate) {
    Send(p::CH_Delay_Link_Ctrl(scene, link, pairs), immediate);
}
void DspDevice::Get_CH_Link(uint8_t scene) {
    Send(p::Get_CH_Link(scene), true);
}
void DspDevice::Get_CH_Trim_Link(uint8_t scene) {
    Send(p::Get_CH_Trim_Link(scene), true);
}
void DspDevice::Get_CH_Delay_Link(uint8_t scene) {
    Send(p::Get_CH_Delay_Link(scene), true);
}
void DspDevice::CH_Lock_Ctrl(uint8_t scene, uint8_t lock, bool immediate) {
    Send(p::CH_Lock_Ctrl(scene, lock), immediate);
}
void DspDevice::Get_CH_Lock(uint8_t scene) {
    Send(p::Get_CH_Lock(scene), true);
}
void DspDevice::DSP_Bypass_Ctrl(uint8_t scene, uint8_t selector, uint8_t bypass, bool immediate) {
    Send(p::DSP_Bypass_Ctrl(scene, selector, bypass), immediate);
}
void DspDevice::PEQ_Reset_Ctrl(uint8_t scene, uint8_t source, const std::vector<uint8_t>& channels,
                               bool immediate) {
    Send(p::PEQ_Reset_Ctrl(scene, source, channels), immediate);
}
void DspDevice::Compressor_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t bypass,
                                float threshold, float ratio, float softKnee, uint16_t attack,
                                uint16_t release, bool immediate) {
    Send(p::Compressor_Ctrl(scene, source, ch, bypass, threshold, ratio, softKnee, attack, release),
         immediate);
}
void DspDevice::Compressor_Ctrl2(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                 const std::vector<Compressor2>& values, bool immediate) {
    Send(p::Compressor_Ctrl2(scene, source, chStart, chEnd, values), immediate);
}
void DspDevice::Output_Bridge_Ctrl(uint8_t scene, uint8_t source,
                                   const std::vector<uint8_t>& bridge, bool immediate) {
    Send(p::Output_Bridge_Ctrl(scene, source, bridge), immediate);
}
void DspDevice::Get_Ouput_Bridge(uint8_t scene, uint8_t source, uint8_t count) {
    Send(p::Get_Ouput_Bridge(scene, source, count), true);
}

}  // namespace dvdsp::link
