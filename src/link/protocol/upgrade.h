#pragma once
// Frames of the firmware transfer and the effect of its acknowledgements. Every command
// goes out with OP_SET:
//   CMD_MCU   01 enter upgrade mode   02 start [header 4]   03 data [offset 4 BE][32 bytes]
//             04 finish               A0..A3 the same four for the MCU's bootloader
//             8F reboot
//   CMD_FLASH 02 chip erase   03 start [DSP header 4]
//             04 data [offset 4 BE][count 1][count bytes, at most 50]   05 finish
// The unit answers with OP_ACK, data [0] ACK_READY (0A) or ACK_NOT_READY (60).

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "link/protocol/frame.h"
#include "link/upgrade_status.h"

namespace dvdsp::link::protocol {

inline constexpr size_t kMcuBlockSize = 32;
inline constexpr size_t kFlashBlockMax = 50;

// `bootloader` picks the A0..A3 commands of the bootloader's own transfer.
Frame McuUpgradeEnter(bool bootloader);
Frame McuUpgradeStart(bool bootloader, const std::array<uint8_t, 4>& header);
// Always 36 bytes: `bytes` (at most 32) padded with zeros.
Frame McuUpgradeData(bool bootloader, uint32_t offset, std::span<const uint8_t> bytes);
Frame McuUpgradeFinish(bool bootloader);
Frame FlashChipErase();
Frame FlashUpgradeStart(const std::array<uint8_t, 4>& header);
// At most 50 bytes go into one frame; more are not sent.
Frame FlashUpgradeData(uint32_t offset, std::span<const uint8_t> bytes);
Frame FlashUpgradeFinish();

// True when (type, cmd) is a command of the transfer, whose acknowledgement goes to
// ApplyUpgradeAck.
bool IsUpgradeCommand(uint8_t type, uint8_t cmd);
// What an acknowledgement of the transfer does to the upgrade status (and the step phase),
// with its log line; replies that match no case change nothing.
void ApplyUpgradeAck(uint8_t type, uint8_t cmd, uint8_t ackStatus, UpgradeStatus& status);

}  // namespace dvdsp::link::protocol
