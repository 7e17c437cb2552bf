#include "link/protocol/frame.h"

#include <algorithm>

#include "base/log.h"
#include "link/protocol/decode.h"

namespace dvdsp::link::protocol {

void Post(Postings& out, Target target, uint32_t msg, uint32_t wparam, int64_t value) {
    Posting p;
    p.target = target;
    p.message.msg = msg;
    p.message.wparam = wparam;
    p.message.value = value;
    out.push_back(std::move(p));
}

void Post(Postings& out, Target target, uint32_t msg, uint32_t wparam,
          std::unique_ptr<Record> record) {
    Posting p;
    p.target = target;
    p.message.msg = msg;
    p.message.wparam = wparam;
    p.message.record = std::move(record);
    out.push_back(std::move(p));
}

Postings DecodeReply(uint8_t len, uint8_t type, const uint8_t* payload,
                     const DeviceProfile& profile, LinkState& state) {
    Postings out;
    switch (type) {
        case CMD_DSP:
            LogWriteNarrow("packet_process: packet_type(CMD_DSP)\n");
            DecodeDsp(payload, len, profile, state, out);
            break;
        case CMD_FLASH:
            LogWriteNarrow("packet_process: packet_type(CMD_FLASH)\n");
            DecodeFlash(payload, len, state, out);
            break;
        case CMD_MCU:
            LogWriteNarrow("packet_process: packet_type(CMD_MCU)\n");
            DecodeMcu(payload, len, state, out);
            break;
        case CMD_DSP_DWRITE:
            LogWriteNarrow("packet_process: packet_type(CMD_DSP_DWRITE)\n");
            break;
        case CMD_KTV:
            LogWriteNarrow("packet_process: packet_type(CMD_KTV)\n");
            DecodeKtv(payload, len, out);
            break;
        default:
            break;
    }
    return out;
}

Postings DecodeReply(const Frame& reply, const DeviceProfile& profile, LinkState& state) {
    std::array<uint8_t, kPayloadSize> payload{};
    const size_t n = std::min(reply.data.size(), kPayloadSize - 2);
    payload[0] = reply.cmd;
    payload[1] = reply.op;
    std::copy(reply.data.begin(), reply.data.begin() + static_cast<long>(n), payload.begin() + 2);
    return DecodeReply(static_cast<uint8_t>(n + 3), reply.type, payload.data(), profile, state);
}

}  // namespace dvdsp::link::protocol
