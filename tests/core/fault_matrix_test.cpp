// The long sequences of the program under every fault the virtual unit can inject, at the
// start, in the middle and at the end of the sequence: the connection read-out, a restore
// of the live settings, a whole restore, reading a stored scene and saving one.
//
// Each case runs the sequence once without faults (a fresh unit, prepared the same way) to
// count its replies and its modelled time, then again with the fault armed at the first,
// the middle or the last reply. Promises checked: the fault fired, once; no hang and no
// wait longer than the fault asks for: the modelled time stays under the fault-free time
// plus the longer of the stall and, for a reply that was lost (dropped, corrupted, held
// back by a merge), one read time-out of the command it answered, and a second of margin,
// so a wait taken twice fails; a fault that the link can recover from (everything but an
// unplug) leaves the sequence complete with the same result as without it; an unplug is
// reported, the link closes, and the next plug-in connects again. The firmware transfer
// follows the same faults (FirmwareFaults below).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "core/apply.h"
#include "core/profile.h"
#include "core/readout.h"
#include "core/transfer.h"
#include "firmware/image.h"
#include "firmware/upgrade_transfer.h"
#include "support/link_fixture.h"

namespace dvdsp::core {
namespace {

using Fault = emu::VirtualHidBackend::Fault;

enum class Seq { ReadOut, Restore, WholeRestore, ReadScene, SaveScene };
enum class Where { Start, Middle, End };

constexpr uint32_t kShortStallMs = 5000;   // under the 10 s read time-out
constexpr uint32_t kLongStallMs = 15000;   // over it
constexpr uint64_t kMarginMs = 1000;
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

// The longest wait a fault asks for: a stall's length, or the read time-out of the command
// whose reply was lost.
uint64_t FaultWaitMs(const FaultKind& kind, const emu::VirtualHidBackend& backend) {
    switch (kind.fault) {
    case Fault::Stall: return kind.amount;
    case Fault::Drop:
    case Fault::Corrupt:
    case Fault::Merge: return static_cast<uint64_t>(backend.FaultReadTimeoutMs());
    case Fault::Split:
    case Fault::Unplug: return 0;
    }
    return 0;
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
    const uint64_t fired0 = rig.f.backend.FaultsFired();
    const uint64_t t0 = rig.f.manual.NowMs();
    UnitModel read;
    std::string why;
    const bool ok = RunSequence(seq, rig, written.get(), read, why);
    const uint64_t elapsed = rig.f.manual.NowMs() - t0;

    EXPECT_EQ(rig.f.backend.FaultsFired() - fired0, 1u) << "the injected fault fired, once";
    EXPECT_LE(elapsed, dry.elapsedMs + FaultWaitMs(kind, rig.f.backend) + kMarginMs) << "modelled time of the run";

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

// The firmware transfer under the same faults: the image of the unit's flash in three
// blocks. It retries nothing: a fault it cannot read past ends it as failed, reported, with
// the unit's image unchanged.
struct FirmwareRig {
    link::ManualClock clock;
    emu::VirtualUnit unit{clock};
    emu::VirtualHidBackend backend{unit, clock};
    link::DspDevice device{backend, clock};
    std::filesystem::path image;

    FirmwareRig() {
        device.SetDeviceProfile(98, 10, 8, 1, 0);
        image = std::filesystem::temp_directory_path() /
                ("dvdsp-fault-fw-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(image);
        image /= "FLASH_UPG.BIN";
        std::vector<uint8_t> payload(120);
        for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i * 7 + 1);
        const auto bytes = fw::MakeSingleImage(fw::FW_ID_DSP, 98, {2, 30, 0, 2}, payload);
        std::ofstream(image, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        EXPECT_TRUE(Connect());
    }
    ~FirmwareRig() {
        if (device.IsConnected()) device.CloseHIDDevice(false);
        std::filesystem::remove_all(image.parent_path());
    }
    bool Connect() {
        device.OpenHIDDevice();
        if (!device.IsConnected()) return false;
        device.PC_Connect(1);
        device.Hand_Connect();
        return device.HandshakeOk();
    }
    // Start and steps to the end: true when the transfer ended well.
    bool Run() {
        fw::UpgradeTransfer transfer(device, clock);
        if (transfer.UpgradeStart(image.string(), false) != 0) return false;
        for (int i = 0; i < 10000; ++i) {
            const int r = transfer.UpgradeStep();
            if (r == fw::kUpgradeStepDone || r == fw::kUpgradeStepFailed) return r == fw::kUpgradeStepDone;
        }
        ADD_FAILURE() << "the transfer never ended";
        return false;
    }
    bool Upgraded() { return unit.Identity().flashVersion == std::array<uint8_t, 4>{2, 30, 0, 2}; }
};

class FirmwareFaults : public ::testing::TestWithParam<std::tuple<FaultKind, Where>> {};

TEST_P(FirmwareFaults, UpgradesOrFailsReportedWithinTheTimeBound) {
    const auto [kind, where] = GetParam();
    uint64_t dryReplies = 0, dryMs = 0;
    {
        FirmwareRig dry;
        const uint64_t r0 = dry.backend.RepliesProduced(), t0 = dry.clock.NowMs();
        ASSERT_TRUE(dry.Run());
        dryReplies = dry.backend.RepliesProduced() - r0;
        dryMs = dry.clock.NowMs() - t0;
        ASSERT_GE(dryReplies, 3u);
    }
    FirmwareRig rig;
    const uint64_t at = where == Where::Start ? 0 : where == Where::Middle ? dryReplies / 2 : dryReplies - 1;
    rig.backend.ArmFault(kind.fault, at, kind.amount);
    const uint64_t t0 = rig.clock.NowMs();
    const bool ok = rig.Run();
    const uint64_t elapsed = rig.clock.NowMs() - t0;
    EXPECT_EQ(rig.backend.FaultsFired(), 1u) << "the injected fault fired, once";
    // The transfer reads an acknowledgement up to kAckReadsPerBlock times before it fails.
    const uint64_t lost = FaultWaitMs(kind, rig.backend) * (kind.fault == Fault::Stall ? 1 : fw::kAckReadsPerBlock);
    EXPECT_LE(elapsed, dryMs + lost + fw::kRebootWaitMs + kMarginMs) << "modelled time of the transfer";
    if (ok) {
        EXPECT_TRUE(rig.Upgraded());
        return;
    }
    // Reported as failed, and the unit keeps its old image.
    EXPECT_FALSE(rig.Upgraded());
}

std::string FirmwareCaseName(const ::testing::TestParamInfo<std::tuple<FaultKind, Where>>& info) {
    const auto& [kind, where] = info.param;
    return std::string("Firmware_") + kind.name +
           (where == Where::Start ? "_AtStart" : where == Where::Middle ? "_InTheMiddle" : "_AtTheEnd");
}

INSTANTIATE_TEST_SUITE_P(Transfer, FirmwareFaults,
                         ::testing::Combine(::testing::ValuesIn(kFaults),
                                            ::testing::Values(Where::Start, Where::Middle, Where::End)),
                         FirmwareCaseName);

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
