// Fuzz target for the faults of a virtual unit named in text (DVDSP_VIRTUAL_FAULT): an
// accepted text names only known faults with counts in their ranges and reads back the same
// from its own written form; a refused one returns nothing and names a part of the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/fault_spec.h"

using dvdsp::emu::NamedFault;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

bool Known(const NamedFault& f) {
    for (const char* k : {"drop", "corrupt", "split", "merge", "stall", "unplug", "not-ready", "refuse-upgrade"})
        if (f.kind == k) return true;
    return f.kind == "cal-fail" && f.count <= 5;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<NamedFault> faults = {NamedFault{"untouched"}};
    std::string why;
    if (!dvdsp::emu::ParseVirtualFaults(text, &faults, &why)) {
        Check(faults.size() == 1 && faults[0].kind == "untouched");
        Check(why.size() > 2 && why[0] == '\'');
        const size_t end = why.rfind("' is none of");
        Check(end != std::string::npos && text.find(why.substr(1, end - 1)) != std::string::npos);
        return 0;
    }
    Check(!faults.empty());
    for (const NamedFault& f : faults) {
        Check(Known(f));
        Check(f.count >= 0 && f.count <= 999999999 && f.amount >= 0 && f.amount <= 999999999);
    }
    std::vector<NamedFault> again;
    Check(dvdsp::emu::ParseVirtualFaults(dvdsp::emu::VirtualFaultsText(faults), &again, nullptr));
    Check(again == faults);
    return 0;
}
