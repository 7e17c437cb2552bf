// Global device settings, packet type CMD_DSP (1). Frame layout, after the report ID:
//   AA 55 LEN 01 CMD OP DATA... SUM    LEN = 3 + data bytes, SUM makes LEN..SUM add to 0
// Data bytes by command (set form OP_SET 0xBB; the query OP_GET 0x66 carries none unless
// stated):
//   00 source config   (query only)
//   01 source          [0] source code
//   02 main volume     [0] 6 - volume in dB, truncated, signed
//   03 subwoofer       [0] level, signed
//   04 mute            [0] mute
//   32 remote channel  [0..1] selection mask, 16-bit big-endian
//   33 remote volume   [0] volume
//   35 speaker config  [0] configuration
//   39 factory preset  [0] mode
//   3A setup mode      [0] mode
//   3F amplifier mute  [0] mute
//   42 memory word     [0..3] address, [4..7] data, both 32-bit little-endian (the query
//                      carries the address and a zero data word)
//   45 remote outputs  [0] output 1, [1] output 2
//   4B speaker ohm     [0] impedance code
//   4E noise gate      [0] on/off
#include "link/protocol/device.h"

#include "base/log.h"
#include "link/commands.h"
#include "link/protocol/units.h"
#include "link/protocol/wire_values.h"

namespace dvdsp::link::protocol {

using namespace wire;

namespace {
Frame Set(uint8_t cmd, std::vector<uint8_t> data) {
    return Frame{CMD_DSP, cmd, OP_SET, std::move(data)};
}
Frame Get(uint8_t cmd) {
    return Frame{CMD_DSP, cmd, OP_GET, {}};
}
}  // namespace

Frame Get_Source_Config() {
    return Get(DSP_SOURCE_CONFIG);
}
Frame Source_Switch_Ctrl(uint8_t source) {
    LogWriteNarrow("Source_Switch_Ctrl: source(0x%x)\n", source);
    return Set(DSP_SOURCE_SWITCH, {source});
}
Frame Get_Source() {
    return Get(DSP_SOURCE_SWITCH);
}
Frame Main_Volume_Ctrl(float volumeDb) {
    const double onWire = units::MainVolumeToWire(static_cast<double>(volumeDb));
    LogWriteNarrow("Main_Volume_Ctrl gain:(%.1f) \n", onWire);
    return Set(DSP_VOLUME, {IntPart(onWire)});
}
Frame Get_Main_Volume() {
    return Get(DSP_VOLUME);
}
Frame Subwoofer_Volume_Ctrl(int8_t level) {
    return Set(DSP_SUBWOOFER_VOLUME, {static_cast<uint8_t>(level)});
}
Frame Get_Subwoofer_Volume() {
    return Get(DSP_SUBWOOFER_VOLUME);
}
Frame Mute_Ctrl(uint8_t mute) {
    LogWriteNarrow("Mute_Ctrl %d\n", mute);
    return Set(DSP_MUTE, {mute});
}
Frame Get_Mute() {
    return Get(DSP_MUTE);
}
Frame Amp_Mute_Ctrl(uint8_t mute) {
    LogWriteNarrow("Amp_Mute_Ctrl t_mute(%d)\n", mute);
    return Set(DSP_AMP_MUTE, {mute});
}
Frame Get_Amp_Mute() {
    return Get(DSP_AMP_MUTE);
}
Frame Rem_Out_Ctrl(uint8_t remOut1, uint8_t remOut2) {
    LogWriteNarrow("Rem_Out_Ctrl remOut1(%d), remOut2(%d)\n", remOut1, remOut2);
    return Set(DSP_REM_OUT, {remOut1, remOut2});
}
Frame Get_Rem_Out() {
    return Get(DSP_REM_OUT);
}
Frame Spk_Ohm_Ctrl(uint8_t ohm) {
    LogWriteNarrow("Spk_Ohm_Ctrl ohm(%d)\n", ohm);
    return Set(DSP_SPK_OHM, {ohm});
}
Frame Get_Spk_Ohm() {
    return Get(DSP_SPK_OHM);
}
Frame Noise_Gate_Ctrl(uint8_t onoff) {
    LogWriteNarrow("Noise_Gate_Ctrl onoff(%d)\n", onoff);
    return Set(DSP_NOISE_GATE, {onoff});
}
Frame Get_Noise_Gate() {
    return Get(DSP_NOISE_GATE);
}
Frame Spk_Ch_Config_Ctrl(uint8_t config) {
    return Set(DSP_SPK_CH_CONFIG, {config});
}
Frame Get_Speaker_Config() {
    return Get(DSP_SPK_CH_CONFIG);
}
Frame Sel_Remote_CH_Ctrl(uint16_t selection) {
    LogWriteNarrow("Sel_Remote_CH_Ctrl sel_ch(%d) \n", selection);
    std::vector<uint8_t> d;
    PutBe16(d, selection);
    return Set(DSP_SEL_REMOTE_CH, std::move(d));
}
Frame Get_Remote_CH() {
    return Get(DSP_SEL_REMOTE_CH);
}
Frame Remote_CH_Volume_Ctrl(uint8_t volume) {
    return Set(DSP_REMOTE_CH_VOLUME, {volume});
}
Frame Factory_Preset_Ctrl(uint8_t mode) {
    LogWriteNarrow("Factory_Preset_Ctrl: mode(%d)\n", mode);
    return Set(DSP_FACTORY_PRESET, {mode});
}
Frame Get_Factory_Preset() {
    return Get(DSP_FACTORY_PRESET);
}
Frame Setup_Mode_Ctrl(uint8_t mode) {
    LogWriteNarrow("Setup_Mode_Ctrl: mode(%d)\n", mode);
    return Set(DSP_SETUP_MODE, {mode});
}
Frame Get_Setup_Mode() {
    return Get(DSP_SETUP_MODE);
}

namespace {
Frame MemData(uint8_t op, uint32_t address, uint32_t data) {
    LogWriteNarrow("Get_MemData: addr(0x%08x), data(0x%08x)\n", address, data);
    LogWriteNarrow("addr %02x, %02x, %02x, %02x\n", address & 0xFF, (address >> 8) & 0xFF,
                   (address >> 16) & 0xFF, (address >> 24) & 0xFF);
    LogWriteNarrow("data %02x, %02x, %02x, %02x\n", data & 0xFF, (data >> 8) & 0xFF,
                   (data >> 16) & 0xFF, (data >> 24) & 0xFF);
    Frame f{CMD_DSP, DSP_MEM_DATA, op, {}};
    PutLe32(f.data, address);
    PutLe32(f.data, data);
    return f;
}
}  // namespace

Frame Set_MemData(uint32_t address, uint32_t data) {
    return MemData(OP_SET, address, data);
}
Frame Get_MemData(uint32_t address) {
    return MemData(OP_GET, address, 0);
}

}  // namespace dvdsp::link::protocol
