// The long sequences of the program under every fault the virtual unit can inject, at the
// start, in the middle and at the end of the sequence: the connection read-out, a restore
// of the live settings, a whole restore, reading a stored scene and saving one.
//
// Each case runs the sequence once without faults (a fresh unit, prepared the same way) to
// count its replies and its modelled time, then again with the fault armed at the first,
// the middle or the last reply. Promises checked: no hang (the modelled time stays under
// the fault-free time plus the stall plus one read time-out of the slowest command, 20 s,
// and a second of margin);
// a fault that the link can recover from (everything but an unplug) leaves the sequence
// complete with the same result as without it; an unplug is reported, the link closes,
// and the next plug-in connects again.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "core/apply.h"
#include "core/profile.h"
#include "core/readout.h"
#include "core/transfer.h"
#include "support/link_fixture.h"

namespace dvdsp::core {
namespace {

using Fault = emu::VirtualHidBackend::Fault;

enum class Seq { ReadOut, Restore, WholeRestore, ReadScene, SaveScene };
enum class Where { Start, Middle, End };

constexpr uint32_t kShortStallMs = 5000;   // under the 10 s read time-out
constexpr uint32_t kLongStallMs = 15000;   // over it
constexpr uint64_t kSlowestTimeoutMs = 20000;  // the scene commands' read time-out
constexpr int kStoredScene = 3;
constexpr int kSavedScene = 4;

struct FaultKind {
    const char* name;
    Fault fault;
    uint32_t amount;
};

const FaultKind kFaults[] = {
    {"Drop", Fault::Drop, 1},
    {"Corrupt", Fault::Corrupt, 1},
    {"Split", Fault::Split, 1},
    {"Merge", Fault::Merge, 1},
    {"ShortStall", Fault::Stall, kShortStallMs},
    {"LongStall", Fault::Stall, kLongStallMs},
    {"Unplug", Fault::Unplug, 0},
};

const char* SeqName(Seq s) {
    switch (s) {
    case Seq::ReadOut: return "ReadOut";
    case Seq::Restore: return "Restore";
    case Seq::WholeRestore: return "WholeRestore";
    case Seq::ReadScene: return "ReadScene";
    case Seq::SaveScene: return "SaveScene";
    }
    return "?";
}

// One virtual unit with settings away from the defaults, a stored scene and its name.
struct Rig {
    dvdsp::testing::LinkFixture f;

    Rig() {
        EXPECT_TRUE(f.Connect());
        auto& d = f.device;
        d.Main_Volume_Ctrl(-20, true);
        d.Trim_Ctrl(0, 0, 2, 2, {-3.5f}, true);
        d.Delay_Ctrl(0, 0, 3, 3, {1.234f}, true);
        d.EQ_Ctrl(0, 0, 1, 5, 1000, 2.5f, 4.5f, true);
        d.EQ_Ctrl(0, 0, 9, 30, 18000, 0.7f, -12.3f, true);
        d.CH_Type_Ctrl(0, 0, 4, 4, {7}, true);
        d.Filter_Ctrl(0, 0, 4, 2, 2, 3400, 4, true);
        d.Input_Mix_Trim_Ctrl(0, 5, 7, 0, 9, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, true);
        d.SetSceneName(kStoredScene, {'R', 'o', 'a', 'd'});
        d.SaveScene(kStoredScene, 0);
        d.Trim_Ctrl(0, 0, 2, 2, {-8.0f}, true);  // the live settings differ from the scene
        f.sink.Take();
    }
    void Apply(UnitModel& m) {
        for (const link::Message& msg : f.sink.Take()) ApplyMessage(m, msg);
    }
    std::unique_ptr<UnitModel> ReadOut() {
        auto m = std::make_unique<UnitModel>();
        f.sink.Take();
        EXPECT_EQ(ReadOutUnitStatus(f.device), kReadOutDone);
        Apply(*m);
        return m;
    }
    emu::UnitState UnitState() {
        return f.unit.WithState([](const emu::UnitState& s) { return s; });
    }
};

// What a restore writes: the unit's own settings with changes on top.
std::unique_ptr<UnitModel> WrittenModel(Rig& rig, bool whole) {
    auto m = rig.ReadOut();
    m->current.channels[0].gain = -6.25f;
    m->current.channels[7].delay = 2.5f;
    m->current.Bands(2)[4].gain = -7.0f;
    if (whole) {
        m->scenes[1].channels[5].gain = -11.0f;
        m->names[1] = SceneNameFromUtf8("Club");
    }
    return m;
}

// Runs the sequence; true when it reports success. `read` receives what a reading
// sequence read.
bool RunSequence(Seq seq, Rig& rig, const UnitModel* written, UnitModel& read, std::string& why) {
    auto& d = rig.f.device;
    bool ok = false;
    switch (seq) {
    case Seq::ReadOut: ok = ReadOutUnitStatus(d, ReadOutPlan(), &why) == kReadOutDone; break;
    case Seq::Restore: ok = SetReadCurProfileToMCU(d, written->current, nullptr, &why); break;
    case Seq::WholeRestore: ok = SetReadWholeProfileToMCU(d, *written, nullptr, &why); break;
    case Seq::ReadScene: ok = ReadStoredScene(d, kStoredScene, rig.f.manual, &why); break;
    case Seq::SaveScene: ok = StoreLiveAsScene(d, kSavedScene, SceneNameFromUtf8("Saved"), &why); break;
    }
    rig.Apply(read);
    return ok;
}

bool Writes(Seq seq) { return seq == Seq::Restore || seq == Seq::WholeRestore || seq == Seq::SaveScene; }

// The fault-free run of a sequence, made once per sequence.
struct DryRun {
    uint64_t replies = 0;
    uint64_t elapsedMs = 0;
    UnitModel read;          // what a reading sequence read
    emu::UnitState after;    // the unit after the sequence
};

const DryRun& Dry(Seq seq) {
    static std::map<Seq, std::unique_ptr<DryRun>> runs;
    auto& slot = runs[seq];
    if (slot) return *slot;
    slot = std::make_unique<DryRun>();
    Rig rig;
    std::unique_ptr<UnitModel> written;
    if (seq == Seq::Restore || seq == Seq::WholeRestore) written = WrittenModel(rig, seq == Seq::WholeRestore);
    const uint64_t replies0 = rig.f.backend.RepliesProduced();
    const uint64_t t0 = rig.f.manual.NowMs();
    std::string why;
    EXPECT_TRUE(RunSequence(seq, rig, written.get(), slot->read, why)) << why;
    slot->elapsedMs = rig.f.manual.NowMs() - t0;
    slot->replies = rig.f.backend.RepliesProduced() - replies0;
    slot->after = rig.UnitState();
    // The fault-free run did what it is for: read back, the unit holds what was written.
    if (seq == Seq::Restore) {
        EXPECT_EQ(SceneProfileText(rig.ReadOut()->current), SceneProfileText(written->current));
    } else if (seq == Seq::WholeRestore) {
        auto back = std::make_unique<UnitModel>();
        for (int n = 1; n <= kStoredScenes; ++n) {
            EXPECT_TRUE(ReadStoredScene(rig.f.device, n, rig.f.manual));
            rig.Apply(*back);
        }
        EXPECT_EQ(ReadOutUnitStatus(rig.f.device), kReadOutDone);
        rig.Apply(*back);
        EXPECT_EQ(WholeProfileText(*back), WholeProfileText(*written));
    } else if (seq == Seq::SaveScene) {
        EXPECT_EQ(slot->after.scenes[kSavedScene], slot->after.scenes[0]);
        EXPECT_EQ(slot->after.names[kSavedScene][0], 'S');
    } else if (seq == Seq::ReadScene) {
        EXPECT_EQ(slot->read.scenes[kStoredScene - 1].channels[2].gain, -3.5f);
        EXPECT_EQ(SceneNameToUtf8(slot->read.names[kStoredScene - 1]), "Road");
    } else {
        EXPECT_EQ(slot->read.current.channels[2].gain, -8.0f);
        EXPECT_EQ(slot->read.current.Bands(1)[5].gain, 4.5f);
    }
    return *slot;
}

using Case = std::tuple<Seq, FaultKind, Where>;

class FaultMatrix : public ::testing::TestWithParam<Case> {};

TEST_P(FaultMatrix, RecoversOrReportsWithinTheTimeBound) {
    const auto [seq, kind, where] = GetParam();
    const DryRun& dry = Dry(seq);
    ASSERT_GE(dry.replies, 2u);

    Rig rig;
    std::unique_ptr<UnitModel> written;
    if (seq == Seq::Restore || seq == Seq::WholeRestore) written = WrittenModel(rig, seq == Seq::WholeRestore);
    const uint64_t at = where == Where::Start ? 0 : where == Where::Middle ? dry.replies / 2 : dry.replies - 1;
    rig.f.backend.ArmFault(kind.fault, at, kind.amount);
    const uint64_t t0 = rig.f.manual.NowMs();
    UnitModel read;
    std::string why;
    const bool ok = RunSequence(seq, rig, written.get(), read, why);
    const uint64_t elapsed = rig.f.manual.NowMs() - t0;

    const uint64_t stall = kind.fault == Fault::Stall ? kind.amount : 0;
    EXPECT_LE(elapsed, dry.elapsedMs + stall + kSlowestTimeoutMs + 1000) << "modelled time of the run";

    if (kind.fault == Fault::Unplug) {
        EXPECT_FALSE(ok) << "an unplugged unit cannot have answered everything";
        EXPECT_NE(why.find("went away"), std::string::npos) << why;
        EXPECT_FALSE(rig.f.device.IsConnected()) << "the failed read closes the link";
        rig.f.backend.Plug();
        EXPECT_TRUE(rig.f.Connect()) << "the next plug-in connects again";
        return;
    }
    ASSERT_TRUE(ok) << why;
    EXPECT_TRUE(why.empty()) << why;
    EXPECT_TRUE(rig.f.device.IsConnected());
    EXPECT_EQ(rig.f.backend.PendingReports(), 0u) << "every answer was read";
    if (Writes(seq)) {
        // The same as the fault-free run left it, which read back as what was written.
        EXPECT_TRUE(rig.UnitState() == dry.after) << "the unit differs from a fault-free " << SeqName(seq);
    } else {
        EXPECT_TRUE(read == dry.read) << "the model differs from a fault-free " << SeqName(seq);
        EXPECT_TRUE(rig.UnitState() == dry.after);
    }
}

// A reply that does not come after every attempt: the sequence fails and names it.
TEST(FaultReports, AQueryUnansweredThreeTimesFailsTheReadOutAndIsNamed) {
    Rig rig;
    rig.f.backend.ArmFault(Fault::Drop, Dry(Seq::ReadOut).replies / 2, link::kExchangeAttempts);
    std::string why;
    EXPECT_EQ(ReadOutUnitStatus(rig.f.device, ReadOutPlan(), &why), kReadOutIncomplete);
    EXPECT_NE(why.find("read-out: 1 of "), std::string::npos) << why;
    EXPECT_NE(why.find(" get ["), std::string::npos) << "names the query: " << why;
    EXPECT_TRUE(rig.f.device.IsConnected()) << "a silent unit is not a gone one";
}

TEST(FaultReports, AnUnansweredHandShakeIsNotAnIncompleteReadOut) {
    Rig rig;
    rig.f.backend.ArmFault(Fault::Drop, 0, link::kExchangeAttempts);
    std::string why;
    EXPECT_EQ(ReadOutUnitStatus(rig.f.device, ReadOutPlan(), &why), kReadOutNoHandshake);
    EXPECT_NE(why.find("MCU_HANDSHAKE"), std::string::npos) << why;
}

TEST(FaultReports, ARestoreWithASetNeverAcknowledgedFails) {
    Rig rig;
    auto written = WrittenModel(rig, false);
    rig.f.backend.ArmFault(Fault::Drop, Dry(Seq::Restore).replies / 2, link::kExchangeAttempts);
    std::string why;
    EXPECT_FALSE(SetReadCurProfileToMCU(rig.f.device, written->current, nullptr, &why));
    EXPECT_NE(why.find("restore: 1 of "), std::string::npos) << why;
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    const auto& [seq, kind, where] = info.param;
    const char* w = where == Where::Start ? "AtStart" : where == Where::Middle ? "InTheMiddle" : "AtTheEnd";
    return std::string(SeqName(seq)) + "_" + kind.name + "_" + w;
}

INSTANTIATE_TEST_SUITE_P(Sequences, FaultMatrix,
                         ::testing::Combine(::testing::Values(Seq::ReadOut, Seq::Restore, Seq::WholeRestore,
                                                              Seq::ReadScene, Seq::SaveScene),
                                            ::testing::ValuesIn(kFaults),
                                            ::testing::Values(Where::Start, Where::Middle, Where::End)),
                         CaseName);

}  // namespace
}  // namespace dvdsp::core
