// Encoders of the output-channel settings.
#include <algorithm>

#include "base/log.h"
#include "link/commands.h"
#include "link/dsp_device.h"
#include "link/encoder_util.h"
#include "link/wire_values.h"

namespace dvdsp::link {

using namespace wire;

namespace {

std::vector<uint8_t> RangeHeader(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) {
    return {scene, source, chStart, chEnd};
}

std::vector<uint8_t> LinkPairs(uint8_t scene, uint8_t link, const DspDevice::ChannelPairs& pairs,
                               const char* logFormat) {
    // Pairs beyond what one frame holds are left out.
    size_t n = std::min(pairs.size(), (kMaxCommandData - 3) / 2);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    LogWriteNarrow(logFormat, scene, link, static_cast<int>(n));
#pragma GCC diagnostic pop
    std::vector<uint8_t> d = {scene, link, static_cast<uint8_t>(n)};
    for (size_t i = 0; i < n; ++i) {
        LogWriteNarrow("from ch(%d) to ch(%d)\n", pairs[i].first, pairs[i].second);
        d.push_back(pairs[i].first);
        d.push_back(pairs[i].second);
    }
    return d;
}

}  // namespace

void DspDevice::Delay_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                           const std::vector<float>& delayMs, bool immediate) {
    std::vector<uint8_t> d = RangeHeader(scene, source, chStart, chEnd);
    for (int k = 0; k < RangeCount(chStart, chEnd); ++k) {
        double v = ValueAt(delayMs, k);
        LogWriteNarrow("Delay_Ctrl: scene(%d), channel(%d), delay(%.3f)\n", scene, chStart + k, v);
        d.push_back(IntPart(v));
        PutBe16(d, Thousandths(v));
    }
    Send(CMD_DSP, DSP_DELAY_CH, OP_SET, std::move(d), immediate);
}

void DspDevice::Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                          const std::vector<float>& trim, bool immediate) {
    std::vector<uint8_t> d = RangeHeader(scene, source, chStart, chEnd);
    for (int k = 0; k < RangeCount(chStart, chEnd); ++k) {
        double v = ValueAt(trim, k);
        LogWriteNarrow("Trim_Ctrl: scene(%d), channel(%d), trim(%.2f)\n", scene, chStart + k, v);
        d.push_back(IntPart(v));
        if (profile_.trim_is_attenuation) d.push_back(Hundredths(v));
    }
    Send(CMD_DSP, DSP_TRIM_CH, OP_SET, std::move(d), immediate);
}

void DspDevice::Mute_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                             const std::vector<uint8_t>& mute, bool immediate) {
    Send(CMD_DSP, DSP_MUTE_CH, OP_SET,
         RangedBytes(scene, source, chStart, chEnd, mute,
                     [&](int ch, uint8_t v) {
                         LogWriteNarrow("Mute_Ch_Ctrl: scene(%d), channel(%d), mute(%d)\n", scene,
                                        ch, v);
                     }),
         immediate);
}

void DspDevice::Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                           const std::vector<uint8_t>& phase, bool immediate) {
    Send(CMD_DSP, DSP_PHASE_CH, OP_SET,
         RangedBytes(scene, source, chStart, chEnd, phase,
                     [&](int ch, uint8_t v) {
                         LogWriteNarrow("Phase_Ctrl: scene(%d), channel(%d), phase(%d)\n", scene,
                                        ch, v);
                     }),
         immediate);
}

void DspDevice::Mix_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                            const std::vector<uint16_t>& inputMask, bool immediate) {
    std::vector<uint8_t> d = RangeHeader(scene, source, chStart, chEnd);
    for (int k = 0; k < RangeCount(chStart, chEnd); ++k) {
        uint16_t m = ValueAt(inputMask, k);
        LogWriteNarrow("Mix_Ch_Ctrl: scene(%d), source(%d), output_channel(%d), input_ch(0x%x)\n",
                       scene, source, chStart + k, m);
        if (profile_.input_count <= 8)
            d.push_back(static_cast<uint8_t>(m & 0xFF));
        else
            PutBe16(d, m);
    }
    Send(CMD_DSP, DSP_MIX_CH, OP_SET, std::move(d), immediate);
}

void DspDevice::CH_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                             const std::vector<uint8_t>& type, bool immediate) {
    std::vector<uint8_t> d = RangeHeader(scene, source, chStart, chEnd);
    for (int k = 0; k < RangeCount(chStart, chEnd); ++k) {
        uint8_t t = ValueAt(type, k);
        LogWriteNarrow("CH_Type_Ctrl scene(%d), source(%d), channel(%d), t_ch_type(0x%x)\n", scene,
                       source, chStart + k, t);
        d.push_back(t);
    }
    Send(CMD_DSP, DSP_CH_TYPE, OP_SET, std::move(d), immediate);
}

void DspDevice::PEQ_Bypass_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                const std::vector<uint8_t>& bypass, bool immediate) {
    Send(CMD_DSP, DSP_EQ_BYPASS, OP_SET,
         RangedBytes(scene, source, chStart, chEnd, bypass,
                     [&](int ch, uint8_t v) {
                         LogWriteNarrow("PEQ_Bypass_Ctrl: scene(%d), channel(%d), bypass(%d)\n",
                                        scene, ch, v);
                     }),
         immediate);
}

void DspDevice::Solo_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                          const std::vector<uint8_t>& solo, bool immediate) {
    Send(CMD_DSP, DSP_CH_SOLO, OP_SET,
         RangedBytes(scene, source, chStart, chEnd, solo,
                     [&](int ch, uint8_t v) {
                         LogWriteNarrow("Solo_Ctrl: scene(%d), channel(%d), solo(%d)\n", scene, ch,
                                        v);
                     }),
         immediate);
}

void DspDevice::HPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                const std::vector<uint8_t>& mode, bool immediate) {
    Send(CMD_DSP, DSP_HPF_Q_FACT_MODE, OP_SET,
         RangedBytes(scene, source, chStart, chEnd, mode,
                     [&](int ch, uint8_t v) {
                         LogWriteNarrow("HPF_Q_Fact_Ctrl: scene(%d), channel(%d), Q_fac_type(%d)\n",
                                        scene, ch, v);
                     }),
         immediate);
}

void DspDevice::LPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                const std::vector<uint8_t>& mode, bool immediate) {
    Send(CMD_DSP, DSP_LPF_Q_FACT_MODE, OP_SET,
         RangedBytes(scene, source, chStart, chEnd, mode,
                     [&](int ch, uint8_t v) {
                         LogWriteNarrow("LPF_Q_Fact_Ctrl: scene(%d), channel(%d), Q_fac_type(%d)\n",
                                        scene, ch, v);
                     }),
         immediate);
}

void DspDevice::Spk_Dist_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                              const std::vector<uint16_t>& hundredths, bool immediate) {
    std::vector<uint8_t> d = RangeHeader(scene, source, chStart, chEnd);
    for (int k = 0; k < RangeCount(chStart, chEnd); ++k) {
        uint16_t v = ValueAt(hundredths, k);
        LogWriteNarrow("Spk_Dist_Ctrl: scene(%d), channel(%d), spk_dist(%d/100)\n", scene,
                       chStart + k, v);
        PutBe16(d, v);
    }
    Send(CMD_DSP, DSP_SPK_DIST, OP_SET, std::move(d), immediate);
}

void DspDevice::Compressor_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                   const std::vector<uint8_t>& on, bool immediate) {
    Send(CMD_DSP, DSP_COMPRESSOR_ON_CH, OP_SET,
         RangedBytes(scene, source, chStart, chEnd, on,
                     [&](int ch, uint8_t v) {
                         LogWriteNarrow("Compressor_Ch_Ctrl: scene(%d), channel(%d), On(%d)\n",
                                        scene, ch, v);
                     }),
         immediate);
}

#define DVDSP_RANGED_GET(Name, Code)                                                      \
    void DspDevice::Name(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) { \
        Send(CMD_DSP, Code, OP_GET, RangeHeader(scene, source, chStart, chEnd), true);    \
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
    std::vector<uint8_t> d = {scene, source, ch, iFilter, type};
    PutBe16(d, freq);
    d.push_back(slope);
    Send(CMD_DSP, DSP_FILTER_SET, OP_SET, std::move(d), immediate);
}

void DspDevice::EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t band, uint16_t freq,
                        float q, float gain, bool immediate) {
    std::vector<uint8_t> d = {scene, source, ch, band};
    PutBe16(d, freq);
    d.push_back(IntPart(q));
    d.push_back(TenthsDigit(q));
    double g = static_cast<double>(gain) + 18.0;
    d.push_back(IntPart(g));
    d.push_back(TenthsDigit(g));
    Send(CMD_DSP, DSP_EQ_CH, OP_SET, std::move(d), immediate);
}

void DspDevice::Get_EQ(uint8_t scene, uint8_t source, uint8_t ch, uint8_t bandStart,
                       uint8_t bandEnd) {
    Send(CMD_DSP, DSP_EQ_CH, OP_GET, {scene, source, ch, bandStart, bandEnd}, true);
}

void DspDevice::Remap_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t outCh,
                              const std::vector<uint8_t>& inputs, bool immediate) {
    std::vector<uint8_t> d = {scene, source, outCh};
    size_t n = std::min(inputs.size(), kMaxCommandData - 3);
    for (size_t i = 0; i < n; ++i) {
        LogWriteNarrow("Remap_Ch_Ctrl: scene(%d), output_channel(%d), input_ch(%d)\n", scene, outCh,
                       inputs[i]);
        d.push_back(inputs[i]);
    }
    Send(CMD_DSP, DSP_REMAP_CH, OP_SET, std::move(d), immediate);
}

void DspDevice::CH_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs,
                             bool immediate) {
    Send(CMD_DSP, DSP_CH_LINK, OP_SET,
         LinkPairs(scene, link, pairs, "CH_Link_Ctrl scene(%d), link(%d), ch_count(%d)\n"),
         immediate);
}
void DspDevice::CH_Trim_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs,
                                  bool immediate) {
    Send(CMD_DSP, DSP_CH_TRIM_LINK, OP_SET,
         LinkPairs(scene, link, pairs, "CH_Trim_Link_Ctrl scene(%d), link(%d), ch_count(%d)\n"),
         immediate);
}
void DspDevice::CH_Delay_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs,
                                   bool immediate) {
    Send(CMD_DSP, DSP_CH_DELAY_LINK, OP_SET,
         LinkPairs(scene, link, pairs, "CH_Delay_Link_Ctrl scene(%d), link(%d), ch_count(%d)\n"),
         immediate);
}
void DspDevice::Get_CH_Link(uint8_t scene) {
    Send(CMD_DSP, DSP_CH_LINK, OP_GET, {scene}, true);
}
void DspDevice::Get_CH_Trim_Link(uint8_t scene) {
    Send(CMD_DSP, DSP_CH_TRIM_LINK, OP_GET, {scene}, true);
}
void DspDevice::Get_CH_Delay_Link(uint8_t scene) {
    Send(CMD_DSP, DSP_CH_DELAY_LINK, OP_GET, {scene}, true);
}

void DspDevice::CH_Lock_Ctrl(uint8_t scene, uint8_t lock, bool immediate) {
    Send(CMD_DSP, DSP_CH_LOCK, OP_SET, {scene, lock}, immediate);
}
void DspDevice::Get_CH_Lock(uint8_t scene) {
    Send(CMD_DSP, DSP_CH_LOCK, OP_GET, {scene}, true);
}

void DspDevice::DSP_Bypass_Ctrl(uint8_t scene, uint8_t selector, uint8_t bypass, bool immediate) {
    LogWriteNarrow("DSP_Bypass_Ctrl: scene(%d), channel(%d), bypass(%d)\n", scene, selector,
                   bypass);
    Send(CMD_DSP, DSP_BYPASS, OP_SET, {scene, selector, bypass}, immediate);
}

void DspDevice::PEQ_Reset_Ctrl(uint8_t scene, uint8_t source, const std::vector<uint8_t>& channels,
                               bool immediate) {
    size_t n = std::min(channels.size(), kMaxCommandData - 3);
    std::string line;
    char b[24];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "ch(%d), ", channels[i]);
        line += b;
    }
    LogWriteNarrow("PEQ_Reset_Ctrl: scene(%d), ch_count(%d), %s\n", scene, static_cast<int>(n),
                   line.c_str());
    std::vector<uint8_t> d = {scene, source, static_cast<uint8_t>(n)};
    d.insert(d.end(), channels.begin(), channels.begin() + static_cast<long>(n));
    Send(CMD_DSP, DSP_EQ_RESET, OP_SET, std::move(d), immediate);
}

void DspDevice::Compressor_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t bypass,
                                float threshold, float ratio, float softKnee, uint16_t attack,
                                uint16_t release, bool immediate) {
    double t = static_cast<double>(threshold) + 100.0;
    std::vector<uint8_t> d = {scene,
                              source,
                              ch,
                              bypass,
                              IntPart(t),
                              TenthsDigit(t),
                              IntPart(ratio),
                              TenthsDigit(ratio),
                              IntPart(softKnee),
                              TenthsDigit(softKnee)};
    PutBe16(d, attack);
    PutBe16(d, release);
    Send(CMD_DSP, DSP_COMPRESSOR_SETTING, OP_SET, std::move(d), immediate);
}

void DspDevice::Compressor_Ctrl2(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                                 const std::vector<Compressor2>& values, bool immediate) {
    std::vector<uint8_t> d = RangeHeader(scene, source, chStart, chEnd);
    for (int k = 0; k < RangeCount(chStart, chEnd); ++k) {
        Compressor2 c = ValueAt(values, k);
        double seconds = static_cast<double>(c.releaseMs) / 1000.0;
        uint8_t ti = IntPart(c.threshold), tt = TenthsDigit(c.threshold);
        LogWriteNarrow(
            "Compressor_Ctrl2: scene(%d), channel(%d), threshold(%g) %d %d, attack(%d), "
            "release(%g)\n",
            scene, chStart + k, static_cast<double>(c.threshold), static_cast<int8_t>(ti),
            static_cast<int8_t>(tt), c.attack, seconds);
        d.push_back(ti);
        d.push_back(tt);
        PutBe16(d, c.attack);
        d.push_back(IntPart(seconds));
        d.push_back(TenthsDigit(seconds));
    }
    Send(CMD_DSP, DSP_COMPRESSOR_SETTING2, OP_SET, std::move(d), immediate);
}

void DspDevice::Output_Bridge_Ctrl(uint8_t scene, uint8_t source,
                                   const std::vector<uint8_t>& bridge, bool immediate) {
    size_t n = std::min(bridge.size(), kMaxCommandData - 3);
    LogWriteNarrow("Output_Bridge_Ctrl scene(%d) source(%d) count(%d)\n", scene, source,
                   static_cast<int>(n));
    std::vector<uint8_t> d = {scene, source, static_cast<uint8_t>(n)};
    for (size_t i = 0; i < n; ++i) {
        LogWriteNarrow("bridge[%d] = %d\n", static_cast<int>(i), bridge[i]);
        d.push_back(bridge[i]);
    }
    Send(CMD_DSP, DSP_OUPUT_BRIDGE, OP_SET, std::move(d), immediate);
}

void DspDevice::Get_Ouput_Bridge(uint8_t scene, uint8_t source, uint8_t count) {
    Send(CMD_DSP, DSP_OUPUT_BRIDGE, OP_GET, {scene, source, count}, true);
}

}  // namespace dvdsp::link
