#pragma once
// How decoded replies leave the link: a message (number, wparam, and a plain value or an
// owned record) posted to the target registered for it. Records are move-only, so a
// message that reaches no window frees its record.

#include <array>
#include <cstdint>
#include <memory>
#include <utility>

#include "base/band.h"

namespace dvdsp::link {

// Window message numbers.
inline constexpr uint32_t WM_READ_DSP_VALUE = 1234;
inline constexpr uint32_t WM_READ_MCU_VALUE = 1235;
inline constexpr uint32_t WM_READ_SCENE_VALUE = 1237;
inline constexpr uint32_t WM_SCENE_DELETED = 1238;
inline constexpr uint32_t WM_DEVICE_STATUS_UNNORMAL = 1239;
inline constexpr uint32_t WM_READ_IRC_VALUE = 1241;
inline constexpr uint32_t WM_READ_KTV_VALUE = 1246;
inline constexpr uint32_t WM_READ_MEM_VALUE = 1249;
inline constexpr uint32_t WM_READ_SCENE_ID = 1250;

// The five windows the link posts to.
enum class Target : int { Main = 0, Scene, Calibration, Noise, Memory };
inline constexpr int kTargetCount = 5;

// Calibration status of a DSP_IRC_CTRL report (wparam of WM_READ_IRC_VALUE).
enum IrcRet : uint32_t {
    IRC_RET_START_TEST = 0,
    IRC_RET_SPK_STATUS_TEST = 1,
    IRC_RET_LEVEL_TEST = 2,
    IRC_RET_DELAY_TEST = 3,
    IRC_RET_TRIM_TEST = 4,
    IRC_RET_EQ_TEST = 5,
    IRC_RET_SPEAKER_RTA_TEST = 6,
    IRC_RET_SPEAKER_RTA_UPDATE = 7,
    IRC_RET_EQ_DATA_UPDATE = 8,
    IRC_RET_TEST_DATA_UPDATE = 9,
    IRC_RET_TEST_DONE = 10,
    IRC_RET_TEST_FAIL = 11,
    IRC_RET_TEST_EXIT = 12,
};

// Failure code posted with IRC_RET_TEST_FAIL.
enum IrcFail : int32_t {
    IRC_FAIL_NO_VAR = 0,
    IRC_FAIL_NO_MIC = 1,
    IRC_FAIL_NO_SPEAKER = 2,
    IRC_FAIL_DELAY = 3,
    IRC_FAIL_TRIM = 4,
    IRC_FAIL_EQ = 5,
};

struct Record {
    virtual ~Record() = default;
};

struct Message {
    uint32_t msg = 0;
    uint32_t wparam = 0;
    int64_t value = 0;               // plain value (signed values sign-extended)
    std::unique_ptr<Record> record;  // or an owned record

    template <typename T>
    const T* As() const {
        return dynamic_cast<const T*>(record.get());
    }
};

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Takes the message; called on the thread that read the reply.
    virtual void Post(Message message) = 0;
};

// ---- Record shapes --------------------------------------------------------------
// One record per posted value group; the receiver owns it. Records indexed by channel
// number hold channels 0 to 15; a decoder clamps the range it stores (ch_end and the
// like) so that every index from the start to the end of the range lies inside them.

inline constexpr int kRecordChannels = 16;

struct ChannelValue : Record {
    int32_t scene = 0, ch = 0, value = 0;
};
struct ChannelFloat : Record {
    int32_t scene = 0, ch = 0;
    float value = 0;
};
struct FilterValue : Record {
    int32_t scene = 0, ch = 0, hp_type = 0, hp_freq = 0, hp_slope = 0, lp_type = 0, lp_freq = 0,
            lp_slope = 0;
};
// One reported band (gain, q, freq; always enabled) with where it belongs.
struct EqBandValue : Record, Band {
    int32_t scene = 0, ch = 0, band = 0;
};
struct MixValue : Record {
    int32_t scene = 0, source = 0, ch = 0, mask = 0;
};
struct LinkValue : Record {
    int32_t scene = 0, link = 0;
    int32_t count = 0;               // pair bytes filled in
    std::array<uint8_t, 8> pairs{};  // one byte per output pair
};
struct LockValue : Record {
    int32_t scene = 0, lock = 0;
};
struct RangeBytes : Record {
    int32_t scene = 0, source = 0, ch_start = 0, ch_end = 0;
    std::array<int8_t, kRecordChannels> values{};  // indexed by channel number
};
struct RangeModes : Record {
    uint8_t scene = 0, source = 0, ch_start = 0, ch_end = 0;
    std::array<uint8_t, kRecordChannels> values{};  // indexed by channel number
};
struct RangeDistances : Record {
    uint8_t scene = 0, source = 0, ch_start = 0, ch_end = 0;
    std::array<uint16_t, kRecordChannels> values{};  // hundredths, indexed by channel number
};
struct CompressorValue : Record {
    int32_t scene = 0, ch = 0, bypass = 0;
    float threshold = 0, ratio = 0;
    int32_t attack = 0, release = 0;
    float soft_knee = 0;
};
struct Compressor2Value : Record {
    int32_t scene = 0, ch = 0, unused1 = 0;
    float threshold = 0;
    int32_t unused2 = 0, attack = 0, release = 0, unused3 = 0;
};
struct MixTypeValue : Record {
    int32_t scene = 0, source = 0, type = 0;
};
struct Int32Value : Record {
    int32_t value = 0;
};
struct RemOutValue : Record {
    uint8_t rem_out1 = 0, rem_out2 = 0;
};
struct CrossSourceMixValue : Record {
    uint8_t scene = 0, source = 0, ch = 0, vice_source = 0, vice_ch = 0, vice_gain = 0;
};
struct BridgeValue : Record {
    uint8_t scene = 0, source = 0;
    uint8_t count = 0;  // bridge bytes filled in (at most 20)
    std::array<uint8_t, 20> bridge{};
};
struct MemValue : Record {
    std::array<uint8_t, 8> bytes{};  // address and data, little-endian
};
struct IrcChannelFloat : Record {  // distance, trim
    int32_t ch = 0;
    float value = 0;
};
struct IrcChannelByte : Record {  // speaker size, phase, level, noise level
    int32_t ch = 0;
    int32_t value = 0;
};
struct IrcEqValue : Record, Band {
    int32_t ch = 0, band = 0;
};
struct IrcSpectrumValue : Record {
    int32_t ch = 0, band = 0;
    float freq = 0, gain = 0;
};
struct InputMixTrimValue : Record {
    uint8_t scene = 0, source = 0, in_ch = 0, out_start = 0, out_end = 0;
    std::array<int8_t, kRecordChannels> trims{};  // from index 0 = out_start
};
struct InputNoiseValue : Record {
    int32_t ch_x = 0, ch_y = 0;
    std::array<float, kRecordChannels> levels{};  // indexed by channel number
};
struct DistortValue : Record {  // input (0x40) and output (0x41) distortion
    uint8_t source = 0, ch_start = 0, ch_end = 0;
    std::array<uint8_t, kRecordChannels> values{};  // indexed by channel number
};
struct HandshakeValue : Record {
    int32_t zero = 0, model = 0, master = 0, slave = 0;
};
struct FlashVersionValue : Record {
    std::array<int32_t, 8> v{};
};
struct PasswordValue : Record {
    int32_t pwd_len = 0;  // bytes filled in (at most 12)
    std::array<char, 12> pwd{};
    int32_t remark_len = 0;  // bytes filled in (at most 20)
    std::array<char, 20> remark{};
};
struct InfoStringValue : Record {
    uint8_t len = 0;  // bytes filled in (at most 16)
    std::array<char, 16> text{};
};
struct SceneNameValue : Record {
    int32_t zero = 0, index = 0;
    std::array<uint8_t, 16> name{};
};

template <typename T, typename... Args>
std::unique_ptr<Record> MakeRecord(Args&&... args) {
    return std::unique_ptr<Record>(new T(std::forward<Args>(args)...));
}

}  // namespace dvdsp::link
