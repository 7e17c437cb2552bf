#pragma once
// What became of a command sent to the unit, and the sequences whose commands must all be
// answered (the connection read-out, the bulk transfers, the scene commands).
//
// While an ExchangeSequence is open on a thread, every exchange that thread makes with its
// device waits for the reply to that very command (same packet type and command byte),
// reading report after report until the read time-out, and sends the command again when
// none came, kExchangeAttempts times in all. Every command of such a sequence is a query
// or an idempotent set, so sending it twice is safe. The sequence counts what went
// unanswered; once the device is gone, the rest of the sequence is not sent.

#include <cstdint>
#include <string>
#include <vector>

namespace dvdsp::link {

class DspDevice;

inline constexpr int kExchangeAttempts = 3;

enum class ExchangeResult : uint8_t {
    Answered,    // a complete, valid reply of the command's type and command byte came
    Unanswered,  // written, but no such reply within the read time-out, every attempt
    NotSent,     // the link was closed, busy beyond the write wait, or its sequence ended
    Gone,        // a write or read failed: the device went away and the link was closed
};

const char* ExchangeResultName(ExchangeResult r);

struct ExchangeOutcome {
    ExchangeResult result = ExchangeResult::NotSent;
    bool reportRead = false;  // at least one report came during the exchange
    int attempts = 0;         // times the command was written
    bool Answered() const { return result == ExchangeResult::Answered; }
};

class ExchangeSequence {
  public:
    // Opens the sequence `name` ("read-out", "restore", ...) for this thread's exchanges
    // with `device`. Sequences nest; an inner one adds its counts to the outer one when it
    // closes.
    ExchangeSequence(const DspDevice& device, std::string name);
    ~ExchangeSequence();
    ExchangeSequence(const ExchangeSequence&) = delete;
    ExchangeSequence& operator=(const ExchangeSequence&) = delete;

    // Every command so far was answered (true for an empty sequence).
    bool Complete() const { return unanswered_ == 0 && notSent_ == 0 && !gone_; }
    bool DeviceGone() const { return gone_; }
    int Commands() const { return commands_; }
    int Unanswered() const { return unanswered_; }
    int Resent() const { return resent_; }
    // Empty when complete; otherwise what went wrong and the first commands concerned,
    // e.g. "read-out: 1 of 530 commands unanswered: DSP_EQ_CH get [00 00 03 07 0d]".
    std::string Summary() const;

    // For DspDevice: the innermost sequence this thread has open on `device`, or null.
    static ExchangeSequence* Current(const DspDevice& device);
    void Record(const std::string& command, const ExchangeOutcome& outcome);

  private:
    static constexpr size_t kKeptMissing = 4;

    const DspDevice& device_;
    std::string name_;
    ExchangeSequence* outer_;
    int commands_ = 0, unanswered_ = 0, notSent_ = 0, resent_ = 0;
    bool gone_ = false;
    std::string goneAt_;
    std::vector<std::string> missing_;  // the first commands unanswered or not sent
};

}  // namespace dvdsp::link
