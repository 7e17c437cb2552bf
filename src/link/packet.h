#pragma once
// Wire framing of command and reply packets, the checksum and the receive parser.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace dvdsp::link {

// Packet types.
inline constexpr uint8_t CMD_DSP = 1;
inline constexpr uint8_t CMD_FLASH = 2;
inline constexpr uint8_t CMD_MCU = 3;
inline constexpr uint8_t CMD_DSP_DWRITE = 4;
inline constexpr uint8_t CMD_KTV = 7;

// Operations.
inline constexpr uint8_t OP_SET = 0xBB;
inline constexpr uint8_t OP_GET = 0x66;
inline constexpr uint8_t OP_UPDATE = 0xDD;
inline constexpr uint8_t OP_ACK = 0xEE;

inline constexpr uint8_t ACK_READY = 0x0A;
inline constexpr uint8_t ACK_NOT_READY = 0x60;

inline constexpr uint8_t kSync1 = 0xAA;
inline constexpr uint8_t kSync2 = 0x55;
inline constexpr size_t kReportSize = 64;      // bytes of one HID report
inline constexpr size_t kOutReportSize = 65;   // with the report ID in front
inline constexpr size_t kMaxCommandData = 57;  // data bytes that fit one command
inline constexpr size_t kPayloadSize = 60;     // command, operation and data of a reply
inline constexpr uint8_t kMaxReplyLen = 61;

// Checksum over LEN, type and the LEN - 1 payload bytes: the two's complement of their
// byte sum, so that everything including the checksum adds up to 0 modulo 256.
int32_t packet_checksum(uint8_t len, uint8_t type, const uint8_t* payload);

// Builds the 65-byte output report of a command. Data beyond 57 bytes is cut off.
std::array<uint8_t, kOutReportSize> BuildCommandReport(uint8_t type, uint8_t cmd, uint8_t op,
                                                       const uint8_t* data, size_t n);

// Builds a complete reply packet (sync bytes to checksum) as the unit sends it.
std::vector<uint8_t> BuildReplyPacket(uint8_t type, uint8_t cmd, uint8_t op, const uint8_t* data,
                                      size_t n);

using PacketHandler = std::function<void(uint8_t len, uint8_t type, const uint8_t* payload)>;

// Receive side: a byte ring that survives between reads and the state machine that finds
// packets in it.
class PacketReceiver {
  public:
    static constexpr size_t kRingSize = 1024;
    static constexpr size_t kRingMask = kRingSize - 1;

    // Appends received bytes to the ring. Returns the number of bytes that would not fit
    // (they are dropped; never happens when the ring is drained after each report).
    size_t Append(const uint8_t* data, size_t n);
    // Feeds ring bytes to the parser while `keepGoing` says the handle is open.
    void Drain(const std::function<bool()>& keepGoing, const PacketHandler& onPacket);
    void Reset();

    size_t Pending() const { return (write_ - read_) & kRingMask; }
    uint8_t State() const { return state_; }

  private:
    std::array<uint8_t, kRingSize> ring_{};
    size_t write_ = 0, read_ = 0;
    uint8_t state_ = 0;
    uint8_t len_ = 0, type_ = 0, last_ = 0;
    std::array<uint8_t, kPayloadSize> payload_{};
};

// One step of the receive state machine: returns the next state.
uint8_t packet_parse_byte(uint8_t state, uint8_t b, uint8_t& len, uint8_t& type, uint8_t* payload,
                          const PacketHandler& onPacket);

}  // namespace dvdsp::link
