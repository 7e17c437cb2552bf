// Scenes, packet type CMD_FLASH (2), and the microcontroller, packet type CMD_MCU (3).
// Frame layout, after the report ID:
//   AA 55 LEN TYPE CMD OP DATA... SUM    LEN = 3 + data bytes
// Scenes (set OP_SET 0xBB, query OP_GET 0x66):
//   08 save        [0] scene [1] save at once
//   09 read        [0] from scene [1] to scene
//   0A delete      [0] scene
//   0B name        [0] scene [1] length n, then n name bytes (query: [0] scene)
//   0C profile     [0] scene [1..2] start (16-bit big-endian) [3] length n, then n bytes
//                  (query: no bytes after the length)
//   0E current scene, 0F valid scenes   (query only, no data)
// Microcontroller:
//   08 hand-shake, 0B flash version, 0C bootloader version, 41 information,
//   8F reboot, 90 factory default, 93 keep-alive, 01 enter upgrade    no data
//   1F PC connected [0] state
//   0D password    [0] length n, n password bytes, then remark length m, m remark bytes
//   91 power-off delay [0..1] ms (16-bit big-endian)
//   92 ignition delay  [0] delay
#include "link/protocol/scene_mcu.h"

#include <algorithm>

#include "base/log.h"
#include "link/commands.h"
#include "link/protocol/wire_values.h"

namespace dvdsp::link::protocol {

using namespace wire;

// ---- Scenes ----------------------------------------------------------------------------

Frame SaveScene(uint8_t scene, uint8_t immediately) {
    LogWriteNarrow("SaveScene scene(%d) immediately=%d\n", scene, immediately);
    return Frame{CMD_FLASH, FLASH_SCENE_SAVE, OP_SET, {scene, immediately}};
}
Frame ReadScene(uint8_t fromScene, uint8_t toScene) {
    LogWriteNarrow("ReadScene from scene(%d) to scene(%d)\n", fromScene, toScene);
    return Frame{CMD_FLASH, FLASH_SCENE_READ, OP_SET, {fromScene, toScene}};
}
Frame DeleteScene(uint8_t scene) {
    LogWriteNarrow("DeleteScene scene(%d)\n", scene);
    return Frame{CMD_FLASH, FLASH_SCENE_DELETE, OP_SET, {scene}};
}
Frame SetSceneName(uint8_t scene, const std::vector<uint8_t>& name) {
    size_t n = std::min(name.size(), kMaxCommandData - 2);
    std::string text(name.begin(), name.begin() + static_cast<long>(n));
    LogWriteNarrow("SetSceneName scene(%d), len(%d), (name)%s\n", scene, static_cast<int>(n),
                   text.c_str());
    Frame f{CMD_FLASH, FLASH_SCENE_NAME, OP_SET, {scene, static_cast<uint8_t>(n)}};
    f.data.insert(f.data.end(), name.begin(), name.begin() + static_cast<long>(n));
    return f;
}
Frame GetSceneName(uint8_t scene) {
    return Frame{CMD_FLASH, FLASH_SCENE_NAME, OP_GET, {scene}};
}
Frame SetSceneProfile(uint8_t scene, uint16_t start, const std::vector<uint8_t>& bytes) {
    LogWriteNarrow("SetSceneProfile scene(%d)\n", scene);
    size_t n = std::min<size_t>(bytes.size(), 53);
    Frame f{CMD_FLASH, FLASH_SCENE_PROFILE, OP_SET, {scene}};
    PutBe16(f.data, start);
    f.data.push_back(static_cast<uint8_t>(n));
    f.data.insert(f.data.end(), bytes.begin(), bytes.begin() + static_cast<long>(n));
    return f;
}
Frame GetSceneProfile(uint8_t scene, uint16_t start, uint8_t length) {
    LogWriteNarrow("GetSceneProfile scene(%d), start = %d, data_len = %d\n", scene, start, length);
    Frame f{CMD_FLASH, FLASH_SCENE_PROFILE, OP_GET, {scene}};
    PutBe16(f.data, start);
    f.data.push_back(length);
    return f;
}
Frame GetSceneId() {
    return Frame{CMD_FLASH, FLASH_SCENE_ID, OP_GET, {}};
}
Frame GetSceneValid() {
    return Frame{CMD_FLASH, FLASH_SCENE_VALID, OP_GET, {}};
}

// ---- Microcontroller -------------------------------------------------------------------

Frame Hand_Connect() {
    return Frame{CMD_MCU, MCU_HANDSHAKE, OP_SET, {}};
}
Frame PC_Connect(uint8_t state) {
    return Frame{CMD_MCU, MCU_PC_CONNECT, OP_SET, {state}};
}
Frame PingMsg() {
    return Frame{CMD_MCU, MCU_PING, OP_SET, {}};
}
Frame Get_Flash_Version() {
    return Frame{CMD_MCU, MCU_GET_DSPFLASH_VER, OP_GET, {}};
}
Frame Get_Bootloader_Version() {
    return Frame{CMD_MCU, MCU_BOOTLOADER_VER, OP_GET, {}};
}
Frame SetPWD(const std::string& password, const std::string& remark) {
    // Bounded to what the unit's password reply can carry back.
    size_t n = std::min<size_t>(password.size(), 12);
    size_t m = std::min<size_t>(remark.size(), 20);
    LogWriteNarrow("SetPWD len(%d), (password)%s\n", static_cast<int>(n),
                   password.substr(0, n).c_str());
    Frame f{CMD_MCU, MCU_PASSWORD, OP_SET, {static_cast<uint8_t>(n)}};
    f.data.insert(f.data.end(), password.begin(), password.begin() + static_cast<long>(n));
    f.data.push_back(static_cast<uint8_t>(m));
    f.data.insert(f.data.end(), remark.begin(), remark.begin() + static_cast<long>(m));
    return f;
}
Frame Get_PWD() {
    return Frame{CMD_MCU, MCU_PASSWORD, OP_GET, {}};
}
Frame Get_MCU_Info() {
    return Frame{CMD_MCU, MCU_INFO, OP_GET, {}};
}
Frame Set_Power_Off_Time(uint16_t ms) {
    LogWriteNarrow("Set_Power_Off_Time = %dms\n", ms);
    Frame f{CMD_MCU, MCU_POWER_OFF_TIME, OP_SET, {}};
    PutBe16(f.data, ms);
    return f;
}
Frame Get_Delay_Power_Off_Time() {
    return Frame{CMD_MCU, MCU_POWER_OFF_TIME, OP_GET, {}};
}
Frame Set_Acc(uint8_t delay) {
    LogWriteNarrow("Set_Acc delay:%d\n", delay);
    return Frame{CMD_MCU, MCU_ACC, OP_SET, {delay}};
}
Frame Get_Acc() {
    return Frame{CMD_MCU, MCU_ACC, OP_GET, {}};
}
Frame MCU_Reboot_Ctrl() {
    LogWriteNarrow("MCU_Reboot_Ctrl\n");
    return Frame{CMD_MCU, MCU_REBOOT, OP_SET, {}};
}
Frame Factory_Default_Ctrl() {
    return Frame{CMD_MCU, MCU_FACTORY_DEFAULT, OP_SET, {}};
}
Frame MCU_Enter_Upg_Mode() {
    LogWriteNarrow("MCU_Enter_Upg_Mode\n");
    return Frame{CMD_MCU, MCU_ENTER_UPG, OP_SET, {}};
}

}  // namespace dvdsp::link::protocol
