#pragma once
// Frames of the output-channel settings (CMD_DSP). Ranged set commands take one value per
// channel from chStart to chEnd, in channel order; missing values are 0.

#include <cstdint>
#include <utility>
#include <vector>

#include "base/band.h"
#include "link/protocol/frame.h"

namespace dvdsp::link::protocol {

Frame Delay_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                 const std::vector<float>& delayMs);
// Trims are gains in dB (0 or below), as the user and the model hold them.
Frame Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                const std::vector<float>& trimDb, const DeviceProfile& profile);
Frame Mute_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                   const std::vector<uint8_t>& mute);
Frame Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                 const std::vector<uint8_t>& phase);
Frame Mix_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                  const std::vector<uint16_t>& inputMask, const DeviceProfile& profile);
Frame CH_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                   const std::vector<uint8_t>& type);
Frame PEQ_Bypass_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                      const std::vector<uint8_t>& bypass);
Frame Solo_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                const std::vector<uint8_t>& solo);
Frame HPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                      const std::vector<uint8_t>& mode);
Frame LPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                      const std::vector<uint8_t>& mode);
Frame Spk_Dist_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                    const std::vector<uint16_t>& hundredths);
Frame Compressor_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                         const std::vector<uint8_t>& on);

Frame Filter_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t iFilter, uint8_t type,
                  uint16_t freq, uint8_t slope);
Frame EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t band, uint16_t freq, float q,
              float gain);
Frame Get_EQ(uint8_t scene, uint8_t source, uint8_t ch, uint8_t bandStart, uint8_t bandEnd);
Frame Remap_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t outCh,
                    const std::vector<uint8_t>& inputs);
using ChannelPairs = std::vector<std::pair<uint8_t, uint8_t>>;
Frame CH_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs);
Frame CH_Trim_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs);
Frame CH_Delay_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs);
Frame Get_CH_Link(uint8_t scene);
Frame Get_CH_Trim_Link(uint8_t scene);
Frame Get_CH_Delay_Link(uint8_t scene);
Frame CH_Lock_Ctrl(uint8_t scene, uint8_t lock);
Frame Get_CH_Lock(uint8_t scene);
Frame DSP_Bypass_Ctrl(uint8_t scene, uint8_t selector, uint8_t bypass);
Frame PEQ_Reset_Ctrl(uint8_t scene, uint8_t source, const std::vector<uint8_t>& channels);
Frame Compressor_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t bypass, float threshold,
                      float ratio, float softKnee, uint16_t attack, uint16_t release);
struct Compressor2 {
    float threshold = 0;
    uint16_t attack = 0;
    uint32_t releaseMs = 0;
};
Frame Compressor_Ctrl2(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                       const std::vector<Compressor2>& values);
Frame Output_Bridge_Ctrl(uint8_t scene, uint8_t source, const std::vector<uint8_t>& bridge);
Frame Get_Ouput_Bridge(uint8_t scene, uint8_t source, uint8_t count);

}  // namespace dvdsp::link::protocol
