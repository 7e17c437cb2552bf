// Replies of the DSP (CMD_DSP): the global settings and the output channels. The input,
// mixer and calibration replies are in decode_dsp_input.cpp and decode_irc.cpp.
// Reply frame: AA 55 LEN 01 CMD OP DATA... SUM, OP = DD (values) or EE (acknowledgement);
// the decoder gets the payload CMD OP DATA, LEN - 3 data bytes. Data by command:
//   01, 04, 3F, 4B, 4E   [0] value            02, 03   [0] signed value (volume: 6 - dB)
//   32 [0..1] 16-bit selection                35 [0] speaker configuration
//   39, 3A [0] mode                           45 [0] remote output 1 [1] remote output 2
//   42 [0..7] address and data, little-endian 46 [0] DSP on/off
//   ranged: [0] scene [1] source [2] first [3] last, then per channel:
//     05 filter 8 bytes: hp type, hp frequency (16-bit), hp slope, lp type, lp frequency,
//        lp slope;  07 delay 3 bytes (integer ms, 16-bit thousandths);  08 trim 2 bytes
//        of attenuation (integer, hundredths) or 1 signed byte of gain;  09, 0A, 0D, 12,
//        34, 37, 38, 49  1 byte;  0B routing mask 1 or 2 bytes;  43 distance 16-bit
//        hundredths;  4A 6 bytes (threshold integer and tenths, attack 16-bit, release
//        seconds and tenths);  3E one set for all: [4] bypass [5..6] threshold + 100
//        [7..8] ratio [9..10] soft knee [11..12] attack [13..14] release
//   06 EQ  [0] scene [1] source [2] channel [3] first band [4] last band, then per band
//          6 bytes: frequency (16-bit), Q integer and hundredths, gain + 18 integer, tenths
//   0E, 30, 31 link [0] scene [1] link, then one byte per output pair;  0F [0] scene [1] lock
//   4C bridge [0] scene [1] source [2] count n, then n bytes
#include <string>

#include "base/log.h"
#include "link/commands.h"
#include "link/protocol/decode.h"
#include "link/protocol/decode_common.h"
#include "link/protocol/units.h"

namespace dvdsp::link::protocol {

using namespace decode;

void PostEqBands(Postings& out, Target target, uint32_t msg, uint32_t wparam, const uint8_t* d,
                 int n) {
    // data 0 scene, 1 source, 2 channel, 3 band_start, 4 band_end; 6 bytes per band from 5.
    ForEachEntry(d, n, d[3], d[4], 5, 6, [&](int band, const uint8_t* b) {
        auto r = std::make_unique<EqBandValue>();
        r->scene = d[0];
        r->ch = d[2];
        r->band = band;
        r->freq = Be16(b);
        r->q = units::EqQFromWire(b + 2);
        r->gain = units::EqGainFromWire(b + 4);
        Post(out, target, msg, wparam, std::move(r));
    });
}

void DecodeDsp(const uint8_t* p, uint8_t len, const DeviceProfile& profile, LinkState& state,
               Postings& out) {
    const int n = DataLength(len);
    if (n < 0) return;  // no operation byte: nothing to decode
    const uint8_t cmd = p[0];
    const uint8_t op = p[1];
    const uint8_t* d = p + 2;
    ++state.dsp_ack_counter;
    // One call for the whole line, so that no other thread's line lands inside it.
    std::string name = cmd == DSP_MIX_TYPE2 ? std::string("DSP_MIX_TYPE2")
                       : cmd < 78           ? WideToUtf8(kDspCommandNames[cmd])
                                            : std::to_string(cmd);
    LogWriteNarrow("dsp_ack_process %u, cmd(0x%08x), OP(%02x), %s\n", state.dsp_ack_counter, cmd,
                   op, name.c_str());

    if (DecodeDspInput(cmd, op, d, n, profile, out) || DecodeDspCalibration(cmd, op, d, n, out))
        return;

    const bool update = op == OP_UPDATE;
    const auto value = [&](int64_t v) { Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, v); };
    // Per channel of the range in data 2 and 3, `width` bytes each from data 4.
    const auto perChannel = [&](int width, auto fn) {
        ForEachChannel(d, n, d[2], d[3], 4, width, fn);
    };
    const auto channelValue = [&](int ch, const uint8_t* b) {
        auto r = std::make_unique<ChannelValue>();
        r->scene = d[0];
        r->ch = ch;
        r->value = b[0];
        Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
    };
    const auto linkValue = [&] {
        auto r = std::make_unique<LinkValue>();
        r->scene = d[0];
        r->link = d[1];
        const int want = std::max(0, profile.output_count / 2);
        r->count = std::clamp(std::min(want, n - 2), 0, static_cast<int>(r->pairs.size()));
        for (int i = 0; i < r->count; ++i) r->pairs[static_cast<size_t>(i)] = d[2 + i];
        Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
    };

    switch (cmd) {
        case DSP_SOURCE_CONFIG: {
            if (!update) return;
            const int count = d[0];
            LogWriteNarrow("DSP_SOURCE_CONFIG update total source=%d -->\n", count);
            for (int i = 1; i <= count && i < n; ++i)
                LogWriteNarrow("source%d = %d\n", i - 1, d[i]);
            return;
        }
        case DSP_SOURCE_SWITCH:
        case DSP_MUTE:
        case DSP_AMP_MUTE:
        case DSP_SPK_OHM:
        case DSP_NOISE_GATE:
            if (update) value(d[0]);
            return;
        case DSP_VOLUME:
            if (op == OP_ACK) {
                LogWriteNarrow("DSP_VOLUME OP_ACK\n");
                return;
            }
            if (!update) return;
            LogWriteNarrow("DSP_VOLUME OP_UPDATE, MVol = %d\n", S8(d[0]));
            value(S8(d[0]));
            return;
        case DSP_SUBWOOFER_VOLUME:
            if (update) value(S8(d[0]));
            return;
        case DSP_FILTER_SET:
            if (!update) return;
            perChannel(8, [&](int ch, const uint8_t* b) {
                auto r = std::make_unique<FilterValue>();
                r->scene = d[0];
                r->ch = ch;
                r->hp_type = b[0];
                r->hp_freq = Be16(b + 1);
                r->hp_slope = b[3];
                r->lp_type = b[4];
                r->lp_freq = Be16(b + 5);
                r->lp_slope = b[7];
                Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            });
            return;
        case DSP_EQ_CH:
            if (update) PostEqBands(out, Target::Main, WM_READ_DSP_VALUE, cmd, d, n);
            return;
        case DSP_DELAY_CH:
            if (!update) return;
            perChannel(3, [&](int ch, const uint8_t* b) {
                auto r = std::make_unique<ChannelFloat>();
                r->scene = d[0];
                r->ch = ch;
                r->value = units::DelayFromWire(b);
                Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            });
            return;
        case DSP_TRIM_CH: {
            if (!update) return;
            const bool attenuation = profile.trim_is_attenuation != 0;
            perChannel(units::TrimWidth(attenuation), [&](int ch, const uint8_t* b) {
                auto r = std::make_unique<ChannelFloat>();
                r->scene = d[0];
                r->ch = ch;
                r->value = units::TrimFromWire(b, attenuation);
                Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            });
            return;
        }
        case DSP_MUTE_CH:
        case DSP_PHASE_CH:
        case DSP_EQ_BYPASS:
        case DSP_CH_SOLO:
        case DSP_COMPRESSOR_ON_CH:
            if (update) perChannel(1, channelValue);
            return;
        case DSP_CH_TYPE:
            if (op == OP_ACK) {
                LogWriteNarrow("DSP_CH_TYPE OP_ACK\n");
                return;
            }
            if (update) perChannel(1, channelValue);
            return;
        case DSP_MIX_CH: {
            if (!update) return;
            const bool wide = profile.input_count > 8;
            perChannel(wide ? 2 : 1, [&](int ch, const uint8_t* b) {
                auto r = std::make_unique<MixValue>();
                r->scene = d[0];
                r->source = d[1];
                r->ch = ch;
                r->mask = wide ? Be16(b) : b[0];
                Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            });
            return;
        }
        case DSP_REMAP_CH:
        case DSP_BYPASS:
            return;
        case DSP_CH_LINK:
        case DSP_CH_TRIM_LINK:
        case DSP_CH_DELAY_LINK:
            if (update) linkValue();
            return;
        case DSP_CH_LOCK: {
            if (!update) return;
            auto r = std::make_unique<LockValue>();
            r->scene = d[0];
            r->lock = d[1];
            Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            return;
        }
        case DSP_EQ_RESET:
            LogWriteNarrow("DSP_EQ_RESET OP=0x%x, scene =%d, \n", op, d[0]);
            return;
        case DSP_SEL_REMOTE_CH:
            if (update) value(Be16(d));
            return;
        case DSP_SPK_CH_CONFIG: {
            if (!update) return;
            LogWriteNarrow("DSP_SPK_CH_CONFIG spk_cfg(0x%02x)\n", d[0]);
            auto r = std::make_unique<Int32Value>();
            r->value = d[0];
            Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            return;
        }
        case DSP_HPF_Q_FACT_MODE:
        case DSP_LPF_Q_FACT_MODE: {
            if (!update) return;
            auto r = std::make_unique<RangeModes>();
            r->scene = d[0];
            r->source = d[1];
            r->ch_start = d[2];
            r->ch_end = ClampEnd(d[3]);
            perChannel(
                1, [&](int ch, const uint8_t* b) { r->values[static_cast<size_t>(ch)] = b[0]; });
            Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            return;
        }
        case DSP_FACTORY_PRESET:
            if (!update) return;
            LogWriteNarrow("fac_preset mode = %d\n", d[0]);
            value(d[0]);
            return;
        case DSP_SETUP_MODE:
            if (!update) return;
            LogWriteNarrow("setup_mode mode = %d\n", d[0]);
            value(d[0]);
            return;
        case DSP_COMPRESSOR_SETTING:
            if (!update) return;
            // One set of values for every channel of the range.
            perChannel(0, [&](int ch, const uint8_t*) {
                auto r = std::make_unique<CompressorValue>();
                r->scene = d[0];
                r->ch = ch;
                r->bypass = d[4];
                r->threshold = units::CompressorThresholdFromWire(d + 5);
                r->ratio = units::TenthsFromWire(d + 7);
                r->soft_knee = units::TenthsFromWire(d + 9);
                r->attack = Be16(d + 11);
                r->release = Be16(d + 13);
                Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            });
            return;
        case DSP_MEM_DATA: {
            if (!update) return;
            auto r = std::make_unique<MemValue>();
            std::copy(d, d + r->bytes.size(), r->bytes.begin());
            Post(out, Target::Memory, WM_READ_MEM_VALUE, cmd, std::move(r));
            return;
        }
        case DSP_SPK_DIST: {
            if (!update) return;
            auto r = std::make_unique<RangeDistances>();
            r->scene = d[0];
            r->source = d[1];
            r->ch_start = d[2];
            r->ch_end = ClampEnd(d[3]);
            perChannel(2, [&](int ch, const uint8_t* b) {
                const auto v = static_cast<uint16_t>(Be16(b));
                r->values[static_cast<size_t>(ch)] = v;
                LogWriteNarrow("q_spk_dist[%d]=(%d/100)\n", ch, v);
            });
            Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            return;
        }
        case DSP_REM_OUT: {
            if (!update) return;
            auto r = std::make_unique<RemOutValue>();
            r->rem_out1 = d[0];
            r->rem_out2 = d[1];
            Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            return;
        }
        case DSP_DSP_STATUS:
            LogWriteNarrow("DSP_DSP_STATUS OP=0x%x, on_off = 0x%x\n", op, d[0]);
            if (update) value(d[0]);
            return;
        case DSP_COMPRESSOR_SETTING2:
            if (!update) return;
            perChannel(6, [&](int ch, const uint8_t* b) {
                auto r = std::make_unique<Compressor2Value>();
                r->scene = d[0];
                r->ch = ch;
                r->threshold = units::Compressor2ThresholdFromWire(b);
                r->attack = Be16(b + 2);
                r->release = units::Compressor2ReleaseFromWire(b + 4);
                Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            });
            return;
        case DSP_OUPUT_BRIDGE: {
            if (!update) return;
            auto r = std::make_unique<BridgeValue>();
            r->scene = d[0];
            r->source = d[1];
            const int count = std::min(
                {static_cast<int>(d[2]), static_cast<int>(r->bridge.size()), std::max(0, n - 3)});
            r->count = static_cast<uint8_t>(count);
            std::copy(d + 3, d + 3 + count, r->bridge.begin());
            Post(out, Target::Main, WM_READ_DSP_VALUE, cmd, std::move(r));
            return;
        }
        default:
            LogWriteNarrow("!!! NOT SUPPORT MSG\n");
            return;
    }
}

}  // namespace dvdsp::link::protocol
