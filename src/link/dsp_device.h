#pragma once
// DspDevice: the one object through which the program talks to the unit. It opens the
// unit through the HID seam, writes command packets, reads replies with a time-out,
// decodes them and posts the results to the registered targets, and runs the command
// worker that sends queued commands one at a time.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "link/clock.h"
#include "link/command_queue.h"
#include "link/hid_transport.h"
#include "link/messages.h"
#include "link/packet.h"

namespace dvdsp::link {

// Queued form of a command. The record owns its data bytes.
struct CommandRecord {
    uint8_t type = 0;
    uint8_t cmd = 0;
    uint8_t op = 0;
    std::vector<uint8_t> data;
};

struct DeviceProfile {
    uint8_t pc_model_id = 98;
    int32_t output_count = 10;
    int32_t input_count = 8;
    int32_t trim_is_attenuation = 1;
    int32_t noise_to_main = 0;
};

// Upgrade status of the link (sys_upg_status).
enum UpgStatus : int32_t {
    UPG_IDLE = 0,
    UPG_ENTER = 16,
    UPG_START = 32,
};

inline constexpr int kDefaultReadTimeoutMs = 10000;
inline constexpr uint32_t kWriteWaitMs = 2000;
inline constexpr uint32_t kPingQuietMs = 400;

class DspDevice {
public:
    // The backend and clock must outlive the device.
    explicit DspDevice(HidBackend& backend, Clock& clock = DefaultClock());
    ~DspDevice();
    DspDevice(const DspDevice&) = delete;
    DspDevice& operator=(const DspDevice&) = delete;

    void SetDeviceProfile(uint8_t pcModelId, int32_t outputCount, int32_t inputCount,
                          int32_t trimIsAttenuation, int32_t noiseToMain);
    const DeviceProfile& Profile() const { return profile_; }

    // Registers the receiver of one target's messages (null to unregister).
    void SetTarget(Target target, MessageSink* sink);

    int OpenHIDDevice();
    bool IsConnected() const;
    void CloseHIDDevice(bool notify);

    bool SendCtrlCommand(uint8_t type, uint8_t cmd, uint8_t op, const uint8_t* data, size_t len);
    bool ReadHIDData(int timeoutMs);

    bool Hand_Connect();
    void PC_Connect(uint8_t state);
    bool PingMsg();

    void EnableCmdQueue() { queue_enabled_ = 1; }
    void DisableCmdQueue() { queue_enabled_ = 0; }
    bool QueueEnabled() const { return queue_enabled_ != 0; }
    bool QueueIdle() const { return queue_idle_ != 0; }
    // Waits (real time) until the worker has sent and answered everything queued.
    bool WaitQueueIdle(int timeoutMs);

    // The send step shared by every encoder: at once (send and read on this thread),
    // queued for the worker, or dropped while the queue is disabled. Returns true when the
    // command was written or queued.
    bool Send(uint8_t type, uint8_t cmd, uint8_t op, std::vector<uint8_t> data, bool immediate,
              int timeoutMs = kDefaultReadTimeoutMs);
    // One command written and one report read under the exchange lock.
    bool Exchange(uint8_t type, uint8_t cmd, uint8_t op, const std::vector<uint8_t>& data,
                  int timeoutMs);

    // State written by the decoders.
    int32_t Model() const { return model_; }
    bool HandshakeOk() const { return handshake_ok_ != 0; }
    uint8_t BootloaderVersion() const { return bootloader_version_; }
    int32_t MasterVersion() const { return master_version_; }
    int32_t SlaveVersion() const { return slave_version_; }
    int32_t UpgStatusValue() const { return sys_upg_status_; }
    void SetUpgStatus(int32_t s) { sys_upg_status_ = s; }
    int32_t BytesRead() const { return bytes_read_; }

    // Dispatches one complete, valid packet by its type.
    void packet_process(uint8_t len, uint8_t type, const uint8_t* payload);

private:
    void McuCmdThread();
    std::shared_ptr<HidHandle> Handle() const;
    bool SendLocked(uint8_t type, uint8_t cmd, uint8_t op, const uint8_t* data, size_t len);
    bool ReadLocked(int timeoutMs);
    void LogSendStart(uint8_t type, uint8_t cmd, uint8_t op, uint64_t start);
    // Takes the exchange lock, waiting up to the write wait; false when it timed out or the
    // handle went away meanwhile.
    bool LockExchange(std::unique_lock<std::mutex>& lock, uint64_t start);
    void Post(Target target, Message message);
    void Post(Target target, uint32_t msg, uint32_t wparam, int64_t value);
    void Post(Target target, uint32_t msg, uint32_t wparam, std::unique_ptr<Record> record);

    // Decoders (one per packet type).
    void dsp_ack_process(const uint8_t* payload, uint8_t len);
    void mcu_ack_process(const uint8_t* payload, uint8_t len);
    void flash_ack_process(const uint8_t* payload, uint8_t len);
    void ktv_ack_process(const uint8_t* payload, uint8_t len);
    // Parts of dsp_ack_process kept in their own files; each returns true when the
    // command was one of its own. `d` is the data and `n` the data bytes in the packet.
    bool dsp_input_ack(uint8_t cmd, uint8_t op, const uint8_t* d, int n);
    bool dsp_irc_ack(uint8_t cmd, uint8_t op, const uint8_t* d, int n);
    void irc_status_process(const uint8_t* d);
    void PostEqBands(Target target, uint32_t msg, uint32_t wparam, const uint8_t* d, int n);

    HidBackend& backend_;
    Clock& clock_;
    DeviceProfile profile_;
    std::array<std::atomic<MessageSink*>, kTargetCount> targets_{};

    std::atomic<uint8_t> queue_idle_{0};
    std::atomic<uint8_t> worker_running_{1};
    std::atomic<uint8_t> queue_enabled_{0};
    std::atomic<int32_t> model_{-1};
    std::atomic<int32_t> master_version_{0};
    std::atomic<int32_t> slave_version_{0};
    std::atomic<uint8_t> handshake_ok_{0};
    std::atomic<uint8_t> bootloader_version_{0};
    std::atomic<int32_t> sys_upg_status_{UPG_IDLE};
    std::atomic<int32_t> write_report_{0};   // WRITE_ROPRT
    std::atomic<int32_t> transfer_busy_{0};
    std::atomic<int32_t> bytes_read_{0};
    std::atomic<uint64_t> last_write_tick_{0};

    mutable std::mutex handleMutex_;
    std::shared_ptr<HidHandle> handle_;
    std::mutex exchangeMutex_;  // one send together with its read

    PacketReceiver receiver_;
    std::vector<uint8_t> rxBuffer_;
    uint32_t dspAckCounter_ = 0;

    SpscQueue<CommandRecord> queue_;
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    std::thread worker_;
};

}  // namespace dvdsp::link
