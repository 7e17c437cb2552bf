// Inputs, the mixer and source mixing, packet type CMD_DSP (1). Frame layout, after the
// report ID:
//   AA 55 LEN 01 CMD OP DATA... SUM    LEN = 3 + data bytes
// Ranged by input channel ([0] scene [1] source [2] first [3] last, then one byte per
// channel; the query carries the four bytes alone):
//   20 input trim, 21 input mute, 22 input phase
// Others (set OP_SET 0xBB, query OP_GET 0x66):
//   23 input EQ    [0] scene [1] source [2] input [3] first band [4] last band, then per
//                  band 6 bytes laid out as an output EQ band (frequency, Q, gain + 18)
//   24 mix trim    [0] scene [1] source [2] input [3] first output [4] last output, then one
//                  signed trim per output
//   28 mix trim 2  [0] scene [1] source [2] first input [3] last input [4] output, then one
//                  signed trim per input
//   26 threshold   [0] threshold, signed (query: [0] scene [1] source)
//   27 noise       query only: [0] first channel [1] last channel
//   36, 83 mix type [0] scene [1] source [2] type (query: scene, source)
//   44 mix source  [0] source
//   47 cross mix   [0] scene [1] source [2] channel [3] second source [4] its channel
//                  [5] its gain (query: the gain and the second pair 0)
//   4D cross mix (CS47048) [0] scene [1] source [2] second source [3] its channel [4] channel
//   40, 41 input and output distortion   query only: [0] scene [1] source [2] first [3] last
#include "link/protocol/input.h"

#include <cstdio>
#include <string>

#include "base/log.h"
#include "link/commands.h"
#include "link/protocol/ranged.h"
#include "link/protocol/units.h"

namespace dvdsp::link::protocol {

using namespace wire;

Frame Input_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                      const std::vector<uint8_t>& gain) {
    return RangedBytes(DSP_INPUT_TRIM_CH, scene, source, chStart, chEnd, gain,
                       "Input_Trim_Ctrl: scene(%d), channel(%d), gain(%d)\n");
}

Frame Mute_Input_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                         const std::vector<uint8_t>& mute) {
    return RangedBytes(DSP_INPUT_CH_MUTE, scene, source, chStart, chEnd, mute,
                       "Mute_Input_Ch_Ctrl: scene(%d),source (%d), channel(%d), mute(%d)\n",
                       RangeLog::SceneSourceChannel);
}

Frame Input_Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                       const std::vector<uint8_t>& phase) {
    return RangedBytes(DSP_INPUT_CH_PHASE, scene, source, chStart, chEnd, phase,
                       "Input_Phase_Ctrl: scene(%d), source(%d), channel(%d), phase(%d)\n",
                       RangeLog::SceneSourceChannel);
}

Frame Input_EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t bandStart, uint8_t bandEnd,
                    const std::vector<Band>& bands) {
    if (RangeCount(bandStart, bandEnd) > 8) bandEnd = static_cast<uint8_t>(bandStart + 7);
    // A band the caller left out travels flat: 1000 Hz, Q 1, 0 dB.
    const Band flat{0.0f, 1.0f, 1000, 1};
    Frame f{CMD_DSP, DSP_INPUT_EQ_CH, OP_SET, {scene, source, inCh, bandStart, bandEnd}};
    AppendRanged(
        f.data, bandStart, bandEnd, bands,
        [](std::vector<uint8_t>& d, int, const Band& b) {
            units::PutEqBand(d, b.freq, static_cast<double>(b.q), static_cast<double>(b.gain));
        },
        flat);
    return f;
}

Frame Get_Input_EQ(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t bandStart,
                   uint8_t bandEnd) {
    return Frame{CMD_DSP, DSP_INPUT_EQ_CH, OP_GET, {scene, source, inCh, bandStart, bandEnd}};
}

Frame Input_Ch_Threshold_Ctrl(int8_t threshold) {
    LogWriteNarrow("Input_Ch_Threshold_Ctrl:threshold(%d)\n", threshold);
    return Frame{CMD_DSP, DSP_INPUT_THRESHOLD, OP_SET, {static_cast<uint8_t>(threshold)}};
}

Frame Get_Input_Threshold(uint8_t scene, uint8_t source) {
    LogWriteNarrow("Get_Input_Threshold: scene(%d), source(%d)\n", scene, source);
    return Frame{CMD_DSP, DSP_INPUT_THRESHOLD, OP_GET, {scene, source}};
}

Frame Get_Input_Noise(uint8_t chX, uint8_t chY) {
    LogWriteNarrow("Get_Input_Noise: ch_x(%d) to ch_y(%d)\n", chX, chY);
    return Frame{CMD_DSP, DSP_INPUT_NOISE, OP_GET, {chX, chY}};
}

Frame Input_Mix_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t outStart,
                          uint8_t outEnd, const std::vector<int8_t>& trim) {
    Frame f{CMD_DSP, DSP_INPUT_MIX_CH_TRIM, OP_SET, {scene, source, inCh, outStart, outEnd}};
    AppendRanged(f.data, outStart, outEnd, trim, [&](std::vector<uint8_t>& d, int out, int8_t t) {
        LogWriteNarrow(
            "Input_Mix_Trim_Ctrl: scene(%d), source(%d), in_ch(%d),out_ch(%d), trim(%d)\n", scene,
            source, inCh, out, t);
        d.push_back(static_cast<uint8_t>(t));
    });
    return f;
}

Frame Get_Input_Mix_CH_Trim(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t outStart,
                            uint8_t outEnd) {
    return Frame{CMD_DSP, DSP_INPUT_MIX_CH_TRIM, OP_GET, {scene, source, inCh, outStart, outEnd}};
}

Frame Input_Mix_Trim_Ctrl2(uint8_t scene, uint8_t source, uint8_t inStart, uint8_t inEnd,
                           uint8_t outCh, const std::vector<int8_t>& trim) {
    Frame f{CMD_DSP, DSP_INPUT_MIX_CH_TRIM2, OP_SET, {scene, source, inStart, inEnd, outCh}};
    std::string line;
    AppendRanged(f.data, inStart, inEnd, trim, [&](std::vector<uint8_t>& d, int in, int8_t t) {
        char b[32];
        std::snprintf(b, sizeof b, "in_ch(%d)=trim(%d), ", in, t);
        line += b;
        d.push_back(static_cast<uint8_t>(t));
    });
    LogWriteNarrow(
        "Input_Mix_Trim_Ctrl2: scene(%d), source(%d), in_channel(%d to %d),out_ch(%d), %s\n", scene,
        source, inStart, inEnd, outCh, line.c_str());
    return f;
}

Frame Mix_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t type) {
    LogWriteNarrow("Mix_Type_Ctrl: scene(%d), source(%d), type(%d)\n", scene, source, type);
    return Frame{CMD_DSP, DSP_MIX_TYPE, OP_SET, {scene, source, type}};
}
Frame Mix_Type2_Ctrl(uint8_t scene, uint8_t source, uint8_t type) {
    LogWriteNarrow("Mix_Type_Ctrl: scene(%d), source(%d), type(%d)\n", scene, source, type);
    return Frame{CMD_DSP, DSP_MIX_TYPE2, OP_SET, {scene, source, type}};
}
Frame Get_Mix_Type(uint8_t scene, uint8_t source) {
    return Frame{CMD_DSP, DSP_MIX_TYPE, OP_GET, {scene, source}};
}
Frame Get_Mix_Type2(uint8_t scene, uint8_t source) {
    return Frame{CMD_DSP, DSP_MIX_TYPE2, OP_GET, {scene, source}};
}

Frame Mix_Source_Switch_Ctrl(uint8_t source) {
    LogWriteNarrow("Mix_Source_Switch_Ctrl: source(0x%x)\n", source);
    return Frame{CMD_DSP, DSP_MIX_SOURCE_SWITCH, OP_SET, {source}};
}
Frame Get_Mix_Source() {
    return Frame{CMD_DSP, DSP_MIX_SOURCE_SWITCH, OP_GET, {}};
}

Frame Cross_Source_Mix_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t viceSource,
                            uint8_t viceCh, uint8_t viceGain) {
    LogWriteNarrow(
        "Cross_Source_Mix_Ctrl: scene(0x%x), source(0x%x), ch(0x%x), vice_source(0x%x), "
        "vice_ch(0x%x), vice_gain(0x%x)\n",
        scene, source, ch, viceSource, viceCh, viceGain);
    return Frame{
        CMD_DSP, DSP_CROSS_SOURCE_MIX, OP_SET, {scene, source, ch, viceSource, viceCh, viceGain}};
}
Frame Get_Mix_Source2(uint8_t scene, uint8_t source, uint8_t ch) {
    return Frame{CMD_DSP, DSP_CROSS_SOURCE_MIX, OP_GET, {scene, source, ch, 0, 0, 0}};
}
Frame Cross_Source_Mix_Ctrl_CS47048(uint8_t scene, uint8_t source, uint8_t ch, uint8_t viceSource,
                                    uint8_t viceCh) {
    LogWriteNarrow(
        "Cross_Source_Mix_Ctrl_CS47048: scene(0x%x), source(0x%x), ch(0x%x), "
        "vice_source(0x%x), vice_ch(0x%x)\n",
        scene, source, ch, viceSource, viceCh);
    return Frame{
        CMD_DSP, DSP_CROSS_SOURCE_MIX_CS47048, OP_SET, {scene, source, viceSource, viceCh, ch}};
}
Frame Get_Mix_Source2_CS47048(uint8_t scene, uint8_t source) {
    return Frame{CMD_DSP, DSP_CROSS_SOURCE_MIX_CS47048, OP_GET, {scene, source, 0, 0, 0}};
}

Frame Get_InDistort(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) {
    LogWriteNarrow("Get_InDistort: scene(%d), channel(%d)\n", scene, chStart);
    return RangedGet(DSP_INPUT_CH_DISTORT, scene, source, chStart, chEnd);
}
Frame Get_OutDistort(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd) {
    LogWriteNarrow("Get_OutDistort: scene(%d), channel(%d)\n", scene, chStart);
    return RangedGet(DSP_OUTPUT_CH_DISTORT, scene, source, chStart, chEnd);
}

}  // namespace dvdsp::link::protocol
