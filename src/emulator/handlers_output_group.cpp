// Commands that act on groups of outputs: link groups, lock, bridge pairs, the bypass
// selector, EQ reset and the remap of inputs onto an output.
#include "emulator/virtual_unit.h"
#include "emulator/wire_ranges.h"
#include "emulator/wire_util.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::emu {

using namespace dvdsp::link;

void VirtualUnit::RegisterOutputGroupCommands() {
    // CH_Link_Ctrl and its trim and delay siblings: scene, link, pair count, pairs. The get
    // reports scene, link and one byte per output pair: from << 4 | to, 0xFF when unused.
    auto linkSet = [this](uint8_t cmd, LinkSet Scene::*field) {
        On(CMD_DSP, cmd, OP_SET,
           [this, cmd, field](const uint8_t* d, size_t n, std::vector<Packet>& out) {
               if (n < 3 || d[0] >= kSceneSlots) {
                   out.push_back(Ack(CMD_DSP, cmd, ACK_NOT_READY));
                   return;
               }
               LinkSet l;
               l.on = d[1];
               for (size_t i = 0; i < d[2] && 3 + 2 * i + 1 < n; ++i) {
                   const uint8_t from = d[3 + 2 * i], to = d[4 + 2 * i];
                   if (from >= kOutputs || to >= kOutputs || l.count >= kLinkPairs) continue;
                   l.from[l.count] = from;
                   l.to[l.count] = to;
                   ++l.count;
               }
               state_.scenes[d[0]].*field = l;
               Changed(false);
               out.push_back(Ack(CMD_DSP, cmd));
           });
        On(CMD_DSP, cmd, OP_GET,
           [this, cmd, field](const uint8_t* d, size_t n, std::vector<Packet>& out) {
               if (n < 1 || d[0] >= kSceneSlots) return;
               const LinkSet& l = state_.scenes[d[0]].*field;
               std::vector<uint8_t> v{d[0], l.on};
               for (int p = 0; p < kLinkPairs; ++p)
                   v.push_back(p < l.count ? B(l.from[p] << 4 | l.to[p]) : uint8_t{0xFF});
               out.push_back(Reply(CMD_DSP, cmd, OP_UPDATE, std::move(v)));
           });
    };
    linkSet(DSP_CH_LINK, &Scene::link);
    linkSet(DSP_CH_TRIM_LINK, &Scene::trimLink);
    linkSet(DSP_CH_DELAY_LINK, &Scene::delayLink);

    On(CMD_DSP, DSP_CH_LOCK, OP_SET, [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
        if (n < 2 || d[0] >= kSceneSlots) {
            out.push_back(Ack(CMD_DSP, DSP_CH_LOCK, ACK_NOT_READY));
            return;
        }
        state_.scenes[d[0]].lock = wire_range::kFlag.Keep<uint8_t>(d[1]);
        Changed(false);
        out.push_back(Ack(CMD_DSP, DSP_CH_LOCK));
    });
    On(CMD_DSP, DSP_CH_LOCK, OP_GET, [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
        if (n < 1 || d[0] >= kSceneSlots) return;
        out.push_back(Reply(CMD_DSP, DSP_CH_LOCK, OP_UPDATE, {d[0], state_.scenes[d[0]].lock}));
    });

    // Bridge pairs: scene, source, count, one byte per pair.
    On(CMD_DSP, DSP_OUPUT_BRIDGE, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 3 || d[0] >= kSceneSlots) {
               out.push_back(Ack(CMD_DSP, DSP_OUPUT_BRIDGE, ACK_NOT_READY));
               return;
           }
           auto& bridge = state_.scenes[d[0]].bridge;
           for (size_t p = 0; p < d[2] && p < bridge.size() && 3 + p < n; ++p) bridge[p] = wire_range::kFlag.Keep<uint8_t>(d[3 + p]);
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_OUPUT_BRIDGE));
       });
    On(CMD_DSP, DSP_OUPUT_BRIDGE, OP_GET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 3 || d[0] >= kSceneSlots) return;
           const auto& bridge = state_.scenes[d[0]].bridge;
           const uint8_t count = std::min<uint8_t>(d[2], kLinkPairs);
           std::vector<uint8_t> v{d[0], d[1], count};
           v.insert(v.end(), bridge.begin(), bridge.begin() + count);
           out.push_back(Reply(CMD_DSP, DSP_OUPUT_BRIDGE, OP_UPDATE, std::move(v)));
       });

    // DSP_Bypass_Ctrl: scene, channel selector (a channel, or any larger value for all),
    // bypass.
    On(CMD_DSP, DSP_BYPASS, OP_SET, [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
        if (n < 3 || d[0] >= kSceneSlots) {
            out.push_back(Ack(CMD_DSP, DSP_BYPASS, ACK_NOT_READY));
            return;
        }
        for (int ch = 0; ch < kOutputs; ++ch)
            if (d[1] >= kOutputs || d[1] == ch) state_.scenes[d[0]].out[ch].allBypass = d[2];
        Changed(false);
        out.push_back(Ack(CMD_DSP, DSP_BYPASS));
    });

    // PEQ_Reset_Ctrl: scene, source, count, channels: those channels' bands back to the
    // defaults.
    On(CMD_DSP, DSP_EQ_RESET, OP_SET, [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
        if (n < 3 || d[0] >= kSceneSlots) {
            out.push_back(Ack(CMD_DSP, DSP_EQ_RESET, ACK_NOT_READY));
            return;
        }
        for (size_t i = 0; i < d[2] && 3 + i < n; ++i)
            if (d[3 + i] < kOutputs) state_.scenes[d[0]].out[d[3 + i]].bands = DefaultBands();
        Changed(false);
        out.push_back(Ack(CMD_DSP, DSP_EQ_RESET));
    });

    // Remap_Ch_Ctrl: scene, source, output, then the inputs that feed it.
    On(CMD_DSP, DSP_REMAP_CH, OP_SET, [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
        if (n < 3 || d[0] >= kSceneSlots || d[2] >= kOutputs) {
            out.push_back(Ack(CMD_DSP, DSP_REMAP_CH, ACK_NOT_READY));
            return;
        }
        Output& o = state_.scenes[d[0]].out[d[2]];
        o.remap.fill(0);
        o.remapCount = static_cast<uint8_t>(std::min<size_t>(n - 3, kRemapEntries));
        std::copy(d + 3, d + 3 + o.remapCount, o.remap.begin());
        Changed(false);
        out.push_back(Ack(CMD_DSP, DSP_REMAP_CH));
    });
}

}  // namespace dvdsp::emu
