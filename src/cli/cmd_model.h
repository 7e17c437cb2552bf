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
#include "link/clock.h"

namespace dvdsp::cli {

// The unit needs real time to prepare a stored scene; the virtual unit does not.
inline link::Clock& SceneClock(Session& s) {
    static link::ManualClock instant;
    return s.VirtualUnit() ? static_cast<link::Clock&>(instant) : link::DefaultClock();
}

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

// What a profile result says, in the words of the program's English language file,
// with the language key in brackets: "Could not open the file [profile_open_error]".
inline std::string ProfileMessage(const core::ProfileResult& r, bool writing) {
    struct Text {
        const char* key;
        const char* english;
    };
    static const Text kTexts[] = {
        {"${profile_save_ok}", "File saved"},
        {"${profile_open_error}", "Could not open the file"},
        {"${software_not_match}", "The software does not match the unit"},
        {"${profile_load_error}", "The file does not fit this unit"},
        {"${profile_create_error}", "Could not create the file"},
    };
    const std::string key = core::MessageKey(r, writing);
    for (const Text& t : kTexts)
        if (key == t.key) return std::string(t.english) + " [" + key.substr(2, key.size() - 3) + "]";
    return key;
}

// Says on stderr why a file was refused (once): "PATH: refused: TEXT [KEY]: DETAIL".
inline void PrintRefusal(const std::string& path, const core::ProfileResult& r) {
    std::fprintf(stderr, "%s: refused: %s%s%s\n", path.c_str(), ProfileMessage(r, false).c_str(),
                 r.detail.empty() ? "" : ": ", r.detail.c_str());
}

}  // namespace dvdsp::cli
