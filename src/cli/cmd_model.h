#pragma once
// Helpers of the commands that work on the settings model: the unit's state read into a
// model through the same reply application the program uses.

#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "core/apply.h"
#include "core/profile.h"
#include "core/readout.h"
#include "core/unit_model.h"

namespace dvdsp::cli {

// Exit code of a profile file that was refused.
inline constexpr int kFileRefused = 5;

// Applies every message posted so far to the model.
inline void ApplyPosted(Session& s, core::UnitModel& m) {
    for (const link::Message& msg : s.Sink().Take()) core::ApplyMessage(m, msg);
}

// Runs the connection read-out; kOk, or kUnitError after saying on stderr what could not
// be read.
inline int RunReadOut(Session& s) {
    std::string why;
    const int r = core::ReadOutUnitStatus(s.Device(), core::ReadOutPlan(), &why);
    if (r == core::kReadOutDone) return kOk;
    if (r == core::kReadOutNoHandshake) std::fprintf(stderr, "the unit did not answer the hand-shake\n");
    else std::fprintf(stderr, "the unit's settings could not all be read (%s)\n", why.c_str());
    return kUnitError;
}

// Opens the unit and reads its live settings into `m`; kOk or the exit code.
inline int ReadOutModel(Session& s, core::UnitModel& m) {
    int r = s.Open();
    if (r != kOk) return r;
    s.Sink().Take();
    if (r = RunReadOut(s); r != kOk) return r;
    ApplyPosted(s, m);
    return kOk;
}

// Says on stderr that `what` failed and why; the exit code of a unit that did not answer.
inline int TransferFailed(const char* what, const std::string& why) {
    std::fprintf(stderr, "%s failed: %s\n", what, why.c_str());
    return kUnitError;
}

// Prints why a file was refused: its message key and what was wrong.
inline void PrintRefusal(const std::string& path, const core::ProfileResult& r) {
    std::fprintf(stderr, "%s: refused, %s%s%s\n", path.c_str(), core::MessageKey(r, false),
                 r.detail.empty() ? "" : ": ", r.detail.c_str());
}

}  // namespace dvdsp::cli
