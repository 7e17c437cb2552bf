#include "emulator/virtual_transport.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "base/identity.h"
#include "link/packet.h"

namespace dvdsp::emu {

namespace {
// How much later than the others a late reply goes out.
constexpr uint64_t kLateReplyMs = 20;
// How long unread replies can delay a reboot.
constexpr uint64_t kRebootGraceMs = 200;
}  // namespace

class VirtualHidHandle final : public link::HidHandle {
  public:
    VirtualHidHandle(VirtualHidBackend& b, uint64_t gen) : backend_(b), generation_(gen) {}
    int GetString(link::HidString which, std::wstring& out) override {
        return backend_.GetString(generation_, which, out);
    }
    int SetNonblocking(bool) override { return 0; }
    int Write(const uint8_t* data, size_t len) override {
        return backend_.Write(generation_, data, len);
    }
    int ReadTimeout(uint8_t* data, size_t len, int timeoutMs) override {
        return backend_.Read(generation_, interrupted_, data, len, timeoutMs);
    }
    std::wstring Error() override { return L"The device is not connected."; }
    void Interrupt() override { interrupted_ = true; }

  private:
    VirtualHidBackend& backend_;
    uint64_t generation_;
    std::atomic<bool> interrupted_{false};
};

VirtualHidBackend::VirtualHidBackend(VirtualUnit& unit, link::Clock& clock)
    : unit_(unit), clock_(clock) {}

VirtualHidBackend::~VirtualHidBackend() = default;

std::shared_ptr<link::HidHandle> VirtualHidBackend::Open(uint16_t vendorId, uint16_t productId) {
    ApplyReboot(true);
    std::lock_guard lock(mutex_);
    if (!plugged_ || vendorId != kVendorId || productId != kProductId) return nullptr;
    return std::make_shared<VirtualHidHandle>(*this, generation_);
}

void VirtualHidBackend::SetReportDelayMs(uint32_t ms) {
    std::lock_guard lock(mutex_);
    delayMs_ = ms;
}
void VirtualHidBackend::DropReplies(int count) {
    std::lock_guard lock(mutex_);
    drop_ = count;
}
void VirtualHidBackend::CorruptReplies(int count) {
    std::lock_guard lock(mutex_);
    corrupt_ = count;
}
void VirtualHidBackend::SplitReplies(int count) {
    std::lock_guard lock(mutex_);
    split_ = count;
}
void VirtualHidBackend::MergeReplies(int count) {
    std::lock_guard lock(mutex_);
    merge_ = count;
}
void VirtualHidBackend::StallFor(uint32_t ms) {
    std::lock_guard lock(mutex_);
    stallUntil_ = clock_.NowMs() + ms;
}
void VirtualHidBackend::FailStrings(int count) {
    std::lock_guard lock(mutex_);
    failStrings_ = std::clamp(count, 0, 4);
}

void VirtualHidBackend::ArmFault(Fault fault, uint64_t afterReplies, uint32_t amount) {
    std::lock_guard lock(mutex_);
    armed_.push_back(Armed{fault, produced_ + afterReplies, amount});
}

uint64_t VirtualHidBackend::RepliesProduced() const {
    std::lock_guard lock(mutex_);
    return produced_;
}

uint64_t VirtualHidBackend::FaultsFired() const {
    std::lock_guard lock(mutex_);
    return fired_;
}

int VirtualHidBackend::FaultReadTimeoutMs() const {
    std::lock_guard lock(mutex_);
    return faultReadTimeoutMs_;
}

bool VirtualHidBackend::StartDueFaults() {
    bool unplug = false;
    std::erase_if(armed_, [&](const Armed& a) {
        if (a.atReply != produced_) return false;
        const int n = static_cast<int>(a.amount);
        switch (a.fault) {
        case Fault::Drop: drop_ = n; break;
        case Fault::Corrupt: corrupt_ = n; break;
        case Fault::Split: split_ = n; break;
        case Fault::Merge: merge_ = n; break;
        case Fault::Stall:
            stallUntil_ = clock_.NowMs() + a.amount;
            if (a.amount > 0) Fired();  // the reply about to go out is held back
            break;
        case Fault::Unplug:
            unplug = true;
            Fired();
            break;
        }
        return true;
    });
    return unplug;
}

void VirtualHidBackend::InjectReport(const Packet& packet) {
    std::lock_guard lock(mutex_);
    if (!plugged_ || packet.empty()) return;
    Enqueue(packet, std::max(clock_.NowMs(), stallUntil_) + delayMs_);
}

void VirtualHidBackend::Poll() {
    ApplyReboot(false);
}

void VirtualHidBackend::ApplyReboot(bool force) {
    bool unplug = false, plug = false;
    uint32_t down = 0;
    {
        std::lock_guard lock(mutex_);
        // Replies nobody reads do not keep the unit from going for long.
        if (rebootPending_ && (force || inbox_.empty() || clock_.NowMs() >= rebootAtMs_ + kRebootGraceMs)) {
            unplug = true;
            down = rebootDownMs_;
        } else if (!plugged_ && replugAtMs_ != 0 && clock_.NowMs() >= replugAtMs_) {
            plug = true;
        }
    }
    if (unplug) {
        Unplug();
        std::lock_guard lock(mutex_);
        replugAtMs_ = clock_.NowMs() + down;
    } else if (plug) {
        Plug();
    }
}

void VirtualHidBackend::Unplug() {
    {
        std::lock_guard lock(mutex_);
        rebootPending_ = false;
        replugAtMs_ = 0;
        if (!plugged_) return;
        plugged_ = false;
        ++generation_;
        inbox_.clear();
        held_.clear();
    }
    std::vector<PlugListener> ls;
    {
        std::lock_guard lock(listenerMutex_);
        for (auto& [id, l] : listeners_) ls.push_back(l);
    }
    for (auto& l : ls) l(false);
}

void VirtualHidBackend::Plug() {
    {
        std::lock_guard lock(mutex_);
        replugAtMs_ = 0;
        if (plugged_) return;
        plugged_ = true;
    }
    unit_.PowerOn();
    std::vector<PlugListener> ls;
    {
        std::lock_guard lock(listenerMutex_);
        for (auto& [id, l] : listeners_) ls.push_back(l);
    }
    for (auto& l : ls) l(true);
}

bool VirtualHidBackend::Plugged() const {
    std::lock_guard lock(mutex_);
    return plugged_;
}

int VirtualHidBackend::AddPlugListener(PlugListener l) {
    std::lock_guard lock(listenerMutex_);
    int id = nextListener_++;
    listeners_.emplace_back(id, std::move(l));
    return id;
}

void VirtualHidBackend::RemovePlugListener(int id) {
    std::lock_guard lock(listenerMutex_);
    std::erase_if(listeners_, [id](const auto& p) { return p.first == id; });
}

uint64_t VirtualHidBackend::ReportsWritten() const {
    std::lock_guard lock(mutex_);
    return written_;
}
uint64_t VirtualHidBackend::ReportsRead() const {
    std::lock_guard lock(mutex_);
    return read_;
}
size_t VirtualHidBackend::PendingReports() const {
    std::lock_guard lock(mutex_);
    return inbox_.size();
}

int VirtualHidBackend::GetString(uint64_t generation, link::HidString which, std::wstring& out) {
    std::lock_guard lock(mutex_);
    if (!plugged_ || generation != generation_) return -1;
    int index = static_cast<int>(which);
    if (index >= 4 - failStrings_) return -1;
    const UnitIdentity& id = unit_.Identity();
    switch (which) {
        case link::HidString::Manufacturer:
            out = id.manufacturer;
            break;
        case link::HidString::Product:
            out = id.product;
            break;
        case link::HidString::Serial:
            out = id.serial;
            break;
        case link::HidString::Indexed1:
            out = id.indexed1;
            break;
    }
    return 0;
}

// Queues reply bytes as input reports. Bytes join the last undelivered report when they
// fit, as a unit's USB buffer does for replies nobody has read yet.
void VirtualHidBackend::Enqueue(std::vector<uint8_t> bytes, uint64_t readyMs) {
    if (!inbox_.empty() && inbox_.back().bytes.size() + bytes.size() <= link::kReportSize) {
        Report& last = inbox_.back();
        last.bytes.insert(last.bytes.end(), bytes.begin(), bytes.end());
        last.readyMs = std::max(last.readyMs, readyMs);
        return;
    }
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t n = std::min(link::kReportSize, bytes.size() - pos);
        inbox_.push_back(Report{std::vector<uint8_t>(bytes.begin() + static_cast<long>(pos),
                                                     bytes.begin() + static_cast<long>(pos + n)),
                                readyMs});
        pos += n;
    }
}

int VirtualHidBackend::Write(uint64_t generation, const uint8_t* data, size_t len) {
    if (len < 2) return -1;
    ApplyReboot(true);
    std::vector<Packet> replies;
    {
        std::lock_guard lock(mutex_);
        if (!plugged_ || generation != generation_) return -1;
        ++written_;
    }
    // The report ID is not part of the report the unit receives.
    replies = unit_.HandleReport(data + 1, std::min(len - 1, link::kReportSize));
    std::unique_lock lock(mutex_);
    if (!plugged_ || generation != generation_) return -1;
    for (Packet& p : replies) {
        if (StartDueFaults()) {
            lock.unlock();
            Unplug();  // the command was taken; its answer never leaves the unit
            unit_.TakeLateReplies();
            unit_.TakeRebootRequest();
            return static_cast<int>(len);
        }
        ++produced_;
        const uint64_t ready = std::max(clock_.NowMs(), stallUntil_) + delayMs_;
        if (drop_ > 0) {
            --drop_;
            Fired();
            continue;
        }
        if (corrupt_ > 0) {
            --corrupt_;
            Fired();
            p.back() ^= 0x5A;
        }
        if (merge_ > 0) {
            --merge_;
            Fired();
            held_.insert(held_.end(), p.begin(), p.end());
            continue;
        }
        std::vector<uint8_t> bytes = std::move(held_);
        held_.clear();
        bytes.insert(bytes.end(), p.begin(), p.end());
        if (split_ > 0 && bytes.size() > 1) {
            --split_;
            Fired();
            // Reports are always full: the reply starts late in one report (after fill
            // bytes) and runs on into the next.
            size_t half = bytes.size() / 2;
            std::vector<uint8_t> first(link::kReportSize - half, 0);
            first.insert(first.end(), bytes.begin(), bytes.begin() + static_cast<long>(half));
            inbox_.push_back(Report{std::move(first), ready});
            inbox_.push_back(Report{
                std::vector<uint8_t>(bytes.begin() + static_cast<long>(half), bytes.end()), ready});
            continue;
        }
        Enqueue(std::move(bytes), ready);
    }
    // Replies the unit sends a moment later travel in reports of their own.
    for (Packet& p : unit_.TakeLateReplies())
        inbox_.push_back(Report{std::move(p), std::max(clock_.NowMs(), stallUntil_) + delayMs_ + kLateReplyMs});
    if (const uint32_t down = unit_.TakeRebootRequest()) {
        rebootPending_ = true;
        rebootDownMs_ = down;
        rebootAtMs_ = clock_.NowMs() + delayMs_;
    }
    return static_cast<int>(len);
}

int VirtualHidBackend::Read(uint64_t generation, const std::atomic<bool>& interrupted,
                            uint8_t* data, size_t len, int timeoutMs) {
    const uint64_t deadline = clock_.NowMs() + static_cast<uint64_t>(std::max(timeoutMs, 0));
    struct Counted {
        std::atomic<int>& n;
        explicit Counted(std::atomic<int>& c) : n(c) { ++n; }
        ~Counted() { --n; }
    } counted(readsInProgress_);
    for (;;) {
        uint64_t now = clock_.NowMs();
        uint64_t wake = deadline;
        bool rebooting = false;
        {
            std::lock_guard lock(mutex_);
            if (!plugged_ || generation != generation_ || interrupted) return -1;
            rebooting = rebootPending_ && inbox_.empty();
            if (std::exchange(firedUnread_, false)) faultReadTimeoutMs_ = timeoutMs;
            if (!inbox_.empty()) {
                Report& r = inbox_.front();
                if (r.readyMs <= now) {
                    size_t n = std::min(len, link::kReportSize);
                    std::fill(data, data + n, uint8_t{0});
                    std::copy(r.bytes.begin(),
                              r.bytes.begin() + static_cast<long>(std::min(n, r.bytes.size())),
                              data);
                    inbox_.pop_front();
                    ++read_;
                    return static_cast<int>(n);
                }
                wake = std::min(wake, r.readyMs);
            }
        }
        if (rebooting) {
            // Everything the unit said before it went has been read.
            ApplyReboot(true);
            return -1;
        }
        if (now >= deadline) return 0;
        clock_.SleepMs(static_cast<uint32_t>(std::min<uint64_t>(wake - now, 2)));
    }
}

}  // namespace dvdsp::emu
