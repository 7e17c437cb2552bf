// The firmware transfer as the unit's loader takes it.
//
// MCU_Enter_Upg_Mode from the running application reboots the unit into its loader (it
// goes away and comes back a moment later); in the loader the same command is only
// acknowledged. The loader answers the hand-shake with a refusal, so a program finds a
// unit left there by an interrupted transfer and can run the transfer again.
//
// The MCU image: the start command carries the image's four header bytes, of which the
// first two are the firmware version (main, slave) that the unit reports after it runs
// the new image (`dvdsp-cli firmware make mcu --version 2.28` writes them). Accepting the
// start erases the application, so from then on the unit boots into its loader until a
// transfer completes. Blocks come from the end of the payload to its start; the finish
// installs the image when the blocks cover it without a gap (offset 0 down from the first
// block) and reboots into it.
//
// The DSP image: its four header bytes are the flash version. Blocks come in order from
// offset 0; the finish records the version when they were contiguous; MCU_Reboot_Ctrl
// then leaves the loader.
//
// The bootloader image is taken from the running application: header byte 0 becomes the
// bootloader version, and the unit stays where it is.
#include <algorithm>
#include <utility>

#include "emulator/virtual_unit.h"
#include "emulator/wire_util.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::emu {

using namespace dvdsp::link;

namespace {

// The largest DSP image the flash takes.
constexpr uint32_t kMaxFlashImage = 0x200000;

uint32_t Be32(const uint8_t* d) {
    return (uint32_t{d[0]} << 24) | (uint32_t{d[1]} << 16) | (uint32_t{d[2]} << 8) | d[3];
}

}  // namespace

void VirtualUnit::Reboot(bool intoLoader) {
    rebootRequest_ = rebootDowntimeMs_;
    bootIntoLoader_ = intoLoader;
}

void VirtualUnit::PowerOn() {
    std::lock_guard lock(mutex_);
    pcAttached_ = false;
    // A loader that holds a good application starts it; one whose transfer was cut off
    // stays, waiting for the next attempt.
    if (std::exchange(bootIntoLoader_, false)) return;
    if (state_.firmware.loader && state_.firmware.appValid) {
        state_.firmware.loader = false;
        Changed(true);
    }
}

void VirtualUnit::InstallMcu() {
    identity_.fwMain = transfer_.header[0];
    identity_.fwSub = transfer_.header[1];
    state_.firmware.mcuMain = transfer_.header[0];
    state_.firmware.mcuSub = transfer_.header[1];
    state_.firmware.appValid = true;
    Changed(true);
}

void VirtualUnit::RegisterUpgradeCommands() {
    using Kind = Transfer::Kind;
    auto notReadyThenReady = [this](uint8_t type, uint8_t cmd, std::vector<Packet>& out) {
        if (notReadyBlocks_ > 0) {
            --notReadyBlocks_;
            out.push_back(Ack(type, cmd, ACK_NOT_READY));
            late_.push_back(Ack(type, cmd, ACK_READY));
            return;
        }
        out.push_back(Ack(type, cmd, ACK_READY));
    };

    // Upgrade mode.
    On(CMD_MCU, MCU_ENTER_UPG, OP_SET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        out.push_back(Ack(CMD_MCU, MCU_ENTER_UPG, ACK_READY));
        if (!state_.firmware.loader) {
            state_.firmware.loader = true;
            Changed(true);
            Reboot(true);
        }
    });
    On(CMD_MCU, MCU_BL_ENTER, OP_SET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        out.push_back(Ack(CMD_MCU, MCU_BL_ENTER, ACK_READY));
    });

    // Start: the header of the image; the MCU start needs the loader.
    auto start = [this](uint8_t type, uint8_t cmd, Kind kind) {
        On(type, cmd, OP_SET, [this, type, cmd, kind](const uint8_t* d, size_t n, std::vector<Packet>& out) {
            const bool needsLoader = kind != Kind::Bootloader;
            if (n < 4 || refuseStarts_ > 0 || (needsLoader && !state_.firmware.loader)) {
                if (refuseStarts_ > 0) --refuseStarts_;
                out.push_back(Ack(type, cmd, ACK_NOT_READY));
                return;
            }
            transfer_ = Transfer{};
            transfer_.kind = kind;
            std::copy(d, d + 4, transfer_.header.begin());
            if (kind == Kind::Mcu && state_.firmware.appValid) {
                state_.firmware.appValid = false;  // the application is erased now
                Changed(true);
            }
            out.push_back(Ack(type, cmd, ACK_READY));
        });
    };
    start(CMD_MCU, MCU_UPG_START, Kind::Mcu);
    start(CMD_MCU, MCU_BL_START, Kind::Bootloader);
    start(CMD_FLASH, FLASH_UPG_START, Kind::Flash);

    // MCU and bootloader data: offset (4, big-endian) and 32 bytes.
    auto mcuData = [this, notReadyThenReady](uint8_t cmd, Kind kind) {
        On(CMD_MCU, cmd, OP_SET, [this, cmd, kind, notReadyThenReady](const uint8_t* d, size_t n,
                                                                       std::vector<Packet>& out) {
            if (n < 36 || transfer_.kind != kind) {
                out.push_back(Ack(CMD_MCU, cmd, ACK_NOT_READY));
                return;
            }
            std::array<uint8_t, 32> block{};
            std::copy(d + 4, d + 36, block.begin());
            transfer_.mcuBlocks[Be32(d)] = block;
            notReadyThenReady(CMD_MCU, cmd, out);
        });
    };
    mcuData(MCU_UPG_DATA, Kind::Mcu);
    mcuData(MCU_BL_DATA, Kind::Bootloader);

    // Finish: the blocks must cover the image from offset 0 up without a gap.
    auto mcuComplete = [this] {
        const auto& blocks = transfer_.mcuBlocks;
        if (blocks.empty() || blocks.begin()->first != 0) return false;
        uint32_t expect = 0;
        for (const auto& [offset, bytes] : blocks) {
            if (offset != expect) return false;
            expect += 32;
        }
        return true;
    };
    On(CMD_MCU, MCU_UPG_FINISH, OP_SET, [this, mcuComplete](const uint8_t*, size_t, std::vector<Packet>& out) {
        if (transfer_.kind != Kind::Mcu || !mcuComplete()) {
            out.push_back(Ack(CMD_MCU, MCU_UPG_FINISH, ACK_NOT_READY));
            return;
        }
        out.push_back(Ack(CMD_MCU, MCU_UPG_FINISH, ACK_READY));
        InstallMcu();
        transfer_ = Transfer{};
        state_.firmware.loader = false;
        Reboot(false);
    });
    On(CMD_MCU, MCU_BL_FINISH, OP_SET, [this, mcuComplete](const uint8_t*, size_t, std::vector<Packet>& out) {
        if (transfer_.kind != Kind::Bootloader || !mcuComplete()) {
            out.push_back(Ack(CMD_MCU, MCU_BL_FINISH, ACK_NOT_READY));
            return;
        }
        out.push_back(Ack(CMD_MCU, MCU_BL_FINISH, ACK_READY));
        identity_.bootloaderVersion = transfer_.header[0];
        state_.firmware.bootloader = transfer_.header[0];
        transfer_ = Transfer{};
        Changed(true);
    });

    // DSP flash.
    On(CMD_FLASH, FLASH_CHIP_ERASE, OP_SET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        out.push_back(Ack(CMD_FLASH, FLASH_CHIP_ERASE, ACK_READY));
    });
    On(CMD_FLASH, FLASH_UPG_DATA, OP_SET,
       [this, notReadyThenReady](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 5 || transfer_.kind != Kind::Flash || n < 5 + size_t{d[4]} || d[4] > 50) {
               out.push_back(Ack(CMD_FLASH, FLASH_UPG_DATA, ACK_NOT_READY));
               return;
           }
           const uint32_t offset = Be32(d);
           const size_t count = d[4];
           if (offset > kMaxFlashImage) {
               out.push_back(Ack(CMD_FLASH, FLASH_UPG_DATA, ACK_NOT_READY));
               return;
           }
           std::vector<uint8_t>& img = transfer_.flash;
           if (offset > img.size()) transfer_.flashGap = true;
           if (offset + count > img.size()) img.resize(offset + count, 0xFF);
           std::copy(d + 5, d + 5 + count, img.begin() + offset);
           notReadyThenReady(CMD_FLASH, FLASH_UPG_DATA, out);
       });
    On(CMD_FLASH, FLASH_UPG_FINISH, OP_SET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        if (transfer_.kind != Kind::Flash || transfer_.flashGap) {
            out.push_back(Ack(CMD_FLASH, FLASH_UPG_FINISH, ACK_NOT_READY));
            return;
        }
        out.push_back(Ack(CMD_FLASH, FLASH_UPG_FINISH, ACK_READY));
        identity_.flashVersion = transfer_.header;
        state_.firmware.flash = transfer_.header;
        transfer_ = Transfer{};
        Changed(true);
    });
}

void VirtualUnit::SetUpgradeNotReady(int blocks) {
    std::lock_guard lock(mutex_);
    notReadyBlocks_ = std::max(blocks, 0);
}
void VirtualUnit::RefuseUpgradeStart(int count) {
    std::lock_guard lock(mutex_);
    refuseStarts_ = std::max(count, 0);
}
void VirtualUnit::SetRebootDowntimeMs(uint32_t ms) {
    std::lock_guard lock(mutex_);
    rebootDowntimeMs_ = std::max<uint32_t>(ms, 1);
}
uint32_t VirtualUnit::TakeRebootRequest() {
    std::lock_guard lock(mutex_);
    return std::exchange(rebootRequest_, 0);
}
std::vector<Packet> VirtualUnit::TakeLateReplies() {
    std::lock_guard lock(mutex_);
    return std::exchange(late_, {});
}
size_t VirtualUnit::UpgradeBlocksTaken() const {
    std::lock_guard lock(mutex_);
    return transfer_.mcuBlocks.size();
}

}  // namespace dvdsp::emu
