// Replies of the flash (scenes) and of the karaoke effects. Reply frame:
// AA 55 LEN TYPE CMD OP DATA... SUM. Data by command:
//   flash (02): 08 save, 0A delete: OP EE, [0] 0A when done [1] scene;
//     0B name [0] scene number (1-based) [1..16] name;  0E [0] current scene;
//     0F [0..1] mask of the slots holding a scene (16-bit)
//   karaoke (07): CMD the parameter 1 to 10; [0] value (echo delay: [0..1] 16-bit;
//     bass and treble: signed); the log shows [0], [1] and [2]
#include <algorithm>
#include <cstdio>
#include <string>

#include "base/log.h"
#include "link/commands.h"
#include "link/protocol/decode.h"
#include "link/protocol/decode_common.h"
#include "link/protocol/units.h"
#include "link/protocol/upgrade.h"

namespace dvdsp::link::protocol {

using namespace decode;

void DecodeFlash(const uint8_t* p, uint8_t len, LinkState& state, Postings& out) {
    const int n = DataLength(len);
    if (n < 0) return;  // no operation byte: nothing to decode
    const uint8_t cmd = p[0];
    const uint8_t op = p[1];
    const uint8_t* d = p + 2;
    if (IsUpgradeCommand(CMD_FLASH, cmd)) {
        if (op == OP_ACK) ApplyUpgradeAck(CMD_FLASH, cmd, d[0], state.upgrade);
        return;
    }
    switch (cmd) {
        case FLASH_SCENE_SAVE:
            if (op == OP_ACK && d[0] == ACK_READY)
                Post(out, Target::Scene, WM_READ_SCENE_VALUE, d[1], int64_t{0});
            return;
        case FLASH_SCENE_DELETE:
            if (op == OP_ACK && d[0] == ACK_READY)
                Post(out, Target::Scene, WM_SCENE_DELETED, d[1], int64_t{0});
            return;
        case FLASH_SCENE_NAME: {
            if (op != OP_UPDATE) return;
            // data 0 scene number (1-based), data 1 to 16 the name. Erased flash reads as
            // all 0xFF and stands for "no name".
            auto r = std::make_unique<SceneNameValue>();
            r->index = static_cast<int32_t>(d[0]) - 1;
            const uint8_t* name = d + 1;
            const bool erased = std::all_of(name, name + 16, [](uint8_t b) { return b == 0xFF; });
            std::string bytes;
            char b[8];
            for (int i = 0; i < 16; ++i) {
                std::snprintf(b, sizeof b, "0x%02x, ", name[i]);
                bytes += b;
            }
            // The line is written in one call; the payload follows as a hex dump.
            LogWriteNarrow("scene_name->index(%d), name -->> %s\n m_payload: ", d[0],
                           bytes.c_str());
            LogHexBytes(p, static_cast<size_t>(n) + 2);
            if (!erased) std::copy(name, name + 16, r->name.begin());
            Post(out, Target::Main, WM_READ_SCENE_VALUE, FLASH_SCENE_NAME, std::move(r));
            return;
        }
        case FLASH_SCENE_ID:
            if (op != OP_UPDATE) return;
            LogWriteNarrow("FLASH_SCENE_ID current scene id = %d\n", d[0]);
            Post(out, Target::Scene, WM_READ_SCENE_ID, FLASH_SCENE_ID, static_cast<int64_t>(d[0]));
            return;
        case FLASH_SCENE_VALID: {
            if (op != OP_UPDATE) return;
            const int32_t mask = Be16(d);
            LogWriteNarrow("FLASH_SCENE_VALID valid scene = %d\n", mask);
            auto r = std::make_unique<Int32Value>();
            r->value = mask;
            Post(out, Target::Main, WM_READ_SCENE_VALUE, FLASH_SCENE_VALID, std::move(r));
            return;
        }
        case FLASH_SCENE_READ:
            return;
        case 0x02:
        case 0x03:
        case 0x04:
        case 0x05:
            return;  // firmware transfer acknowledgements belong to the upgrade
        default:
            LogWriteNarrow("!!! NOT SUPPORT MSG\n");
            return;
    }
}

void DecodeKtv(const uint8_t* p, uint8_t len, Postings& out) {
    if (DataLength(len) < 0) return;  // no operation byte: nothing to decode
    const uint8_t cmd = p[0];
    const uint8_t op = p[1];
    const uint8_t* d = p + 2;
    static const char* const kLines[] = {
        nullptr,
        "KTV MIC VOL OP=0x%x, scene=%d, src = %d, mic vol=%d\n",
        "KTV MUSIC_VOL OP=0x%x, scene=%d, src = %d, music vol=%d\n",
        "KTV HOWLING OP=0x%x, scene=%d, src = %d, howling=%d\n",
        "KTV ECHO LEVEL OP=0x%x, scene=%d, src = %d, level=%d\n",
        "KTV ECHO_DELAY OP=0x%x, scene=%d, src = %d, delay=%d\n",
        "KTV REVERB_LEVEL OP=0x%x, scene=%d, src = %d, REVERB_LEVEL=%d\n",
        "KTV REVERB_TIME OP=0x%x, scene=%d, src = %d, time=%d\n",
        "KTV VOICE_CHANGER OP=0x%x, scene=%d, src = %d, voice=%d\n",
    };
    if (cmd < KTV_MIC_VOL || cmd > KTV_TREBLE_GAIN) {
        LogWriteNarrow("!!! NOT SUPPORT MSG\n");
        return;
    }
    if (cmd == KTV_BASS_GAIN) {
        LogWriteNarrow("KTV_BASS_GAIN  low freq gain=%d\n", d[0]);
    } else if (cmd == KTV_TREBLE_GAIN) {
        LogWriteNarrow("KTV_TREBLE_GAIN treble gain=%d\n", d[0]);
    } else {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        LogWriteNarrow(kLines[cmd], op, d[0], d[1], d[2]);
#pragma GCC diagnostic pop
    }
    if (op != OP_UPDATE) return;
    int64_t value = d[0];
    if (cmd == KTV_ECHO_DELAY) value = Be16(d);
    if (cmd == KTV_BASS_GAIN || cmd == KTV_TREBLE_GAIN) value = S8(d[0]);
    Post(out, Target::Main, WM_READ_KTV_VALUE, cmd, value);
}

}  // namespace dvdsp::link::protocol
