// The calibration run: the worker's polling rhythm, what a status update means for the
// window, the stored results and their curves, apply, discard and closing.
#include "core/calibration.h"

#include "base/log.h"

namespace dvdsp::core {
namespace {

constexpr bool kSync = true;
constexpr int kSpectrumChunk = 9;  // points per spectrum request

bool FinalStatus(int s) {
    return s == link::IRC_RET_TEST_DONE || s == link::IRC_RET_TEST_FAIL || s == link::IRC_RET_TEST_EXIT;
}

}  // namespace

const char* IrcStatusTips(uint32_t code) {
    switch (code) {
    case link::IRC_RET_SPK_STATUS_TEST: return "${detect_speaker}";
    case link::IRC_RET_LEVEL_TEST: return "${detect_level}";
    case link::IRC_RET_DELAY_TEST: return "${detect_location}";
    case link::IRC_RET_TRIM_TEST: return "${adjust_ch_volume}";
    case link::IRC_RET_EQ_TEST: return "${compensate_eq}";
    case link::IRC_RET_SPEAKER_RTA_TEST:
    case link::IRC_RET_TEST_DATA_UPDATE: return "${test_freq_response}";
    default: return "";
    }
}

const char* IrcFailureTips(int64_t code) {
    switch (code) {
    case link::IRC_FAIL_NO_VAR: return "${irc_failed_level}";
    case link::IRC_FAIL_NO_MIC: return "${irc_failed_mic}";
    case link::IRC_FAIL_NO_SPEAKER: return "${irc_failed_speaker}";
    case link::IRC_FAIL_DELAY: return "${irc_failed_delay}";
    case link::IRC_FAIL_TRIM: return "${irc_failed_ch_volume}";
    case link::IRC_FAIL_EQ: return "${irc_failed_eq}";
    default: return "${irc_failed}";
    }
}

bool IrcSubwooferRole(int role) { return role >= 22 && role <= 24; }

Calibration::~Calibration() { Close(); }

// ---- Opening and the link side ----------------------------------------------------------

void Calibration::Open(link::MessageSink* window) {
    JoinWorker();
    {
        std::lock_guard lock(sinkMutex_);
        window_ = window;
    }
    completed_ = applied_ = false;
    status_ = progress_ = channel_ = 0;
    stop_ = false;
    dataUpdate_ = false;
    for (int ch = 0; ch < kIrcChannels; ++ch) {
        for (int b = 0; b < kBandsPerChannel; ++b) bands_[Ch(ch)][static_cast<size_t>(b)] = DefaultBand(kBandsPerChannel, b);
        for (int i = 0; i < kIrcSpectrumPoints; ++i)
            spectrum_[Ch(ch)][static_cast<size_t>(i)] = SpectrumPoint{0.0f, 20 + (20000 - 20) * i / kIrcSpectrumPoints};
        ComputeCurve(ch);
        ConvertSpectrum(ch);
    }
    ctx_.device.SetTarget(link::Target::Calibration, this);
}

void Calibration::Close() {
    if (Active()) {
        ctx_.device.IRC_Ctrl(kIrcStop, 0, 0, kSync);
        stop_ = true;
    }
    JoinWorker();
    ctx_.device.SetTarget(link::Target::Calibration, nullptr);
    std::lock_guard lock(sinkMutex_);
    window_ = nullptr;
}

void Calibration::ToWindow(link::Message m) {
    std::lock_guard lock(sinkMutex_);
    if (window_) window_->Post(std::move(m));
}

void Calibration::Post(link::Message message) {
    if (message.msg == link::WM_READ_IRC_VALUE && !message.record) {
        const int code = static_cast<int>(message.wparam);
        status_ = code;
        if (code == link::IRC_RET_SPEAKER_RTA_UPDATE || code == link::IRC_RET_EQ_DATA_UPDATE)
            channel_ = static_cast<int>(message.value);
        else if (code != link::IRC_RET_TEST_FAIL)
            progress_ = static_cast<int>(message.value);
        if (code == link::IRC_RET_TEST_DATA_UPDATE) dataUpdate_ = true;
    }
    ToWindow(std::move(message));
}

// ---- Start, stop and the worker ---------------------------------------------------------

void Calibration::SetIrcModelBit(int bit, bool on) {
    if (bit < 0 || bit > 2) return;
    const auto mask = static_cast<uint8_t>(1u << bit);
    ircModel_ = static_cast<uint8_t>(on ? (ircModel_ | mask) : (ircModel_ & ~mask));
    LogWriteNarrow("mIrcModel %02x\n", ircModel_);
}

bool Calibration::Active() {
    // A run whose end the unit reported is over once its worker has seen it; the worker
    // notices within one round.
    if (worker_.joinable() && FinalStatus(status_.load())) JoinWorker();
    return running_.load();
}

Calibration::Toggle Calibration::StartOrStop(uint16_t channels, uint8_t eqMode) {
    if (ircModel_ == 0) {
        if (ctx_.prompt) ctx_.prompt->ShowTips("${irc_option_warning_tips}");
        return Toggle::Refused;
    }
    eqMode_ = eqMode;
    ircCh_ = channels;
    LogWriteNarrow("mIrcCh = 0x%x\n", ircCh_);
    applied_ = false;
    if (Active()) {
        ctx_.device.IRC_Ctrl(kIrcStop, 0, 0, kSync);
        stop_ = true;
        JoinWorker();
        completed_ = false;
        return Toggle::Stopped;
    }
    JoinWorker();
    completed_ = false;
    stop_ = false;
    dataUpdate_ = false;
    status_ = 0;
    runModel_ = ircModel_;
    runCh_ = ircCh_;
    runEqMode_ = eqMode_;
    running_ = true;
    worker_ = std::thread([this] { AutoCalThread(); });
    return Toggle::Started;
}

void Calibration::JoinWorker() {
    if (worker_.joinable()) worker_.join();
}

void Calibration::Pause() { (pollClock_ ? *pollClock_ : ctx_.clock).SleepMs(kIrcPollPauseMs); }

void Calibration::AutoCalThread() {
    LogWriteNarrow("AutoCalThread begin\n");
    running_ = true;
    link::DspDevice& dev = ctx_.device;
    dev.IRC_Sel_Test_Module(runModel_.load(), kSync);
    dev.IRC_Ctrl(kIrcStart, runCh_.load(), runEqMode_.load(), kSync);
    while (status_.load() != link::IRC_RET_TEST_DONE) {
        const int held = status_.load();
        if (held == link::IRC_RET_TEST_FAIL || held == link::IRC_RET_TEST_EXIT || stop_.load()) break;
        if (!dev.IsConnected()) break;  // the unit went away: no status will come
        dev.IRC_Get();
        Pause();
        const int status = status_.load();
        const auto ch = static_cast<uint8_t>(channel_.load());
        if (status == kIrcDistanceStatus) {
            dev.IRC_Get_Distance(ch, ch);
        } else if (status == link::IRC_RET_SPEAKER_RTA_UPDATE) {
            for (int first = 0; first + kSpectrumChunk <= kIrcSpectrumPoints - 4; first += kSpectrumChunk)
                dev.IRC_Get_Spectrum(ch, static_cast<uint8_t>(first), static_cast<uint8_t>(first + kSpectrumChunk - 1));
            dev.IRC_Get_Spectrum(ch, kIrcSpectrumPoints - 4, kIrcSpectrumPoints - 1);
        } else if (status == link::IRC_RET_EQ_DATA_UPDATE) {
            dev.IRC_Get_EQ(ch, 0, 5);
            dev.IRC_Get_EQ(ch, 6, kIrcReportedBands - 1);
        } else if (status == link::IRC_RET_TEST_DATA_UPDATE && dataUpdate_.load()) {
            dataUpdate_ = false;
        } else {
            const int progress = progress_.load();
            ToWindow(link::Message{WM_IRC_PROGRESS, static_cast<uint32_t>(progress), progress, nullptr});
        }
        Pause();
    }
    running_ = false;
    LogWriteNarrow("AutoCalThread end, pwm->mIrcStatus=0x%x\n", status_.load());
}

// ---- Window thread: what the unit reported ----------------------------------------------

IrcReaction Calibration::OnStatus(uint32_t code, int64_t param) {
    if (stop_.load()) return IrcReaction::None;
    switch (code) {
    case link::IRC_RET_TEST_DONE:
    case link::IRC_RET_TEST_EXIT:
        completed_ = true;
        return IrcReaction::Finished;
    case link::IRC_RET_TEST_FAIL:
        completed_ = false;
        return IrcReaction::Failed;
    case link::IRC_RET_START_TEST:
    case link::IRC_RET_SPEAKER_RTA_UPDATE:
    case link::IRC_RET_EQ_DATA_UPDATE:
        (void)param;  // kept on the link side
        return IrcReaction::None;
    default:
        return *IrcStatusTips(code) ? IrcReaction::Tips : IrcReaction::None;
    }
}

void Calibration::OnNotice(uint32_t msg) {
    if (msg == WM_IRC_FAILED || msg == WM_IRC_STOPPED) completed_ = false;
}

bool Calibration::OnEqBand(const link::IrcEqValue& v) {
    if (v.ch < 0 || v.ch >= kIrcChannels || v.band < 0 || v.band >= kBandsPerChannel) return false;
    LogWriteNarrow("message DSP_IRC_EQ\n");
    LogWriteNarrow("ch(%d), band(%d), freq=%d, Q=%1.2f, Gain=%.2f\n", v.ch, v.band, v.freq, static_cast<double>(v.q),
                   static_cast<double>(v.gain));
    bands_[Ch(v.ch)][static_cast<size_t>(v.band)] = EqBand{v.gain, v.q, v.freq, 1};
    if (v.band <= 9) return false;
    LogWriteNarrow("update EQ response\n");
    ComputeCurve(v.ch);
    LogWriteNarrow("update EQ response end\n");
    return true;
}

bool Calibration::OnSpectrumPoint(const link::IrcSpectrumValue& v) {
    if (v.ch < 0 || v.ch >= kIrcChannels || v.band < 0 || v.band >= kIrcSpectrumPoints) return false;
    spectrum_[Ch(v.ch)][static_cast<size_t>(v.band)] = SpectrumPoint{v.gain, static_cast<int32_t>(v.freq)};
    if (v.band != kIrcSpectrumPoints - 1) return false;
    ConvertSpectrum(v.ch);
    return true;
}

void Calibration::ComputeCurve(int ch) {
    dsp::ChannelFilters filters;  // no crossover: the bands alone
    filters.bands.assign(bands_[Ch(ch)].begin(), bands_[Ch(ch)].end());
    dsp::BuildChannelCurve(filters, false, dsp::CURVE_POINTS, curves_[Ch(ch)]);
}

void Calibration::ConvertSpectrum(int ch) {
    std::vector<double>& f = spectrumFreqs_[Ch(ch)];
    std::vector<double>& l = spectrumLevels_[Ch(ch)];
    f.resize(kIrcSpectrumPoints);
    l.resize(kIrcSpectrumPoints);
    for (size_t i = 0; i < static_cast<size_t>(kIrcSpectrumPoints); ++i) {
        f[i] = spectrum_[Ch(ch)][i].freq;
        l[i] = static_cast<double>(spectrum_[Ch(ch)][i].level);
    }
}

// ---- Apply, discard, close --------------------------------------------------------------

void Calibration::SendApply() {
    // The unit's own change, read back below, is one undo step.
    ctx_.beginUnitStep("${undo_autocal}");
    ctx_.device.IRC_Ctrl(kIrcApply, 0, eqMode_, kSync);
    applied_ = true;
    // The unit changed the measured channels' bands, bypass, delay and trim by itself:
    // read them back, so the page and the model show what the unit now plays.
    const auto scene = ctx_.Scene();
    for (int ch = 0; ch < kIrcChannels; ++ch) {
        if (!(ircCh_ & (1u << ch))) continue;
        const auto c = static_cast<uint8_t>(ch);
        ctx_.device.Get_EQ(scene, 0, c, 0, kIrcReportedBands - 1);
        ctx_.device.Get_Delay(scene, 0, c, c);
        ctx_.device.Get_Trim(scene, 0, c, c);
        ctx_.device.Get_PEQ_Bypass(scene, 0, c, c);
    }
}

std::string Calibration::Apply() {
    if (!Active() && completed_ && !applied_) {
        SendApply();
        return "${irc_applyed}";
    }
    return "${irc_start_tips}";
}

std::string Calibration::Discard() {
    if (Active() || !completed_ || applied_) return "${irc_start_tips}";
    ctx_.device.IRC_Ctrl(kIrcCancel, 0, 0, kSync);
    applied_ = true;
    return "${irc_canceled}";
}

int Calibration::CloseRun() {
    if (Active()) {
        // Only the frame's own close gets here during a run: the run is stopped first, so
        // that closing never waits for the unit to finish.
        ctx_.device.IRC_Ctrl(kIrcStop, 0, 0, kSync);
        stop_ = true;
    }
    JoinWorker();
    if (applied_) return 1;
    if (completed_ && ctx_.prompt && ctx_.prompt->Ask("${irc_apply_tips}")) {
        SendApply();
        return 1;
    }
    ctx_.device.IRC_Ctrl(kIrcCancel, 0, 0, kSync);
    applied_ = true;
    return 0;
}

}  // namespace dvdsp::core
