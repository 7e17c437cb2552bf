#include "emulator/virtual_unit.h"

#include "base/log.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::emu {

using namespace dvdsp::link;

namespace {

bool LoaderAnswers(uint8_t type, uint8_t cmd) {
    if (type == CMD_FLASH) return cmd >= FLASH_CHIP_ERASE && cmd <= FLASH_UPG_FINISH;
    if (type != CMD_MCU) return false;
    switch (cmd) {
    case MCU_ENTER_UPG: case MCU_UPG_START: case MCU_UPG_DATA: case MCU_UPG_FINISH:
    case MCU_BL_ENTER: case MCU_BL_START: case MCU_BL_DATA: case MCU_BL_FINISH:
    case MCU_HANDSHAKE: case MCU_PC_CONNECT: case MCU_PING: case MCU_BOOTLOADER_VER:
    case MCU_REBOOT:
        return true;
    default:
        return false;
    }
}

// Live-setting changes are written at most this often; scene and MCU changes at once.
constexpr uint64_t kLiveSaveIntervalMs = 500;
}  // namespace

VirtualUnit::VirtualUnit(link::Clock& clock) : clock_(clock), state_(DefaultUnitState()) {
    RegisterLinkCommands();
    RegisterGlobalCommands();
    RegisterOutputCommands();
    RegisterOutputGroupCommands();
    RegisterInputMixCommands();
    RegisterSceneCommands();
    RegisterMcuCommands();
    RegisterUpgradeCommands();
    RegisterIrcCommands();
    RegisterKtvCommands();
}

VirtualUnit::~VirtualUnit() {
    FlushState();
}

void VirtualUnit::On(uint8_t type, uint8_t cmd, uint8_t op, Handler h) {
    handlers_[CommandKey{type, cmd, op}] = std::move(h);
}

Packet VirtualUnit::Reply(uint8_t type, uint8_t cmd, uint8_t op, std::vector<uint8_t> data) {
    return BuildReplyPacket(type, cmd, op, data.data(), data.size());
}

Packet VirtualUnit::Ack(uint8_t type, uint8_t cmd, uint8_t status, uint8_t value) {
    uint8_t d[2] = {status, value};
    return BuildReplyPacket(type, cmd, OP_ACK, d, 2);
}

std::vector<Packet> VirtualUnit::HandleReport(const uint8_t* r, size_t n) {
    std::lock_guard lock(mutex_);
    std::vector<Packet> out;
    // Frame: AA 55 LEN type cmd op data... checksum
    if (r == nullptr || n < 7 || r[0] != kSync1 || r[1] != kSync2 || r[2] < 3 ||
        static_cast<size_t>(r[2]) + 4 > n) {
        ++malformed_;
        return out;
    }
    const uint8_t len = r[2];
    uint32_t sum = 0;
    for (size_t i = 2; i < static_cast<size_t>(len) + 4; ++i) sum += r[i];
    if ((sum & 0xFF) != 0) {
        ++malformed_;
        return out;
    }
    const uint8_t type = r[3], cmd = r[4], op = r[5];
    const uint8_t* data = r + 6;
    const size_t dataLen = static_cast<size_t>(len) - 3;
    auto it = handlers_.find(CommandKey{type, cmd, op});
    // The loader knows only the transfer and a few link commands.
    if (it == handlers_.end() || (state_.firmware.loader && !LoaderAnswers(type, cmd))) {
        // Counted; only the first few are kept, so a long run cannot grow without bound.
        ++unknownCount_;
        if (unknown_.size() < kKeptUnknownCommands) unknown_.push_back(CommandKey{type, cmd, op});
        return out;  // a unit says nothing to a command it does not know
    }
    ++handled_;
    if (received_.size() >= kKeptCommands) received_.pop_front();
    received_.push_back(ReceivedCommand{CommandKey{type, cmd, op}, std::vector<uint8_t>(data, data + dataLen)});
    it->second(data, dataLen, out);
    MaybeSave();
    return out;
}

void VirtualUnit::RegisterLinkCommands() {
    On(CMD_MCU, MCU_HANDSHAKE, OP_SET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        if (identity_.refuseHandshake || state_.firmware.loader) {
            out.push_back(Reply(CMD_MCU, MCU_HANDSHAKE, OP_UPDATE, {0xF0, 0, 0, 0}));
            return;
        }
        out.push_back(Reply(CMD_MCU, MCU_HANDSHAKE, OP_UPDATE,
                            {0x00, identity_.model, identity_.fwMain, identity_.fwSub}));
    });
    On(CMD_MCU, MCU_PC_CONNECT, OP_SET, [this](const uint8_t* d, size_t n, std::vector<Packet>&) {
        pcAttached_ = n > 0 && d[0] != 0;  // no answer
    });
    On(CMD_MCU, MCU_PING, OP_SET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        ++pings_;
        out.push_back(Ack(CMD_MCU, MCU_PING));
    });
}

void VirtualUnit::Changed(bool flash) {
    dirty_ = true;
    if (flash) flashDirty_ = true;
}

void VirtualUnit::MaybeSave() {
    if (!dirty_ || !stateFile_.Held()) return;
    const uint64_t now = clock_.NowMs();
    if (!flashDirty_ && now - lastSaveMs_ < kLiveSaveIntervalMs) return;
    std::string why;
    if (!SaveStateNow(&why)) LogWriteNarrow("virtual unit: %s\n", why.c_str());
}

bool VirtualUnit::FlushState(std::string* why) {
    std::lock_guard lock(mutex_);
    if (!dirty_ || !stateFile_.Held()) return true;
    std::string reason;
    if (SaveStateNow(&reason)) return true;
    LogWriteNarrow("virtual unit: %s\n", reason.c_str());
    if (why) *why = reason;
    return false;
}

void VirtualUnit::FactoryReset() {
    std::lock_guard lock(mutex_);
    const FirmwareRecord firmware = state_.firmware;
    state_ = DefaultUnitState();
    state_.firmware = firmware;
    preparedScene_ = 0;
    irc_ = Calibration{};
    memory_.clear();
    Changed(true);
    MaybeSave();
}

uint64_t VirtualUnit::CommandsHandled() const {
    std::lock_guard lock(mutex_);
    return handled_;
}
std::vector<VirtualUnit::ReceivedCommand> VirtualUnit::ReceivedCommands() const {
    std::lock_guard lock(mutex_);
    return {received_.begin(), received_.end()};
}
std::vector<std::vector<uint8_t>> VirtualUnit::Received(uint8_t type, uint8_t cmd, uint8_t op) const {
    std::lock_guard lock(mutex_);
    std::vector<std::vector<uint8_t>> out;
    for (const ReceivedCommand& c : received_)
        if (c.key == CommandKey{type, cmd, op}) out.push_back(c.data);
    return out;
}
uint64_t VirtualUnit::UnknownCommands() const {
    std::lock_guard lock(mutex_);
    return unknownCount_;
}
std::vector<CommandKey> VirtualUnit::UnknownCommandList() const {
    std::lock_guard lock(mutex_);
    return unknown_;
}
uint64_t VirtualUnit::MalformedReports() const {
    std::lock_guard lock(mutex_);
    return malformed_;
}
bool VirtualUnit::PcAttached() const {
    std::lock_guard lock(mutex_);
    return pcAttached_;
}
int VirtualUnit::PingCount() const {
    std::lock_guard lock(mutex_);
    return pings_;
}
int VirtualUnit::RebootCount() const {
    std::lock_guard lock(mutex_);
    return reboots_;
}
bool VirtualUnit::InUpgradeMode() const {
    std::lock_guard lock(mutex_);
    return state_.firmware.loader;
}
uint8_t VirtualUnit::PreparedScene() const {
    std::lock_guard lock(mutex_);
    return preparedScene_;
}
void VirtualUnit::SetCalibrationFailure(int code) {
    std::lock_guard lock(mutex_);
    ircFailure_ = (code >= 0 && code <= 5) ? code : -1;
}
void VirtualUnit::SetCalibrationStepMs(uint32_t ms) {
    std::lock_guard lock(mutex_);
    ircStepMs_ = ms == 0 ? 1 : ms;
}
Calibration VirtualUnit::CalibrationState() {
    std::lock_guard lock(mutex_);
    UpdateCalibration();
    return irc_;
}
void VirtualUnit::SetDspStatus(uint8_t on) {
    std::lock_guard lock(mutex_);
    dspStatus_ = on;
}
Packet VirtualUnit::DspStatusReport() const {
    std::lock_guard lock(mutex_);
    return Reply(CMD_DSP, DSP_DSP_STATUS, OP_UPDATE, {dspStatus_});
}
size_t VirtualUnit::MemoryWords() const {
    std::lock_guard lock(mutex_);
    return memory_.size();
}

}  // namespace dvdsp::emu
