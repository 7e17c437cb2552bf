// Replies of the microcontroller (CMD_MCU).
#include <algorithm>

#include "app/log.h"
#include "link/commands.h"
#include "link/dsp_device.h"

namespace dvdsp::link {

void DspDevice::mcu_ack_process(const uint8_t* p, uint8_t len) {
    const uint8_t cmd = p[0];
    const uint8_t op = p[1];
    const uint8_t* d = p + 2;
    // Data bytes present in the packet. Fixed-position fields always lie inside the
    // 60-byte payload buffer; variable-length ones are bounded by this count.
    const int dataLen = std::max(0, static_cast<int>(len) - 3);
    switch (cmd) {
        case MCU_HANDSHAKE: {
            LogWriteNarrow("MCU_HANDSHAKE\n");
            if (op != OP_UPDATE) return;
            if (d[0] == 0xF0) {
                handshake_ok_ = 0;
                Post(Target::Main, WM_DEVICE_STATUS_UNNORMAL, 0, int64_t{0});
                return;
            }
            handshake_ok_ = 1;
            model_ = d[1];
            master_version_ = d[2];
            slave_version_ = d[3];
            LogWriteNarrow("model = %d, master verion = %d, slave verion = %d\n", d[1], d[2],
                           d[3]);
            auto r = std::make_unique<HandshakeValue>();
            r->model = d[1];
            r->master = d[2];
            r->slave = d[3];
            Post(Target::Main, WM_READ_MCU_VALUE, MCU_HANDSHAKE, std::move(r));
            return;
        }
        case MCU_GET_DSPFLASH_VER: {
            if (op != OP_UPDATE) return;
            LogWriteNarrow("MCU_GET_DSPFLASH_VER\n");
            LogWriteNarrow("flashver = %02d%02d%02d%02d\n", d[0], d[1], d[2], d[3]);
            auto r = std::make_unique<FlashVersionValue>();
            for (int i = 0; i < 4; ++i) r->v[static_cast<size_t>(4 + i)] = d[i];
            Post(Target::Main, WM_READ_MCU_VALUE, MCU_GET_DSPFLASH_VER, std::move(r));
            return;
        }
        case MCU_BOOTLOADER_VER:
            if (op != OP_UPDATE) return;
            bootloader_version_ = d[0];
            return;
        case MCU_PASSWORD: {
            if (op != OP_UPDATE) return;
            auto r = std::make_unique<PasswordValue>();
            // Lengths are bounded by both the packet and the record.
            int n = std::min<int>(d[0], std::max(0, dataLen - 1));
            r->pwd_len = std::min<int>(n, static_cast<int>(r->pwd.size()));
            LogWriteNarrow("password->len(%d),  pwd-->> ", d[0]);
            for (int i = 0; i < r->pwd_len; ++i) r->pwd[static_cast<size_t>(i)] = static_cast<char>(d[1 + i]);
            LogWriteNarrow("%.*s\n", r->pwd_len, r->pwd.data());
            int mPos = 1 + n;
            int m = mPos < dataLen ? std::min<int>(d[mPos], std::max(0, dataLen - mPos - 1)) : 0;
            r->remark_len = std::min<int>(m, static_cast<int>(r->remark.size()));
            LogWriteNarrow("password->remark_len(%d),  -->> ", mPos < dataLen ? d[mPos] : 0);
            for (int i = 0; i < r->remark_len; ++i)
                r->remark[static_cast<size_t>(i)] = static_cast<char>(d[mPos + 1 + i]);
            LogWriteNarrow("%.*s\n", r->remark_len, r->remark.data());
            Post(Target::Main, WM_READ_MCU_VALUE, MCU_PASSWORD, std::move(r));
            return;
        }
        case MCU_INFO: {
            if (op != OP_UPDATE) return;
            auto r = std::make_unique<InfoStringValue>();
            int n = std::min<int>(d[0], std::max(0, dataLen - 1));
            n = std::min<int>(n, static_cast<int>(r->text.size()));
            r->len = static_cast<uint8_t>(n);
            for (int i = 0; i < n; ++i) r->text[static_cast<size_t>(i)] = static_cast<char>(d[1 + i]);
            Post(Target::Main, WM_READ_MCU_VALUE, MCU_INFO, std::move(r));
            return;
        }
        case MCU_INIT:
            LogWriteNarrow("MCU INIT\n");
            return;
        case MCU_POWER_OFF_TIME:
            if (op != OP_UPDATE) return;
            Post(Target::Main, WM_READ_MCU_VALUE, MCU_POWER_OFF_TIME,
                 static_cast<int64_t>((d[0] << 8) | d[1]));
            return;
        case MCU_ACC:
            LogWriteNarrow("MCU_ACC OP=0x%x, delay = %d\n", op, d[0]);
            if (op != OP_UPDATE) return;
            Post(Target::Main, WM_READ_MCU_VALUE, MCU_ACC, static_cast<int64_t>(static_cast<int8_t>(d[0])));
            return;
        case MCU_PING:
            LogWriteNarrow("\nMCU_PING\n");
            handshake_ok_ = 0;
            LogWriteNarrow("\n post WM_READ_MCU_VALUE + MCU_PING\n");
            Post(Target::Main, WM_READ_MCU_VALUE, MCU_PING, int64_t{0});
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

}  // namespace dvdsp::link
