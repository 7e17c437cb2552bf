#pragma once
// Frames of the automatic calibration and processing switches (CMD_DSP) and of the
// karaoke effects (CMD_KTV).

#include <array>
#include <cstdint>

#include "link/protocol/frame.h"

namespace dvdsp::link::protocol {

Frame IRC_Ctrl(uint8_t on, uint16_t ircch, uint8_t irc_eqmode, bool syncMode);
Frame IRC_Get();
// The calibration read-outs by channel range (distance, trim, speaker size, phase, level
// and noise level): [0] first channel [1] last channel. `name` is the operation's name for
// the log line.
Frame IRC_Get_Range(uint8_t cmd, const char* name, uint8_t ch, uint8_t chEnd);
Frame IRC_Get_EQ(uint8_t ch, uint8_t band, uint8_t bandEnd);
Frame IRC_Get_Spectrum(uint8_t ch, uint8_t band, uint8_t bandEnd);
Frame IRC_Get_RTA();
Frame IRC_Set_Test_Mic(uint8_t on);
Frame IRC_Sel_Test_Module(uint8_t moduleMask, bool syncMode);
Frame IRC_Active_Bypass_Ctrl(uint8_t source, uint8_t active);
Frame Auto_Effect_Ctrl(uint8_t source, uint8_t on);
Frame Get_AUTO_ON();
inline constexpr size_t kAutoSettingBlockSize = 52;
Frame CS_Auto_Setting_Ctrl(const std::array<uint8_t, kAutoSettingBlockSize>& block);

Frame KTV_Set(uint8_t parameter, int value);
Frame KTV_Get(uint8_t parameter);

}  // namespace dvdsp::link::protocol
