#include "link/dsp_device.h"

#include <chrono>

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
    write_report_ = 0;
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
    transfer_busy_ = 1;
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

bool DspDevice::SendLocked(uint8_t type, uint8_t cmd, uint8_t op, const uint8_t* data, size_t len) {
    std::shared_ptr<HidHandle> h = Handle();
    if (!h) {
        LogWriteNarrow("mHidHandle is NULL, break out send cmd!\n");
        return false;
    }
    LogWriteNarrow("SendCtrlCommand Cmd:0x%02x, subcmd:0x%02x, optype:0x%02x, len:0x%02x\n", type,
                   cmd, op, static_cast<unsigned>(len));
    auto report = BuildCommandReport(type, cmd, op, data, len);
    LogWriteNarrow("begain to write data to devices:\n");
    LogHexBytes(report.data(), report.size());
    write_report_ = 1;
    LogWriteNarrow("set WRITE_ROPRT = TRUE\n");
    if (!IsConnected()) {
        LogWriteNarrow("mHidHandle is NULL, can't send cmd\n");
        write_report_ = 0;
        return false;
    }
    int r = h->Write(report.data(), report.size());
    last_write_tick_ = clock_.NowMs();
    write_report_ = 0;
    if (r < 0) {
        LogWrite(L"Write HidDeviceObject = %d errot = %ls\n", static_cast<int>(h != nullptr),
                 h->Error().c_str());
        return false;
    }
    LogWriteNarrow("write data ok! HidDeviceObject = %d\n", 1);
    return true;
}

bool DspDevice::SendCtrlCommand(uint8_t type, uint8_t cmd, uint8_t op, const uint8_t* data,
                                size_t len) {
    uint64_t start = clock_.NowMs();
    LogSendStart(type, cmd, op, start);
    if (!IsConnected()) return false;
    std::unique_lock<std::mutex> lock(exchangeMutex_, std::defer_lock);
    if (!LockExchange(lock, start)) return false;
    return SendLocked(type, cmd, op, data, len);
}

bool DspDevice::ReadHIDData(int timeoutMs) {
    std::lock_guard lock(exchangeMutex_);
    return ReadLocked(timeoutMs);
}

bool DspDevice::ReadLocked(int timeoutMs) {
    uint64_t start = clock_.NowMs();
    LogWriteNarrow("ReadHIDData timestart = %ld\n", static_cast<long>(start));
    transfer_busy_ = 1;
    int n;
    for (;;) {
        std::shared_ptr<HidHandle> h = Handle();
        if (!h) {
            LogWriteNarrow("mHidHandle is NULL\n");
            bytes_read_ = 0;
            write_report_ = 0;
            return false;
        }
        n = h->ReadTimeout(rxBuffer_.data(), kReportSize, timeoutMs);
        if (n >= 0) break;
        if (clock_.NowMs() - start > static_cast<uint64_t>(timeoutMs)) break;
        clock_.SleepMs(1);  // an error repeats at once otherwise (unplugged device)
    }
    LogWriteNarrow("ReadHIDData done timeend-timestart = %ld\n",
                   static_cast<long>(clock_.NowMs() - start));
    LogWriteNarrow("ReadHIDData NumberOfBytesRead = %d\n", n);
    if (n <= 0) {
        bytes_read_ = 0;
        transfer_busy_ = 0;
        return false;
    }
    bytes_read_ = n;
    LogWriteNarrow("read data: ");
    LogHexBytes(rxBuffer_.data(), static_cast<size_t>(n));
    if (!IsConnected()) {
        LogWriteNarrow("mHidHandle is NULL\n");
        bytes_read_ = 0;
        write_report_ = 0;
        return false;
    }
    receiver_.Append(rxBuffer_.data(), static_cast<size_t>(n));
    receiver_.Drain([this] { return IsConnected(); },
                    [this](uint8_t len, uint8_t type, const uint8_t* payload) {
                        packet_process(len, type, payload);
                    });
    transfer_busy_ = 0;
    return true;
}

bool DspDevice::Exchange(uint8_t type, uint8_t cmd, uint8_t op, const std::vector<uint8_t>& data,
                         int timeoutMs) {
    uint64_t start = clock_.NowMs();
    LogSendStart(type, cmd, op, start);
    if (!IsConnected()) return false;
    std::unique_lock<std::mutex> lock(exchangeMutex_, std::defer_lock);
    if (!LockExchange(lock, start)) return false;
    SendLocked(type, cmd, op, data.data(), data.size());
    // The read follows even when the write failed, as the unit may still answer.
    return ReadLocked(timeoutMs);
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
        queue_.Push(std::move(frame));
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
    return Exchange(f.type, f.cmd, f.op, f.data, kDefaultReadTimeoutMs);
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
    CommandRecord rec;
    while (worker_running_) {
        if (!queue_.Pop(rec)) {
            if (!queue_idle_) {
                queue_idle_ = 1;
                // A command pushed just before the flag was set must clear it again.
                if (!queue_.Empty()) queue_idle_ = 0;
            }
            std::unique_lock lk(wakeMutex_);
            wake_.wait_for(lk, std::chrono::milliseconds(5));
            continue;
        }
        logRecord(rec);
        Exchange(rec.type, rec.cmd, rec.op, rec.data, kDefaultReadTimeoutMs);
        rec = CommandRecord{};
    }
    while (queue_.Pop(rec)) logRecord(rec);  // discarded unsent
    LogWriteNarrow("McuCmdThread end\n");
}

void DspDevice::Post(Target target, Message message) {
    MessageSink* sink = targets_[static_cast<size_t>(target)];
    if (sink) sink->Post(std::move(message));
    // With no receiver the message (and its record) is dropped here.
}

void DspDevice::packet_process(uint8_t len, uint8_t type, const uint8_t* payload) {
    for (protocol::Posting& p : protocol::DecodeReply(len, type, payload, profile_, state_))
        Post(p.target, std::move(p.message));
}

}  // namespace dvdsp::link
