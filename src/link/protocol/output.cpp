// Output channels, packet type CMD_DSP (1). Frame layout, after the report ID:
//   AA 55 LEN 01 CMD OP DATA... SUM    LEN = 3 + data bytes
// Ranged commands (set OP_SET 0xBB; query OP_GET 0x66 with the first four bytes only):
//   [0] scene  [1] source  [2] first channel  [3] last channel, then per channel:
//   07 delay       3 bytes: integer ms, thousandths (16-bit big-endian)
//   08 trim        attenuation units: integer dB, hundredths of the attenuation; others:
//                  the gain as one signed byte
//   09 mute, 0A phase, 0D type, 12 EQ bypass, 34 solo, 37 HP Q mode, 38 LP Q mode,
//   49 compressor on            1 byte
//   0B routing     input mask: 1 byte up to eight inputs, else 16-bit
//   43 distance    16-bit hundredths
//   4A compressor  6 bytes: threshold integer and tenths (signed), attack (16-bit),
//                  release in seconds: integer and tenths
// Others:
//   05 filter      [0] scene [1] source [2] channel [3] 0 high-pass / 1 low-pass [4] type
//                  [5..6] frequency [7] slope
//   06 EQ band     [0] scene [1] source [2] channel [3] band [4..5] frequency
//                  [6..7] Q integer, tenths [8..9] gain + 18 dB integer, tenths
//                  (query: [3] first band [4] last band)
//   0C remap       [0] scene [1] source [2] output, then one input per byte
//   0E, 30, 31     channel, trim and delay link: [0] scene [1] link [2] pair count n,
//                  then n pairs (from channel, to channel); query: [0] scene
//   0F lock        [0] scene [1] lock
//   10 bypass      [0] scene [1] selector [2] bypass
//   11 EQ reset    [0] scene [1] source [2] channel count n, then n channels
//   3E compressor  [0] scene [1] source [2] channel [3] bypass [4..5] threshold + 100 dB
//                  integer, tenths [6..7] ratio [8..9] soft knee [10..11] attack
//                  [12..13] release (16-bit)
//   4C bridge      [0] scene [1] source [2] count n, then n pair bytes (query: [2] count)
#include "link/protocol/output.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/log.h"
#include "link/commands.h"
#include "link/protocol/ranged.h"
#include "link/protocol/units.h"

namespace dvdsp::link::protocol {

using namespace wire;

namespace {

Frame LinkPairs(uint8_t cmd, uint8_t scene, uint8_t link, const ChannelPairs& pairs,
                const char* logFormat) {
    // Pairs beyond what one frame holds are left out.
    size_t n = std::min(pairs.size(), (kMaxCommandData - 3) / 2);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    LogWriteNarrow(logFormat, scene, link, static_cast<int>(n));
#pragma GCC diagnostic pop
    Frame f{CMD_DSP, cmd, OP_SET, {scene, link, static_cast<uint8_t>(n)}};
    for (size_t i = 0; i < n; ++i) {
        LogWriteNarrow("from ch(%d) to ch(%d)\n", pairs[i].first, pairs[i].second);
        f.data.push_back(pairs[i].first);
        f.data.push_back(pairs[i].second);
    }
    return f;
}

}  // namespace

Frame Delay_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                 const std::vector<float>& delayMs) {
    return RangedSet(DSP_DELAY_CH, scene, source, chStart, chEnd, delayMs,
                     "Delay_Ctrl: scene(%d), channel(%d), delay(%.3f)\n", RangeLog::SceneChannel,
                     [](std::vector<uint8_t>& d, float v) {
                         units::PutDelay(d, static_cast<double>(v));
                         return static_cast<double>(v);
                     });
}

Frame Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                const std::vector<float>& trimDb, const DeviceProfile& profile) {
    const bool attenuation = profile.trim_is_attenuation != 0;
    return RangedSet(DSP_TRIM_CH, scene, source, chStart, chEnd, trimDb,
                     "Trim_Ctrl: scene(%d), channel(%d), trim(%.2f)\n", RangeLog::SceneChannel,
                     [attenuation](std::vector<uint8_t>& d, float gain) {
                         const double v = units::TrimToWire(static_cast<double>(gain), attenuation);
                         units::PutTrim(d, v, attenuation);
                         return v;
                     });
}

Frame Mute_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                   const std::vector<uint8_t>& mute) {
    return RangedBytes(DSP_MUTE_CH, scene, source, chStart, chEnd, mute,
                       "Mute_Ch_Ctrl: scene(%d), channel(%d), mute(%d)\n");
}

Frame Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                 const std::vector<uint8_t>& phase) {
    return RangedBytes(DSP_PHASE_CH, scene, source, chStart, chEnd, phase,
                       "Phase_Ctrl: scene(%d), channel(%d), phase(%d)\n");
}

Frame Mix_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                  const std::vector<uint16_t>& inputMask, const DeviceProfile& profile) {
    const bool wide = profile.input_count > 8;
    return RangedSet(DSP_MIX_CH, scene, source, chStart, chEnd, inputMask,
                     "Mix_Ch_Ctrl: scene(%d), source(%d), output_channel(%d), input_ch(0x%x)\n",
                     RangeLog::SceneSourceChannel, [wide](std::vector<uint8_t>& d, uint16_t m) {
                         if (wide)
                             PutBe16(d, m);
                         else
                             d.push_back(static_cast<uint8_t>(m & 0xFF));
                         return static_cast<int>(m);
                     });
}

Frame CH_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                   const std::vector<uint8_t>& type) {
    return RangedBytes(DSP_CH_TYPE, scene, source, chStart, chEnd, type,
                       "CH_Type_Ctrl scene(%d), source(%d), channel(%d), t_ch_type(0x%x)\n",
                       RangeLog::SceneSourceChannel);
}

Frame PEQ_Bypass_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                      const std::vector<uint8_t>& bypass) {
    return RangedBytes(DSP_EQ_BYPASS, scene, source, chStart, chEnd, bypass,
                       "PEQ_Bypass_Ctrl: scene(%d), channel(%d), bypass(%d)\n");
}

Frame Solo_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                const std::vector<uint8_t>& solo) {
    return RangedBytes(DSP_CH_SOLO, scene, source, chStart, chEnd, solo,
                       "Solo_Ctrl: scene(%d), channel(%d), solo(%d)\n");
}

Frame HPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                      const std::vector<uint8_t>& mode) {
    return RangedBytes(DSP_HPF_Q_FACT_MODE, scene, source, chStart, chEnd, mode,
                       "HPF_Q_Fact_Ctrl: scene(%d), channel(%d), Q_fac_type(%d)\n");
}

Frame LPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                      const std::vector<uint8_t>& mode) {
    return RangedBytes(DSP_LPF_Q_FACT_MODE, scene, source, chStart, chEnd, mode,
                       "LPF_Q_Fact_Ctrl: scene(%d), channel(%d), Q_fac_type(%d)\n");
}

Frame Spk_Dist_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                    const std::vector<uint16_t>& hundredths) {
    return RangedSet(DSP_SPK_DIST, scene, source, chStart, chEnd, hundredths,
                     "Spk_Dist_Ctrl: scene(%d), channel(%d), spk_dist(%d/100)\n",
                     RangeLog::SceneChannel, [](std::vector<uint8_t>& d, uint16_t v) {
                         PutBe16(d, v);
                         return static_cast<int>(v);
                     });
}

Frame Compressor_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                         const std::vector<uint8_t>& on) {
    return RangedBytes(DSP_COMPRESSOR_ON_CH, scene, source, chStart, chEnd, on,
                       "Compressor_Ch_Ctrl: scene(%d), channel(%d), On(%d)\n");
}

Frame Filter_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t iFilter, uint8_t type,
                  uint16_t freq, uint8_t slope) {
    Frame f{CMD_DSP, DSP_FILTER_SET, OP_SET, {scene, source, ch, iFilter, type}};
    PutBe16(f.data, freq);
    f.data.push_back(slope);
    return f;
}

Frame EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t band, uint16_t freq, float q,
              float gain) {
    Frame f{CMD_DSP, DSP_EQ_CH, OP_SET, {scene, source, ch, band}};
    units::PutEqBand(f.data, freq, static_cast<double>(q), static_cast<double>(gain));
    return f;
}

Frame Get_EQ(uint8_t scene, uint8_t source, uint8_t ch, uint8_t bandStart, uint8_t bandEnd) {
    return Frame{CMD_DSP, DSP_EQ_CH, OP_GET, {scene, source, ch, bandStart, bandEnd}};
}

Frame Remap_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t outCh,
                    const std::vector<uint8_t>& inputs) {
    Frame f{CMD_DSP, DSP_REMAP_CH, OP_SET, {scene, source, outCh}};
    size_t n = std::min(inputs.size(), kMaxCommandData - 3);
    for (size_t i = 0; i < n; ++i) {
        LogWriteNarrow("Remap_Ch_Ctrl: scene(%d), output_channel(%d), input_ch(%d)\n", scene, outCh,
                       inputs[i]);
        f.data.push_back(inputs[i]);
    }
    return f;
}

Frame CH_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs) {
    return LinkPairs(DSP_CH_LINK, scene, link, pairs,
                     "CH_Link_Ctrl scene(%d), link(%d), ch_count(%d)\n");
}
Frame CH_Trim_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs) {
    return LinkPairs(DSP_CH_TRIM_LINK, scene, link, pairs,
                     "CH_Trim_Link_Ctrl scene(%d), link(%d), ch_count(%d)\n");
}
Frame CH_Delay_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs) {
    return LinkPairs(DSP_CH_DELAY_LINK, scene, link, pairs,
                     "CH_Delay_Link_Ctrl scene(%d), link(%d), ch_count(%d)\n");
}
Frame Get_CH_Link(uint8_t scene) {
    return Frame{CMD_DSP, DSP_CH_LINK, OP_GET, {scene}};
}
Frame Get_CH_Trim_Link(uint8_t scene) {
    return Frame{CMD_DSP, DSP_CH_TRIM_LINK, OP_GET, {scene}};
}
Frame Get_CH_Delay_Link(uint8_t scene) {
    return Frame{CMD_DSP, DSP_CH_DELAY_LINK, OP_GET, {scene}};
}

Frame CH_Lock_Ctrl(uint8_t scene, uint8_t lock) {
    return Frame{CMD_DSP, DSP_CH_LOCK, OP_SET, {scene, lock}};
}
Frame Get_CH_Lock(uint8_t scene) {
    return Frame{CMD_DSP, DSP_CH_LOCK, OP_GET, {scene}};
}

Frame DSP_Bypass_Ctrl(uint8_t scene, uint8_t selector, uint8_t bypass) {
    LogWriteNarrow("DSP_Bypass_Ctrl: scene(%d), channel(%d), bypass(%d)\n", scene, selector,
                   bypass);
    return Frame{CMD_DSP, DSP_BYPASS, OP_SET, {scene, selector, bypass}};
}

Frame PEQ_Reset_Ctrl(uint8_t scene, uint8_t source, const std::vector<uint8_t>& channels) {
    size_t n = std::min(channels.size(), kMaxCommandData - 3);
    std::string line;
    char b[24];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "ch(%d), ", channels[i]);
        line += b;
    }
    LogWriteNarrow("PEQ_Reset_Ctrl: scene(%d), ch_count(%d), %s\n", scene, static_cast<int>(n),
                   line.c_str());
    Frame f{CMD_DSP, DSP_EQ_RESET, OP_SET, {scene, source, static_cast<uint8_t>(n)}};
    f.data.insert(f.data.end(), channels.begin(), channels.begin() + static_cast<long>(n));
    return f;
}

Frame Compressor_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t bypass, float threshold,
                      float ratio, float softKnee, uint16_t attack, uint16_t release) {
    Frame f{CMD_DSP, DSP_COMPRESSOR_SETTING, OP_SET, {scene, source, ch, bypass}};
    units::PutCompressorThreshold(f.data, static_cast<double>(threshold));
    units::PutTenths(f.data, static_cast<double>(ratio));
    units::PutTenths(f.data, static_cast<double>(softKnee));
    PutBe16(f.data, attack);
    PutBe16(f.data, release);
    return f;
}

Frame Compressor_Ctrl2(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                       const std::vector<Compressor2>& values) {
    Frame f{CMD_DSP, DSP_COMPRESSOR_SETTING2, OP_SET, {scene, source, chStart, chEnd}};
    AppendRanged(f.data, chStart, chEnd, values,
                 [scene](std::vector<uint8_t>& d, int ch, const Compressor2& c) {
                     const double seconds = units::ReleaseSeconds(c.releaseMs);
                     const uint8_t ti = IntPart(c.threshold), tt = TenthsDigit(c.threshold);
                     LogWriteNarrow(
                         "Compressor_Ctrl2: scene(%d), channel(%d), threshold(%g) %d %d, "
                         "attack(%d), release(%g)\n",
                         scene, ch, static_cast<double>(c.threshold), static_cast<int8_t>(ti),
                         static_cast<int8_t>(tt), c.attack, seconds);
                     d.push_back(ti);
                     d.push_back(tt);
                     PutBe16(d, c.attack);
                     units::PutTenths(d, seconds);
                 });
    return f;
}

Frame Output_Bridge_Ctrl(uint8_t scene, uint8_t source, const std::vector<uint8_t>& bridge) {
    size_t n = std::min(bridge.size(), kMaxCommandData - 3);
    LogWriteNarrow("Output_Bridge_Ctrl scene(%d) source(%d) count(%d)\n", scene, source,
                   static_cast<int>(n));
    Frame f{CMD_DSP, DSP_OUPUT_BRIDGE, OP_SET, {scene, source, static_cast<uint8_t>(n)}};
    for (size_t i = 0; i < n; ++i) {
        LogWriteNarrow("bridge[%d] = %d\n", static_cast<int>(i), bridge[i]);
        f.data.push_back(bridge[i]);
    }
    return f;
}

Frame Get_Ouput_Bridge(uint8_t scene, uint8_t source, uint8_t count) {
    return Frame{CMD_DSP, DSP_OUPUT_BRIDGE, OP_GET, {scene, source, count}};
}

}  // namespace dvdsp::link::protocol
