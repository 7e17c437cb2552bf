// Operations of the global device settings, the scenes and the microcontroller: each
// sends the frame its protocol function builds.
#include "link/dsp_device.h"
#include "link/protocol/device.h"
#include "link/protocol/scene_mcu.h"

namespace dvdsp::link {

namespace p = protocol;

namespace {
constexpr int kShortTimeoutMs = 500;
constexpr int kModeTimeoutMs = 1000;
constexpr int kSceneTimeoutMs = 20000;
constexpr int kFactoryTimeoutMs = 30000;
}  // namespace

void DspDevice::Get_Source_Config() {
    Send(p::Get_Source_Config(), true, kShortTimeoutMs);
}
void DspDevice::Source_Switch_Ctrl(uint8_t source, bool immediate) {
    Send(p::Source_Switch_Ctrl(source), immediate);
}
void DspDevice::Get_Source() {
    Send(p::Get_Source(), true);
}
void DspDevice::Main_Volume_Ctrl(float volumeDb, bool immediate) {
    Send(p::Main_Volume_Ctrl(volumeDb), immediate);
}
void DspDevice::Get_Main_Volume() {
    Send(p::Get_Main_Volume(), true);
}
void DspDevice::Subwoofer_Volume_Ctrl(int8_t level, bool immediate) {
    Send(p::Subwoofer_Volume_Ctrl(level), immediate);
}
void DspDevice::Get_Subwoofer_Volume() {
    Send(p::Get_Subwoofer_Volume(), true);
}
void DspDevice::Mute_Ctrl(uint8_t mute, bool immediate) {
    Send(p::Mute_Ctrl(mute), immediate);
}
void DspDevice::Get_Mute() {
    Send(p::Get_Mute(), true);
}
void DspDevice::Amp_Mute_Ctrl(uint8_t mute, bool immediate) {
    Send(p::Amp_Mute_Ctrl(mute), immediate);
}
void DspDevice::Get_Amp_Mute() {
    Send(p::Get_Amp_Mute(), true);
}
void DspDevice::Rem_Out_Ctrl(uint8_t remOut1, uint8_t remOut2, bool immediate) {
    Send(p::Rem_Out_Ctrl(remOut1, remOut2), immediate);
}
void DspDevice::Get_Rem_Out() {
    Send(p::Get_Rem_Out(), true);
}
void DspDevice::Spk_Ohm_Ctrl(uint8_t ohm, bool immediate) {
    Send(p::Spk_Ohm_Ctrl(ohm), immediate);
}
void DspDevice::Get_Spk_Ohm() {
    Send(p::Get_Spk_Ohm(), true);
}
void DspDevice::Noise_Gate_Ctrl(uint8_t onoff, bool immediate) {
    Send(p::Noise_Gate_Ctrl(onoff), immediate);
}
void DspDevice::Get_Noise_Gate() {
    Send(p::Get_Noise_Gate(), true);
}
void DspDevice::Spk_Ch_Config_Ctrl(uint8_t config, bool immediate) {
    Send(p::Spk_Ch_Config_Ctrl(config), immediate);
}
void DspDevice::Get_Speaker_Config() {
    Send(p::Get_Speaker_Config(), true);
}
void DspDevice::Sel_Remote_CH_Ctrl(uint16_t selection, bool immediate) {
    Send(p::Sel_Remote_CH_Ctrl(selection), immediate);
}
void DspDevice::Get_Remote_CH() {
    Send(p::Get_Remote_CH(), true);
}
void DspDevice::Remote_CH_Volume_Ctrl(uint8_t volume, bool immediate) {
    Send(p::Remote_CH_Volume_Ctrl(volume), immediate);
}
void DspDevice::Factory_Preset_Ctrl(uint8_t mode) {
    Send(p::Factory_Preset_Ctrl(mode), true, kModeTimeoutMs);
}
void DspDevice::Get_Factory_Preset() {
    Send(p::Get_Factory_Preset(), true);
}
void DspDevice::Setup_Mode_Ctrl(uint8_t mode) {
    Send(p::Setup_Mode_Ctrl(mode), true, kModeTimeoutMs);
}
void DspDevice::Get_Setup_Mode() {
    Send(p::Get_Setup_Mode(), true);
}
void DspDevice::Set_MemData(uint32_t address, uint32_t data, bool immediate) {
    Send(p::Set_MemData(address, data), immediate);
}
void DspDevice::Get_MemData(uint32_t address) {
    Send(p::Get_MemData(address), true);
}

// Scenes.
void DspDevice::SaveScene(uint8_t scene, uint8_t immediately) {
    Send(p::SaveScene(scene, immediately), true, kSceneTimeoutMs);
}
void DspDevice::ReadScene(uint8_t fromScene, uint8_t toScene) {
    Send(p::ReadScene(fromScene, toScene), true, kSceneTimeoutMs);
}
void DspDevice::DeleteScene(uint8_t scene) {
    Send(p::DeleteScene(scene), true, kSceneTimeoutMs);
}
void DspDevice::SetSceneName(uint8_t scene, const std::vector<uint8_t>& name) {
    Send(p::SetSceneName(scene, name), true);
}
void DspDevice::GetSceneName(uint8_t scene) {
    Send(p::GetSceneName(scene), true);
}
void DspDevice::SetSceneProfile(uint8_t scene, uint16_t start, const std::vector<uint8_t>& bytes) {
    Send(p::SetSceneProfile(scene, start, bytes), true, kSceneTimeoutMs);
}
void DspDevice::GetSceneProfile(uint8_t scene, uint16_t start, uint8_t length) {
    Send(p::GetSceneProfile(scene, start, length), true, kSceneTimeoutMs);
}
void DspDevice::GetSceneId() {
    Send(p::GetSceneId(), true);
}
void DspDevice::GetSceneValid() {
    Send(p::GetSceneValid(), true);
}

// Microcontroller.
void DspDevice::Get_Flash_Version() {
    Send(p::Get_Flash_Version(), true, kShortTimeoutMs);
}
void DspDevice::Get_Bootloader_Version() {
    Send(p::Get_Bootloader_Version(), true, kShortTimeoutMs);
}
void DspDevice::SetPWD(const std::string& password, const std::string& remark) {
    Send(p::SetPWD(password, remark), true);
}
void DspDevice::Get_PWD() {
    Send(p::Get_PWD(), true);
}
void DspDevice::Get_MCU_Info(bool immediate) {
    Send(p::Get_MCU_Info(), immediate);
}
void DspDevice::Set_Power_Off_Time(uint16_t ms, bool immediate) {
    Send(p::Set_Power_Off_Time(ms), immediate);
}
void DspDevice::Get_Delay_Power_Off_Time() {
    Send(p::Get_Delay_Power_Off_Time(), true, kShortTimeoutMs);
}
void DspDevice::Set_Acc(uint8_t delay, bool immediate) {
    Send(p::Set_Acc(delay), immediate);
}
void DspDevice::Get_Acc() {
    Send(p::Get_Acc(), true);
}
void DspDevice::MCU_Reboot_Ctrl() {
    Send(p::MCU_Reboot_Ctrl(), true);
}
void DspDevice::Factory_Default_Ctrl() {
    Send(p::Factory_Default_Ctrl(), true, kFactoryTimeoutMs);
}
void DspDevice::MCU_Enter_Upg_Mode() {
    Send(p::MCU_Enter_Upg_Mode(), true);
}

}  // namespace dvdsp::link
