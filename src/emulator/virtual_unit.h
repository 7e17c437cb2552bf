#pragma once
// The virtual VTR50: answers the wire protocol as the unit does. It takes command
// packets (the 64 bytes of an output report) and returns the reply packets the unit
// would send. Timing, faults and the HID side live in VirtualHidBackend.
//
// The unit keeps the live settings (scene 0), ten stored scenes and the unit-wide
// settings (UnitState). Every OP_GET it knows is answered with the OP_UPDATE report of
// the values asked for, every OP_SET with an OP_ACK (0x0A when the values were stored,
// 0x60 when the command named something the unit does not have). A command it does not
// know gets no answer and is counted. Optionally the state is kept in a JSON file, as a
// real unit keeps its flash across power cycles.

#include <array>
#include <cstdint>
#include <functional>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/unit_state.h"
#include "link/clock.h"
#include "link/messages.h"
#include "platform/locked_file.h"

namespace dvdsp::emu {

struct UnitIdentity {
    uint8_t model = 98;
    uint8_t fwMain = 2;
    uint8_t fwSub = 27;
    bool refuseHandshake = false;
    std::wstring manufacturer = L"DRAVIK";
    std::wstring product = L"VTR50 DSP Amplifier";
    std::wstring serial = L"VTR50-000001";
    std::wstring indexed1 = L"VTR50";
    std::array<uint8_t, 4> flashVersion = {2, 27, 0, 1};
    uint8_t bootloaderVersion = 3;
    std::string info = "VTR50 MCU V2.27";  // at most 16 bytes go on the wire
};

struct CommandKey {
    uint8_t type = 0, cmd = 0, op = 0;
    auto operator<=>(const CommandKey&) const = default;
};

using Packet = std::vector<uint8_t>;

// Calibration status codes as the unit reports them (shared with the decoders).
using link::IrcRet;
using enum link::IrcRet;
inline constexpr int kIrcSpectrumPoints = 121;
inline constexpr int kIrcEqBands = 11;

// A calibration run. Its status advances one step per `stepMs` over the test phases,
// then per selected channel the spectrum and EQ updates, then the data update and done.
// A step that offers data (the spectrum, the EQ bands) is held until the data was read.
struct Calibration {
    bool started = false;   // a run was started since power-on
    bool finished = false;  // done, failed or stopped
    bool resultPending = false;
    uint64_t startMs = 0;
    uint64_t stepStartMs = 0;  // when the current step began
    size_t step = 0;           // index into the run's plan
    bool stepRead = false;     // the current step's data was read
    uint16_t mask = 0;  // selected output channels
    uint8_t eqMode = 0;
    uint8_t modules = 7;  // IRC_Sel_Test_Module
    uint8_t testMic = 0;
    uint8_t status = IRC_RET_START_TEST;
    uint8_t progress = 0;
    uint8_t channel = 0;
    uint8_t failCode = 0;
    int failWith = -1;  // failure code this run ends with, -1 for none
    std::array<uint8_t, kOutputs> roles{};  // speaker roles when the run started
};

class VirtualUnit {
  public:
    explicit VirtualUnit(link::Clock& clock = link::DefaultClock());
    virtual ~VirtualUnit();
    VirtualUnit(const VirtualUnit&) = delete;
    VirtualUnit& operator=(const VirtualUnit&) = delete;

    // Handles one output report without its report ID. Reports that do not hold a valid
    // command frame are ignored (counted as malformed).
    std::vector<Packet> HandleReport(const uint8_t* report, size_t n);

    UnitIdentity& Identity() { return identity_; }

    // What the unit has seen.
    uint64_t CommandsHandled() const;
    uint64_t UnknownCommands() const;
    // The first kKeptUnknownCommands of them, in the order they came.
    std::vector<CommandKey> UnknownCommandList() const;
    static constexpr size_t kKeptUnknownCommands = 64;
    // The last kKeptCommands commands the unit handled (oldest first), with their data
    // bytes; a test reads what a window sent from here.
    struct ReceivedCommand {
        CommandKey key;
        std::vector<uint8_t> data;
    };
    std::vector<ReceivedCommand> ReceivedCommands() const;
    // Of them, those with this type, command and operation.
    std::vector<std::vector<uint8_t>> Received(uint8_t type, uint8_t cmd, uint8_t op) const;
    static constexpr size_t kKeptCommands = 256;
    uint64_t MalformedReports() const;
    bool PcAttached() const;
    int PingCount() const;
    int RebootCount() const;
    // The unit runs its loader: it refuses the hand-shake and answers only the transfer.
    bool InUpgradeMode() const;
    // ---- Firmware transfer ---------------------------------------------------------
    // The next `blocks` data blocks are answered "not ready" first and "ready" a moment
    // later (as a separate report).
    void SetUpgradeNotReady(int blocks);
    // The next `count` start commands are refused.
    void RefuseUpgradeStart(int count);
    // Time the unit stays away when it reboots (into its loader or back out of it).
    void SetRebootDowntimeMs(uint32_t ms);
    // A reboot the unit asked for since the last call: how long it stays away (0: none).
    // The HID side unplugs it once its last reply has gone out, and plugs it back after.
    uint32_t TakeRebootRequest();
    // Replies that leave the unit a moment after the others, in a report of their own.
    std::vector<Packet> TakeLateReplies();
    // Power comes back after an unplug: the unit starts what it can start.
    void PowerOn();
    // MCU data blocks taken in the current transfer.
    size_t UpgradeBlocksTaken() const;
    // The scene that ReadScene with target 255 prepared (0 when none).
    uint8_t PreparedScene() const;

    // ---- Test access ------------------------------------------------------------
    // The state itself; only while no other thread talks to the unit.
    UnitState& State() { return state_; }
    template <typename F>
    auto WithState(F&& f) {
        std::lock_guard lock(mutex_);
        return f(state_);
    }
    // Every setting back to the defaults, stored scenes erased (as Factory_Default_Ctrl).
    void FactoryReset();
    // The next calibration runs fail with this code (0 to 5); -1 lets them succeed.
    void SetCalibrationFailure(int code);
    void SetCalibrationStepMs(uint32_t ms);
    Calibration CalibrationState();
    // DSP on/off status, reported by DSP_DSP_STATUS.
    void SetDspStatus(uint8_t on);
    // The report the unit sends by itself when its DSP status changes.
    Packet DspStatusReport() const;
    // Memory words written with Set_MemData.
    size_t MemoryWords() const;

    // ---- State file ---------------------------------------------------------------
    // Loads the state kept in `path` and keeps it there from now on, holding the file's
    // lock so that no other process runs the same unit. A missing (or empty) file is a new
    // unit: its defaults are written at once. False, with `why`, when the file is not used:
    // another process holds it (`inUse` set), it is no state file (never moved or changed),
    // it cannot be read or written, its folder does not exist, or it is a damaged state
    // file and `replaceDamaged` is off. With `replaceDamaged` a damaged state file is kept
    // as `path`.bad.N (the first N free) and the unit starts from its defaults; the result
    // is then true and `why` says so.
    bool AttachStateFile(const std::string& path, std::string* why, bool replaceDamaged = false,
                         bool* inUse = nullptr);
    // Writes the state file now (atomically); false with `why` on failure.
    bool SaveStateNow(std::string* why = nullptr);
    // Writes pending changes; false with `why` when they could not be written and are lost
    // when the unit goes.
    bool FlushState(std::string* why = nullptr);
    const std::string& StateFilePath() const { return stateFile_.Path(); }

  protected:
    using Handler = std::function<void(const uint8_t* data, size_t n, std::vector<Packet>& out)>;
    // Registers the handler of one command; the protocol families add theirs.
    void On(uint8_t type, uint8_t cmd, uint8_t op, Handler h);
    static Packet Reply(uint8_t type, uint8_t cmd, uint8_t op, std::vector<uint8_t> data);
    static Packet Ack(uint8_t type, uint8_t cmd, uint8_t status = 0x0A, uint8_t value = 0);

    // Marks the state changed; `flash` for changes a unit writes to its flash at once.
    void Changed(bool flash);

    mutable std::recursive_mutex mutex_;
    UnitIdentity identity_;

  private:
    void RegisterLinkCommands();
    void RegisterGlobalCommands();
    void RegisterOutputCommands();
    void RegisterOutputGroupCommands();
    void RegisterInputMixCommands();
    void RegisterSceneCommands();
    void RegisterMcuCommands();
    void RegisterUpgradeCommands();
    void RegisterIrcCommands();
    void RegisterKtvCommands();

    // The unit goes away and comes back: in its loader, or running what it can run.
    void Reboot(bool intoLoader);
    void InstallMcu();
    // The state with the running firmware's versions, as the state file keeps it.
    const UnitState& SyncedState();
    void UpdateCalibration();
    void ApplyCalibration();
    // The data of the current step was read (spectrum point 120, EQ band 10 of its channel).
    void CalibrationDataRead(uint8_t status, int ch);
    void MaybeSave();

    link::Clock& clock_;
    UnitState state_;
    std::map<CommandKey, Handler> handlers_;
    uint64_t handled_ = 0;
    std::deque<ReceivedCommand> received_;
    uint64_t malformed_ = 0;
    std::vector<CommandKey> unknown_;
    uint64_t unknownCount_ = 0;
    bool pcAttached_ = false;
    int pings_ = 0;
    int reboots_ = 0;
    // The transfer in progress (in the loader).
    struct Transfer {
        enum class Kind { None, Mcu, Bootloader, Flash } kind = Kind::None;
        std::array<uint8_t, 4> header{};
        std::map<uint32_t, std::array<uint8_t, 32>> mcuBlocks;  // by offset
        std::vector<uint8_t> flash;
        bool flashGap = false;
        bool flashDone = false;  // a complete DSP image was written
    } transfer_;
    int notReadyBlocks_ = 0;
    int refuseStarts_ = 0;
    uint32_t rebootDowntimeMs_ = 1500;
    uint32_t rebootRequest_ = 0;
    bool bootIntoLoader_ = false;
    std::vector<Packet> late_;
    uint8_t preparedScene_ = 0;
    uint8_t dspStatus_ = 1;
    std::map<uint32_t, uint32_t> memory_;
    Calibration irc_;
    int ircFailure_ = -1;
    uint32_t ircStepMs_ = 500;

    platform::LockedFile stateFile_;
    bool dirty_ = false;
    bool flashDirty_ = false;
    uint64_t lastSaveMs_ = 0;
};

}  // namespace dvdsp::emu
