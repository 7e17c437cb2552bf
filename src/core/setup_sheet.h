#pragma once
// The setup sheet of a tune: what the unit holds (outputs, crossovers, delays, levels,
// switches, routing, the mixer's changed cells, the EQ of each channel with its response,
// the stored scenes) laid out as pages (core/sheet_layout.h) for a renderer to draw. The
// texts come from the current language through `SheetText`; values are formatted by the
// page's own functions (core/channel_format.h) and the table of limits.

#include <functional>
#include <string>

#include "core/sheet_layout.h"
#include "core/unit_model.h"

namespace dvdsp::core {

struct SheetInfo {
    std::string firmware;   // "2.27"; empty: the versions of the live settings
    std::string date;       // as it is to be printed
    std::string name;       // the profile's or scene's name; empty: the live settings
    std::string note;       // free text of the person, may hold line breaks
    int delayUnit = 1;      // kDelayMs, kDelayCm or kDelayInch
    bool letter = false;    // Letter paper, else A4
    bool scenesKnown = true;  // false: the model holds no stored scenes (a scene profile)
};

// The language's text of a key ("sheet_title"), without the "${}".
using SheetText = std::function<std::string(const std::string& key)>;

// Every "${key}" part of a text replaced by its language text.
std::string ResolveKeys(const std::string& text, const SheetText& lang);

sheet::Document BuildSetupSheet(const UnitModel& model, const SheetInfo& info, const SheetText& lang);

}  // namespace dvdsp::core
