#pragma once
// What the protocol functions exchange with DspDevice: a command frame (type, command,
// operation and data bytes) built from values in the user's units, the postings a reply
// turns into, the device profile that changes how some values travel, and the few link
// fields the replies update.

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "link/commands.h"
#include "link/messages.h"
#include "link/upgrade_status.h"
#include "link/packet.h"

namespace dvdsp::link::protocol {

// One command as it goes out; the data bytes follow the operation in the report.
struct Frame {
    uint8_t type = 0;
    uint8_t cmd = 0;
    uint8_t op = 0;
    std::vector<uint8_t> data;
    bool operator==(const Frame&) const = default;
};

// A frame whose data does not fit one output report would be cut short and taken by the
// unit as a different command; such frames are refused, never sent.
inline bool FitsOneReport(const Frame& f) {
    return f.data.size() <= kMaxCommandData;
}

// Commands of which only the newest matters while several wait unsent: a band set
// (scene, source, channel, band) or a filter set (scene, source, channel, filter) replaces
// the whole value at its address. Returns 0 for every other frame, else a key that is
// equal exactly for frames of the same kind and address.
inline uint64_t CoalescingKey(const Frame& f) {
    if (f.type != CMD_DSP || f.op != OP_SET || (f.cmd != DSP_FILTER_SET && f.cmd != DSP_EQ_CH) ||
        f.data.size() < 4)
        return 0;
    return uint64_t{1} << 40 | uint64_t{f.cmd} << 32 | uint64_t{f.data[0]} << 24 |
           uint64_t{f.data[1]} << 16 | uint64_t{f.data[2]} << 8 | f.data[3];
}

// The 65-byte output report of a frame.
inline std::array<uint8_t, kOutReportSize> Report(const Frame& f) {
    return BuildCommandReport(f.type, f.cmd, f.op, f.data.data(), f.data.size());
}

// How this model's unit lays out the values that differ between models.
struct DeviceProfile {
    uint8_t pc_model_id = 98;
    int32_t output_count = 10;
    int32_t input_count = 8;
    int32_t trim_is_attenuation = 1;
    int32_t noise_to_main = 0;
};

// Link fields written by the reply decoders and read by other threads.
struct LinkState {
    std::atomic<int32_t> model{-1};
    std::atomic<int32_t> master_version{0};
    std::atomic<int32_t> slave_version{0};
    std::atomic<uint8_t> handshake_ok{0};
    std::atomic<uint8_t> bootloader_version{0};
    uint32_t dsp_ack_counter = 0;  // numbers the DSP replies in the log (reading thread only)
    UpgradeStatus upgrade;  // sys_upg_status, written by the transfer's acknowledgements
};

// A decoded value and the window it goes to.
struct Posting {
    Target target = Target::Main;
    Message message;
};
using Postings = std::vector<Posting>;

// Appends a posting of a plain value or of a record.
void Post(Postings& out, Target target, uint32_t msg, uint32_t wparam, int64_t value);
void Post(Postings& out, Target target, uint32_t msg, uint32_t wparam,
          std::unique_ptr<Record> record);

}  // namespace dvdsp::link::protocol
