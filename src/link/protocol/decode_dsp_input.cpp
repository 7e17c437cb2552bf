// Replies of the DSP (CMD_DSP) for the input channels, the mixer and source mixing and the
// distortion read-outs. Reply frame: AA 55 LEN 01 CMD DD DATA... SUM. Data by command:
//   20, 21, 22 [0] scene [1] source [2] first [3] last, one byte per input channel
//   23 input EQ, laid out as the output EQ report (6 bytes per band from [5])
//   24 [0] scene [1] source [2] input [3] first output [4] last output, one signed byte each
//   26 [0] threshold, signed          27 [0] first [1] last, per channel [level + 100, tenths]
//   36, 83 [0] scene [1] source [2] type          3B, 44 [0] value
//   40, 41 [0] source [1] first [2] last, one byte per channel
//   47 [0] scene [1] source [2] channel [3] second source [4] its channel [5] its gain
//   4D [0] scene [1] source [2] second source [3] its channel [4] channel
#include "base/log.h"
#include "link/commands.h"
#include "link/protocol/decode.h"
#include "link/protocol/decode_common.h"
#include "link/protocol/units.h"

namespace dvdsp::link::protocol {

using namespace decode;

bool DecodeDspInput(uint8_t cmd, uint8_t op, const uint8_t* d, int n, const DeviceProfile& profile,
                    Postings& out) {
    const bool update = op == OP_UPDATE;
    const auto value = [&](int64_t v) { Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, v); };
    const auto mixType = [&] {
        auto r = std::make_unique<MixTypeValue>();
        r->scene = d[0];
        r->source = d[1];
        r->type = d[2];
        Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
    };
    const auto distort = [&] {
        // data 0 source, 1 ch_start, 2 ch_end, one byte per channel from 3.
        auto r = std::make_unique<DistortValue>();
        r->source = d[0];
        r->ch_start = d[1];
        r->ch_end = ClampEnd(d[2]);
        ForEachChannel(d, n, d[1], d[2], 3, 1, [&](int ch, const uint8_t* b) {
            r->values[static_cast<size_t>(ch)] = b[0];
        });
        Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
    };

    switch (cmd) {
        case DSP_INPUT_TRIM_CH:
        case DSP_INPUT_CH_MUTE:
        case DSP_INPUT_CH_PHASE: {
            if (!update) return true;
            auto r = std::make_unique<RangeBytes>();
            r->scene = d[0];
            r->source = d[1];
            r->ch_start = d[2];
            r->ch_end = ClampEnd(d[3]);
            ForEachChannel(d, n, d[2], d[3], 4, 1, [&](int ch, const uint8_t* b) {
                r->values[static_cast<size_t>(ch)] = static_cast<int8_t>(b[0]);
            });
            Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            return true;
        }
        case DSP_INPUT_EQ_CH:
            if (update) PostEqBands(out, Target::Main, WM_READ_DSP_VALUE, cmd, d, n);
            return true;
        case DSP_INPUT_MIX_CH_TRIM: {
            if (!update) return true;
            // data 0 scene, 1 source, 2 input channel, 3 out_start, 4 out_end, then one signed
            // trim per output, stored from index 0.
            auto r = std::make_unique<InputMixTrimValue>();
            r->scene = d[0];
            r->source = d[1];
            r->in_ch = d[2];
            r->out_start = d[3];
            const int room = static_cast<int>(r->trims.size());
            r->out_end = static_cast<uint8_t>(std::min<int>(d[4], d[3] + room - 1));
            ForEachEntry(d, n, 0, r->out_end - r->out_start, 5, 1, [&](int i, const uint8_t* b) {
                r->trims[static_cast<size_t>(i)] = static_cast<int8_t>(b[0]);
            });
            Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            return true;
        }
        case DSP_INPUT_THRESHOLD:
            if (!update) return true;
            LogWriteNarrow("input_threshold = %d\n", S8(d[0]));
            value(S8(d[0]));
            return true;
        case DSP_INPUT_NOISE: {
            if (!update) return true;
            // data 0 ch_x, 1 ch_y; per channel 2 bytes from 2: level = byte - 100 + tenths.
            auto r = std::make_unique<InputNoiseValue>();
            r->ch_x = d[0];
            r->ch_y = ClampEnd(d[1]);
            ForEachChannel(d, n, d[0], d[1], 2, 2, [&](int ch, const uint8_t* b) {
                r->levels[static_cast<size_t>(ch)] = F(b[0]) - 100.0f + F(b[1]) / 10.0f;
            });
            const Target to = profile.noise_to_main ? Target::Main : Target::Noise;
            Post(out, to, WM_READ_DSP_VALUE, cmd, std::move(r));
            return true;
        }
        case DSP_MIX_TYPE:
            if (update) mixType();
            return true;
        case DSP_MIX_TYPE2:
            if (!update) return true;
            LogWriteNarrow("mix_type2(%d)\n", d[2]);
            mixType();
            return true;
        case DSP_AUTO_EFFECTION_ON_OFF_CONTROL:
        case DSP_MIX_SOURCE_SWITCH:
            if (update) value(d[0]);
            return true;
        case DSP_INPUT_CH_DISTORT:
        case DSP_OUTPUT_CH_DISTORT:
            if (update) distort();
            return true;
        case DSP_CROSS_SOURCE_MIX:
        case DSP_CROSS_SOURCE_MIX_CS47048: {
            if (!update) return true;
            auto r = std::make_unique<CrossSourceMixValue>();
            r->scene = d[0];
            r->source = d[1];
            if (cmd == DSP_CROSS_SOURCE_MIX) {
                r->ch = d[2];
                r->vice_source = d[3];
                r->vice_ch = d[4];
                r->vice_gain = d[5];
            } else {  // scene, source, vice_source, vice_ch, ch; no gain
                r->vice_source = d[2];
                r->vice_ch = d[3];
                r->ch = d[4];
            }
            Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            return true;
        }
        default:
            return false;
    }
}

}  // namespace dvdsp::link::protocol
