// Global settings of the unit: source, volumes, mutes, switches, setup modes and the DSP
// memory word store.
#include <type_traits>

#include "emulator/virtual_unit.h"
#include "emulator/wire_ranges.h"
#include "emulator/wire_util.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::emu {

using namespace dvdsp::link;

void VirtualUnit::RegisterGlobalCommands() {
    // One-byte settings of the live scene: the set stores data 0, the get reports it.
    // A value outside `range` is put in it; the byte is read as the field's type.
    auto byteSetting = [this](uint8_t cmd, auto field, WireRange range = WireRange{-128, 255}) {
        On(CMD_DSP, cmd, OP_SET,
           [this, cmd, field, range](const uint8_t* d, size_t n, std::vector<Packet>& out) {
               if (n < 1) {
                   out.push_back(Ack(CMD_DSP, cmd, ACK_NOT_READY));
                   return;
               }
               using Field = std::remove_reference_t<decltype(field(state_.scenes[0]))>;
               field(state_.scenes[0]) = range.Keep<Field>(static_cast<Field>(d[0]));
               Changed(false);
               out.push_back(Ack(CMD_DSP, cmd));
           });
        On(CMD_DSP, cmd, OP_GET,
           [this, cmd, field](const uint8_t*, size_t, std::vector<Packet>& out) {
               out.push_back(
                   Reply(CMD_DSP, cmd, OP_UPDATE, {static_cast<uint8_t>(field(state_.scenes[0]))}));
           });
    };
    byteSetting(DSP_VOLUME, [](Scene& s) -> int8_t& { return s.mainVolume; },
                wire_range::kMainVolume);
    byteSetting(DSP_SUBWOOFER_VOLUME, [](Scene& s) -> int8_t& { return s.subVolume; });
    byteSetting(DSP_MUTE, [](Scene& s) -> uint8_t& { return s.mute; }, wire_range::kFlag);
    byteSetting(DSP_AMP_MUTE, [](Scene& s) -> uint8_t& { return s.ampMute; });
    byteSetting(DSP_SPK_OHM, [](Scene& s) -> uint8_t& { return s.spkOhm; });
    byteSetting(DSP_NOISE_GATE, [](Scene& s) -> uint8_t& { return s.noiseGate; });
    byteSetting(DSP_SPK_CH_CONFIG, [](Scene& s) -> uint8_t& { return s.spkConfig; });
    byteSetting(DSP_FACTORY_PRESET, [](Scene& s) -> uint8_t& { return s.factoryPreset; });
    byteSetting(DSP_SETUP_MODE, [](Scene& s) -> uint8_t& { return s.setupMode; });
    byteSetting(DSP_REMOTE_CH_VOLUME, [](Scene& s) -> uint8_t& { return s.remoteVolume; });

    // Sources: the unit lists its nine source codes and switches between them.
    On(CMD_DSP, DSP_SOURCE_CONFIG, OP_GET, [](const uint8_t*, size_t, std::vector<Packet>& out) {
        std::vector<uint8_t> d{static_cast<uint8_t>(kSources)};
        for (int i = 0; i < kSources; ++i) d.push_back(static_cast<uint8_t>(kFirstSourceCode + i));
        out.push_back(Reply(CMD_DSP, DSP_SOURCE_CONFIG, OP_UPDATE, std::move(d)));
    });
    On(CMD_DSP, DSP_SOURCE_SWITCH, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 1 || d[0] < kFirstSourceCode || d[0] >= kFirstSourceCode + kSources) {
               out.push_back(Ack(CMD_DSP, DSP_SOURCE_SWITCH, ACK_NOT_READY));
               return;
           }
           state_.device.sourceCode = d[0];
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_SOURCE_SWITCH));
       });
    On(CMD_DSP, DSP_SOURCE_SWITCH, OP_GET,
       [this](const uint8_t*, size_t, std::vector<Packet>& out) {
           out.push_back(Reply(CMD_DSP, DSP_SOURCE_SWITCH, OP_UPDATE, {state_.device.sourceCode}));
       });
    On(CMD_DSP, DSP_MIX_SOURCE_SWITCH, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 1) {
               out.push_back(Ack(CMD_DSP, DSP_MIX_SOURCE_SWITCH, ACK_NOT_READY));
               return;
           }
           state_.device.mixSource = d[0];
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_MIX_SOURCE_SWITCH));
       });
    On(CMD_DSP, DSP_MIX_SOURCE_SWITCH, OP_GET,
       [this](const uint8_t*, size_t, std::vector<Packet>& out) {
           out.push_back(
               Reply(CMD_DSP, DSP_MIX_SOURCE_SWITCH, OP_UPDATE, {state_.device.mixSource}));
       });

    // Remote outputs: two switches in one command.
    On(CMD_DSP, DSP_REM_OUT, OP_SET, [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
        if (n < 2) {
            out.push_back(Ack(CMD_DSP, DSP_REM_OUT, ACK_NOT_READY));
            return;
        }
        state_.scenes[0].remOut1 = d[0];
        state_.scenes[0].remOut2 = d[1];
        Changed(false);
        out.push_back(Ack(CMD_DSP, DSP_REM_OUT));
    });
    On(CMD_DSP, DSP_REM_OUT, OP_GET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        out.push_back(Reply(CMD_DSP, DSP_REM_OUT, OP_UPDATE,
                            {state_.scenes[0].remOut1, state_.scenes[0].remOut2}));
    });
    On(CMD_DSP, DSP_SEL_REMOTE_CH, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 2) {
               out.push_back(Ack(CMD_DSP, DSP_SEL_REMOTE_CH, ACK_NOT_READY));
               return;
           }
           state_.scenes[0].selRemote = Be16(d);
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_SEL_REMOTE_CH));
       });
    On(CMD_DSP, DSP_SEL_REMOTE_CH, OP_GET,
       [this](const uint8_t*, size_t, std::vector<Packet>& out) {
           std::vector<uint8_t> d;
           PutBe16(d, state_.scenes[0].selRemote);
           out.push_back(Reply(CMD_DSP, DSP_SEL_REMOTE_CH, OP_UPDATE, std::move(d)));
       });

    // Processing switch of the automatic modes, kept per source; the get reports the
    // active source's.
    On(CMD_DSP, DSP_AUTO_EFFECTION_ON_OFF_CONTROL, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 2 || d[0] >= kSources) {
               out.push_back(Ack(CMD_DSP, DSP_AUTO_EFFECTION_ON_OFF_CONTROL, ACK_NOT_READY));
               return;
           }
           state_.scenes[0].src[d[0]].autoEffect = d[1];
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_AUTO_EFFECTION_ON_OFF_CONTROL));
       });
    On(CMD_DSP, DSP_AUTO_EFFECTION_ON_OFF_CONTROL, OP_GET,
       [this](const uint8_t*, size_t, std::vector<Packet>& out) {
           const int src = state_.device.sourceCode - kFirstSourceCode;
           out.push_back(Reply(CMD_DSP, DSP_AUTO_EFFECTION_ON_OFF_CONTROL, OP_UPDATE,
                               {state_.scenes[0].src[src].autoEffect}));
       });
    On(CMD_DSP, DSP_CS_AUTO_SETTING, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < static_cast<size_t>(kAutoSettingBytes)) {
               out.push_back(Ack(CMD_DSP, DSP_CS_AUTO_SETTING, ACK_NOT_READY));
               return;
           }
           std::copy(d, d + kAutoSettingBytes, state_.device.autoSetting.begin());
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_CS_AUTO_SETTING));
       });

    On(CMD_DSP, DSP_DSP_STATUS, OP_GET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        out.push_back(Reply(CMD_DSP, DSP_DSP_STATUS, OP_UPDATE, {dspStatus_}));
    });

    // DSP memory words: address and data little-endian. The store is bounded; a word
    // never written reads as 0.
    On(CMD_DSP, DSP_MEM_DATA, OP_SET, [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
        constexpr size_t kMaxWords = 4096;
        if (n < 8) {
            out.push_back(Ack(CMD_DSP, DSP_MEM_DATA, ACK_NOT_READY));
            return;
        }
        const uint32_t addr = d[0] | d[1] << 8 | d[2] << 16 | static_cast<uint32_t>(d[3]) << 24;
        const uint32_t value = d[4] | d[5] << 8 | d[6] << 16 | static_cast<uint32_t>(d[7]) << 24;
        if (memory_.size() >= kMaxWords && !memory_.contains(addr)) {
            out.push_back(Ack(CMD_DSP, DSP_MEM_DATA, ACK_NOT_READY));
            return;
        }
        memory_[addr] = value;
        out.push_back(Ack(CMD_DSP, DSP_MEM_DATA));
    });
    On(CMD_DSP, DSP_MEM_DATA, OP_GET, [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
        if (n < 4) return;
        const uint32_t addr = d[0] | d[1] << 8 | d[2] << 16 | static_cast<uint32_t>(d[3]) << 24;
        auto it = memory_.find(addr);
        const uint32_t v = it == memory_.end() ? 0 : it->second;
        out.push_back(Reply(
            CMD_DSP, DSP_MEM_DATA, OP_UPDATE,
            {d[0], d[1], d[2], d[3], B(static_cast<int>(v & 0xFF)), B(static_cast<int>(v >> 8)),
             B(static_cast<int>(v >> 16)), B(static_cast<int>(v >> 24))}));
    });
}

}  // namespace dvdsp::emu
