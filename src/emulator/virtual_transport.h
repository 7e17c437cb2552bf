#pragma once
// The virtual unit behind the HID seam: output reports go to the unit, its replies come
// back as 64-byte input reports after a settable delay. Faults can be injected: lost,
// corrupted, split or merged replies, stalls, unplugging, unreadable strings.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "emulator/virtual_unit.h"
#include "link/clock.h"
#include "link/hid_transport.h"

namespace dvdsp::emu {

class VirtualHidBackend final : public link::HidBackend {
  public:
    VirtualHidBackend(VirtualUnit& unit, link::Clock& clock = link::DefaultClock());
    ~VirtualHidBackend() override;

    int Init() override { return 0; }
    std::shared_ptr<link::HidHandle> Open(uint16_t vendorId, uint16_t productId) override;

    VirtualUnit& Unit() { return unit_; }

    // Time from a command's report to its answer (0 for unit tests).
    void SetReportDelayMs(uint32_t ms);

    // Fault injection; each count applies to the next replies the unit produces.
    void DropReplies(int count);
    void CorruptReplies(int count);  // wrong checksum byte
    void SplitReplies(int count);    // each such reply spread over two reports
    void MergeReplies(int count);    // such a reply waits and shares a report with the next
    void StallFor(uint32_t ms);      // replies are held back until the stall ends
    void FailStrings(int count);     // the last `count` of the four device strings fail

    // A fault armed for a later reply, so that a test can hit the middle or the end of a
    // sequence: it takes effect at the reply that comes after `afterReplies` more replies
    // (0: the next one). Drop, Corrupt, Split and Merge then apply to `amount` replies, as
    // their calls above; Stall holds replies back for `amount` ms from that reply on;
    // Unplug pulls the plug once the unit has taken that reply's command, before the
    // reply goes out.
    enum class Fault { Drop, Corrupt, Split, Merge, Stall, Unplug };
    void ArmFault(Fault fault, uint64_t afterReplies, uint32_t amount = 1);
    // Replies the unit has produced so far (dropped ones too).
    uint64_t RepliesProduced() const;
    // Faults that took effect so far: each reply dropped, corrupted, split or merged, each
    // stall that held a reply back, each unplug of an armed fault. A test of a fault
    // checks that its fault fired, not only that nothing went wrong.
    uint64_t FaultsFired() const;
    // The time-out of the first read after the last fault fired: the longest the link
    // should have waited for what the fault took (0 before any).
    int FaultReadTimeoutMs() const;

    // Queues a packet that the unit sends of its own accord (a DSP status report, say);
    // it is read like any reply. Nothing happens while unplugged.
    void InjectReport(const Packet& packet);

    // Plugging. Unplugging kills every open handle; listeners hear both events. Plugging
    // powers the unit on.
    void Unplug();
    void Plug();
    // A reboot of the unit (into its loader, or out of it) unplugs it once its last reply
    // has been read and plugs it back after its downtime. Those events happen when the
    // link next uses the unit, or here: the program calls this now and then.
    void Poll();
    bool Plugged() const;
    using PlugListener = std::function<void(bool plugged)>;
    int AddPlugListener(PlugListener l);
    void RemovePlugListener(int id);

    // Counters for tests.
    uint64_t ReportsWritten() const;
    uint64_t ReportsRead() const;
    size_t PendingReports() const;
    // Reads waiting for a report right now (a test waits on this, not on time).
    int ReadsInProgress() const { return readsInProgress_.load(); }

  private:
    friend class VirtualHidHandle;
    struct Report {
        std::vector<uint8_t> bytes;
        uint64_t readyMs = 0;
    };
    int Write(uint64_t generation, const uint8_t* data, size_t len);
    int Read(uint64_t generation, const std::atomic<bool>& interrupted, uint8_t* data, size_t len,
             int timeoutMs);
    int GetString(uint64_t generation, link::HidString which, std::wstring& out);
    void Enqueue(std::vector<uint8_t> bytes, uint64_t readyMs);
    // Starts the armed faults that are due at the reply about to go out; true when the
    // unit is to be unplugged instead.
    bool StartDueFaults();
    // Counts a fault that took effect (the mutex held).
    void Fired() {
        ++fired_;
        firedUnread_ = true;
    }
    // Due reboot events; `force` unplugs a rebooting unit even with replies unread.
    void ApplyReboot(bool force);
    struct Armed {
        Fault fault;
        uint64_t atReply;
        uint32_t amount;
    };

    VirtualUnit& unit_;
    link::Clock& clock_;
    mutable std::mutex mutex_;
    std::deque<Report> inbox_;
    std::vector<uint8_t> held_;  // a merged reply waiting for the next one
    uint32_t delayMs_ = 0;
    int drop_ = 0, corrupt_ = 0, split_ = 0, merge_ = 0, failStrings_ = 0;
    uint64_t stallUntil_ = 0;
    bool plugged_ = true;
    uint64_t generation_ = 1;  // handles of an earlier plug-in are dead
    uint64_t written_ = 0, read_ = 0, produced_ = 0, fired_ = 0;
    bool firedUnread_ = false;  // the next read's time-out is kept
    int faultReadTimeoutMs_ = 0;
    std::vector<Armed> armed_;
    std::atomic<int> readsInProgress_{0};
    bool rebootPending_ = false;
    uint32_t rebootDownMs_ = 0;
    uint64_t rebootAtMs_ = 0;
    uint64_t replugAtMs_ = 0;
    std::mutex listenerMutex_;
    std::vector<std::pair<int, PlugListener>> listeners_;
    int nextListener_ = 1;
};

}  // namespace dvdsp::emu
