#pragma once
// The virtual unit's state as JSON: what a real unit keeps across power cycles (stored
// scenes, names, valid mask, profile areas, live settings and the MCU settings).

#include <string>

#include "emulator/unit_state.h"

namespace dvdsp::emu {

std::string StateToJson(const UnitState& state);
// Parses a state written by StateToJson. Every value is checked against what the unit
// can hold; on any fault `state` is left alone and `why` says what is wrong.
bool StateFromJson(const std::string& text, UnitState& state, std::string* why);
// Whether `text` is meant as a state file, however damaged: it names the state format at
// its start. Anything else is somebody else's file.
bool NamesStateFormat(const std::string& text);

}  // namespace dvdsp::emu
