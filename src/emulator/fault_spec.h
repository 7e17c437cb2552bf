#pragma once
// Faults of a virtual unit named in a line of text, as the environment variable
// DVDSP_VIRTUAL_FAULT gives them to both programs (tests and scripts of failure paths):
// one or more faults separated by commas,
//   drop|corrupt|split|merge|stall|unplug@N[xAMOUNT]  a link fault on the reply N replies
//                          from now (stall: AMOUNT ms, else AMOUNT replies)
//   not-ready@N            the next N firmware blocks are answered "not ready" first
//   refuse-upgrade@N       the next N firmware upgrade starts are refused
//   cal-fail@CODE          calibration runs fail with CODE (0 to 5)

#include <string>

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

// Arms every fault of `spec` (the link faults on `backend`, the others on `unit`). False
// with `why` naming the first part that is none of the forms; the parts before it are armed.
bool ArmVirtualFaults(const std::string& spec, VirtualUnit& unit, VirtualHidBackend& backend, std::string* why);

}  // namespace dvdsp::emu
