// The CLI's own sequences under every fault the virtual unit can inject, at the start, in
// the middle and at the end: the scene commands, the read-out of dump and the whole
// backup. Each case runs the command once without faults on a fresh in-memory unit (on a
// manual clock) to count its replies and its modelled time, then again with the fault
// armed. Promises checked, as for the program's sequences (tests/core/fault_matrix_test.cpp):
// the fault fired, once; the modelled time stays under the fault-free time plus the wait
// the fault asks for and a second; a recoverable fault leaves the same output (of dump,
// the settings), file and unit as no fault; an unplug exits with 4.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/cli.h"

namespace dvdsp::cli {
namespace {

namespace fs = std::filesystem;
using Fault = emu::VirtualHidBackend::Fault;

struct FaultKind {
    const char* name;
    Fault fault;
    uint32_t amount;
};

const FaultKind kFaults[] = {
    {"Drop", Fault::Drop, 1},          {"Corrupt", Fault::Corrupt, 1}, {"Split", Fault::Split, 1},
    {"Merge", Fault::Merge, 1},        {"ShortStall", Fault::Stall, 5000},
    {"LongStall", Fault::Stall, 15000}, {"Unplug", Fault::Unplug, 0},
};

struct CliSequence {
    const char* name;
    Words words;  // the command and its arguments; "FILE" is the run's own file
};

const CliSequence kSequences[] = {
    {"SceneList", {"scene", "list"}},
    {"SceneLoad", {"scene", "load", "3"}},
    {"SceneSave", {"scene", "save", "4", "Saved"}},
    {"SceneDelete", {"scene", "delete", "3"}},
    {"Dump", {"dump"}},
    {"WholeBackup", {"backup", "--whole", "FILE"}},
};

enum class Where { Start, Middle, End };

struct Outcome {
    int code = -1;
    uint64_t replies = 0, elapsedMs = 0, fired = 0;
    int faultTimeoutMs = 0;
    std::string out, file;
    emu::UnitState unit;
};

// Runs one command on a fresh unit that holds scene 3; the fault, if any, is armed
// `at` replies into the command.
Outcome RunCommand(const CliSequence& seq, const FaultKind* kind, uint64_t at) {
    Outcome o;
    link::ManualClock clock;
    GlobalOptions options;
    options.virtualUnit = true;
    Session s(options, clock);
    EXPECT_EQ(s.Open(), kOk);
    s.Device().SetSceneName(3, {'R', 'o', 'a', 'd'});
    s.Device().SaveScene(3, 0);
    s.Sink().Take();
    const fs::path file = fs::temp_directory_path() / ("dvdsp_cli_matrix_" + std::to_string(::getpid()) + ".wpf");
    Words args(seq.words.begin() + 1, seq.words.end());
    for (std::string& a : args)
        if (a == "FILE") a = file.string();
    const Command* command = nullptr;
    for (const Command& c : Registry())
        if (c.name == seq.words[0]) command = &c;
    EXPECT_NE(command, nullptr) << seq.words[0];
    if (!command) return o;

    emu::VirtualHidBackend& backend = *s.VirtualBackend();
    if (kind) backend.ArmFault(kind->fault, at, kind->amount);
    const uint64_t r0 = backend.RepliesProduced(), f0 = backend.FaultsFired(), t0 = clock.NowMs();
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    o.code = command->run(s, args);
    o.out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    o.elapsedMs = clock.NowMs() - t0;
    o.replies = backend.RepliesProduced() - r0;
    o.fired = backend.FaultsFired() - f0;
    o.faultTimeoutMs = backend.FaultReadTimeoutMs();
    if (o.code != kOk) o.out += err;
    // dump lists every reply as it came: a reply read past after a resend is listed too.
    if (const size_t replies = o.out.find("\"replies\":"); replies != std::string::npos) o.out.resize(replies);
    o.unit = s.VirtualUnit()->WithState([](const emu::UnitState& u) { return u; });
    if (fs::exists(file)) {
        {
            // Closed before the removal: an open file cannot be removed on Windows.
            std::ifstream in(file, std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            o.file = text.str();
        }
        fs::remove(file);
    }
    return o;
}

class CliFaultMatrix : public ::testing::TestWithParam<std::tuple<CliSequence, FaultKind, Where>> {};

TEST_P(CliFaultMatrix, RecoversOrExitsWithFourWithinTheTimeBound) {
    const auto& [seq, kind, where] = GetParam();
    const Outcome dry = RunCommand(seq, nullptr, 0);
    ASSERT_EQ(dry.code, kOk) << dry.out;
    ASSERT_GE(dry.replies, 2u);
    const uint64_t at = where == Where::Start ? 0 : where == Where::Middle ? dry.replies / 2 : dry.replies - 1;
    const Outcome run = RunCommand(seq, &kind, at);

    EXPECT_EQ(run.fired, 1u) << "the injected fault fired, once";
    const uint64_t wait = kind.fault == Fault::Stall ? kind.amount
                          : kind.fault == Fault::Split || kind.fault == Fault::Unplug
                              ? 0
                              : static_cast<uint64_t>(run.faultTimeoutMs);
    EXPECT_LE(run.elapsedMs, dry.elapsedMs + wait + 1000) << "modelled time of the run";
    if (kind.fault == Fault::Unplug) {
        EXPECT_EQ(run.code, kUnitError) << run.out;
        return;
    }
    ASSERT_EQ(run.code, kOk) << run.out;
    EXPECT_EQ(run.out, dry.out);
    EXPECT_EQ(run.file, dry.file);
    EXPECT_TRUE(run.unit == dry.unit) << "the unit differs from a fault-free run";
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<CliSequence, FaultKind, Where>>& info) {
    const auto& [seq, kind, where] = info.param;
    return std::string(seq.name) + "_" + kind.name +
           (where == Where::Start ? "_AtStart" : where == Where::Middle ? "_InTheMiddle" : "_AtTheEnd");
}

INSTANTIATE_TEST_SUITE_P(Commands, CliFaultMatrix,
                         ::testing::Combine(::testing::ValuesIn(kSequences), ::testing::ValuesIn(kFaults),
                                            ::testing::Values(Where::Start, Where::Middle, Where::End)),
                         CaseName);

}  // namespace
}  // namespace dvdsp::cli
