// The sequences of exchanges whose commands must all be answered (link/exchange.h).
#include "link/exchange.h"

#include <cstdio>
#include <utility>

#include "base/log.h"

namespace dvdsp::link {

namespace {
thread_local ExchangeSequence* t_innermost = nullptr;  // this thread's open sequences
}

const char* ExchangeResultName(ExchangeResult r) {
    switch (r) {
    case ExchangeResult::Answered: return "answered";
    case ExchangeResult::Unanswered: return "unanswered";
    case ExchangeResult::NotSent: return "not sent";
    case ExchangeResult::Gone: return "device gone";
    }
    return "?";
}

ExchangeSequence::ExchangeSequence(const DspDevice& device, std::string name)
    : device_(device), name_(std::move(name)), outer_(t_innermost) {
    t_innermost = this;
}

ExchangeSequence::~ExchangeSequence() {
    t_innermost = outer_;
    if (!Complete()) LogWriteNarrow("%s\n", Summary().c_str());
    for (ExchangeSequence* o = outer_; o; o = o->outer_) {
        if (&o->device_ != &device_) continue;
        o->commands_ += commands_;
        o->unanswered_ += unanswered_;
        o->notSent_ += notSent_;
        o->resent_ += resent_;
        if (gone_ && !o->gone_) {
            o->gone_ = true;
            o->goneAt_ = goneAt_;
        }
        for (const std::string& m : missing_)
            if (o->missing_.size() < kKeptMissing) o->missing_.push_back(m);
        break;
    }
}

ExchangeSequence* ExchangeSequence::Current(const DspDevice& device) {
    for (ExchangeSequence* s = t_innermost; s; s = s->outer_)
        if (&s->device_ == &device) return s;
    return nullptr;
}

void ExchangeSequence::Record(const std::string& command, const ExchangeOutcome& outcome) {
    ++commands_;
    if (outcome.attempts > 1) resent_ += outcome.attempts - 1;
    switch (outcome.result) {
    case ExchangeResult::Answered: return;
    case ExchangeResult::Unanswered: ++unanswered_; break;
    case ExchangeResult::NotSent: ++notSent_; break;
    case ExchangeResult::Gone:
        if (!gone_) goneAt_ = command;
        gone_ = true;
        ++unanswered_;
        break;
    }
    if (outcome.result != ExchangeResult::NotSent || !gone_)
        if (missing_.size() < kKeptMissing) missing_.push_back(command);
}

std::string ExchangeSequence::Summary() const {
    if (Complete()) return {};
    std::string s = name_ + ": ";
    char b[96];
    if (gone_) {
        s += "the unit went away at " + goneAt_ + " (the link is closed)";
        if (notSent_ > 0) {
            std::snprintf(b, sizeof b, "; %d later commands were not sent", notSent_);
            s += b;
        }
        return s;
    }
    std::snprintf(b, sizeof b, "%d of %d commands unanswered after %d attempts", unanswered_ + notSent_,
                  commands_, kExchangeAttempts);
    s += b;
    for (size_t i = 0; i < missing_.size(); ++i) s += (i ? ", " : ": ") + missing_[i];
    if (static_cast<size_t>(unanswered_ + notSent_) > missing_.size()) s += ", ...";
    return s;
}

}  // namespace dvdsp::link
