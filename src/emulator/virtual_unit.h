#pragma once
// The virtual VTR50: answers the wire protocol as the unit does. It takes command
// packets (the 64 bytes of an output report) and returns the reply packets the unit
// would send. Timing, faults and the HID side live in VirtualHidBackend.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

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
};

struct CommandKey {
    uint8_t type = 0, cmd = 0, op = 0;
    auto operator<=>(const CommandKey&) const = default;
};

using Packet = std::vector<uint8_t>;

class VirtualUnit {
public:
    VirtualUnit();
    virtual ~VirtualUnit() = default;

    // Handles one output report without its report ID. Reports that do not hold a valid
    // command frame are ignored (counted as malformed).
    std::vector<Packet> HandleReport(const uint8_t* report, size_t n);

    UnitIdentity& Identity() { return identity_; }

    // What the unit has seen.
    uint64_t CommandsHandled() const;
    uint64_t UnknownCommands() const;
    std::vector<CommandKey> UnknownCommandList() const;
    uint64_t MalformedReports() const;
    bool PcAttached() const;
    int PingCount() const;

protected:
    using Handler = std::function<void(const uint8_t* data, size_t n, std::vector<Packet>& out)>;
    // Registers the handler of one command; the protocol families add theirs.
    void On(uint8_t type, uint8_t cmd, uint8_t op, Handler h);
    static Packet Reply(uint8_t type, uint8_t cmd, uint8_t op, std::vector<uint8_t> data);
    static Packet Ack(uint8_t type, uint8_t cmd, uint8_t status = 0x0A, uint8_t value = 0);

    mutable std::recursive_mutex mutex_;
    UnitIdentity identity_;

private:
    void RegisterLinkCommands();

    std::map<CommandKey, Handler> handlers_;
    uint64_t handled_ = 0;
    uint64_t malformed_ = 0;
    std::vector<CommandKey> unknown_;
    bool pcAttached_ = false;
    int pings_ = 0;
};

}  // namespace dvdsp::emu
