#pragma once
// Frames of the global device settings (CMD_DSP).

#include <cstdint>

#include "link/protocol/frame.h"

namespace dvdsp::link::protocol {

Frame Get_Source_Config();
Frame Source_Switch_Ctrl(uint8_t source);
Frame Get_Source();
// The volume in dB as the user holds it (-60 to 6).
Frame Main_Volume_Ctrl(float volumeDb);
Frame Get_Main_Volume();
Frame Subwoofer_Volume_Ctrl(int8_t level);
Frame Get_Subwoofer_Volume();
Frame Mute_Ctrl(uint8_t mute);
Frame Get_Mute();
Frame Amp_Mute_Ctrl(uint8_t mute);
Frame Get_Amp_Mute();
Frame Rem_Out_Ctrl(uint8_t remOut1, uint8_t remOut2);
Frame Get_Rem_Out();
Frame Spk_Ohm_Ctrl(uint8_t ohm);
Frame Get_Spk_Ohm();
Frame Noise_Gate_Ctrl(uint8_t onoff);
Frame Get_Noise_Gate();
Frame Spk_Ch_Config_Ctrl(uint8_t config);
Frame Get_Speaker_Config();
Frame Sel_Remote_CH_Ctrl(uint16_t selection);
Frame Get_Remote_CH();
Frame Remote_CH_Volume_Ctrl(uint8_t volume);
Frame Factory_Preset_Ctrl(uint8_t mode);
Frame Get_Factory_Preset();
Frame Setup_Mode_Ctrl(uint8_t mode);
Frame Get_Setup_Mode();
Frame Set_MemData(uint32_t address, uint32_t data);
Frame Get_MemData(uint32_t address);

}  // namespace dvdsp::link::protocol
