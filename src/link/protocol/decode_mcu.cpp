// Replies of the microcontroller (CMD_MCU). Reply frame: AA 55 LEN 03 CMD OP DATA... SUM.
// Data by command:
//   08 hand-shake [0] F0 refused, else [1] model [2] master version [3] slave version
//   0B flash version [0..3]          0C bootloader version [0]
//   0D password [0] length n, n bytes, remark length m, m bytes
//   41 information [0] length n, n bytes        60 unit initialised, no data
//   91 power-off delay [0..1] ms (16-bit)       92 ignition delay [0], signed
//   93 keep-alive answer, no data
#include <algorithm>
#include <string>

#include "base/log.h"
#include "link/commands.h"
#include "link/protocol/decode.h"
#include "link/protocol/decode_common.h"
#include "link/protocol/units.h"
#include "link/protocol/upgrade.h"

namespace dvdsp::link::protocol {

using namespace decode;

namespace {

// The bytes as characters, for a log line.
std::string Chars(const uint8_t* b, int count) {
    return std::string(reinterpret_cast<const char*>(b), static_cast<size_t>(std::max(count, 0)));
}

}  // namespace

void DecodeMcu(const uint8_t* p, uint8_t len, LinkState& state, Postings& out) {
    // Data bytes present in the packet. Fixed-position fields always lie inside the
    // 60-byte payload buffer; variable-length ones are bounded by this count.
    const int dataLen = DataLength(len);
    if (dataLen < 0) return;  // no operation byte: nothing to decode
    const uint8_t cmd = p[0];
    const uint8_t op = p[1];
    const uint8_t* d = p + 2;
    if (IsUpgradeCommand(CMD_MCU, cmd)) {
        if (op == OP_ACK) ApplyUpgradeAck(CMD_MCU, cmd, d[0], state.upgrade);
        return;
    }
    switch (cmd) {
        case MCU_HANDSHAKE: {
            LogWriteNarrow("MCU_HANDSHAKE\n");
            if (op != OP_UPDATE) return;
            if (d[0] == 0xF0) {
                state.handshake_ok = 0;
                Post(out, Target::Main, WM_DEVICE_STATUS_UNNORMAL, 0, int64_t{0});
                return;
            }
            state.handshake_ok = 1;
            state.model = d[1];
            state.master_version = d[2];
            state.slave_version = d[3];
            LogWriteNarrow("model = %d, master verion = %d, slave verion = %d\n", d[1], d[2], d[3]);
            auto r = std::make_unique<HandshakeValue>();
            r->model = d[1];
            r->master = d[2];
            r->slave = d[3];
            Post(out, Target::Main, WM_READ_MCU_VALUE, MCU_HANDSHAKE, std::move(r));
            return;
        }
        case MCU_GET_DSPFLASH_VER: {
            LogWriteNarrow("MCU_GET_DSPFLASH_VER\n");
            if (op != OP_UPDATE) return;
            LogWriteNarrow("flashver = %02d%02d%02d%02d\n", d[0], d[1], d[2], d[3]);
            auto r = std::make_unique<FlashVersionValue>();
            for (int i = 0; i < 4; ++i) r->v[static_cast<size_t>(4 + i)] = d[i];
            Post(out, Target::Main, WM_READ_MCU_VALUE, MCU_GET_DSPFLASH_VER, std::move(r));
            return;
        }
        case MCU_BOOTLOADER_VER:
            if (op != OP_UPDATE) return;
            state.bootloader_version = d[0];
            return;
        case MCU_PASSWORD: {
            if (op != OP_UPDATE) return;
            // data 0 password length n, n password bytes, remark length m, m remark bytes.
            // Both are cut to what the packet carries and to the record's room.
            auto r = std::make_unique<PasswordValue>();
            const int n = std::min<int>(d[0], std::max(0, dataLen - 1));
            r->pwd_len = std::min<int>(n, static_cast<int>(r->pwd.size()));
            std::copy(d + 1, d + 1 + r->pwd_len, r->pwd.begin());
            LogWriteNarrow("password->len(%d),  pwd-->> %s\n", d[0], Chars(d + 1, n).c_str());
            const int mPos = 1 + n;
            const int mReported = mPos < dataLen ? d[mPos] : 0;
            const int m = std::min(mReported, std::max(0, dataLen - mPos - 1));
            const uint8_t* remark = d + std::min(mPos + 1, dataLen);
            r->remark_len = std::min<int>(m, static_cast<int>(r->remark.size()));
            std::copy(remark, remark + r->remark_len, r->remark.begin());
            LogWriteNarrow("password->remark_len(%d),  -->> %s\n", mReported,
                           Chars(remark, m).c_str());
            Post(out, Target::Main, WM_READ_MCU_VALUE, MCU_PASSWORD, std::move(r));
            return;
        }
        case MCU_INFO: {
            if (op != OP_UPDATE) return;
            auto r = std::make_unique<InfoStringValue>();
            const int n = std::min({static_cast<int>(d[0]), std::max(0, dataLen - 1),
                                    static_cast<int>(r->text.size())});
            r->len = static_cast<uint8_t>(n);
            std::copy(d + 1, d + 1 + n, r->text.begin());
            Post(out, Target::Main, WM_READ_MCU_VALUE, MCU_INFO, std::move(r));
            return;
        }
        case MCU_INIT:
            LogWriteNarrow("MCU INIT\n");
            return;
        case MCU_POWER_OFF_TIME:
            if (op != OP_UPDATE) return;
            Post(out, Target::Main, WM_READ_MCU_VALUE, MCU_POWER_OFF_TIME, int64_t{Be16(d)});
            return;
        case MCU_ACC:
            LogWriteNarrow("MCU_ACC OP=0x%x, delay = %d\n", op, S8(d[0]));
            if (op != OP_UPDATE) return;
            Post(out, Target::Main, WM_READ_MCU_VALUE, MCU_ACC, int64_t{S8(d[0])});
            return;
        case MCU_PING:
            LogWriteNarrow("\nMCU_PING\n");
            state.handshake_ok = 0;
            LogWriteNarrow("\n post WM_READ_MCU_VALUE + MCU_PING\n");
            Post(out, Target::Main, WM_READ_MCU_VALUE, MCU_PING, int64_t{0});
            return;
        case 0x05:
        case 0x06:
        case 0x07:
        case 0x0A:
        case MCU_PC_CONNECT:
        case MCU_REBOOT:
        case MCU_FACTORY_DEFAULT:
            return;
        case 0x01:
        case 0x02:
        case 0x03:
        case 0x04:
        case 0xA0:
        case 0xA1:
        case 0xA2:
        case 0xA3:
            return;  // firmware transfer acknowledgements belong to the upgrade
        default:
            LogWriteNarrow("!!! NOT SUPPORT MSG\n");
            return;
    }
}

}  // namespace dvdsp::link::protocol
