// Fuzz target for the virtual unit's state file: any text as the file's JSON, read as the
// unit reads it at start-up. A refused text leaves the state as it was and says why; an
// accepted one writes out as text that reads back to the same state, and writes out again
// as the very same text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "emulator/state_file.h"

using namespace dvdsp::emu;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const UnitState defaults = DefaultUnitState();
    const std::string text(reinterpret_cast<const char*>(data), size);

    UnitState state = defaults;
    std::string why;
    if (!StateFromJson(text, state, &why)) {
        Check(state == defaults && !why.empty());
        return 0;
    }
    const std::string written = StateToJson(state);
    UnitState again = defaults;
    Check(StateFromJson(written, again, &why));
    Check(again == state);
    Check(StateToJson(again) == written);
    return 0;
}
