// Automatic calibration and processing switches, packet type CMD_DSP (1), and karaoke
// effects, packet type CMD_KTV (7). Frame layout, after the report ID:
//   AA 55 LEN TYPE CMD OP DATA... SUM    LEN = 3 + data bytes
// Calibration (set OP_SET 0xBB, query OP_GET 0x66):
//   13 control     [0] on [1..2] channel mask (16-bit big-endian) [3] EQ mode (query: none)
//   14 distance, 15 trim, 17 speaker size, 18 phase, 19 level, 1B noise level
//                  query: [0] first channel [1] last channel
//   16 EQ, 1A spectrum   query: [0] channel [1] first band [2] last band
//   1C RTA         query, no data
//   1D test microphone [0] on
//   1E test modules    [0] module mask
//   3C active bypass   [0] source [1] active
//   3B auto effect     [0] source [1] on (query: none)
//   3D auto setting    [0..51] the setting block as it is
// Karaoke (CMD is the parameter 1 to 10):
//   set: [0] value; echo delay (5): [0..1] value (16-bit big-endian); query: no data
#include "link/protocol/calibration.h"

#include "base/log.h"
#include "link/commands.h"
#include "link/protocol/wire_values.h"

namespace dvdsp::link::protocol {

using namespace wire;

Frame IRC_Ctrl(uint8_t on, uint16_t ircch, uint8_t irc_eqmode, bool syncMode) {
    LogWriteNarrow("IRC_Ctrl: on(%d), ircch=0x%x, irc_eqmode = %d, syncMode(%d)\n", on, ircch,
                   irc_eqmode, syncMode ? 1 : 0);
    Frame f{CMD_DSP, DSP_IRC_CTRL, OP_SET, {on}};
    PutBe16(f.data, ircch);
    f.data.push_back(irc_eqmode);
    return f;
}
Frame IRC_Get() {
    LogWriteNarrow("IRC_Get\n");
    return Frame{CMD_DSP, DSP_IRC_CTRL, OP_GET, {}};
}
Frame IRC_Get_Range(uint8_t cmd, const char* name, uint8_t ch, uint8_t chEnd) {
    LogWriteNarrow("%s from ch(%d) to ch_end(%d)\n", name, ch, chEnd);
    return Frame{CMD_DSP, cmd, OP_GET, {ch, chEnd}};
}
Frame IRC_Get_EQ(uint8_t ch, uint8_t band, uint8_t bandEnd) {
    return Frame{CMD_DSP, DSP_IRC_EQ, OP_GET, {ch, band, bandEnd}};
}
Frame IRC_Get_Spectrum(uint8_t ch, uint8_t band, uint8_t bandEnd) {
    return Frame{CMD_DSP, DSP_IRC_SPECTRUM, OP_GET, {ch, band, bandEnd}};
}
Frame IRC_Get_RTA() {
    LogWriteNarrow("IRC_Get_RTA\n");
    return Frame{CMD_DSP, DSP_IRC_RTA, OP_GET, {}};
}
Frame IRC_Set_Test_Mic(uint8_t on) {
    LogWriteNarrow("IRC_Set_Test_Mic: on(%d)\n", on);
    return Frame{CMD_DSP, DSP_IRC_TEST_MIC, OP_SET, {on}};
}
Frame IRC_Sel_Test_Module(uint8_t moduleMask, bool syncMode) {
    LogWriteNarrow("IRC_Sel_Test_Module: Module(0x%x), syncMode(%d)\n", moduleMask,
                   syncMode ? 1 : 0);
    return Frame{CMD_DSP, DSP_IRC_SEL_TEST_MODULE, OP_SET, {moduleMask}};
}
Frame IRC_Active_Bypass_Ctrl(uint8_t source, uint8_t active) {
    return Frame{CMD_DSP, DSP_IRC_ACTIVE_BYPASS_CONTROL, OP_SET, {source, active}};
}
Frame Auto_Effect_Ctrl(uint8_t source, uint8_t on) {
    return Frame{CMD_DSP, DSP_AUTO_EFFECTION_ON_OFF_CONTROL, OP_SET, {source, on}};
}
Frame Get_AUTO_ON() {
    LogWriteNarrow("Get_AUTO_ON\n");
    return Frame{CMD_DSP, DSP_AUTO_EFFECTION_ON_OFF_CONTROL, OP_GET, {}};
}
Frame CS_Auto_Setting_Ctrl(const std::array<uint8_t, kAutoSettingBlockSize>& block) {
    return Frame{CMD_DSP, DSP_CS_AUTO_SETTING, OP_SET,
                 std::vector<uint8_t>(block.begin(), block.end())};
}

Frame KTV_Set(uint8_t parameter, int value) {
    Frame f{CMD_KTV, parameter, OP_SET, {}};
    if (parameter == KTV_ECHO_DELAY)
        PutBe16(f.data, static_cast<unsigned>(value) & 0xFFFF);
    else
        f.data.push_back(static_cast<uint8_t>(value & 0xFF));
    return f;
}
Frame KTV_Get(uint8_t parameter) {
    return Frame{CMD_KTV, parameter, OP_GET, {}};
}

}  // namespace dvdsp::link::protocol
