#pragma once
// Frames of the scenes in the unit's flash (CMD_FLASH) and of the microcontroller
// (CMD_MCU).

#include <cstdint>
#include <string>
#include <vector>

#include "link/protocol/frame.h"

namespace dvdsp::link::protocol {

// Scenes.
Frame SaveScene(uint8_t scene, uint8_t immediately);
Frame ReadScene(uint8_t fromScene, uint8_t toScene);
Frame DeleteScene(uint8_t scene);
Frame SetSceneName(uint8_t scene, const std::vector<uint8_t>& name);
Frame GetSceneName(uint8_t scene);
Frame SetSceneProfile(uint8_t scene, uint16_t start, const std::vector<uint8_t>& bytes);
Frame GetSceneProfile(uint8_t scene, uint16_t start, uint8_t length);
Frame GetSceneId();
Frame GetSceneValid();

// Microcontroller.
Frame Hand_Connect();
Frame PC_Connect(uint8_t state);
Frame PingMsg();
Frame Get_Flash_Version();
Frame Get_Bootloader_Version();
Frame SetPWD(const std::string& password, const std::string& remark);
Frame Get_PWD();
Frame Get_MCU_Info();
Frame Set_Power_Off_Time(uint16_t ms);
Frame Get_Delay_Power_Off_Time();
Frame Set_Acc(uint8_t delay);
Frame Get_Acc();
Frame MCU_Reboot_Ctrl();
Frame Factory_Default_Ctrl();
Frame MCU_Enter_Upg_Mode();

}  // namespace dvdsp::link::protocol
