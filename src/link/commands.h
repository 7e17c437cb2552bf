#pragma once
// Command codes of every packet type and the DSP command-name table used in log lines.

#include <cstdint>
#include <string>
#include <vector>

namespace dvdsp::link {

// CMD_DSP command codes.
enum DspCmd : uint8_t {
    DSP_SOURCE_CONFIG = 0x00,
    DSP_SOURCE_SWITCH = 0x01,
    DSP_VOLUME = 0x02,
    DSP_SUBWOOFER_VOLUME = 0x03,
    DSP_MUTE = 0x04,
    DSP_FILTER_SET = 0x05,
    DSP_EQ_CH = 0x06,
    DSP_DELAY_CH = 0x07,
    DSP_TRIM_CH = 0x08,
    DSP_MUTE_CH = 0x09,
    DSP_PHASE_CH = 0x0A,
    DSP_MIX_CH = 0x0B,
    DSP_REMAP_CH = 0x0C,
    DSP_CH_TYPE = 0x0D,
    DSP_CH_LINK = 0x0E,
    DSP_CH_LOCK = 0x0F,
    DSP_BYPASS = 0x10,
    DSP_EQ_RESET = 0x11,
    DSP_EQ_BYPASS = 0x12,
    DSP_IRC_CTRL = 0x13,
    DSP_IRC_DISTANCE = 0x14,
    DSP_IRC_TRIM = 0x15,
    DSP_IRC_EQ = 0x16,
    DSP_IRC_SPK_SIZE = 0x17,
    DSP_IRC_SPK_PHASE = 0x18,
    DSP_IRC_SPK_LEVEL = 0x19,
    DSP_IRC_SPECTRUM = 0x1A,
    DSP_IRC_NOISE_LEVEL = 0x1B,
    DSP_IRC_RTA = 0x1C,
    DSP_IRC_TEST_MIC = 0x1D,
    DSP_IRC_SEL_TEST_MODULE = 0x1E,
    DSP_INPUT_TRIM_CH = 0x20,
    DSP_INPUT_CH_MUTE = 0x21,
    DSP_INPUT_CH_PHASE = 0x22,
    DSP_INPUT_EQ_CH = 0x23,
    DSP_INPUT_MIX_CH_TRIM = 0x24,
    DSP_INPUT_MIX_CH_PHASE = 0x25,
    DSP_INPUT_THRESHOLD = 0x26,
    DSP_INPUT_NOISE = 0x27,
    DSP_INPUT_MIX_CH_TRIM2 = 0x28,
    DSP_CH_TRIM_LINK = 0x30,
    DSP_CH_DELAY_LINK = 0x31,
    DSP_SEL_REMOTE_CH = 0x32,
    DSP_REMOTE_CH_VOLUME = 0x33,
    DSP_CH_SOLO = 0x34,
    DSP_SPK_CH_CONFIG = 0x35,
    DSP_MIX_TYPE = 0x36,
    DSP_HPF_Q_FACT_MODE = 0x37,
    DSP_LPF_Q_FACT_MODE = 0x38,
    DSP_FACTORY_PRESET = 0x39,
    DSP_SETUP_MODE = 0x3A,
    DSP_AUTO_EFFECTION_ON_OFF_CONTROL = 0x3B,
    DSP_IRC_ACTIVE_BYPASS_CONTROL = 0x3C,
    DSP_CS_AUTO_SETTING = 0x3D,
    DSP_COMPRESSOR_SETTING = 0x3E,
    DSP_AMP_MUTE = 0x3F,
    DSP_INPUT_CH_DISTORT = 0x40,
    DSP_OUTPUT_CH_DISTORT = 0x41,
    DSP_MEM_DATA = 0x42,
    DSP_SPK_DIST = 0x43,
    DSP_MIX_SOURCE_SWITCH = 0x44,
    DSP_REM_OUT = 0x45,
    DSP_DSP_STATUS = 0x46,
    DSP_CROSS_SOURCE_MIX = 0x47,
    DSP_COMPRESSOR_ON_CH = 0x49,
    DSP_COMPRESSOR_SETTING2 = 0x4A,
    DSP_SPK_OHM = 0x4B,
    DSP_OUPUT_BRIDGE = 0x4C,
    DSP_CROSS_SOURCE_MIX_CS47048 = 0x4D,
    DSP_NOISE_GATE = 0x4E,
    DSP_MIX_TYPE2 = 0x83,
};

// CMD_MCU command codes.
enum McuCmd : uint8_t {
    MCU_ENTER_UPG = 0x01,
    MCU_UPG_START = 0x02,
    MCU_UPG_DATA = 0x03,
    MCU_UPG_FINISH = 0x04,
    MCU_HANDSHAKE = 0x08,
    MCU_GET_DSPFLASH_VER = 0x0B,
    MCU_BOOTLOADER_VER = 0x0C,
    MCU_PASSWORD = 0x0D,
    MCU_PC_CONNECT = 0x1F,
    MCU_INFO = 0x41,
    MCU_INIT = 0x60,
    MCU_REBOOT = 0x8F,
    MCU_FACTORY_DEFAULT = 0x90,
    MCU_POWER_OFF_TIME = 0x91,
    MCU_ACC = 0x92,
    MCU_PING = 0x93,
    MCU_BL_ENTER = 0xA0,
    MCU_BL_START = 0xA1,
    MCU_BL_DATA = 0xA2,
    MCU_BL_FINISH = 0xA3,
};

// CMD_FLASH command codes (the DSP flash transfer, then scenes).
enum FlashCmd : uint8_t {
    FLASH_CHIP_ERASE = 0x02,
    FLASH_UPG_START = 0x03,
    FLASH_UPG_DATA = 0x04,
    FLASH_UPG_FINISH = 0x05,
    FLASH_SCENE_SAVE = 0x08,
    FLASH_SCENE_READ = 0x09,
    FLASH_SCENE_DELETE = 0x0A,
    FLASH_SCENE_NAME = 0x0B,
    FLASH_SCENE_PROFILE = 0x0C,
    FLASH_SCENE_ID = 0x0E,
    FLASH_SCENE_VALID = 0x0F,
};

// CMD_KTV parameters.
enum KtvCmd : uint8_t {
    KTV_MIC_VOL = 1,
    KTV_MUSIC_VOL = 2,
    KTV_HOWLING = 3,
    KTV_ECHO_LEVEL = 4,
    KTV_ECHO_DELAY = 5,
    KTV_REVERB_LEVEL = 6,
    KTV_REVERB_TIME = 7,
    KTV_VOICE_CHANGER = 8,
    KTV_BASS_GAIN = 9,
    KTV_TREBLE_GAIN = 10,
};

// The DSP command-name table: 79 entries, codes 0 to 78.
inline constexpr int kDspCommandNameCount = 79;
extern const wchar_t* const kDspCommandNames[kDspCommandNameCount];
inline constexpr const wchar_t* kDspMixType2Name = L"DSP_MIX_TYPE2";

// Name of a DSP command for log lines, or null when it has none in the table.
const wchar_t* DspCommandName(uint8_t code);

// A command named for log lines and messages: "DSP_EQ_CH get [00 00 03 07 0d]".
std::string DescribeCommand(uint8_t type, uint8_t cmd, uint8_t op, const std::vector<uint8_t>& data);

}  // namespace dvdsp::link
