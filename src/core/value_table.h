#pragma once
// The unit's values by name, in user units: what `dvdsp-cli get` and `set` offer and what
// other programs address them by. Each value has its index and value synopses, a help text,
// the limits its values are checked against before anything is sent, a setter that goes
// through the value operations (so the followers of what the unit holds come along), and
// the request and the reading of the unit's answer for a get.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/limits.h"
#include "core/value_ops.h"
#include "link/dsp_device.h"

namespace dvdsp::core {

struct ValueDef {
    using Args = std::vector<double>;
    using Messages = std::vector<link::Message>;
    const char* name;
    const char* indexes;  // synopsis of the index arguments
    const char* values;   // synopsis of the values
    const char* help;     // unit, range and who follows
    int indexCount;
    int valueCount;
    // Limits of each value; values outside are refused before anything is sent.
    std::vector<Limit> limits;
    // The set needs the channels' bands read (an EQ band, whose bypass follows the gains).
    bool needsBands = false;
    // Applies the checked values to the live settings through the value operations.
    std::function<void(ValueOps&, const Args& idx, const Args& val)> set;
    // Asks the unit for the value.
    std::function<void(link::DspDevice&, const Args& idx)> get;
    // Formats the decoded reply for the index, or nothing when it did not come.
    std::function<std::optional<std::string>(const Messages&, const Args& idx)> print;
    // The value as the model holds it, in the format of `print` (the control interface's
    // get reads the window's model, not the unit).
    std::function<std::string(const SceneState&, const Args& idx)> read = nullptr;
};

const std::vector<ValueDef>& ValueDefs();
// The value of that name, or null.
const ValueDef* FindValueDef(const std::string& name);
// Why these indexes and values do not fit the definition (their count, an index out of
// its range, a value outside its limits or a fraction where the unit keeps whole
// numbers), or empty when they do. A get (`forSet` false) has indexes only.
std::string ValueArgsProblem(const ValueDef& def, const ValueDef::Args& idx, const ValueDef::Args& val, bool forSet);

}  // namespace dvdsp::core
