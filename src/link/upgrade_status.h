#pragma once
// Where a firmware upgrade stands (sys_upg_status). The device link owns the one status of
// a unit; the image checks and the transfer are handed it, and the controller reads it to
// leave plug events alone while an upgrade enters or starts.

#include <atomic>
#include <cstdint>

namespace dvdsp::link {

enum UpgStatus : int32_t {
    UPG_IDLE = 0,
    UPG_ENTER = 16,
    UPG_START = 32,
    UPG_SEND_BIN_DATA = 48,
    UPG_WAITING_BIN_DATA_ACK = 49,
    UPG_FINISH = 64,
    UPG_FAIL = 80,
    UPG_ERASED = 96,
};

// Sub-state of one transfer step: act on the status, a reply is expected, read the reply
// now, stopped.
enum UpgStepPhase : int32_t {
    kStepAct = 0,
    kStepReplyExpected = 1,
    kStepReadReply = 2,
    kStepStopped = 3,
};

// The status shared between the threads that run and watch an upgrade, with the phase of
// the transfer step (an acknowledgement that says "not ready" sends the step back to
// waiting for a further reply).
class UpgradeStatus {
  public:
    int32_t Get() const { return value_.load(); }
    void Set(int32_t s) { value_.store(s); }
    // An upgrade is under way: plug events are to be ignored. That covers the whole
    // transfer, not only entering and starting it: the unit's return from its reboot into
    // the loader is heard while the blocks already flow, and taking it for a plug-in
    // would close the link in the middle of the transfer.
    bool Busy() const { return Get() != UPG_IDLE; }

    int32_t Phase() const { return phase_.load(); }
    void SetPhase(int32_t p) { phase_.store(p); }

  private:
    std::atomic<int32_t> value_{UPG_IDLE};
    std::atomic<int32_t> phase_{kStepAct};
};

}  // namespace dvdsp::link
