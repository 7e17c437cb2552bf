// Replies of the DSP (CMD_DSP) for the automatic calibration: status reports and the
// measured results, all posted to the calibration window. Reply frame:
// AA 55 LEN 01 CMD DD DATA... SUM. Data by command:
//   13 [0] status [1] updated item [3] progress [4] failure code
//   14 [0] first [1] last, per channel 2 bytes: distance integer, hundredths
//   15, 17, 18, 19, 1B [0] first [1] last, one byte per channel
//   16 [0] channel [1] first band [2] last band, 6 bytes per band as an EQ report
//   1A [0] channel [1] first band [2] last band, per band 5 bytes: frequency (16-bit),
//      hundredths of Hz, gain as signed integer and signed hundredths
#include "base/log.h"
#include "link/commands.h"
#include "link/protocol/decode.h"
#include "link/protocol/decode_common.h"
#include "link/protocol/units.h"

namespace dvdsp::link::protocol {

using namespace decode;

namespace {

constexpr const char* kIrcStatusNames[] = {
    "IRC_RET_START_TEST",       "IRC_RET_SPK_STATUS_TEST",    "IRC_RET_LEVEL_TEST",
    "IRC_RET_DELAY_TEST",       "IRC_RET_TRIM_TEST",          "IRC_RET_EQ_TEST",
    "IRC_RET_SPEAKER_RTA_TEST", "IRC_RET_SPEAKER_RTA_UPDATE", "IRC_RET_EQ_DATA_UPDATE",
    "IRC_RET_TEST_DATA_UPDATE", "IRC_RET_TEST_DONE",          "IRC_RET_TEST_FAIL",
    "IRC_RET_TEST_EXIT",
};
constexpr int kIrcStatusCount = 13;

constexpr const char* kIrcFailNames[] = {
    "IRC_FAIL_NO_VAR", "IRC_FAIL_NO_MIC", "IRC_FAIL_NO_SPEAKER",
    "IRC_FAIL_DELAY",  "IRC_FAIL_TRIM",   "IRC_FAIL_EQ",
};
constexpr int kIrcFailCount = 6;

}  // namespace

void DecodeCalibrationStatus(const uint8_t* d, Postings& out) {
    // data 0 status, data 1 the updated item, data 3 progress, data 4 failure code.
    const int status = d[0];
    if (status >= kIrcStatusCount) {
        LogWriteNarrow("IRC unknown status(%d)\n", status);
        return;
    }
    int64_t lparam = d[3];
    if (status == IRC_RET_SPEAKER_RTA_UPDATE || status == IRC_RET_EQ_DATA_UPDATE) {
        lparam = d[1];
    } else if (status == IRC_RET_TEST_FAIL) {
        const int code = d[4];
        if (code >= kIrcFailCount) {
            LogWriteNarrow("IRC_RET_TEST_FAIL->unknown failure(%d)\n", code);
            return;
        }
        LogWriteNarrow("IRC_RET_TEST_FAIL->%s\n", kIrcFailNames[code]);
        lparam = code;
        Post(out, Target::Calibration, WM_READ_IRC_VALUE, static_cast<uint32_t>(status), lparam);
        return;
    }
    LogWriteNarrow("%s\n", kIrcStatusNames[status]);
    Post(out, Target::Calibration, WM_READ_IRC_VALUE, static_cast<uint32_t>(status), lparam);
}

bool DecodeDspCalibration(uint8_t cmd, uint8_t op, const uint8_t* d, int n, Postings& out) {
    if (cmd < DSP_IRC_CTRL || cmd > DSP_IRC_RTA) return false;
    if (op != OP_UPDATE) return true;
    const auto post = [&](std::unique_ptr<Record> r) {
        Post(out, Target::Calibration, WM_READ_IRC_VALUE, cmd, std::move(r));
    };
    // Per channel of the range in data 0 and 1, `width` bytes each from data 2.
    const auto perChannel = [&](int width, auto fn) {
        ForEachChannel(d, n, d[0], d[1], 2, width, fn);
    };
    // Per band of data 1 to data 2 for the channel in data 0, `width` bytes each from data 3.
    const auto perBand = [&](int width, auto fn) { ForEachEntry(d, n, d[1], d[2], 3, width, fn); };

    switch (cmd) {
        case DSP_IRC_CTRL:
            DecodeCalibrationStatus(d, out);
            return true;
        case DSP_IRC_DISTANCE:
            perChannel(2, [&](int ch, const uint8_t* b) {
                auto r = std::make_unique<IrcChannelFloat>();
                r->ch = ch;
                r->value = F(b[0]) + F(b[1]) / 100.0f;
                post(std::move(r));
            });
            return true;
        case DSP_IRC_TRIM:
            perChannel(1, [&](int ch, const uint8_t* b) {
                auto r = std::make_unique<IrcChannelFloat>();
                r->ch = ch;
                r->value = F(b[0]);
                post(std::move(r));
            });
            return true;
        case DSP_IRC_SPK_SIZE:
        case DSP_IRC_SPK_PHASE:
        case DSP_IRC_SPK_LEVEL:
        case DSP_IRC_NOISE_LEVEL:
            perChannel(1, [&](int ch, const uint8_t* b) {
                auto r = std::make_unique<IrcChannelByte>();
                r->ch = ch;
                r->value = b[0];
                post(std::move(r));
            });
            return true;
        case DSP_IRC_EQ:
            perBand(6, [&](int band, const uint8_t* b) {
                auto r = std::make_unique<IrcEqValue>();
                r->ch = d[0];
                r->band = band;
                r->freq = Be16(b);
                r->q = units::EqQFromWire(b + 2);
                r->gain = units::EqGainFromWire(b + 4);
                post(std::move(r));
            });
            return true;
        case DSP_IRC_SPECTRUM:
            perBand(5, [&](int band, const uint8_t* b) {
                auto r = std::make_unique<IrcSpectrumValue>();
                r->ch = d[0];
                r->band = band;
                r->freq = F(Be16(b)) + F(b[2]) / 100.0f;
                r->gain = F(S8(b[3])) + F(S8(b[4])) / 100.0f;
                post(std::move(r));
            });
            return true;
        case DSP_IRC_RTA:
            return true;
        default:
            return false;
    }
}

}  // namespace dvdsp::link::protocol
