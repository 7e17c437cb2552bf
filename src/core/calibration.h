#pragma once
// The calibration part of the controller: one automatic calibration run of the unit at a
// time. The unit measures and corrects; this part sequences its commands from a worker
// thread (AutoCalThread), keeps what the unit reported (status, distances, spectra, the
// correction bands and their curves) and decides what apply, discard and closing send.
// The window shows what the part reports and never shares a control with the worker:
// the worker only sends commands and posts messages to the window's sink.
//
// Calibration replies reach this part first, on the thread that read them, so the worker
// sees each status as soon as its poll returns; every message then goes on to the window.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/controller_context.h"
#include "core/model.h"
#include "dsp/channel_curve.h"
#include "link/messages.h"

namespace dvdsp::core {

// Notices posted to the calibration window (WM_USER + 241 to 244).
inline constexpr uint32_t WM_IRC_COMPLETED = 1024 + 241;
inline constexpr uint32_t WM_IRC_FAILED = 1024 + 242;
inline constexpr uint32_t WM_IRC_STOPPED = 1024 + 243;
inline constexpr uint32_t WM_IRC_PROGRESS = 1024 + 244;

inline constexpr int kIrcChannels = 10;
inline constexpr int kIrcSpectrumPoints = 121;
inline constexpr int kIrcReportedBands = 11;  // the unit reports bands 0 to 10
inline constexpr uint32_t kIrcPollPauseMs = 500;
// The worker asks for a distance when it holds this status (the unit's decoder never
// produces it; kept for units that do).
inline constexpr int kIrcDistanceStatus = 14;

// `mIrcModel` bits.
enum IrcModelBit { kIrcEq = 0, kIrcDelay = 1, kIrcPhase = 2 };
inline constexpr uint8_t kIrcModelAll = 7;

// IRC_Ctrl operations.
enum IrcOperation : uint8_t { kIrcStop = 0, kIrcStart = 1, kIrcApply = 2, kIrcCancel = 3 };

struct SpectrumPoint {
    float level = 0;   // dB
    int32_t freq = 0;  // Hz
};

// What the window does with a status update.
enum class IrcReaction {
    None,      // nothing shown (stop was requested, or only a value was kept)
    Tips,      // show StatusTips(code)
    Finished,  // completed (10, 12)
    Failed,    // failed (11); the tips are FailureTips(param)
};

// The tips of a status code (1 to 6 and 9), "" for the others.
const char* IrcStatusTips(uint32_t code);
// The tips of a failure code (0 to 5), "${irc_failed}" for others.
const char* IrcFailureTips(int64_t code);
// The role codes the calibration does not measure: none (0) and the subwoofers (22-24).
bool IrcSubwooferRole(int role);

class Calibration final : public link::MessageSink {
public:
    explicit Calibration(ControllerContext& ctx) : ctx_(ctx) {}
    ~Calibration() override;
    Calibration(const Calibration&) = delete;
    Calibration& operator=(const Calibration&) = delete;

    // The window opens: its sink receives every calibration message from now on; the
    // stored results start empty (flat bands, silent spectra) and their curves computed.
    void Open(link::MessageSink* window);
    // The window goes: the worker is joined and the messages stop.
    void Close();
    // The worker's pauses run on this clock (tests: a manual one); null: the controller's.
    void SetPollClock(link::Clock* clock) { pollClock_ = clock; }

    // Link side (any thread): keeps the status for the worker, forwards to the window.
    void Post(link::Message message) override;

    // ---- Window thread ------------------------------------------------------------
    uint8_t IrcModel() const { return ircModel_; }
    void SetIrcModelBit(int bit, bool on);
    uint16_t IrcChannels() const { return ircCh_; }
    uint8_t EqMode() const { return eqMode_; }

    // Start or stop (the start button). Start with no correction selected shows
    // "${irc_option_warning_tips}" and sends nothing (false). With a run active it is
    // stopped: IRC_Ctrl stop sent, the worker joined.
    enum class Toggle { Refused, Started, Stopped };
    Toggle StartOrStop(uint16_t channels, uint8_t eqMode);
    // A run is active: the worker has not ended and the unit has not reported an end.
    bool Active();
    bool Completed() const { return completed_; }
    bool Applied() const { return applied_; }
    bool StopRequested() const { return stop_.load(); }
    int Progress() const { return progress_.load(); }
    int CurrentChannel() const { return channel_.load(); }
    int Status() const { return status_.load(); }

    // A status update as the window handles it (code, parameter).
    IrcReaction OnStatus(uint32_t code, int64_t param);
    // A notice of completion, failure or stop (WM_IRC_COMPLETED, _FAILED, _STOPPED).
    void OnNotice(uint32_t msg);
    // Data updates: true when the channel's EQ curve (band 10 in) or its spectrum (point
    // 120 in) was computed anew.
    bool OnEqBand(const link::IrcEqValue& v);
    bool OnSpectrumPoint(const link::IrcSpectrumValue& v);

    // Apply and discard: the tips to show; the command is sent when the last run
    // completed and was neither applied nor cancelled.
    std::string Apply();
    std::string Discard();
    // Closing: joins the worker (a run still active is stopped first); asks
    // "${irc_apply_tips}" after a completed run that was not applied or cancelled and
    // applies on OK; cancels in every other case not applied. Returns the window's result.
    int CloseRun();

    const std::array<EqBand, kBandsPerChannel>& MeasuredBands(int ch) const { return bands_[Ch(ch)]; }
    const std::array<SpectrumPoint, kIrcSpectrumPoints>& Spectrum(int ch) const { return spectrum_[Ch(ch)]; }
    // The graph's series: EQ curves on the 512-point grid and spectra as doubles.
    const dsp::ChannelCurve& EqCurve(int ch) const { return curves_[Ch(ch)]; }
    const std::vector<double>& SpectrumFreqs(int ch) const { return spectrumFreqs_[Ch(ch)]; }
    const std::vector<double>& SpectrumLevels(int ch) const { return spectrumLevels_[Ch(ch)]; }

private:
    static size_t Ch(int ch) { return static_cast<size_t>(ch < 0 || ch >= kIrcChannels ? 0 : ch); }
    void AutoCalThread();
    void Pause();
    void JoinWorker();
    void ComputeCurve(int ch);
    void ConvertSpectrum(int ch);
    void ToWindow(link::Message m);
    void SendApply();

    ControllerContext& ctx_;
    link::Clock* pollClock_ = nullptr;
    std::mutex sinkMutex_;
    link::MessageSink* window_ = nullptr;
    std::thread worker_;

    uint16_t ircCh_ = 0;
    uint8_t ircModel_ = kIrcModelAll;
    uint8_t eqMode_ = 0;
    // Shared with the worker.
    std::atomic<int> status_{0};
    std::atomic<int> progress_{0};
    std::atomic<int> channel_{0};
    std::atomic<bool> running_{false};
    std::atomic<bool> stop_{false};
    std::atomic<bool> dataUpdate_{false};
    std::atomic<uint8_t> runModel_{kIrcModelAll};
    std::atomic<uint16_t> runCh_{0};
    std::atomic<uint8_t> runEqMode_{0};
    // Window thread only.
    bool completed_ = false;
    bool applied_ = false;

    std::array<std::array<EqBand, kBandsPerChannel>, kIrcChannels> bands_{};
    std::array<std::array<SpectrumPoint, kIrcSpectrumPoints>, kIrcChannels> spectrum_{};
    std::array<dsp::ChannelCurve, kIrcChannels> curves_{};
    std::array<std::vector<double>, kIrcChannels> spectrumFreqs_{}, spectrumLevels_{};
};

}  // namespace dvdsp::core
