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
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "link/clock.h"
#include "link/command_queue.h"
#include "link/exchange.h"
#include "link/hid_transport.h"
#include "link/messages.h"
#include "link/packet.h"
#include "link/protocol/calibration.h"
#include "link/protocol/frame.h"
#include "link/protocol/output.h"
#include "link/upgrade_status.h"

namespace dvdsp::link {

// Queued form of a command: its frame, which owns its data bytes.
using CommandRecord = protocol::Frame;
using DeviceProfile = protocol::DeviceProfile;


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

    // ---- Command operations ----------------------------------------------------------
    // Each builds its frame with the protocol function of the same name (link/protocol/)
    // and hands it to the send step below. `immediate` chooses between sending at once and
    // the queue; operations without it always send at once. Ranged set commands take one
    // value per channel from ch_start to ch_end, in channel order (missing values are 0).

    // Global device settings.
    void Get_Source_Config();
    void Source_Switch_Ctrl(uint8_t source, bool immediate);
    void Get_Source();
    void Main_Volume_Ctrl(float volumeDb, bool immediate);  // dB, as the user holds it
    void Get_Main_Volume();
    void Subwoofer_Volume_Ctrl(int8_t level, bool immediate);
    void Get_Subwoofer_Volume();
    void Mute_Ctrl(uint8_t mute, bool immediate);
    void Get_Mute();
    void Amp_Mute_Ctrl(uint8_t mute, bool immediate);
    void Get_Amp_Mute();
    void Rem_Out_Ctrl(uint8_t remOut1, uint8_t remOut2, bool immediate);
    void Get_Rem_Out();
    void Spk_Ohm_Ctrl(uint8_t ohm, bool immediate);
    void Get_Spk_Ohm();
    void Noise_Gate_Ctrl(uint8_t onoff, bool immediate);
    void Get_Noise_Gate();
    void Spk_Ch_Config_Ctrl(uint8_t config, bool immediate);
    void Get_Speaker_Config();
    void Sel_Remote_CH_Ctrl(uint16_t selection, bool immediate);
    void Get_Remote_CH();
    void Remote_CH_Volume_Ctrl(uint8_t volume, bool immediate);
    void Factory_Preset_Ctrl(uint8_t mode);
    void Get_Factory_Preset();
    void Setup_Mode_Ctrl(uint8_t mode);
    void Get_Setup_Mode();
    void Set_MemData(uint32_t address, uint32_t data, bool immediate);
    void Get_MemData(uint32_t address);

    // Output channels, ranged.
    void Delay_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                    const std::vector<float>& delayMs, bool immediate);
    // Trims are gains in dB (0 or below), as the user and the model hold them.
    void Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                   const std::vector<float>& trimDb, bool immediate);
    void Mute_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                      const std::vector<uint8_t>& mute, bool immediate);
    void Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                    const std::vector<uint8_t>& phase, bool immediate);
    void Mix_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                     const std::vector<uint16_t>& inputMask, bool immediate);
    void CH_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                      const std::vector<uint8_t>& type, bool immediate);
    void PEQ_Bypass_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                         const std::vector<uint8_t>& bypass, bool immediate);
    void Solo_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                   const std::vector<uint8_t>& solo, bool immediate);
    void HPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                         const std::vector<uint8_t>& mode, bool immediate);
    void LPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                         const std::vector<uint8_t>& mode, bool immediate);
    void Spk_Dist_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                       const std::vector<uint16_t>& hundredths, bool immediate);
    void Compressor_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                            const std::vector<uint8_t>& on, bool immediate);
    void Get_Delay(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_Trim(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_Mute_Ch(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_Phase(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_Mix_Ch(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_CH_Type(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_PEQ_Bypass(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_Ch_Solo(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_HPF_Q_Fact_Mode(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_LPF_Q_Fact_Mode(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_Spk_Dist(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_Compressor_Ch_On(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_All_Bypass(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_PEQ_Reset(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_Compressor(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_Compressor2(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);

    // Output channels, other.
    void Filter_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t iFilter, uint8_t type,
                     uint16_t freq, uint8_t slope, bool immediate);
    void Get_Filter(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t band, uint16_t freq, float q,
                 float gain, bool immediate);
    void Get_EQ(uint8_t scene, uint8_t source, uint8_t ch, uint8_t bandStart, uint8_t bandEnd);
    void Remap_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t outCh,
                       const std::vector<uint8_t>& inputs, bool immediate);
    void Get_Remap_Ch(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    using ChannelPairs = protocol::ChannelPairs;
    void CH_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs, bool immediate);
    void CH_Trim_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs, bool immediate);
    void CH_Delay_Link_Ctrl(uint8_t scene, uint8_t link, const ChannelPairs& pairs, bool immediate);
    void Get_CH_Link(uint8_t scene);
    void Get_CH_Trim_Link(uint8_t scene);
    void Get_CH_Delay_Link(uint8_t scene);
    void CH_Lock_Ctrl(uint8_t scene, uint8_t lock, bool immediate);
    void Get_CH_Lock(uint8_t scene);
    void DSP_Bypass_Ctrl(uint8_t scene, uint8_t selector, uint8_t bypass, bool immediate);
    void PEQ_Reset_Ctrl(uint8_t scene, uint8_t source, const std::vector<uint8_t>& channels,
                        bool immediate);
    void Compressor_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t bypass, float threshold,
                         float ratio, float softKnee, uint16_t attack, uint16_t release,
                         bool immediate);
    using Compressor2 = protocol::Compressor2;
    void Compressor_Ctrl2(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                          const std::vector<Compressor2>& values, bool immediate);
    void Output_Bridge_Ctrl(uint8_t scene, uint8_t source, const std::vector<uint8_t>& bridge,
                            bool immediate);
    void Get_Ouput_Bridge(uint8_t scene, uint8_t source, uint8_t count);

    // Scenes in the unit's flash.
    void SaveScene(uint8_t scene, uint8_t immediately);
    void ReadScene(uint8_t fromScene, uint8_t toScene);
    void DeleteScene(uint8_t scene);
    void SetSceneName(uint8_t scene, const std::vector<uint8_t>& name);
    void GetSceneName(uint8_t scene);
    void SetSceneProfile(uint8_t scene, uint16_t start, const std::vector<uint8_t>& bytes);
    void GetSceneProfile(uint8_t scene, uint16_t start, uint8_t length);
    void GetSceneId();
    void GetSceneValid();

    // Microcontroller.
    void Get_Flash_Version();
    void Get_Bootloader_Version();
    void SetPWD(const std::string& password, const std::string& remark);
    void Get_PWD();
    void Get_MCU_Info(bool immediate);
    void Set_Power_Off_Time(uint16_t ms, bool immediate);
    void Get_Delay_Power_Off_Time();
    void Set_Acc(uint8_t delay, bool immediate);
    void Get_Acc();
    void MCU_Reboot_Ctrl();
    void Factory_Default_Ctrl();
    void MCU_Enter_Upg_Mode();

    // Inputs.
    void Input_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                         const std::vector<uint8_t>& gain, bool immediate);
    void Get_Input_Trim(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Mute_Input_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                            const std::vector<uint8_t>& mute, bool immediate);
    void Get_Mute_Input_Ch(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Input_Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd,
                          const std::vector<uint8_t>& phase, bool immediate);
    void Get_Phase_Input_Ch(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    using EqBandSetting = Band;
    void Input_EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t bandStart,
                       uint8_t bandEnd, const std::vector<EqBandSetting>& bands, bool immediate);
    void Get_Input_EQ(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t bandStart,
                      uint8_t bandEnd);
    void Input_Ch_Threshold_Ctrl(int8_t threshold, bool immediate);
    void Get_Input_Threshold(uint8_t scene, uint8_t source, bool immediate);
    void Get_Input_Noise(uint8_t chX, uint8_t chY, bool immediate);

    // Mixer and source mixing.
    void Input_Mix_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t outStart,
                             uint8_t outEnd, const std::vector<int8_t>& trim, bool immediate);
    void Get_Input_Mix_CH_Trim(uint8_t scene, uint8_t source, uint8_t inCh, uint8_t outStart,
                               uint8_t outEnd);
    void Input_Mix_Trim_Ctrl2(uint8_t scene, uint8_t source, uint8_t inStart, uint8_t inEnd,
                              uint8_t outCh, const std::vector<int8_t>& trim, bool immediate);
    void Mix_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t type, bool immediate);
    void Mix_Type2_Ctrl(uint8_t scene, uint8_t source, uint8_t type, bool immediate);
    void Get_Mix_Type(uint8_t scene, uint8_t source);
    void Get_Mix_Type2(uint8_t scene, uint8_t source);
    void Mix_Source_Switch_Ctrl(uint8_t source, bool immediate);
    void Get_Mix_Source();
    void Cross_Source_Mix_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t viceSource,
                               uint8_t viceCh, uint8_t viceGain, bool immediate);
    void Get_Mix_Source2(uint8_t scene, uint8_t source, uint8_t ch);
    void Cross_Source_Mix_Ctrl_CS47048(uint8_t scene, uint8_t source, uint8_t ch,
                                       uint8_t viceSource, uint8_t viceCh, bool immediate);
    void Get_Mix_Source2_CS47048(uint8_t scene, uint8_t source);
    void Get_InDistort(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);
    void Get_OutDistort(uint8_t scene, uint8_t source, uint8_t chStart, uint8_t chEnd);

    // Automatic calibration and processing switches.
    void IRC_Ctrl(uint8_t on, uint16_t ircch, uint8_t irc_eqmode, bool syncMode);
    void IRC_Get();
    void IRC_Get_Distance(uint8_t ch, uint8_t chEnd);
    void IRC_Get_Trim(uint8_t ch, uint8_t chEnd);
    void IRC_Get_EQ(uint8_t ch, uint8_t band, uint8_t bandEnd);
    void IRC_Get_Spk_Size(uint8_t ch, uint8_t chEnd);
    void IRC_Get_Spk_Phase(uint8_t ch, uint8_t chEnd);
    void IRC_Get_Spk_Level(uint8_t ch, uint8_t chEnd);
    void IRC_Get_Spectrum(uint8_t ch, uint8_t band, uint8_t bandEnd);
    void IRC_Get_Noise_Level(uint8_t ch, uint8_t chEnd);
    void IRC_Get_RTA();
    void IRC_Set_Test_Mic(uint8_t on, bool immediate);
    void IRC_Sel_Test_Module(uint8_t moduleMask, bool syncMode);
    void IRC_Active_Bypass_Ctrl(uint8_t source, uint8_t active, bool immediate);
    void Auto_Effect_Ctrl(uint8_t source, uint8_t on, bool immediate);
    void Get_AUTO_ON();
    static constexpr size_t kAutoSettingBlockSize = protocol::kAutoSettingBlockSize;
    void CS_Auto_Setting_Ctrl(const std::array<uint8_t, kAutoSettingBlockSize>& block,
                              bool immediate);

    // Karaoke effects.
    void KTV_Set(uint8_t parameter, int value, bool immediate);
    void KTV_Get(uint8_t parameter);

    void EnableCmdQueue() { queue_enabled_ = 1; }
    void DisableCmdQueue() { queue_enabled_ = 0; }
    bool QueueEnabled() const { return queue_enabled_ != 0; }
    bool QueueIdle() const { return queue_idle_ != 0; }
    // Queued band and filter sets that were not sent because a newer one to the same
    // address was queued behind them.
    uint64_t CoalescedCommands() const { return coalesced_.load(); }
    // Off: every queued command goes out, also one a newer one to its address replaces
    // (tests that count the commands an operation issues). On by default.
    void SetCoalescing(bool on) { coalescing_ = on; }
    // Waits (real time) until the worker has sent and answered everything queued.
    bool WaitQueueIdle(int timeoutMs);

    // The send step shared by every encoder: at once (send and read on this thread),
    // queued for the worker, or dropped while the queue is disabled. Returns true when the
    // command was written or queued.
    // A frame too long for one report is refused (false), never cut short.
    bool Send(protocol::Frame frame, bool immediate, int timeoutMs = kDefaultReadTimeoutMs);
    bool Send(uint8_t type, uint8_t cmd, uint8_t op, std::vector<uint8_t> data, bool immediate,
              int timeoutMs = kDefaultReadTimeoutMs);
    // One command written and its answer read under the exchange lock. On its own: one
    // report is read. Inside an ExchangeSequence of this thread: reports are read until the
    // reply to this command came or the time-out passed, and the command is sent again
    // when it did not (kExchangeAttempts in all); the sequence records the outcome. A
    // write or read that fails (the device went away) closes the link at once.
    ExchangeOutcome Exchange(uint8_t type, uint8_t cmd, uint8_t op,
                             const std::vector<uint8_t>& data, int timeoutMs);

    // State written by the decoders.
    int32_t Model() const { return state_.model; }
    bool HandshakeOk() const { return state_.handshake_ok != 0; }
    uint8_t BootloaderVersion() const { return state_.bootloader_version; }
    void ClearBootloaderVersion() { state_.bootloader_version = 0; }
    int32_t MasterVersion() const { return state_.master_version; }
    int32_t SlaveVersion() const { return state_.slave_version; }
    int32_t UpgStatusValue() const { return state_.upgrade.Get(); }
    void SetUpgStatus(int32_t s) { state_.upgrade.Set(s); }
    UpgradeStatus& UpgradeState() { return state_.upgrade; }
    // Resets the read and write positions of the receive ring (and its parser).
    void ResetReceiveRing();
    int32_t BytesRead() const { return bytes_read_; }

    // Decodes one complete, valid packet and posts what it yields.
    void packet_process(uint8_t len, uint8_t type, const uint8_t* payload);

  private:
    void McuCmdThread();
    std::shared_ptr<HidHandle> Handle() const;
    // 1 when written, 0 without a handle, -1 when the write failed (the link is closed).
    int SendLocked(uint8_t type, uint8_t cmd, uint8_t op, const uint8_t* data, size_t len);
    bool ReadLocked(int timeoutMs);
    // Reads and decodes one report: its length, 0 on time-out, -1 when the link is closed
    // (a failed read closes it).
    int ReadReportLocked(int timeoutMs);
    // Names the reply the exchange in progress waits for; packet_process notes its arrival.
    void BeginExpecting(uint8_t type, uint8_t cmd);
    // Reads until the expected reply came or `timeoutMs` passed.
    ExchangeResult ReadReplyLocked(int timeoutMs, bool& reportRead);
    // Closes the link after a failed write or read of `h` (unless it was closed or
    // reopened meanwhile).
    void DropFailedHandle(const std::shared_ptr<HidHandle>& h, const char* what);
    void LogSendStart(uint8_t type, uint8_t cmd, uint8_t op, uint64_t start);
    // Takes the exchange lock, waiting up to the write wait; false when it timed out or the
    // handle went away meanwhile.
    bool LockExchange(std::unique_lock<std::mutex>& lock, uint64_t start);
    void Post(Target target, Message message);

    HidBackend& backend_;
    Clock& clock_;
    DeviceProfile profile_;
    std::array<std::atomic<MessageSink*>, kTargetCount> targets_{};

    std::atomic<uint8_t> queue_idle_{0};
    std::atomic<uint8_t> worker_running_{1};
    std::atomic<uint8_t> queue_enabled_{0};
    protocol::LinkState state_;  // written by the decoders
    std::atomic<int32_t> bytes_read_{0};
    std::atomic<uint64_t> last_write_tick_{0};

    mutable std::mutex handleMutex_;
    std::shared_ptr<HidHandle> handle_;
    std::mutex exchangeMutex_;  // one send together with its read
    // The reply the exchange in progress waits for (under exchangeMutex_).
    bool expecting_ = false;
    bool answered_ = false;
    uint8_t expectType_ = 0, expectCmd_ = 0;

    PacketReceiver receiver_;
    std::vector<uint8_t> rxBuffer_;

    // A queued command; a band or filter set carries its address's key and its rank among
    // the commands queued for that address, so the worker sends only the newest of them.
    struct QueuedCommand {
        CommandRecord frame;
        uint64_t key = 0;
        uint64_t generation = 0;
    };
    bool Superseded(const QueuedCommand& q);

    SpscQueue<QueuedCommand> queue_;
    std::mutex coalesceMutex_;
    std::unordered_map<uint64_t, uint64_t> newest_;  // key -> generation of the newest queued
    std::atomic<uint64_t> coalesced_{0};
    std::atomic<bool> coalescing_{true};
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    std::thread worker_;
};

}  // namespace dvdsp::link
