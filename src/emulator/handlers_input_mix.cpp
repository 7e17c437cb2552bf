// Input channels and the mixer: routing masks, input trims, mutes, phases and EQ, the
// input-to-output mix trims, mix types, cross-source feeds, the noise threshold and the
// moving values (noise levels, clip flags). The mixer values are kept per source.
#include "emulator/signal_model.h"
#include "emulator/virtual_unit.h"
#include "emulator/wire_ranges.h"
#include "emulator/wire_util.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::emu {

using namespace dvdsp::link;

void VirtualUnit::RegisterInputMixCommands() {
    // True when a request names a scene and a source the unit has.
    auto valid = [](const uint8_t* d, size_t n, size_t need) {
        return n >= need && d[0] < kSceneSlots && d[1] < kSources;
    };
    // A ranged per-source command with one byte per channel; `field` picks the byte of
    // channel ch in a source's mix, `count` is the number of channels of the range kind.
    using Field = std::function<uint8_t&(SourceMix&, int ch)>;
    auto rangedBytes = [this, valid](uint8_t cmd, int count, Field field) {
        On(CMD_DSP, cmd, OP_SET,
           [this, valid, cmd, count, field](const uint8_t* d, size_t n, std::vector<Packet>& out) {
               if (!valid(d, n, 4)) {
                   out.push_back(Ack(CMD_DSP, cmd, ACK_NOT_READY));
                   return;
               }
               SourceMix& m = state_.scenes[d[0]].src[d[1]];
               for (int ch = d[2], k = 0; ch <= d[3] && 4 + k < static_cast<int>(n); ++ch, ++k)
                   if (ch < count) field(m, ch) = d[4 + k];
               Changed(false);
               out.push_back(Ack(CMD_DSP, cmd));
           });
        On(CMD_DSP, cmd, OP_GET,
           [this, valid, cmd, count, field](const uint8_t* d, size_t n, std::vector<Packet>& out) {
               if (!valid(d, n, 4)) return;
               SourceMix& m = state_.scenes[d[0]].src[d[1]];
               const BoundedRange r = Bound(d[2], d[3], count, FitItems(4, 1));
               std::vector<uint8_t> v{d[0], d[1], d[2], r.EndByte()};
               for (int ch = r.first; ch <= r.last; ++ch) v.push_back(field(m, ch));
               out.push_back(Reply(CMD_DSP, cmd, OP_UPDATE, std::move(v)));
           });
    };
    // Routing: the input mask of each output (one byte: the unit has eight inputs).
    rangedBytes(DSP_MIX_CH, kOutputs,
                [](SourceMix& m, int ch) -> uint8_t& { return m.routing[ch]; });
    rangedBytes(DSP_INPUT_TRIM_CH, kInputs,
                [](SourceMix& m, int ch) -> uint8_t& { return m.inTrim[ch]; });
    rangedBytes(DSP_INPUT_CH_MUTE, kInputs,
                [](SourceMix& m, int ch) -> uint8_t& { return m.inMute[ch]; });
    rangedBytes(DSP_INPUT_CH_PHASE, kInputs,
                [](SourceMix& m, int ch) -> uint8_t& { return m.inPhase[ch]; });

    // Input EQ: scene, source, input, band_start, band_end, six bytes per band.
    On(CMD_DSP, DSP_INPUT_EQ_CH, OP_SET,
       [this, valid](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (!valid(d, n, 5) || d[2] >= kInputs) {
               out.push_back(Ack(CMD_DSP, DSP_INPUT_EQ_CH, ACK_NOT_READY));
               return;
           }
           auto& bands = state_.scenes[d[0]].inEq[d[2]];
           for (int b = d[3], k = 0; b <= d[4] && 5 + (k + 1) * 6 <= static_cast<int>(n); ++b, ++k)
               if (b < kBands) bands[b] = DecodeSetBand(d + 5 + k * 6);
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_INPUT_EQ_CH));
       });
    On(CMD_DSP, DSP_INPUT_EQ_CH, OP_GET,
       [this, valid](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (!valid(d, n, 5) || d[2] >= kInputs) return;
           const auto& bands = state_.scenes[d[0]].inEq[d[2]];
           const BoundedRange r = Bound(d[3], d[4], kBands, FitItems(5, 6));
           std::vector<uint8_t> v{d[0], d[1], d[2], d[3], r.EndByte()};
           for (int b = r.first; b <= r.last; ++b) EncodeBand(v, bands[b]);
           out.push_back(Reply(CMD_DSP, DSP_INPUT_EQ_CH, OP_UPDATE, std::move(v)));
       });

    // Mix trims: scene, source, input, out_start, out_end, one signed byte per output.
    On(CMD_DSP, DSP_INPUT_MIX_CH_TRIM, OP_SET,
       [this, valid](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (!valid(d, n, 5) || d[2] >= kInputs) {
               out.push_back(Ack(CMD_DSP, DSP_INPUT_MIX_CH_TRIM, ACK_NOT_READY));
               return;
           }
           auto& trims = state_.scenes[d[0]].src[d[1]].mixTrim[d[2]];
           for (int o = d[3], k = 0; o <= d[4] && 5 + k < static_cast<int>(n); ++o, ++k)
               if (o < kOutputs) trims[o] = static_cast<int8_t>(d[5 + k]);
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_INPUT_MIX_CH_TRIM));
       });
    On(CMD_DSP, DSP_INPUT_MIX_CH_TRIM, OP_GET,
       [this, valid](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (!valid(d, n, 5) || d[2] >= kInputs) return;
           const auto& trims = state_.scenes[d[0]].src[d[1]].mixTrim[d[2]];
           const BoundedRange r = Bound(d[3], d[4], kOutputs, FitItems(5, 1));
           std::vector<uint8_t> v{d[0], d[1], d[2], d[3], r.EndByte()};
           for (int o = r.first; o <= r.last; ++o) v.push_back(static_cast<uint8_t>(trims[o]));
           out.push_back(Reply(CMD_DSP, DSP_INPUT_MIX_CH_TRIM, OP_UPDATE, std::move(v)));
       });
    // The same trims seen from one output: scene, source, in_start, in_end, output, bytes.
    On(CMD_DSP, DSP_INPUT_MIX_CH_TRIM2, OP_SET,
       [this, valid](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (!valid(d, n, 5) || d[4] >= kOutputs) {
               out.push_back(Ack(CMD_DSP, DSP_INPUT_MIX_CH_TRIM2, ACK_NOT_READY));
               return;
           }
           auto& mix = state_.scenes[d[0]].src[d[1]].mixTrim;
           for (int in = d[2], k = 0; in <= d[3] && 5 + k < static_cast<int>(n); ++in, ++k)
               if (in < kInputs) mix[in][d[4]] = static_cast<int8_t>(d[5 + k]);
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_INPUT_MIX_CH_TRIM2));
       });

    // Mix types: scene, source, type.
    auto mixType = [this, valid](uint8_t cmd, uint8_t SourceMix::*field) {
        On(CMD_DSP, cmd, OP_SET,
           [this, valid, cmd, field](const uint8_t* d, size_t n, std::vector<Packet>& out) {
               if (!valid(d, n, 3)) {
                   out.push_back(Ack(CMD_DSP, cmd, ACK_NOT_READY));
                   return;
               }
               state_.scenes[d[0]].src[d[1]].*field = d[2];
               Changed(false);
               out.push_back(Ack(CMD_DSP, cmd));
           });
        On(CMD_DSP, cmd, OP_GET,
           [this, valid, cmd, field](const uint8_t* d, size_t n, std::vector<Packet>& out) {
               if (!valid(d, n, 2)) return;
               out.push_back(Reply(CMD_DSP, cmd, OP_UPDATE,
                                   {d[0], d[1], state_.scenes[d[0]].src[d[1]].*field}));
           });
    };
    mixType(DSP_MIX_TYPE, &SourceMix::mixType);
    mixType(DSP_MIX_TYPE2, &SourceMix::mixType2);

    // Cross-source feed: scene, source, ch, vice_source, vice_ch, vice_gain (+32).
    On(CMD_DSP, DSP_CROSS_SOURCE_MIX, OP_SET,
       [this, valid](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (!valid(d, n, 6) || d[2] >= kInputs) {
               out.push_back(Ack(CMD_DSP, DSP_CROSS_SOURCE_MIX, ACK_NOT_READY));
               return;
           }
           SourceMix& m = state_.scenes[d[0]].src[d[1]];
           m.csmSource[d[2]] = wire_range::kCrossSource.Keep<uint8_t>(d[3]);
           m.csmCh[d[2]] = wire_range::kCrossSourceChannel.Keep<uint8_t>(d[4]);
           m.csmGain[d[2]] = wire_range::kCrossSourceGain.Keep<uint8_t>(d[5]);
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_CROSS_SOURCE_MIX));
       });
    On(CMD_DSP, DSP_CROSS_SOURCE_MIX, OP_GET,
       [this, valid](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (!valid(d, n, 3) || d[2] >= kInputs) return;
           const SourceMix& m = state_.scenes[d[0]].src[d[1]];
           out.push_back(
               Reply(CMD_DSP, DSP_CROSS_SOURCE_MIX, OP_UPDATE,
                     {d[0], d[1], d[2], m.csmSource[d[2]], m.csmCh[d[2]], m.csmGain[d[2]]}));
       });
    // The variant without a gain: scene, source, vice_source, vice_ch, ch. Its get carries
    // scene, source and three bytes, the last naming the channel (0 when zero-filled).
    On(CMD_DSP, DSP_CROSS_SOURCE_MIX_CS47048, OP_SET,
       [this, valid](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (!valid(d, n, 5) || d[4] >= kInputs) {
               out.push_back(Ack(CMD_DSP, DSP_CROSS_SOURCE_MIX_CS47048, ACK_NOT_READY));
               return;
           }
           SourceMix& m = state_.scenes[d[0]].src[d[1]];
           m.csmSource[d[4]] = wire_range::kCrossSource.Keep<uint8_t>(d[2]);
           m.csmCh[d[4]] = wire_range::kCrossSourceChannel.Keep<uint8_t>(d[3]);
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_CROSS_SOURCE_MIX_CS47048));
       });
    On(CMD_DSP, DSP_CROSS_SOURCE_MIX_CS47048, OP_GET,
       [this, valid](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (!valid(d, n, 2)) return;
           const uint8_t ch = n >= 5 && d[4] < kInputs ? d[4] : 0;
           const SourceMix& m = state_.scenes[d[0]].src[d[1]];
           out.push_back(Reply(CMD_DSP, DSP_CROSS_SOURCE_MIX_CS47048, OP_UPDATE,
                               {d[0], d[1], m.csmSource[ch], m.csmCh[ch], ch}));
       });

    // Noise threshold (unit-wide); the get names scene and source.
    On(CMD_DSP, DSP_INPUT_THRESHOLD, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 1) {
               out.push_back(Ack(CMD_DSP, DSP_INPUT_THRESHOLD, ACK_NOT_READY));
               return;
           }
           state_.device.threshold = static_cast<int8_t>(d[0]);
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_INPUT_THRESHOLD));
       });
    On(CMD_DSP, DSP_INPUT_THRESHOLD, OP_GET,
       [this](const uint8_t*, size_t, std::vector<Packet>& out) {
           out.push_back(Reply(CMD_DSP, DSP_INPUT_THRESHOLD, OP_UPDATE,
                               {static_cast<uint8_t>(state_.device.threshold)}));
       });

    // Noise levels: ch_x, ch_y, then per input byte + 100 dB and a tenths byte.
    On(CMD_DSP, DSP_INPUT_NOISE, OP_GET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 2) return;
           const uint64_t now = clock_.NowMs();
           const BoundedRange r = Bound(d[0], d[1], kInputs, FitItems(2, 2));
           std::vector<uint8_t> v{d[0], r.EndByte()};
           for (int in = r.first; in <= r.last; ++in) {
               const int t = InputNoiseTenths(in, now) + 1000;  // positive: level + 100 dB
               v.push_back(B(t / 10));
               v.push_back(B(t % 10));
           }
           out.push_back(Reply(CMD_DSP, DSP_INPUT_NOISE, OP_UPDATE, std::move(v)));
       });

    // Clip flags: the request is a range; the reply carries source, ch_start, ch_end, flags.
    // An output's flag also follows the load its routed inputs put on it.
    using Flag = std::function<uint8_t(const SourceMix&, int source, int ch, uint64_t now)>;
    auto distort = [this](uint8_t cmd, int count, Flag flag) {
        On(CMD_DSP, cmd, OP_GET,
           [this, cmd, count, flag](const uint8_t* d, size_t n, std::vector<Packet>& out) {
               if (n < 4) return;
               const uint64_t now = clock_.NowMs();
               // A scene or source the unit lacks carries no load.
               static const SourceMix kNoMix{};
               const SourceMix& m = d[0] < kSceneSlots && d[1] < kSources ? state_.scenes[d[0]].src[d[1]] : kNoMix;
               const BoundedRange r = Bound(d[2], d[3], count, FitItems(3, 1));
               std::vector<uint8_t> v{d[1], d[2], r.EndByte()};
               for (int ch = r.first; ch <= r.last; ++ch) v.push_back(flag(m, d[1], ch, now));
               out.push_back(Reply(CMD_DSP, cmd, OP_UPDATE, std::move(v)));
           });
    };
    distort(DSP_INPUT_CH_DISTORT, kInputs,
            [](const SourceMix&, int source, int in, uint64_t now) { return InputClip(source, in, now); });
    distort(DSP_OUTPUT_CH_DISTORT, kOutputs, [](const SourceMix& m, int source, int o, uint64_t now) {
        int load = 0;
        for (int in = 0; in < kInputs; ++in)
            if (m.routing[o] & (1 << in)) load += m.mixTrim[in][o] == 0 ? 100 : m.mixTrim[in][o];
        return OutputClip(source, o, now, load);
    });
}

}  // namespace dvdsp::emu
