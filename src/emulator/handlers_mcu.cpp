// The microcontroller's commands: versions, password, information string, power-off
// delay, ACC, reboot and factory default.
#include <algorithm>

#include "emulator/virtual_unit.h"
#include "emulator/wire_util.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::emu {

using namespace dvdsp::link;

namespace {
constexpr size_t kMaxPassword = 12;
constexpr size_t kMaxRemark = 20;
}  // namespace

void VirtualUnit::RegisterMcuCommands() {
    On(CMD_MCU, MCU_GET_DSPFLASH_VER, OP_GET,
       [this](const uint8_t*, size_t, std::vector<Packet>& out) {
           const auto& v = identity_.flashVersion;
           out.push_back(Reply(CMD_MCU, MCU_GET_DSPFLASH_VER, OP_UPDATE, {v[0], v[1], v[2], v[3]}));
       });
    On(CMD_MCU, MCU_BOOTLOADER_VER, OP_GET,
       [this](const uint8_t*, size_t, std::vector<Packet>& out) {
           out.push_back(
               Reply(CMD_MCU, MCU_BOOTLOADER_VER, OP_UPDATE, {identity_.bootloaderVersion}));
       });

    // SetPWD: password length, password, remark length, remark. The unit keeps up to 12
    // password and 20 remark bytes; a command whose lengths overrun its data is refused.
    On(CMD_MCU, MCU_PASSWORD, OP_SET, [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
        const size_t pwdLen = n >= 1 ? d[0] : 0;
        if (n < 2 || 1 + pwdLen + 1 > n || 2 + pwdLen + d[1 + pwdLen] > n) {
            out.push_back(Ack(CMD_MCU, MCU_PASSWORD, ACK_NOT_READY));
            return;
        }
        const size_t remarkLen = d[1 + pwdLen];
        const char* p = reinterpret_cast<const char*>(d + 1);
        const char* r = reinterpret_cast<const char*>(d + 2 + pwdLen);
        state_.device.password.assign(p, std::min(pwdLen, kMaxPassword));
        state_.device.remark.assign(r, std::min(remarkLen, kMaxRemark));
        Changed(true);
        out.push_back(Ack(CMD_MCU, MCU_PASSWORD));
    });
    On(CMD_MCU, MCU_PASSWORD, OP_GET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        const std::string& p = state_.device.password;
        const std::string& r = state_.device.remark;
        std::vector<uint8_t> v{static_cast<uint8_t>(p.size())};
        v.insert(v.end(), p.begin(), p.end());
        v.push_back(static_cast<uint8_t>(r.size()));
        v.insert(v.end(), r.begin(), r.end());
        out.push_back(Reply(CMD_MCU, MCU_PASSWORD, OP_UPDATE, std::move(v)));
    });

    On(CMD_MCU, MCU_INFO, OP_GET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        const size_t len = std::min<size_t>(identity_.info.size(), 16);
        std::vector<uint8_t> v{static_cast<uint8_t>(len)};
        v.insert(v.end(), identity_.info.begin(), identity_.info.begin() + static_cast<long>(len));
        out.push_back(Reply(CMD_MCU, MCU_INFO, OP_UPDATE, std::move(v)));
    });

    On(CMD_MCU, MCU_POWER_OFF_TIME, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 2) {
               out.push_back(Ack(CMD_MCU, MCU_POWER_OFF_TIME, ACK_NOT_READY));
               return;
           }
           state_.device.powerOffMs = Be16(d);
           Changed(true);
           out.push_back(Ack(CMD_MCU, MCU_POWER_OFF_TIME));
       });
    On(CMD_MCU, MCU_POWER_OFF_TIME, OP_GET,
       [this](const uint8_t*, size_t, std::vector<Packet>& out) {
           std::vector<uint8_t> v;
           PutBe16(v, state_.device.powerOffMs);
           out.push_back(Reply(CMD_MCU, MCU_POWER_OFF_TIME, OP_UPDATE, std::move(v)));
       });
    On(CMD_MCU, MCU_ACC, OP_SET, [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
        if (n < 1) {
            out.push_back(Ack(CMD_MCU, MCU_ACC, ACK_NOT_READY));
            return;
        }
        state_.device.acc = d[0];
        Changed(true);
        out.push_back(Ack(CMD_MCU, MCU_ACC));
    });
    On(CMD_MCU, MCU_ACC, OP_GET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        out.push_back(Reply(CMD_MCU, MCU_ACC, OP_UPDATE, {state_.device.acc}));
    });

    // Reboot: the unit acknowledges, then forgets what does not survive a power cycle.
    On(CMD_MCU, MCU_REBOOT, OP_SET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        ++reboots_;
        pcAttached_ = false;
        preparedScene_ = 0;
        irc_ = Calibration{};
        memory_.clear();
        dspStatus_ = 1;
        out.push_back(Ack(CMD_MCU, MCU_REBOOT));
        // Out of its loader the unit goes away for a moment and comes back running what
        // it holds; a plain reboot of the running application is taken as instant.
        if (state_.firmware.loader) Reboot(false);
    });
    On(CMD_MCU, MCU_FACTORY_DEFAULT, OP_SET,
       [this](const uint8_t*, size_t, std::vector<Packet>& out) {
           FactoryReset();
           out.push_back(Ack(CMD_MCU, MCU_FACTORY_DEFAULT));
           Reboot(false);  // the unit restarts with its factory settings
       });
}

}  // namespace dvdsp::emu
