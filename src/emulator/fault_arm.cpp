// Arming the faults named in text on a virtual unit and its transport.
#include <utility>

#include "emulator/fault_spec.h"
#include "emulator/virtual_transport.h"
#include "emulator/virtual_unit.h"

namespace dvdsp::emu {

bool ArmVirtualFaults(const std::string& spec, VirtualUnit& unit, VirtualHidBackend& backend, std::string* why) {
    std::vector<NamedFault> faults;
    if (!ParseVirtualFaults(spec, &faults, why)) return false;
    using Fault = VirtualHidBackend::Fault;
    const std::pair<const char*, Fault> linkFaults[] = {{"drop", Fault::Drop},   {"corrupt", Fault::Corrupt},
                                                        {"split", Fault::Split}, {"merge", Fault::Merge},
                                                        {"stall", Fault::Stall}, {"unplug", Fault::Unplug}};
    for (const NamedFault& f : faults) {
        bool link = false;
        for (const auto& [name, fault] : linkFaults) {
            if (f.kind != name) continue;
            backend.ArmFault(fault, static_cast<uint64_t>(f.count), static_cast<uint32_t>(f.amount));
            link = true;
        }
        if (link) continue;
        if (f.kind == "not-ready") unit.SetUpgradeNotReady(static_cast<int>(f.count));
        else if (f.kind == "refuse-upgrade") unit.RefuseUpgradeStart(static_cast<int>(f.count));
        else if (f.kind == "cal-fail") unit.SetCalibrationFailure(static_cast<int>(f.count));
    }
    return true;
}

}  // namespace dvdsp::emu
