// Encoders of the global device settings and of the microcontroller.
#include "base/log.h"
#include "link/commands.h"
#include "link/dsp_device.h"
#include "link/wire_values.h"

namespace dvdsp::link {

using namespace wire;

namespace {
constexpr int kShortTimeoutMs = 500;
constexpr int kModeTimeoutMs = 1000;
constexpr int kSceneTimeoutMs = 20000;
constexpr int kFactoryTimeoutMs = 30000;
}  // namespace

void DspDevice::Get_Source_Config() {
    Send(CMD_DSP, DSP_SOURCE_CONFIG, OP_GET, {}, true, kShortTimeoutMs);
}
void DspDevice::Source_Switch_Ctrl(uint8_t source, bool immediate) {
    LogWriteNarrow("Source_Switch_Ctrl: source(0x%x)\n", source);
    Send(CMD_DSP, DSP_SOURCE_SWITCH, OP_SET, {source}, immediate);
}
void DspDevice::Get_Source() {
    Send(CMD_DSP, DSP_SOURCE_SWITCH, OP_GET, {}, true);
}
void DspDevice::Main_Volume_Ctrl(float volume, bool immediate) {
    LogWriteNarrow("Main_Volume_Ctrl gain:(%.1f) \n", static_cast<double>(volume));
    Send(CMD_DSP, DSP_VOLUME, OP_SET, {IntPart(volume)}, immediate);
}
void DspDevice::Get_Main_Volume() {
    Send(CMD_DSP, DSP_VOLUME, OP_GET, {}, true);
}
void DspDevice::Subwoofer_Volume_Ctrl(int8_t level, bool immediate) {
    Send(CMD_DSP, DSP_SUBWOOFER_VOLUME, OP_SET, {static_cast<uint8_t>(level)}, immediate);
}
void DspDevice::Get_Subwoofer_Volume() {
    Send(CMD_DSP, DSP_SUBWOOFER_VOLUME, OP_GET, {}, true);
}
void DspDevice::Mute_Ctrl(uint8_t mute, bool immediate) {
    LogWriteNarrow("Mute_Ctrl %d\n", mute);
    Send(CMD_DSP, DSP_MUTE, OP_SET, {mute}, immediate);
}
void DspDevice::Get_Mute() {
    Send(CMD_DSP, DSP_MUTE, OP_GET, {}, true);
}
void DspDevice::Amp_Mute_Ctrl(uint8_t mute, bool immediate) {
    LogWriteNarrow("Amp_Mute_Ctrl t_mute(%d)\n", mute);
    Send(CMD_DSP, DSP_AMP_MUTE, OP_SET, {mute}, immediate);
}
void DspDevice::Get_Amp_Mute() {
    Send(CMD_DSP, DSP_AMP_MUTE, OP_GET, {}, true);
}
void DspDevice::Rem_Out_Ctrl(uint8_t remOut1, uint8_t remOut2, bool immediate) {
    LogWriteNarrow("Rem_Out_Ctrl remOut1(%d), remOut2(%d)\n", remOut1, remOut2);
    Send(CMD_DSP, DSP_REM_OUT, OP_SET, {remOut1, remOut2}, immediate);
}
void DspDevice::Get_Rem_Out() {
    Send(CMD_DSP, DSP_REM_OUT, OP_GET, {}, true);
}
void DspDevice::Spk_Ohm_Ctrl(uint8_t ohm, bool immediate) {
    LogWriteNarrow("Spk_Ohm_Ctrl ohm(%d)\n", ohm);
    Send(CMD_DSP, DSP_SPK_OHM, OP_SET, {ohm}, immediate);
}
void DspDevice::Get_Spk_Ohm() {
    Send(CMD_DSP, DSP_SPK_OHM, OP_GET, {}, true);
}
void DspDevice::Noise_Gate_Ctrl(uint8_t onoff, bool immediate) {
    LogWriteNarrow("Noise_Gate_Ctrl onoff(%d)\n", onoff);
    Send(CMD_DSP, DSP_NOISE_GATE, OP_SET, {onoff}, immediate);
}
void DspDevice::Get_Noise_Gate() {
    Send(CMD_DSP, DSP_NOISE_GATE, OP_GET, {}, true);
}
void DspDevice::Spk_Ch_Config_Ctrl(uint8_t config, bool immediate) {
    Send(CMD_DSP, DSP_SPK_CH_CONFIG, OP_SET, {config}, immediate);
}
void DspDevice::Get_Speaker_Config() {
    Send(CMD_DSP, DSP_SPK_CH_CONFIG, OP_GET, {}, true);
}
void DspDevice::Sel_Remote_CH_Ctrl(uint16_t selection, bool immediate) {
    LogWriteNarrow("Sel_Remote_CH_Ctrl sel_ch(%d) \n", selection);
    std::vector<uint8_t> d;
    PutBe16(d, selection);
    Send(CMD_DSP, DSP_SEL_REMOTE_CH, OP_SET, std::move(d), immediate);
}
void DspDevice::Get_Remote_CH() {
    Send(CMD_DSP, DSP_SEL_REMOTE_CH, OP_GET, {}, true);
}
void DspDevice::Remote_CH_Volume_Ctrl(uint8_t volume, bool immediate) {
    Send(CMD_DSP, DSP_REMOTE_CH_VOLUME, OP_SET, {volume}, immediate);
}
void DspDevice::Factory_Preset_Ctrl(uint8_t mode) {
    LogWriteNarrow("Factory_Preset_Ctrl: mode(%d)\n", mode);
    Send(CMD_DSP, DSP_FACTORY_PRESET, OP_SET, {mode}, true, kModeTimeoutMs);
}
void DspDevice::Get_Factory_Preset() {
    Send(CMD_DSP, DSP_FACTORY_PRESET, OP_GET, {}, true);
}
void DspDevice::Setup_Mode_Ctrl(uint8_t mode) {
    LogWriteNarrow("Setup_Mode_Ctrl: mode(%d)\n", mode);
    Send(CMD_DSP, DSP_SETUP_MODE, OP_SET, {mode}, true, kModeTimeoutMs);
}
void DspDevice::Get_Setup_Mode() {
    Send(CMD_DSP, DSP_SETUP_MODE, OP_GET, {}, true);
}

namespace {
void LogMem(uint32_t address, uint32_t data) {
    LogWriteNarrow("Get_MemData: addr(0x%08x), data(0x%08x)\n", address, data);
    LogWriteNarrow("addr %02x, %02x, %02x, %02x\n", address & 0xFF, (address >> 8) & 0xFF,
                   (address >> 16) & 0xFF, (address >> 24) & 0xFF);
    LogWriteNarrow("data %02x, %02x, %02x, %02x\n", data & 0xFF, (data >> 8) & 0xFF,
                   (data >> 16) & 0xFF, (data >> 24) & 0xFF);
}
}  // namespace

void DspDevice::Set_MemData(uint32_t address, uint32_t data, bool immediate) {
    LogMem(address, data);
    std::vector<uint8_t> d;
    PutLe32(d, address);
    PutLe32(d, data);
    Send(CMD_DSP, DSP_MEM_DATA, OP_SET, std::move(d), immediate);
}
void DspDevice::Get_MemData(uint32_t address) {
    LogMem(address, 0);
    std::vector<uint8_t> d;
    PutLe32(d, address);
    PutLe32(d, 0);
    Send(CMD_DSP, DSP_MEM_DATA, OP_GET, std::move(d), true);
}

// ---- Scenes ----------------------------------------------------------------------------

void DspDevice::SaveScene(uint8_t scene, uint8_t immediately) {
    LogWriteNarrow("SaveScene scene(%d) immediately=%d\n", scene, immediately);
    Send(CMD_FLASH, FLASH_SCENE_SAVE, OP_SET, {scene, immediately}, true, kSceneTimeoutMs);
}
void DspDevice::ReadScene(uint8_t fromScene, uint8_t toScene) {
    LogWriteNarrow("ReadScene from scene(%d) to scene(%d)\n", fromScene, toScene);
    Send(CMD_FLASH, FLASH_SCENE_READ, OP_SET, {fromScene, toScene}, true, kSceneTimeoutMs);
}
void DspDevice::DeleteScene(uint8_t scene) {
    LogWriteNarrow("DeleteScene scene(%d)\n", scene);
    Send(CMD_FLASH, FLASH_SCENE_DELETE, OP_SET, {scene}, true, kSceneTimeoutMs);
}
void DspDevice::SetSceneName(uint8_t scene, const std::vector<uint8_t>& name) {
    size_t n = std::min(name.size(), kMaxCommandData - 2);
    std::string text(name.begin(), name.begin() + static_cast<long>(n));
    LogWriteNarrow("SetSceneName scene(%d), len(%d), (name)%s\n", scene, static_cast<int>(n),
                   text.c_str());
    std::vector<uint8_t> d = {scene, static_cast<uint8_t>(n)};
    d.insert(d.end(), name.begin(), name.begin() + static_cast<long>(n));
    Send(CMD_FLASH, FLASH_SCENE_NAME, OP_SET, std::move(d), true);
}
void DspDevice::GetSceneName(uint8_t scene) {
    Send(CMD_FLASH, FLASH_SCENE_NAME, OP_GET, {scene}, true);
}
void DspDevice::SetSceneProfile(uint8_t scene, uint16_t start, const std::vector<uint8_t>& bytes) {
    LogWriteNarrow("SetSceneProfile scene(%d)\n", scene);
    size_t n = std::min<size_t>(bytes.size(), 53);
    std::vector<uint8_t> d = {scene};
    PutBe16(d, start);
    d.push_back(static_cast<uint8_t>(n));
    d.insert(d.end(), bytes.begin(), bytes.begin() + static_cast<long>(n));
    Send(CMD_FLASH, FLASH_SCENE_PROFILE, OP_SET, std::move(d), true, kSceneTimeoutMs);
}
void DspDevice::GetSceneProfile(uint8_t scene, uint16_t start, uint8_t length) {
    LogWriteNarrow("GetSceneProfile scene(%d), start = %d, data_len = %d\n", scene, start, length);
    std::vector<uint8_t> d = {scene};
    PutBe16(d, start);
    d.push_back(length);
    Send(CMD_FLASH, FLASH_SCENE_PROFILE, OP_GET, std::move(d), true, kSceneTimeoutMs);
}
void DspDevice::GetSceneId() {
    Send(CMD_FLASH, FLASH_SCENE_ID, OP_GET, {}, true);
}
void DspDevice::GetSceneValid() {
    Send(CMD_FLASH, FLASH_SCENE_VALID, OP_GET, {}, true);
}

// ---- Microcontroller -------------------------------------------------------------------

void DspDevice::Get_Flash_Version() {
    Send(CMD_MCU, MCU_GET_DSPFLASH_VER, OP_GET, {}, true, kShortTimeoutMs);
}
void DspDevice::Get_Bootloader_Version() {
    Send(CMD_MCU, MCU_BOOTLOADER_VER, OP_GET, {}, true, kShortTimeoutMs);
}
void DspDevice::SetPWD(const std::string& password, const std::string& remark) {
    // Bounded to what the unit's password reply can carry back.
    size_t n = std::min<size_t>(password.size(), 12);
    size_t m = std::min<size_t>(remark.size(), 20);
    LogWriteNarrow("SetPWD len(%d), (password)%s\n", static_cast<int>(n),
                   password.substr(0, n).c_str());
    std::vector<uint8_t> d = {static_cast<uint8_t>(n)};
    d.insert(d.end(), password.begin(), password.begin() + static_cast<long>(n));
    d.push_back(static_cast<uint8_t>(m));
    d.insert(d.end(), remark.begin(), remark.begin() + static_cast<long>(m));
    Send(CMD_MCU, MCU_PASSWORD, OP_SET, std::move(d), true);
}
void DspDevice::Get_PWD() {
    Send(CMD_MCU, MCU_PASSWORD, OP_GET, {}, true);
}
void DspDevice::Get_MCU_Info(bool immediate) {
    Send(CMD_MCU, MCU_INFO, OP_GET, {}, immediate);
}
void DspDevice::Set_Power_Off_Time(uint16_t ms, bool immediate) {
    LogWriteNarrow("Set_Power_Off_Time = %dms\n", ms);
    std::vector<uint8_t> d;
    PutBe16(d, ms);
    Send(CMD_MCU, MCU_POWER_OFF_TIME, OP_SET, std::move(d), immediate);
}
void DspDevice::Get_Delay_Power_Off_Time() {
    Send(CMD_MCU, MCU_POWER_OFF_TIME, OP_GET, {}, true, kShortTimeoutMs);
}
void DspDevice::Set_Acc(uint8_t delay, bool immediate) {
    LogWriteNarrow("Set_Acc delay:%d\n", delay);
    Send(CMD_MCU, MCU_ACC, OP_SET, {delay}, immediate);
}
void DspDevice::Get_Acc() {
    Send(CMD_MCU, MCU_ACC, OP_GET, {}, true);
}
void DspDevice::MCU_Reboot_Ctrl() {
    LogWriteNarrow("MCU_Reboot_Ctrl\n");
    Send(CMD_MCU, MCU_REBOOT, OP_SET, {}, true);
}
void DspDevice::Factory_Default_Ctrl() {
    Send(CMD_MCU, MCU_FACTORY_DEFAULT, OP_SET, {}, true, kFactoryTimeoutMs);
}
void DspDevice::MCU_Enter_Upg_Mode() {
    LogWriteNarrow("MCU_Enter_Upg_Mode\n");
    Send(CMD_MCU, MCU_ENTER_UPG, OP_SET, {}, true);
}

}  // namespace dvdsp::link
