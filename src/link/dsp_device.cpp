#include "link/dsp_device.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

#include "base/identity.h"
#include "base/log.h"
#include "link/commands.h"
#include "link/protocol/decode.h"
#include "link/protocol/scene_mcu.h"

namespace dvdsp::link {

namespace {
std::atomic<uint32_t> g_sendCounter{0};
}

DspDevice::DspDevice(HidBackend& backend, Clock& clock)
    : backend_(backend), clock_(clock), rxBuffer_(kOutReportSize, 0) {
    for (auto& t : targets_) t = nullptr;
    worker_ = std::thread([this] { McuCmdThread(); });
}

DspDevice::~DspDevice() {
    worker_running_ = 0;
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void DspDevice::SetDeviceProfile(uint8_t pcModelId, int32_t outputCount, int32_t inputCount,
                                 int32_t trimIsAttenuation, int32_t noiseToMain) {
    profile_.pc_model_id = pcModelId;
    profile_.output_count = outputCount;
    profile_.input_count = inputCount;
    profile_.trim_is_attenuation = trimIsAttenuation;
    profile_.noise_to_main = noiseToMain;
}

void DspDevice::SetTarget(Target target, MessageSink* sink) {
    targets_[static_cast<size_t>(target)] = sink;
}

std::shared_ptr<HidHandle> DspDevice::Handle() const {
    std::lock_guard lock(handleMutex_);
    return handle_;
}

bool DspDevice::IsConnected() const {
    return Handle() != nullptr;
}

int DspDevice::OpenHIDDevice() {
    int r = backend_.Init();
    if (r != 0) return r;
    std::shared_ptr<HidHandle> h = backend_.Open(kVendorId, kProductId);
    if (!h) {
        LogWriteNarrow("unable to open device\n");
        return -1;
    }
    int failures = 0;
    std::wstring s;
    if (h->GetString(HidString::Manufacturer, s) == 0) {
        LogWrite(L"Manufacturer String: %ls\n", s.c_str());
    } else {
        LogWriteNarrow("Unable to read manufacturer string\n");
        ++failures;
    }
    if (h->GetString(HidString::Product, s) == 0) {
        LogWrite(L"Product String: %ls\n", s.c_str());
    } else {
        LogWriteNarrow("Unable to read product string\n");
        ++failures;
    }
    if (h->GetString(HidString::Serial, s) == 0) {
        LogWrite(L"Serial Number String: (%d) %ls\n", s.empty() ? 0 : static_cast<int>(s[0]),
                 s.c_str());
    } else {
        LogWriteNarrow("Unable to read serial number string\n");
        ++failures;
    }
    if (h->GetString(HidString::Indexed1, s) == 0) {
        LogWrite(L"Indexed String 1: %ls\n", s.c_str());
    } else {
        LogWriteNarrow("Unable to read indexed string 1\n");
        ++failures;
    }
    if (failures >= 3) {
        LogWriteNarrow("read HID info error, unable open device correctly\n");
        return -1;
    }
    r = h->SetNonblocking(true);
    {
        std::lock_guard lock(handleMutex_);
        handle_ = std::move(h);
    }
    return r;
}

void DspDevice::CloseHIDDevice(bool notify) {
    if (!IsConnected()) return;
    if (notify) PC_Connect(0);
    std::shared_ptr<HidHandle> h;
    {
        std::lock_guard lock(handleMutex_);
        h = std::move(handle_);
        handle_.reset();
    }
    if (h) h->Interrupt();
    LogWriteNarrow("CloseHIDDevice!\n");
}

void DspDevice::LogSendStart(uint8_t type, uint8_t cmd, uint8_t op, uint64_t start) {
    if (type == CMD_DSP && op == OP_GET) {
        uint32_t n = ++g_sendCounter;
        if (cmd == DSP_MIX_TYPE2) {
            LogWriteNarrow("SendCtrlCommand %u, DSP_MIX_TYPE2\n", n);
        } else if (cmd <= 77) {
            LogWrite(L"SendCtrlCommand %d, %S\n", static_cast<int>(n), kDspCommandNames[cmd]);
        } else {
            LogWriteNarrow("SendCtrlCommand %u, %d\n", n, cmd);
        }
    }
    LogWriteNarrow("SendCtrlCommand timestart = %ld\n", static_cast<long>(start));
}

bool DspDevice::LockExchange(std::unique_lock<std::mutex>& lock, uint64_t start) {
    for (;;) {
        if (!IsConnected()) {
            LogWriteNarrow("mHidHandle is NULL, break out send cmd!\n");
            return false;
        }
        if (lock.try_lock()) return true;
        if (clock_.NowMs() - start > kWriteWaitMs) {
            LogWriteNarrow("time out, break out send cmd!\n");
            return false;
        }
        clock_.SleepMs(1);
    }
}

int DspDevice::SendLocked(uint8_t type, uint8_t cmd, uint8_t op, const uint8_t* data, size_t len) {
    std::shared_ptr<HidHandle> h = Handle();
    if (!h) {
        LogWriteNarrow("mHidHandle is NULL, break out send cmd!\n");
        return 0;
    }
    LogWriteNarrow("SendCtrlCommand Cmd:0x%02x, subcmd:0x%02x, optype:0x%02x, len:0x%02x\n", type,
                   cmd, op, static_cast<unsigned>(len));
    auto report = BuildCommandReport(type, cmd, op, data, len);
    LogWriteNarrow("begain to write data to devices:\n");
    LogHexBytes(report.data(), report.size());
    LogWriteNarrow("set WRITE_ROPRT = TRUE\n");
    if (!IsConnected()) {
        LogWriteNarrow("mHidHandle is NULL, can't send cmd\n");
        return 0;
    }
    int r = h->Write(report.data(), report.size());
    last_write_tick_ = clock_.NowMs();
    if (r < 0) {
        LogWrite(L"Write HidDeviceObject = %d errot = %ls\n", static_cast<int>(h != nullptr),
                 h->Error().c_str());
        DropFailedHandle(h, "write");
        return -1;
    }
    LogWriteNarrow("write data ok! HidDeviceObject = %d\n", 1);
    return 1;
}

void DspDevice::DropFailedHandle(const std::shared_ptr<HidHandle>& h, const char* what) {
    {
        std::lock_guard lock(handleMutex_);
        if (handle_ != h) return;  // closed (or opened again) by someone else meanwhile
        handle_.reset();
    }
    h->Interrupt();
    LogWriteNarrow("the %s failed: the device is gone, link closed\n", what);
}

bool DspDevice::SendCtrlCommand(uint8_t type, uint8_t cmd, uint8_t op, const uint8_t* data,
                                size_t len) {
    uint64_t start = clock_.NowMs();
    LogSendStart(type, cmd, op, start);
    if (!IsConnected()) return false;
    std::unique_lock<std::mutex> lock(exchangeMutex_, std::defer_lock);
    if (!LockExchange(lock, start)) return false;
    return SendLocked(type, cmd, op, data, len) > 0;
}

bool DspDevice::ReadHIDData(int timeoutMs) {
    std::lock_guard lock(exchangeMutex_);
    return ReadLocked(timeoutMs);
}

bool DspDevice::ReadLocked(int timeoutMs) {
    return ReadReportLocked(timeoutMs) > 0;
}

int DspDevice::ReadReportLocked(int timeoutMs) {
    uint64_t start = clock_.NowMs();
    LogWriteNarrow("ReadHIDData timestart = %ld\n", static_cast<long>(start));
    std::shared_ptr<HidHandle> h = Handle();
    if (!h) {
        LogWriteNarrow("mHidHandle is NULL\n");
        bytes_read_ = 0;
        return -1;
    }
    // An error means the device is gone (or the link was closed under the read): reading
    // again does not heal it, so the link closes now.
    int n = h->ReadTimeout(rxBuffer_.data(), kReportSize, timeoutMs);
    LogWriteNarrow("ReadHIDData done timeend-timestart = %ld\n",
                   static_cast<long>(clock_.NowMs() - start));
    LogWriteNarrow("ReadHIDData NumberOfBytesRead = %d\n", n);
    if (n <= 0) {
        if (n < 0) DropFailedHandle(h, "read");
        bytes_read_ = 0;
        return n < 0 ? -1 : 0;
    }
    bytes_read_ = n;
    LogWriteNarrow("read data: ");
    LogHexBytes(rxBuffer_.data(), static_cast<size_t>(n));
    if (!IsConnected()) {
        LogWriteNarrow("mHidHandle is NULL\n");
        bytes_read_ = 0;
        return -1;
    }
    receiver_.Append(rxBuffer_.data(), static_cast<size_t>(n));
    receiver_.Drain([this] { return IsConnected(); },
                    [this](uint8_t len, uint8_t type, const uint8_t* payload) {
                        packet_process(len, type, payload);
                    });
    return n;
}

ExchangeResult DspDevice::ReadReplyLocked(int timeoutMs, bool& reportRead) {
    const uint64_t deadline = clock_.NowMs() + static_cast<uint64_t>(std::max(timeoutMs, 0));
    for (;;) {
        const uint64_t now = clock_.NowMs();
        const int left = now >= deadline ? 0 : static_cast<int>(deadline - now);
        const int n = ReadReportLocked(left);
        if (n > 0) reportRead = true;
        if (answered_) return ExchangeResult::Answered;
        if (n < 0) return ExchangeResult::Gone;
        // A report without the reply (half of a split reply, a late answer to an earlier
        // command) is followed by another read while time is left.
        if (n == 0 || clock_.NowMs() >= deadline) return ExchangeResult::Unanswered;
    }
}

void DspDevice::BeginExpecting(uint8_t type, uint8_t cmd) {
    expecting_ = true;
    answered_ = false;
    expectType_ = type;
    expectCmd_ = cmd;
}

ExchangeOutcome DspDevice::Exchange(uint8_t type, uint8_t cmd, uint8_t op,
                                    const std::vector<uint8_t>& data, int timeoutMs) {
    ExchangeOutcome out;
    ExchangeSequence* sequence = ExchangeSequence::Current(*this);
    auto done = [&]() -> ExchangeOutcome {
        if (sequence)
            sequence->Record(out.Answered() ? std::string() : DescribeCommand(type, cmd, op, data), out);
        return out;
    };
    if (sequence && sequence->DeviceGone()) return done();  // the sequence has ended
    uint64_t start = clock_.NowMs();
    LogSendStart(type, cmd, op, start);
    if (!IsConnected()) return done();
    std::unique_lock<std::mutex> lock(exchangeMutex_, std::defer_lock);
    if (!LockExchange(lock, start)) return done();

    if (!sequence) {
        // On its own: one write and one report, whatever that holds.
        BeginExpecting(type, cmd);
        out.attempts = 1;
        const int w = SendLocked(type, cmd, op, data.data(), data.size());
        const int n = w > 0 ? ReadReportLocked(timeoutMs) : -1;
        expecting_ = false;
        out.reportRead = n > 0;
        if (answered_) out.result = ExchangeResult::Answered;
        else if (w == 0) out.result = ExchangeResult::NotSent;
        else out.result = n < 0 ? ExchangeResult::Gone : ExchangeResult::Unanswered;
        return done();
    }

    for (int attempt = 1; attempt <= kExchangeAttempts; ++attempt) {
        BeginExpecting(type, cmd);
        const int w = SendLocked(type, cmd, op, data.data(), data.size());
        if (w <= 0) {
            out.result = w < 0 ? ExchangeResult::Gone : ExchangeResult::NotSent;
            break;
        }
        out.attempts = attempt;
        out.result = ReadReplyLocked(timeoutMs, out.reportRead);
        if (out.result != ExchangeResult::Unanswered) break;
        LogWriteNarrow("no reply to %s (attempt %d of %d)\n",
                       DescribeCommand(type, cmd, op, data).c_str(), attempt, kExchangeAttempts);
    }
    expecting_ = false;
    // Answers to earlier attempts that are here already are read now, so that none is
    // taken for the answer to a later command of the same kind.
    if (out.result == ExchangeResult::Answered && out.attempts > 1)
        while (ReadReportLocked(0) > 0) {
        }
    return done();
}

bool DspDevice::Send(uint8_t type, uint8_t cmd, uint8_t op, std::vector<uint8_t> data,
                     bool immediate, int timeoutMs) {
    return Send(protocol::Frame{type, cmd, op, std::move(data)}, immediate, timeoutMs);
}

bool DspDevice::Send(protocol::Frame frame, bool immediate, int timeoutMs) {
    if (!protocol::FitsOneReport(frame)) {
        LogWriteNarrow("command 0x%02x 0x%02x too long (%u bytes), not sent\n", frame.type,
                       frame.cmd, static_cast<unsigned>(frame.data.size()));
        return false;
    }
    if (immediate) {
        Exchange(frame.type, frame.cmd, frame.op, frame.data, timeoutMs);
        return true;
    }
    if (queue_enabled_) {
        QueuedCommand q;
        q.key = coalescing_ ? protocol::CoalescingKey(frame) : 0;
        if (q.key != 0) {
            std::lock_guard lock(coalesceMutex_);
            q.generation = ++newest_[q.key];
        }
        q.frame = std::move(frame);
        queue_.Push(std::move(q));
        queue_idle_ = 0;
        wake_.notify_one();
        return true;
    }
    return false;
}

bool DspDevice::WaitQueueIdle(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!queue_idle_) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool DspDevice::Hand_Connect() {
    LogWriteNarrow("Hand_Connect\n");
    const protocol::Frame f = protocol::Hand_Connect();
    return Exchange(f.type, f.cmd, f.op, f.data, kDefaultReadTimeoutMs).reportRead;
}

void DspDevice::PC_Connect(uint8_t state) {
    LogWriteNarrow("PC_Connect = %d\n", state);
    const protocol::Frame f = protocol::PC_Connect(state);
    SendCtrlCommand(f.type, f.cmd, f.op, f.data.data(), f.data.size());
}

bool DspDevice::PingMsg() {
    if (clock_.NowMs() - last_write_tick_ < kPingQuietMs) {
        LogWriteNarrow("skip ping as no need\n");
        return true;
    }
    LogWriteNarrow("PingMsg\n");
    const protocol::Frame f = protocol::PingMsg();
    SendCtrlCommand(f.type, f.cmd, f.op, f.data.data(), f.data.size());
    return true;
}

void DspDevice::McuCmdThread() {
    LogWriteNarrow("McuCmdThread start\n");
    // worker_running_ was set at construction; setting it again here would undo a
    // destruction that came before the thread got going, and it would never end.
    auto logRecord = [](const CommandRecord& r) {
        std::string line;
        char b[8];
        for (uint8_t v : r.data) {
            std::snprintf(b, sizeof b, " 0x%02x", v);
            line += b;
        }
        LogWriteNarrow("get mcmd 0x%02x subcmd 0x%02x optype 0x%02x len 0x%02x cmd_data:%s\n",
                       r.type, r.cmd, r.op, static_cast<unsigned>(r.data.size()), line.c_str());
    };
    QueuedCommand q;
    while (worker_running_) {
        if (!queue_.Pop(q)) {
            if (!queue_idle_) {
                queue_idle_ = 1;
                // A command pushed just before the flag was set must clear it again.
                if (!queue_.Empty()) queue_idle_ = 0;
            }
            std::unique_lock lk(wakeMutex_);
            wake_.wait_for(lk, std::chrono::milliseconds(5));
            continue;
        }
        const CommandRecord& rec = q.frame;
        if (Superseded(q)) {
            LogWriteNarrow("superseded by a newer command to the same address: 0x%02x 0x%02x\n", rec.cmd,
                           rec.data.size() > 2 ? rec.data[2] : 0);
            q = QueuedCommand{};
            continue;
        }
        logRecord(rec);
        Exchange(rec.type, rec.cmd, rec.op, rec.data, kDefaultReadTimeoutMs);
        q = QueuedCommand{};
    }
    while (queue_.Pop(q)) logRecord(q.frame);  // discarded unsent
    LogWriteNarrow("McuCmdThread end\n");
}

bool DspDevice::Superseded(const QueuedCommand& q) {
    if (q.key == 0) return false;
    std::lock_guard lock(coalesceMutex_);
    auto it = newest_.find(q.key);
    if (it != newest_.end() && it->second != q.generation) {
        ++coalesced_;
        return true;
    }
    // The newest of its address: none older waits any more (the queue keeps its order).
    if (it != newest_.end()) newest_.erase(it);
    return false;
}

void DspDevice::Post(Target target, Message message) {
    MessageSink* sink = targets_[static_cast<size_t>(target)];
    if (sink) sink->Post(std::move(message));
    // With no receiver the message (and its record) is dropped here.
}

void DspDevice::ResetReceiveRing() {
    std::lock_guard lock(exchangeMutex_);
    receiver_.Reset();
}

void DspDevice::packet_process(uint8_t len, uint8_t type, const uint8_t* payload) {
    if (expecting_ && type == expectType_ && len >= 2 && payload[0] == expectCmd_) answered_ = true;
    for (protocol::Posting& p : protocol::DecodeReply(len, type, payload, profile_, state_))
        Post(p.target, std::move(p.message));
}

}  // namespace dvdsp::link
