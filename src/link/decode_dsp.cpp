// Replies of the DSP (CMD_DSP).
#include "app/log.h"
#include "link/commands.h"
#include "link/dsp_device.h"

namespace dvdsp::link {

void DspDevice::dsp_ack_process(const uint8_t* p, uint8_t /*len*/) {
    const uint8_t cmd = p[0];
    const uint8_t op = p[1];
    ++dspAckCounter_;
    const wchar_t* name = cmd < 78 || cmd == DSP_MIX_TYPE2 ? DspCommandName(cmd) : nullptr;
    std::string label = name ? WideToUtf8(name) : std::to_string(cmd);
    LogWriteNarrow("dsp_ack_process %u, cmd(0x%08x), OP(%02x), %s\n", dspAckCounter_, cmd, op,
                   label.c_str());
    LogWriteNarrow("!!! NOT SUPPORT MSG\n");
}

}  // namespace dvdsp::link
