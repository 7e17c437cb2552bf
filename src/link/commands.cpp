#include "link/commands.h"

#include <cstdio>

#include "link/packet.h"

namespace dvdsp::link {

const wchar_t* const kDspCommandNames[kDspCommandNameCount] = {
    L"DSP_SOURCE_CONFIG",
    L"DSP_SOURCE_SWITCH",
    L"DSP_VOLUME",
    L"DSP_SUBWOOFER_VOLUME",
    L"DSP_MUTE",
    L"DSP_FILTER_SET",
    L"DSP_EQ_CH",
    L"DSP_DELAY_CH",
    L"DSP_TRIM_CH",
    L"DSP_MUTE_CH",
    L"DSP_PHASE_CH",
    L"DSP_MIX_CH",
    L"DSP_REMAP_CH",
    L"DSP_CH_TYPE",
    L"DSP_CH_LINK",
    L"DSP_CH_LOCK",
    L"DSP_BYPASS",
    L"DSP_EQ_RESET",
    L"DSP_EQ_BYPASS",
    L"DSP_IRC_CTRL",
    L"DSP_IRC_DISTANCE",
    L"DSP_IRC_TRIM",
    L"DSP_IRC_EQ",
    L"DSP_IRC_SPK_SIZE",
    L"DSP_IRC_SPK_PHASE",
    L"DSP_IRC_SPK_LEVEL",
    L"DSP_IRC_SPECTRUM",
    L"DSP_IRC_NOISE_LEVEL",
    L"DSP_IRC_RTA",
    L"DSP_IRC_TEST_MIC",
    L"DSP_IRC_SEL_TEST_MODULE",
    L"31",
    L"DSP_INPUT_TRIM_CH",
    L"DSP_INPUT_CH_MUTE",
    L"DSP_INPUT_CH_PHASE",
    L"DSP_INPUT_EQ_CH",
    L"DSP_INPUT_MIX_CH_TRIM",
    L"DSP_INPUT_MIX_CH_PHASE",
    L"DSP_INPUT_THRESHOLD",
    L"DSP_INPUT_NOISE",
    L"DSP_INPUT_MIX_CH_TRIM2",
    L"41",
    L"42",
    L"43",
    L"44",
    L"45",
    L"46",
    L"47",
    L"DSP_CH_TRIM_LINK",
    L"DSP_CH_DELAY_LINK",
    L"DSP_SEL_REMOTE_CH",
    L"DSP_REMOTE_CH_VOLUME",
    L"DSP_CH_SOLO",
    L"DSP_SPK_CH_CONFIG",
    L"DSP_MIX_TYPE",
    L"DSP_HPF_Q_FACT_MODE",
    L"DSP_LPF_Q_FACT_MODE",
    L"DSP_FACTORY_PRESET",
    L"DSP_SETUP_MODE",
    L"DSP_AUTO_EFFECTION_ON_OFF_CONTROL",
    L"DSP_IRC_ACTIVE_BYPASS_CONTROL",
    L"DSP_CS_AUTO_SETTING",
    L"DSP_COMPRESSOR_SETTING",
    L"DSP_AMP_MUTE",
    L"DSP_INPUT_CH_DISTORT",
    L"DSP_OUTPUT_CH_DISTORT",
    L"DSP_MEM_DATA",
    L"DSP_SPK_DIST",
    L"DSP_MIX_SOURCE_SWITCH",
    L"DSP_REM_OUT",
    L"DSP_DSP_STATUS",
    L"DSP_CROSS_SOURCE_MIX",
    L"0x48",
    L"DSP_COMPRESSOR_ON_CH",
    L"DSP_COMPRESSOR_SETTING2",
    L"DSP_SPK_OHM",
    L"DSP_OUPUT_BRIDGE",
    L"DSP_CROSS_SOURCE_MIX_CS47048",
    L"DSP_NOISE_GATE",
};

const wchar_t* DspCommandName(uint8_t code) {
    if (code == DSP_MIX_TYPE2) return kDspMixType2Name;
    if (code < kDspCommandNameCount) return kDspCommandNames[code];
    return nullptr;
}

namespace {

std::string Narrow(const wchar_t* w) {
    std::string s;
    for (; w && *w; ++w) s += static_cast<char>(*w);
    return s;
}

std::string CommandName(uint8_t type, uint8_t cmd) {
    if (type == CMD_DSP) {
        if (const wchar_t* name = DspCommandName(cmd)) return Narrow(name);
    } else if (type == CMD_FLASH) {
        switch (cmd) {
        case FLASH_SCENE_SAVE: return "FLASH_SCENE_SAVE";
        case FLASH_SCENE_READ: return "FLASH_SCENE_READ";
        case FLASH_SCENE_DELETE: return "FLASH_SCENE_DELETE";
        case FLASH_SCENE_NAME: return "FLASH_SCENE_NAME";
        case FLASH_SCENE_PROFILE: return "FLASH_SCENE_PROFILE";
        case FLASH_SCENE_ID: return "FLASH_SCENE_ID";
        case FLASH_SCENE_VALID: return "FLASH_SCENE_VALID";
        default: break;
        }
    } else if (type == CMD_MCU) {
        switch (cmd) {
        case MCU_HANDSHAKE: return "MCU_HANDSHAKE";
        case MCU_ACC: return "MCU_ACC";
        case MCU_PING: return "MCU_PING";
        default: break;
        }
    }
    char b[32];
    std::snprintf(b, sizeof b, "type %u cmd 0x%02x", type, cmd);
    return b;
}

}  // namespace

std::string DescribeCommand(uint8_t type, uint8_t cmd, uint8_t op, const std::vector<uint8_t>& data) {
    std::string s = CommandName(type, cmd);
    s += op == OP_GET ? " get" : op == OP_SET ? " set" : " op";
    if (op != OP_GET && op != OP_SET) {
        char b[8];
        std::snprintf(b, sizeof b, " 0x%02x", op);
        s += b;
    }
    s += " [";
    const size_t shown = data.size() < 8 ? data.size() : 8;
    for (size_t i = 0; i < shown; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02x", data[i]);
        if (i) s += ' ';
        s += b;
    }
    if (shown < data.size()) s += " ...";
    s += ']';
    return s;
}

}  // namespace dvdsp::link
