// Output channel settings: the ranged per-channel values, crossover filters, EQ bands
// and compressors.
#include <algorithm>

#include "emulator/virtual_unit.h"
#include "emulator/wire_ranges.h"
#include "emulator/wire_util.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::emu {

using namespace dvdsp::link;

void VirtualUnit::RegisterOutputCommands() {
    using Encode = std::function<void(const Output&, std::vector<uint8_t>&)>;
    using Decode = std::function<void(Output&, const uint8_t*)>;
    // A ranged output command: scene, source, ch_start, ch_end, then `size` bytes per
    // channel. A null decoder makes it get-only.
    auto ranged = [this](uint8_t cmd, size_t size, Encode enc, Decode dec) {
        if (dec) {
            On(CMD_DSP, cmd, OP_SET,
               [this, cmd, size, dec](const uint8_t* d, size_t n, std::vector<Packet>& out) {
                   if (n < 4 || d[0] >= kSceneSlots) {
                       out.push_back(Ack(CMD_DSP, cmd, ACK_NOT_READY));
                       return;
                   }
                   Scene& s = state_.scenes[d[0]];
                   for (int ch = d[2], k = 0; ch <= d[3] && 4 + (k + 1) * size <= n; ++ch, ++k)
                       if (ch < kOutputs) dec(s.out[ch], d + 4 + k * size);
                   Changed(false);
                   out.push_back(Ack(CMD_DSP, cmd));
               });
        }
        On(CMD_DSP, cmd, OP_GET,
           [this, cmd, size, enc](const uint8_t* d, size_t n, std::vector<Packet>& out) {
               if (n < 4 || d[0] >= kSceneSlots) return;
               const Scene& s = state_.scenes[d[0]];
               const BoundedRange r = Bound(d[2], d[3], kOutputs, FitItems(4, size));
               std::vector<uint8_t> v{d[0], d[1], d[2], r.EndByte()};
               for (int ch = r.first; ch <= r.last; ++ch) enc(s.out[ch], v);
               out.push_back(Reply(CMD_DSP, cmd, OP_UPDATE, std::move(v)));
           });
    };
    // A value outside `range` is put in it.
    auto byteField = [&](uint8_t cmd, uint8_t Output::*field, WireRange range = {0, 255}) {
        ranged(
            cmd, 1, [field](const Output& o, std::vector<uint8_t>& v) { v.push_back(o.*field); },
            [field, range](Output& o, const uint8_t* p) { o.*field = range.Keep<uint8_t>(p[0]); });
    };
    byteField(DSP_MUTE_CH, &Output::mute, wire_range::kFlag);
    byteField(DSP_PHASE_CH, &Output::phase, wire_range::kFlag);
    byteField(DSP_CH_TYPE, &Output::role, wire_range::kRole);
    byteField(DSP_EQ_BYPASS, &Output::eqBypass, wire_range::kFlag);
    byteField(DSP_CH_SOLO, &Output::solo, wire_range::kFlag);
    byteField(DSP_HPF_Q_FACT_MODE, &Output::hpQMode);
    byteField(DSP_LPF_Q_FACT_MODE, &Output::lpQMode);
    byteField(DSP_COMPRESSOR_ON_CH, &Output::compOn);

    ranged(
        DSP_DELAY_CH, 3,
        [](const Output& o, std::vector<uint8_t>& v) {
            v.push_back(B(static_cast<int>(o.delayUs / 1000)));
            PutBe16(v, o.delayUs % 1000);
        },
        [](Output& o, const uint8_t* p) {
            const long us = p[0] * 1000L + std::min<long>(Be16(p + 1), 999);
            o.delayUs = wire_range::kDelayUs.Keep<uint32_t>(us);
        });
    // Trims travel as a positive attenuation with a hundredths byte.
    ranged(
        DSP_TRIM_CH, 2,
        [](const Output& o, std::vector<uint8_t>& v) {
            v.push_back(B(o.trim100 / 100));
            v.push_back(B(o.trim100 % 100));
        },
        [](Output& o, const uint8_t* p) {
            o.trim100 = wire_range::kTrim100.Keep<uint16_t>(p[0] * 100L + std::min<long>(p[1], 99));
        });
    ranged(
        DSP_SPK_DIST, 2, [](const Output& o, std::vector<uint8_t>& v) { PutBe16(v, o.spkDist); },
        [](Output& o, const uint8_t* p) { o.spkDist = Be16(p); });
    ranged(
        DSP_COMPRESSOR_SETTING2, 6,
        [](const Output& o, std::vector<uint8_t>& v) {
            v.push_back(B(o.comp2.thr10 / 10));
            v.push_back(B(o.comp2.thr10 % 10));
            PutBe16(v, o.comp2.attack);
            v.push_back(B(o.comp2.release10 / 10));
            v.push_back(B(o.comp2.release10 % 10));
        },
        [](Output& o, const uint8_t* p) {
            o.comp2.thr10 =
                static_cast<int16_t>(static_cast<int8_t>(p[0]) * 10 + static_cast<int8_t>(p[1]));
            o.comp2.attack = Be16(p + 2);
            o.comp2.release10 = Tenths(p[4], p[5]);
        });
    // Crossovers: the get reports both filters of each channel.
    ranged(
        DSP_FILTER_SET, 8,
        [](const Output& o, std::vector<uint8_t>& v) {
            v.push_back(o.hp.type);
            PutBe16(v, o.hp.freq);
            v.push_back(o.hp.slope);
            v.push_back(o.lp.type);
            PutBe16(v, o.lp.freq);
            v.push_back(o.lp.slope);
        },
        nullptr);
    // Filter_Ctrl: scene, source, channel, filter (1 low-pass, 2 high-pass), type,
    // frequency, slope.
    On(CMD_DSP, DSP_FILTER_SET, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 8 || d[0] >= kSceneSlots || d[2] >= kOutputs || (d[3] != 1 && d[3] != 2)) {
               out.push_back(Ack(CMD_DSP, DSP_FILTER_SET, ACK_NOT_READY));
               return;
           }
           Output& o = state_.scenes[d[0]].out[d[2]];
           (d[3] == 1 ? o.lp : o.hp) = InRange(Filter{d[4], Be16(d + 5), d[7]});
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_FILTER_SET));
       });

    // EQ bands, one per set; the get names the channel and a band range.
    On(CMD_DSP, DSP_EQ_CH, OP_SET, [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
        if (n < 10 || d[0] >= kSceneSlots || d[2] >= kOutputs || d[3] >= kBands) {
            out.push_back(Ack(CMD_DSP, DSP_EQ_CH, ACK_NOT_READY));
            return;
        }
        state_.scenes[d[0]].out[d[2]].bands[d[3]] = DecodeSetBand(d + 4);
        Changed(false);
        out.push_back(Ack(CMD_DSP, DSP_EQ_CH));
    });
    On(CMD_DSP, DSP_EQ_CH, OP_GET, [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
        if (n < 5 || d[0] >= kSceneSlots || d[2] >= kOutputs) return;
        const Output& o = state_.scenes[d[0]].out[d[2]];
        const BoundedRange r = Bound(d[3], d[4], kBands, FitItems(5, 6));
        std::vector<uint8_t> v{d[0], d[1], d[2], d[3], r.EndByte()};
        for (int b = r.first; b <= r.last; ++b) EncodeBand(v, o.bands[b]);
        out.push_back(Reply(CMD_DSP, DSP_EQ_CH, OP_UPDATE, std::move(v)));
    });

    // Compressor_Ctrl: one channel per set; the get reports the first channel's values
    // for the range asked.
    On(CMD_DSP, DSP_COMPRESSOR_SETTING, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 14 || d[0] >= kSceneSlots || d[2] >= kOutputs) {
               out.push_back(Ack(CMD_DSP, DSP_COMPRESSOR_SETTING, ACK_NOT_READY));
               return;
           }
           Compressor& c = state_.scenes[d[0]].out[d[2]].comp;
           c.bypass = d[3];
           c.thr10 = Tenths(d[4], d[5]);
           c.ratio10 = Tenths(d[6], d[7]);
           c.knee10 = Tenths(d[8], d[9]);
           c.attack = Be16(d + 10);
           c.release = Be16(d + 12);
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_COMPRESSOR_SETTING));
       });
    On(CMD_DSP, DSP_COMPRESSOR_SETTING, OP_GET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 4 || d[0] >= kSceneSlots) return;
           const BoundedRange r = Bound(d[2], d[3], kOutputs, kOutputs);
           std::vector<uint8_t> v{d[0], d[1], d[2], r.EndByte()};
           if (r.Size() > 0) {
               const Compressor& c = state_.scenes[d[0]].out[r.first].comp;
               v.push_back(c.bypass);
               for (uint16_t t : {c.thr10, c.ratio10, c.knee10}) {
                   v.push_back(B(t / 10));
                   v.push_back(B(t % 10));
               }
               PutBe16(v, c.attack);
               PutBe16(v, c.release);
           }
           out.push_back(Reply(CMD_DSP, DSP_COMPRESSOR_SETTING, OP_UPDATE, std::move(v)));
       });

    // Read-only views of values set by other commands.
    ranged(
        DSP_BYPASS, 1, [](const Output& o, std::vector<uint8_t>& v) { v.push_back(o.allBypass); },
        nullptr);
    ranged(
        DSP_REMAP_CH, 1, [](const Output& o, std::vector<uint8_t>& v) { v.push_back(o.remap[0]); },
        nullptr);
    ranged(
        DSP_EQ_RESET, 1, [](const Output&, std::vector<uint8_t>& v) { v.push_back(0); }, nullptr);
}

}  // namespace dvdsp::emu
