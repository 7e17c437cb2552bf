// Stored scenes: save, load, delete, names, the valid mask, the current scene and the raw
// scene profile areas.
#include <algorithm>

#include "emulator/virtual_unit.h"
#include "emulator/wire_util.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::emu {

using namespace dvdsp::link;

namespace {
bool Stored(uint8_t n) {
    return n >= 1 && n <= kStoredScenes;
}
constexpr size_t kMaxProfileChunk = 53;
}  // namespace

void VirtualUnit::RegisterSceneCommands() {
    // SaveScene: scene, immediately. Not immediately: the live settings become scene n.
    // Immediately: the values written for scene n (commands carrying scene number n) are
    // kept as they are. Either way the slot becomes valid.
    On(CMD_FLASH, FLASH_SCENE_SAVE, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 1 || !Stored(d[0])) {
               out.push_back(Ack(CMD_FLASH, FLASH_SCENE_SAVE, ACK_NOT_READY, n < 1 ? 0 : d[0]));
               return;
           }
           const bool immediately = n >= 2 && d[1] != 0;
           if (!immediately) state_.scenes[d[0]] = state_.scenes[0];
           state_.validMask = static_cast<uint16_t>(state_.validMask | (1u << d[0]));
           state_.device.currentScene = d[0];
           Changed(true);
           out.push_back(Ack(CMD_FLASH, FLASH_SCENE_SAVE, ACK_READY, d[0]));
       });

    // ReadScene: source scene, target. Target 0 loads a stored scene into the live
    // settings; 255 prepares the queries that follow with the scene's number; another
    // stored slot receives a copy. An empty slot is refused and changes nothing.
    On(CMD_FLASH, FLASH_SCENE_READ, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 2 || !Stored(d[0]) || !(state_.validMask & (1u << d[0])) ||
               !(d[1] == 0 || d[1] == 255 || Stored(d[1]))) {
               out.push_back(Ack(CMD_FLASH, FLASH_SCENE_READ, ACK_NOT_READY, n < 1 ? 0 : d[0]));
               return;
           }
           const uint8_t from = d[0], to = d[1];
           if (to == 255) {
               preparedScene_ = from;
           } else {
               state_.scenes[to] = state_.scenes[from];
               if (to == 0) {
                   state_.device.currentScene = from;
               } else {
                   state_.names[to] = state_.names[from];
                   state_.profiles[to] = state_.profiles[from];
                   state_.validMask = static_cast<uint16_t>(state_.validMask | (1u << to));
               }
               Changed(true);
           }
           out.push_back(Ack(CMD_FLASH, FLASH_SCENE_READ, ACK_READY, from));
       });

    On(CMD_FLASH, FLASH_SCENE_DELETE, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 1 || !Stored(d[0])) {
               out.push_back(Ack(CMD_FLASH, FLASH_SCENE_DELETE, ACK_NOT_READY, n < 1 ? 0 : d[0]));
               return;
           }
           EraseStoredScene(state_, d[0]);
           if (state_.device.currentScene == d[0]) state_.device.currentScene = 0;
           if (preparedScene_ == d[0]) preparedScene_ = 0;
           Changed(true);
           out.push_back(Ack(CMD_FLASH, FLASH_SCENE_DELETE, ACK_READY, d[0]));
       });

    // Names: 16 bytes; a shorter name is padded with zeros, a longer one cut.
    On(CMD_FLASH, FLASH_SCENE_NAME, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 2 || !Stored(d[0])) {
               out.push_back(Ack(CMD_FLASH, FLASH_SCENE_NAME, ACK_NOT_READY, n < 1 ? 0 : d[0]));
               return;
           }
           const size_t len =
               std::min({static_cast<size_t>(d[1]), n - 2, static_cast<size_t>(kNameBytes)});
           auto& name = state_.names[d[0]];
           name.fill(0);
           std::copy(d + 2, d + 2 + len, name.begin());
           Changed(true);
           out.push_back(Ack(CMD_FLASH, FLASH_SCENE_NAME, ACK_READY, d[0]));
       });
    On(CMD_FLASH, FLASH_SCENE_NAME, OP_GET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 1 || !Stored(d[0])) return;
           std::vector<uint8_t> v{d[0]};
           v.insert(v.end(), state_.names[d[0]].begin(), state_.names[d[0]].end());
           out.push_back(Reply(CMD_FLASH, FLASH_SCENE_NAME, OP_UPDATE, std::move(v)));
       });

    On(CMD_FLASH, FLASH_SCENE_ID, OP_GET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        out.push_back(Reply(CMD_FLASH, FLASH_SCENE_ID, OP_UPDATE, {state_.device.currentScene}));
    });
    On(CMD_FLASH, FLASH_SCENE_VALID, OP_GET,
       [this](const uint8_t*, size_t, std::vector<Packet>& out) {
           std::vector<uint8_t> v;
           PutBe16(v, state_.validMask);
           out.push_back(Reply(CMD_FLASH, FLASH_SCENE_VALID, OP_UPDATE, std::move(v)));
       });

    // Scene profile areas: scene, start offset, count, bytes. A write past the end of the
    // area is refused whole.
    On(CMD_FLASH, FLASH_SCENE_PROFILE, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 4 || d[0] >= kSceneSlots) {
               out.push_back(Ack(CMD_FLASH, FLASH_SCENE_PROFILE, ACK_NOT_READY));
               return;
           }
           const size_t offset = Be16(d + 1), count = d[3];
           if (count > n - 4 || offset + count > kProfileBytes) {
               out.push_back(Ack(CMD_FLASH, FLASH_SCENE_PROFILE, ACK_NOT_READY, d[0]));
               return;
           }
           std::vector<uint8_t>& area = state_.profiles[d[0]];
           if (area.size() != kProfileBytes) area.assign(kProfileBytes, 0xFF);
           std::copy(d + 4, d + 4 + count, area.begin() + static_cast<long>(offset));
           Changed(true);
           out.push_back(Ack(CMD_FLASH, FLASH_SCENE_PROFILE, ACK_READY, d[0]));
       });
    On(CMD_FLASH, FLASH_SCENE_PROFILE, OP_GET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 4 || d[0] >= kSceneSlots) return;
           const size_t offset = Be16(d + 1);
           const std::vector<uint8_t>& area = state_.profiles[d[0]];
           const size_t avail = offset < area.size() ? area.size() - offset : 0;
           const size_t count = std::min({static_cast<size_t>(d[3]), kMaxProfileChunk, avail});
           std::vector<uint8_t> v{d[0], d[1], d[2], static_cast<uint8_t>(count)};
           if (count > 0)
               v.insert(v.end(), area.begin() + static_cast<long>(offset),
                        area.begin() + static_cast<long>(offset + count));
           out.push_back(Reply(CMD_FLASH, FLASH_SCENE_PROFILE, OP_UPDATE, std::move(v)));
       });
}

}  // namespace dvdsp::emu
