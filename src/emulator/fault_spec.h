#pragma once
// Faults of a virtual unit named in a line of text, as the environment variable
// DVDSP_VIRTUAL_FAULT gives them to both programs (tests and scripts of failure paths):
// one or more faults separated by commas,
//   drop|corrupt|split|merge|stall|unplug@N[xAMOUNT]  a link fault on the reply N replies
//                          from now (stall: AMOUNT ms, else AMOUNT replies)
//   not-ready@N            the next N firmware blocks are answered "not ready" first
//   refuse-upgrade@N       the next N firmware upgrade starts are refused
//   cal-fail@CODE          calibration runs fail with CODE (0 to 5)
// Reading the text (ParseVirtualFaults) needs nothing of the unit; arming does.

#include <string>
#include <vector>

namespace dvdsp::emu {

class VirtualUnit;
class VirtualHidBackend;

// The form, for --help texts.
inline constexpr const char* kVirtualFaultHelp =
    "DVDSP_VIRTUAL_FAULT=FAULT[,FAULT...] gives a virtual unit faults: KIND@N[xAMOUNT], KIND one of\n"
    "drop, corrupt, split, merge, stall (AMOUNT ms) and unplug, on the reply N replies later (dvdsp-cli:\n"
    "after the hand-shake); not-ready@N, the next N firmware blocks answered \"not ready\" first;\n"
    "refuse-upgrade@N, the next N upgrade starts refused; cal-fail@CODE, calibration runs fail with\n"
    "CODE (0 to 5).\n";

// One fault as the text names it: `kind` is one of the words above, `count` its N (the
// code of cal-fail), `amount` the AMOUNT of a link fault (1 when not given).
struct NamedFault {
    std::string kind;
    long count = 0;
    long amount = 1;
    bool operator==(const NamedFault&) const = default;
};

// The faults of `spec`, in order; false with `why` naming the first part that is none of
// the forms (nothing is returned then).
bool ParseVirtualFaults(const std::string& spec, std::vector<NamedFault>* faults, std::string* why);
// The text of faults, in the form ParseVirtualFaults reads.
std::string VirtualFaultsText(const std::vector<NamedFault>& faults);

// Arms every fault of `spec` (the link faults on `backend`, the others on `unit`); false
// with `why` when the text is refused, and then nothing is armed.
bool ArmVirtualFaults(const std::string& spec, VirtualUnit& unit, VirtualHidBackend& backend, std::string* why);

}  // namespace dvdsp::emu
