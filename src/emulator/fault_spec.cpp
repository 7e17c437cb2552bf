#include "emulator/fault_spec.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "emulator/virtual_transport.h"
#include "emulator/virtual_unit.h"

namespace dvdsp::emu {
namespace {

// A whole decimal number of at most 9 digits.
bool Whole(const std::string& s, long* out) {
    if (s.empty() || s.size() > 9) return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *out);
    return ec == std::errc() && end == s.data() + s.size() && *out >= 0;
}

bool ArmOne(const std::string& part, VirtualUnit& unit, VirtualHidBackend& backend) {
    const size_t at = part.find('@');
    if (at == std::string::npos) return false;
    const std::string kind = part.substr(0, at);
    std::string count = part.substr(at + 1);
    long amount = 1, n = 0;
    using Fault = VirtualHidBackend::Fault;
    const std::pair<const char*, Fault> linkFaults[] = {{"drop", Fault::Drop},   {"corrupt", Fault::Corrupt},
                                                        {"split", Fault::Split}, {"merge", Fault::Merge},
                                                        {"stall", Fault::Stall}, {"unplug", Fault::Unplug}};
    for (const auto& [name, fault] : linkFaults) {
        if (kind != name) continue;
        if (const size_t x = count.find('x'); x != std::string::npos) {
            if (!Whole(count.substr(x + 1), &amount)) return false;
            count.resize(x);
        }
        if (!Whole(count, &n)) return false;
        backend.ArmFault(fault, static_cast<uint64_t>(n), static_cast<uint32_t>(amount));
        return true;
    }
    if (!Whole(count, &n)) return false;
    if (kind == "not-ready") {
        unit.SetUpgradeNotReady(static_cast<int>(n));
    } else if (kind == "refuse-upgrade") {
        unit.RefuseUpgradeStart(static_cast<int>(n));
    } else if (kind == "cal-fail" && n <= 5) {
        unit.SetCalibrationFailure(static_cast<int>(n));
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool ArmVirtualFaults(const std::string& spec, VirtualUnit& unit, VirtualHidBackend& backend, std::string* why) {
    size_t from = 0;
    while (from <= spec.size()) {
        const size_t comma = std::min(spec.find(',', from), spec.size());
        const std::string part = spec.substr(from, comma - from);
        if (!ArmOne(part, unit, backend)) {
            if (why) *why = "'" + part + "' is none of KIND@N[xAMOUNT], not-ready@N, refuse-upgrade@N, cal-fail@CODE";
            return false;
        }
        from = comma + 1;
    }
    return true;
}

}  // namespace dvdsp::emu
