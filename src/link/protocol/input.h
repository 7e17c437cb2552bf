#pragma once
// Frames of the inputs, the mixer and source mixing (CMD_DSP).

#include <cstdint>
#include <vector>

#include "base/band.h"
#include "link/protocol/frame.h"

namespace dvdsp::link::protocol {

Frame Input_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                      const std::vector<uint8_t>& gain);
Frame Mute_Input_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                         const std::vector<uint8_t>& mute);
Frame Input_Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                       const std::vector<uint8_t>& phase);
// At most eight bands fit one frame; a longer range is cut to its first eight.
Frame Input_EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t bandStart, uint8_t bandEnd,
                    const std::vector<Band>& bands);
Frame Get_Input_EQ(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t bandStart, uint8_t bandEnd);
Frame Input_Ch_Threshold_Ctrl(int8_t threshold);
Frame Get_Input_Threshold(uint8_t scene, uint8_t source);
Frame Get_Input_Noise(uint8_t chX, uint8_t chY);

Frame Input_Mix_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t outStart,
                          uint8_t outEnd, const std::vector<int8_t>& trim);
Frame Get_Input_Mix_CH_Trim(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t outStart,
                            uint8_t outEnd);
Frame Input_Mix_Trim_Ctrl2(uint8_t scene, uint8_t source, uint8_t inStart, uint8_t inEnd,
                           uint8_t outCh, const std::vector<int8_t>& trim);
Frame Mix_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t type);
Frame Mix_Type2_Ctrl(uint8_t scene, uint8_t source, uint8_t type);
Frame Get_Mix_Type(uint8_t scene, uint8_t source);
Frame Get_Mix_Type2(uint8_t scene, uint8_t source);
Frame Mix_Source_Switch_Ctrl(uint8_t source);
Frame Get_Mix_Source();
Frame Cross_Source_Mix_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t viceSource,
                            uint8_t viceCh, uint8_t viceGain);
Frame Get_Mix_Source2(uint8_t scene, uint8_t source, uint8_t ch);
Frame Cross_Source_Mix_Ctrl_CS47048(uint8_t scene, uint8_t source, uint8_t ch, uint8_t viceSource,
                                    uint8_t viceCh);
Frame Get_Mix_Source2_CS47048(uint8_t scene, uint8_t source);
Frame Get_InDistort(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
Frame Get_OutDistort(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);

}  // namespace dvdsp::link::protocol
