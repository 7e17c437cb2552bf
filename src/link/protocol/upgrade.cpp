#include "link/protocol/upgrade.h"

#include <algorithm>

#include "base/log.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::link::protocol {

namespace {

void PutBe32(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x >> 24));
    v.push_back(static_cast<uint8_t>(x >> 16));
    v.push_back(static_cast<uint8_t>(x >> 8));
    v.push_back(static_cast<uint8_t>(x));
}

Frame Mcu(uint8_t cmd, std::vector<uint8_t> data = {}) {
    return Frame{CMD_MCU, cmd, OP_SET, std::move(data)};
}

}  // namespace

Frame McuUpgradeEnter(bool bootloader) {
    if (!bootloader) LogWriteNarrow("MCU_Enter_Upg_Mode\n");
    return Mcu(bootloader ? MCU_BL_ENTER : MCU_ENTER_UPG);
}

Frame McuUpgradeStart(bool bootloader, const std::array<uint8_t, 4>& header) {
    return Mcu(bootloader ? MCU_BL_START : MCU_UPG_START, {header.begin(), header.end()});
}

Frame McuUpgradeData(bool bootloader, uint32_t offset, std::span<const uint8_t> bytes) {
    std::vector<uint8_t> d;
    d.reserve(4 + kMcuBlockSize);
    PutBe32(d, offset);
    const size_t n = std::min(bytes.size(), kMcuBlockSize);
    d.insert(d.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    d.resize(4 + kMcuBlockSize, 0);
    return Mcu(bootloader ? MCU_BL_DATA : MCU_UPG_DATA, std::move(d));
}

Frame McuUpgradeFinish(bool bootloader) {
    return Mcu(bootloader ? MCU_BL_FINISH : MCU_UPG_FINISH);
}

Frame FlashChipErase() {
    return Frame{CMD_FLASH, FLASH_CHIP_ERASE, OP_SET, {}};
}

Frame FlashUpgradeStart(const std::array<uint8_t, 4>& header) {
    return Frame{CMD_FLASH, FLASH_UPG_START, OP_SET, {header.begin(), header.end()}};
}

Frame FlashUpgradeData(uint32_t offset, std::span<const uint8_t> bytes) {
    const size_t n = std::min(bytes.size(), kFlashBlockMax);
    std::vector<uint8_t> d;
    d.reserve(5 + n);
    PutBe32(d, offset);
    d.push_back(static_cast<uint8_t>(n));
    d.insert(d.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    return Frame{CMD_FLASH, FLASH_UPG_DATA, OP_SET, std::move(d)};
}

Frame FlashUpgradeFinish() {
    return Frame{CMD_FLASH, FLASH_UPG_FINISH, OP_SET, {}};
}

bool IsUpgradeCommand(uint8_t type, uint8_t cmd) {
    if (type == CMD_FLASH) return cmd >= FLASH_CHIP_ERASE && cmd <= FLASH_UPG_FINISH;
    if (type == CMD_MCU)
        return (cmd >= MCU_ENTER_UPG && cmd <= MCU_UPG_FINISH) ||
               (cmd >= MCU_BL_ENTER && cmd <= MCU_BL_FINISH);
    return false;
}

void ApplyUpgradeAck(uint8_t type, uint8_t cmd, uint8_t ack, UpgradeStatus& st) {
    const int32_t s = st.Get();
    const bool ready = ack == ACK_READY;
    const bool notReady = ack == ACK_NOT_READY;
    if (type == CMD_FLASH) {
        switch (cmd) {
        case FLASH_CHIP_ERASE:
            if (ready && s == UPG_START) {
                st.Set(UPG_ERASED);
                LogWriteNarrow("FLASH CHIP ERASE: ACK_READY\n\n");
            } else if (notReady) {
                st.Set(UPG_FAIL);
                LogWriteNarrow("FLASH CHIP ERASE: ACK_NOT_READY\n\n");
            }
            return;
        case FLASH_UPG_START:
            if (ready && s == UPG_START) {
                st.Set(UPG_SEND_BIN_DATA);
                LogWriteNarrow("FLASH UPG_START: ACK_READY\n\n");
            } else if (notReady) {
                st.Set(UPG_FAIL);
                LogWriteNarrow("FLASH UPG_START: ACK_NOT_READY\n\n");
            }
            return;
        case FLASH_UPG_DATA:
            if (s != UPG_WAITING_BIN_DATA_ACK) return;
            if (ready) {
                st.Set(UPG_SEND_BIN_DATA);
                LogWriteNarrow("UPG_WAITING_BIN_DATA_ACK: ACK_READY\n\n");
            } else if (notReady) {
                st.SetPhase(kStepReplyExpected);
                LogWriteNarrow("!!!!! NOT_READY !!!!!!\n\n");
            }
            return;
        case FLASH_UPG_FINISH:
            if (ready && s == UPG_FINISH) LogWriteNarrow("UPG_FINISH: ACK_READY\n");
            return;
        default:
            return;
        }
    }
    if (type != CMD_MCU) return;
    switch (cmd) {
    case MCU_ENTER_UPG:
    case MCU_BL_ENTER:
        if (ready) st.Set(UPG_START);
        return;
    case MCU_UPG_START:
    case MCU_BL_START:
        if (ready) {
            st.Set(UPG_SEND_BIN_DATA);
            LogWriteNarrow("MCU_UPG_START: ACK_READY\n\n");
        } else {
            st.Set(UPG_FAIL);
            LogWriteNarrow("MCU_UPG_START: ACK_NOT_READY\n\n");
        }
        return;
    case MCU_UPG_DATA:
    case MCU_BL_DATA:
        if (s != UPG_WAITING_BIN_DATA_ACK) return;
        if (ready) {
            st.Set(UPG_SEND_BIN_DATA);
            LogWriteNarrow("MCU UPG_WAITING_BIN_DATA_ACK: ACK_READY\n\n");
        } else if (notReady) {
            st.SetPhase(kStepReplyExpected);
            LogWriteNarrow("MCU !!!!! NOT_READY !!!!!!\n\n");
        }
        return;
    case MCU_UPG_FINISH:
    case MCU_BL_FINISH:
        if (ready && s == UPG_FINISH) LogWriteNarrow("MCU UPG_FINISH: ACK_READY\n\n");
        return;
    default:
        return;
    }
}

}  // namespace dvdsp::link::protocol
