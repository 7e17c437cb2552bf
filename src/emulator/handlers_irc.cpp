// Automatic calibration (IRC). A run walks through the test phases one step per
// `ircStepMs_` of the unit's clock, then for each selected channel its response test,
// spectrum update and EQ update, then the data update and done. The spectrum and EQ
// updates wait until the program has read their data, as a unit does that hands its
// results over. What is measured follows from each channel's speaker role when the run
// started (emulator/signal_model.h): its place in the cabin, its band and the cabin's
// colouring.
#include <algorithm>

#include "emulator/signal_model.h"
#include "emulator/virtual_unit.h"
#include "emulator/wire_util.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::emu {

using namespace dvdsp::link;

namespace {

constexpr uint16_t kChannelMask = (1u << kOutputs) - 1;
static_assert(kIrcEqBands == kIrcBands && kIrcSpectrumPoints == kIrcPoints);

struct Step {
    uint8_t status, channel;
};

std::vector<Step> Plan(uint16_t mask) {
    std::vector<Step> plan;
    for (uint8_t s = IRC_RET_START_TEST; s <= IRC_RET_EQ_TEST; ++s) plan.push_back({s, 0});
    for (uint8_t ch = 0; ch < kOutputs; ++ch) {
        if (!(mask & (1u << ch))) continue;
        plan.push_back({IRC_RET_SPEAKER_RTA_TEST, ch});
        plan.push_back({IRC_RET_SPEAKER_RTA_UPDATE, ch});
        plan.push_back({IRC_RET_EQ_DATA_UPDATE, ch});
    }
    plan.push_back({IRC_RET_TEST_DATA_UPDATE, 0});
    return plan;
}

bool HoldsForRead(uint8_t status) {
    return status == IRC_RET_SPEAKER_RTA_UPDATE || status == IRC_RET_EQ_DATA_UPDATE;
}

// The step at which a run with this failure code fails: the phase that finds the fault.
size_t FailStep(int code) {
    switch (code) {
        case 0:
            return IRC_RET_LEVEL_TEST;  // no signal
        case 1:
            return IRC_RET_SPK_STATUS_TEST;  // no microphone
        case 2:
            return IRC_RET_SPK_STATUS_TEST;  // no speaker
        case 3:
            return IRC_RET_DELAY_TEST;
        case 4:
            return IRC_RET_TRIM_TEST;
        default:
            return IRC_RET_EQ_TEST;
    }
}

SpeakerModel Speaker(const Calibration& run, int ch) {
    return SpeakerFor(run.roles[static_cast<size_t>(ch)], ch);
}

int FarthestCm(const Calibration& run) {
    int farthest = 0;
    for (int ch = 0; ch < kOutputs; ++ch)
        if (run.mask & (1u << ch)) farthest = std::max(farthest, Speaker(run, ch).distanceCm);
    return farthest;
}

Band IrcBand(const Calibration& run, int ch, int b) {
    const int gain10 = IrcBandGain10(Speaker(run, ch), ch, b);
    return Band{static_cast<uint16_t>(IrcBandFreq(b)), static_cast<uint16_t>(kIrcBandQ100),
                static_cast<uint16_t>(180 + gain10)};
}

}  // namespace

void VirtualUnit::UpdateCalibration() {
    if (!irc_.started || irc_.finished) return;
    const std::vector<Step> plan = Plan(irc_.mask);
    const uint64_t now = clock_.NowMs();
    for (;;) {
        if (irc_.failWith >= 0 && irc_.step >= FailStep(irc_.failWith)) {
            irc_.status = IRC_RET_TEST_FAIL;
            irc_.failCode = static_cast<uint8_t>(irc_.failWith);
            irc_.progress = static_cast<uint8_t>(FailStep(irc_.failWith) * 100 / plan.size());
            irc_.finished = true;
            return;
        }
        if (irc_.step >= plan.size()) {
            irc_.status = IRC_RET_TEST_DONE;
            irc_.progress = 100;
            irc_.finished = true;
            irc_.resultPending = true;
            return;
        }
        const Step& at = plan[irc_.step];
        irc_.status = at.status;
        irc_.channel = at.channel;
        irc_.progress = static_cast<uint8_t>(irc_.step * 100 / plan.size());
        if (HoldsForRead(at.status)) {
            if (!irc_.stepRead) return;
            irc_.stepStartMs = std::max(irc_.stepStartMs + ircStepMs_, now);
        } else {
            if (now - irc_.stepStartMs < ircStepMs_) return;
            irc_.stepStartMs += ircStepMs_;
        }
        ++irc_.step;
        irc_.stepRead = false;
    }
}

void VirtualUnit::CalibrationDataRead(uint8_t status, int ch) {
    UpdateCalibration();
    if (irc_.started && !irc_.finished && irc_.status == status && irc_.channel == ch) irc_.stepRead = true;
}

void VirtualUnit::ApplyCalibration() {
    Scene& live = state_.scenes[0];
    const int farthest = FarthestCm(irc_);
    for (int ch = 0; ch < kOutputs; ++ch) {
        if (!(irc_.mask & (1u << ch))) continue;
        Output& o = live.out[ch];
        const int cm = Speaker(irc_, ch).distanceCm;
        if (irc_.modules & 2) o.delayUs = static_cast<uint32_t>((farthest - cm) * 10000 / 343);
        o.trim100 = static_cast<uint16_t>(IrcTrimDb(cm, farthest) * 100);
        if (irc_.modules & 1) {
            for (int b = 0; b < kIrcEqBands; ++b) o.bands[b] = IrcBand(irc_, ch, b);
            o.eqBypass = 0;  // the correction plays
        }
    }
    Changed(false);
}

void VirtualUnit::RegisterIrcCommands() {
    // IRC_Ctrl: operation (0 stop, 1 start, 2 apply, 3 discard), channel mask, EQ mode.
    On(CMD_DSP, DSP_IRC_CTRL, OP_SET, [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
        UpdateCalibration();
        bool ok = true;
        switch (n >= 1 ? d[0] : 0xFF) {
            case 1: {
                if (n < 4) {
                    ok = false;
                    break;
                }
                Calibration run;
                run.modules = irc_.modules;
                run.testMic = irc_.testMic;
                run.started = true;
                run.startMs = clock_.NowMs();
                run.stepStartMs = run.startMs;
                for (int ch = 0; ch < kOutputs; ++ch) run.roles[static_cast<size_t>(ch)] = state_.scenes[0].out[ch].role;
                run.mask = static_cast<uint16_t>(Be16(d + 1) & kChannelMask);
                run.eqMode = d[3];
                run.failWith = ircFailure_;
                if (run.mask == 0) {  // nothing to measure: no speaker, at once
                    run.status = IRC_RET_TEST_FAIL;
                    run.failCode = 2;
                    run.finished = true;
                }
                irc_ = run;
                UpdateCalibration();
                break;
            }
            case 0:
                if (irc_.started && !irc_.finished) {
                    irc_.status = IRC_RET_TEST_EXIT;
                    irc_.finished = true;
                }
                break;
            case 2:
                ok = irc_.resultPending;
                if (ok) ApplyCalibration();
                irc_.resultPending = false;
                break;
            case 3:
                ok = irc_.resultPending;
                irc_.resultPending = false;
                break;
            default:
                ok = false;
        }
        out.push_back(Ack(CMD_DSP, DSP_IRC_CTRL, ok ? ACK_READY : ACK_NOT_READY));
    });
    // Status: status, channel, 0, progress, failure code.
    On(CMD_DSP, DSP_IRC_CTRL, OP_GET, [this](const uint8_t*, size_t, std::vector<Packet>& out) {
        UpdateCalibration();
        out.push_back(Reply(CMD_DSP, DSP_IRC_CTRL, OP_UPDATE,
                            {irc_.status, irc_.channel, 0, irc_.progress, irc_.failCode}));
    });

    auto measured = [this](int ch) {
        return irc_.started && ch < kOutputs && (irc_.mask & (1u << ch));
    };
    // Per-channel values: ch, ch_end, then `size` bytes per channel.
    using Encode = std::function<void(int ch, bool have, std::vector<uint8_t>&)>;
    auto perChannel = [this, measured](uint8_t cmd, size_t size, Encode enc) {
        On(CMD_DSP, cmd, OP_GET,
           [this, measured, cmd, size, enc](const uint8_t* d, size_t n, std::vector<Packet>& out) {
               if (n < 2) return;
               const BoundedRange r = Bound(d[0], d[1], kOutputs, FitItems(2, size));
               std::vector<uint8_t> v{d[0], r.EndByte()};
               for (int ch = r.first; ch <= r.last; ++ch) enc(ch, measured(ch), v);
               out.push_back(Reply(CMD_DSP, cmd, OP_UPDATE, std::move(v)));
           });
    };
    perChannel(DSP_IRC_DISTANCE, 2, [this](int ch, bool have, std::vector<uint8_t>& v) {
        const int cm = have ? Speaker(irc_, ch).distanceCm : 0;
        v.push_back(B(cm / 100));
        v.push_back(B(cm % 100));
    });
    perChannel(DSP_IRC_TRIM, 1, [this](int ch, bool have, std::vector<uint8_t>& v) {
        v.push_back(B(have ? IrcTrimDb(Speaker(irc_, ch).distanceCm, FarthestCm(irc_)) : 0));
    });
    perChannel(DSP_IRC_SPK_SIZE, 1, [](int ch, bool have, std::vector<uint8_t>& v) {
        v.push_back(B(have ? 1 + ch % 3 : 0));
    });
    perChannel(DSP_IRC_SPK_PHASE, 1, [](int, bool, std::vector<uint8_t>& v) { v.push_back(0); });
    perChannel(DSP_IRC_SPK_LEVEL, 1, [](int ch, bool have, std::vector<uint8_t>& v) {
        v.push_back(B(have ? 70 + ch : 0));
    });
    perChannel(DSP_IRC_NOISE_LEVEL, 1, [](int ch, bool have, std::vector<uint8_t>& v) {
        v.push_back(B(have ? 30 + ch : 0));
    });

    // Spectrum: ch, first point, last point, then per point frequency (16-bit Hz and a
    // hundredths byte) and level (signed dB and signed hundredths).
    On(CMD_DSP, DSP_IRC_SPECTRUM, OP_GET,
       [this, measured](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 3) return;
           const bool have = measured(d[0]);
           const BoundedRange r = Bound(d[1], d[2], kIrcSpectrumPoints, FitItems(3, 5));
           std::vector<uint8_t> v{d[0], d[1], r.EndByte()};
           const SpeakerModel speaker = have ? Speaker(irc_, d[0]) : SpeakerModel{};
           for (int i = r.first; i <= r.last; ++i) {
               const int f = IrcSpectrumFreq100(i);
               const int g = have ? IrcSpectrumLevel100(speaker, d[0], f / 100.0) : 0;
               PutBe16(v, static_cast<unsigned>(f / 100));
               v.push_back(B(f % 100));
               v.push_back(B(g / 100));
               v.push_back(B(g % 100));
           }
           if (have && r.last == kIrcSpectrumPoints - 1) CalibrationDataRead(IRC_RET_SPEAKER_RTA_UPDATE, d[0]);
           out.push_back(Reply(CMD_DSP, DSP_IRC_SPECTRUM, OP_UPDATE, std::move(v)));
       });
    // Resulting EQ bands 0 to 10: ch, band_start, band_end, six bytes per band.
    On(CMD_DSP, DSP_IRC_EQ, OP_GET,
       [this, measured](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 3) return;
           const bool have = measured(d[0]);
           const BoundedRange r = Bound(d[1], d[2], kIrcEqBands, FitItems(3, 6));
           std::vector<uint8_t> v{d[0], d[1], r.EndByte()};
           for (int b = r.first; b <= r.last; ++b)
               EncodeBand(v, have ? IrcBand(irc_, d[0], b)
                                  : Band{static_cast<uint16_t>(IrcBandFreq(b)), 580, 180});
           if (have && r.last == kIrcEqBands - 1) CalibrationDataRead(IRC_RET_EQ_DATA_UPDATE, d[0]);
           out.push_back(Reply(CMD_DSP, DSP_IRC_EQ, OP_UPDATE, std::move(v)));
       });
    On(CMD_DSP, DSP_IRC_RTA, OP_GET, [](const uint8_t*, size_t, std::vector<Packet>& out) {
        out.push_back(Reply(CMD_DSP, DSP_IRC_RTA, OP_UPDATE, {0}));
    });

    On(CMD_DSP, DSP_IRC_TEST_MIC, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n >= 1) irc_.testMic = d[0];
           out.push_back(Ack(CMD_DSP, DSP_IRC_TEST_MIC, n >= 1 ? ACK_READY : ACK_NOT_READY));
       });
    On(CMD_DSP, DSP_IRC_SEL_TEST_MODULE, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n >= 1) irc_.modules = d[0];
           out.push_back(Ack(CMD_DSP, DSP_IRC_SEL_TEST_MODULE, n >= 1 ? ACK_READY : ACK_NOT_READY));
       });
    On(CMD_DSP, DSP_IRC_ACTIVE_BYPASS_CONTROL, OP_SET,
       [this](const uint8_t* d, size_t n, std::vector<Packet>& out) {
           if (n < 2 || d[0] >= kSources) {
               out.push_back(Ack(CMD_DSP, DSP_IRC_ACTIVE_BYPASS_CONTROL, ACK_NOT_READY));
               return;
           }
           state_.device.ircActiveBypass[d[0]] = d[1];
           Changed(false);
           out.push_back(Ack(CMD_DSP, DSP_IRC_ACTIVE_BYPASS_CONTROL));
       });
}

}  // namespace dvdsp::emu
