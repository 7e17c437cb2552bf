#include "link/exchange.h"

#include <cstdio>
#include <utility>

#include "base/log.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::link {

namespace {

thread_local ExchangeSequence* t_innermost = nullptr;

std::string Narrow(const wchar_t* w) {
    std::string s;
    for (; w && *w; ++w) s += static_cast<char>(*w);
    return s;
}

std::string CommandName(uint8_t type, uint8_t cmd) {
    if (type == CMD_DSP) {
        if (const wchar_t* name = DspCommandName(cmd)) return Narrow(name);
    } else if (type == CMD_FLASH) {
        switch (cmd) {
        case FLASH_SCENE_SAVE: return "FLASH_SCENE_SAVE";
        case FLASH_SCENE_READ: return "FLASH_SCENE_READ";
        case FLASH_SCENE_DELETE: return "FLASH_SCENE_DELETE";
        case FLASH_SCENE_NAME: return "FLASH_SCENE_NAME";
        case FLASH_SCENE_PROFILE: return "FLASH_SCENE_PROFILE";
        case FLASH_SCENE_ID: return "FLASH_SCENE_ID";
        case FLASH_SCENE_VALID: return "FLASH_SCENE_VALID";
        default: break;
        }
    } else if (type == CMD_MCU) {
        switch (cmd) {
        case MCU_HANDSHAKE: return "MCU_HANDSHAKE";
        case MCU_ACC: return "MCU_ACC";
        case MCU_PING: return "MCU_PING";
        default: break;
        }
    }
    char b[32];
    std::snprintf(b, sizeof b, "type %u cmd 0x%02x", type, cmd);
    return b;
}

}  // namespace

const char* ExchangeResultName(ExchangeResult r) {
    switch (r) {
    case ExchangeResult::Answered: return "answered";
    case ExchangeResult::Unanswered: return "unanswered";
    case ExchangeResult::NotSent: return "not sent";
    case ExchangeResult::Gone: return "device gone";
    }
    return "?";
}

std::string DescribeCommand(uint8_t type, uint8_t cmd, uint8_t op, const std::vector<uint8_t>& data) {
    std::string s = CommandName(type, cmd);
    s += op == OP_GET ? " get" : op == OP_SET ? " set" : " op";
    if (op != OP_GET && op != OP_SET) {
        char b[8];
        std::snprintf(b, sizeof b, " 0x%02x", op);
        s += b;
    }
    s += " [";
    const size_t shown = data.size() < 8 ? data.size() : 8;
    for (size_t i = 0; i < shown; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02x", data[i]);
        if (i) s += ' ';
        s += b;
    }
    if (shown < data.size()) s += " ...";
    s += ']';
    return s;
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
