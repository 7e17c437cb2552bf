// Fuzz target for the reply decoders: random complete packets of every type, under every
// device profile, straight into the decoders or framed through the receive parser. Every
// posted record must keep its stated ranges inside itself; the sanitizers watch the rest
// (reads and writes past buffers, leaked records).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "link/dsp_device.h"
#include "link/messages.h"
#include "link/packet.h"

using namespace dvdsp::link;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

class NoUnitBackend final : public HidBackend {
public:
    int Init() override { return 0; }
    std::shared_ptr<HidHandle> Open(uint16_t, uint16_t) override { return nullptr; }
};

constexpr int kLast = kRecordChannels - 1;

class CheckingSink final : public MessageSink {
public:
    void Post(Message m) override {
        const Record* r = m.record.get();
        if (!r) return;
        if (auto* v = dynamic_cast<const RangeBytes*>(r)) Check(v->ch_end <= kLast);
        if (auto* v = dynamic_cast<const RangeModes*>(r)) Check(v->ch_end <= kLast);
        if (auto* v = dynamic_cast<const RangeDistances*>(r)) Check(v->ch_end <= kLast);
        if (auto* v = dynamic_cast<const DistortValue*>(r)) Check(v->ch_end <= kLast);
        if (auto* v = dynamic_cast<const InputNoiseValue*>(r)) Check(v->ch_y <= kLast);
        if (auto* v = dynamic_cast<const InputMixTrimValue*>(r))
            Check(v->out_end - v->out_start <= kLast);
        if (auto* v = dynamic_cast<const LinkValue*>(r))
            Check(v->count >= 0 && v->count <= static_cast<int>(v->pairs.size()));
        if (auto* v = dynamic_cast<const BridgeValue*>(r)) Check(v->count <= v->bridge.size());
        if (auto* v = dynamic_cast<const PasswordValue*>(r))
            Check(v->pwd_len >= 0 && v->pwd_len <= static_cast<int>(v->pwd.size()) &&
                  v->remark_len >= 0 && v->remark_len <= static_cast<int>(v->remark.size()));
        if (auto* v = dynamic_cast<const InfoStringValue*>(r)) Check(v->len <= v->text.size());
        if (auto* v = dynamic_cast<const ChannelValue*>(r)) Check(v->ch >= 0 && v->ch <= kLast);
        if (auto* v = dynamic_cast<const ChannelFloat*>(r)) Check(v->ch >= 0 && v->ch <= kLast);
        // Dropping the message here frees its record.
    }
};

struct Rig {
    NoUnitBackend backend;
    DspDevice dev{backend};
    CheckingSink sink;
    PacketReceiver rx;
    Rig() {
        for (int t = 0; t < kTargetCount; ++t) dev.SetTarget(static_cast<Target>(t), &sink);
    }
};

Rig& TheRig() {
    static Rig* rig = new Rig;  // lives for the whole run
    return *rig;
}

constexpr uint8_t kTypes[] = {CMD_DSP, CMD_FLASH, CMD_MCU, CMD_DSP_DWRITE, CMD_KTV};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // data 0: type and route; data 1: profile; then command, operation and data bytes.
    if (size < 2) return 0;
    Rig& rig = TheRig();
    const uint8_t type = kTypes[data[0] % 5];
    const bool framed = (data[0] & 0x80) != 0;
    const uint8_t pf = data[1];
    rig.dev.SetDeviceProfile(98, (pf & 1) ? 16 : 10, (pf & 2) ? 12 : 8, (pf >> 2) & 1,
                             (pf >> 3) & 1);

    const size_t n = std::min<size_t>(size - 2, kPayloadSize);
    const uint8_t* payload = data + 2;
    if (framed) {
        if (n < 2) return 0;
        auto packet = BuildReplyPacket(type, payload[0], payload[1], payload + 2, n - 2);
        rig.rx.Reset();
        rig.rx.Append(packet.data(), packet.size());
        rig.rx.Drain([] { return true; },
                     [&](uint8_t len, uint8_t t, const uint8_t* p) { rig.dev.packet_process(len, t, p); });
    } else {
        // The decoders always see the whole 60-byte buffer; bytes past the packet are
        // whatever an earlier packet left there.
        static uint8_t buffer[kPayloadSize];
        for (size_t i = 0; i < n; ++i) buffer[i] = payload[i];
        rig.dev.packet_process(static_cast<uint8_t>(n + 1), type, buffer);
    }
    return 0;
}
