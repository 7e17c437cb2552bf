#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "base/identity.h"
#include "cli/cli.h"
#include "emulator/fault_spec.h"
#include "platform/paths.h"

namespace dvdsp::cli {

void RecordingSink::Post(link::Message m) {
    std::lock_guard lock(mutex_);
    messages_.push_back(std::move(m));
}

std::vector<link::Message> RecordingSink::Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(messages_, {});
}

Session::Session(GlobalOptions options, link::Clock& clock) : options_(std::move(options)), clock_(clock) {}

Session::~Session() { Close(); }

namespace {
void ReportLostState(const std::string& why, bool& reported) {
    if (std::exchange(reported, true)) return;
    std::fprintf(stderr, "the virtual unit's state was not saved (%s); the changes of this run are lost\n",
                 why.c_str());
}
// A virtual unit can be given faults for tests of the commands' failure paths
// (DVDSP_VIRTUAL_FAULT, emulator/fault_spec.h), armed once the hand-shake is done.
void ArmFaultsFromEnvironment(emu::VirtualUnit& unit, emu::VirtualHidBackend& backend) {
    const std::string spec = platform::EnvironmentValue("DVDSP_VIRTUAL_FAULT");
    if (spec.empty()) return;
    std::string why;
    if (!emu::ArmVirtualFaults(spec, unit, backend, &why))
        std::fprintf(stderr, "DVDSP_VIRTUAL_FAULT=%s: %s; ignored from there on\n", spec.c_str(), why.c_str());
}
}  // namespace

int Session::KeepState() {
    if (!unit_) return kOk;
    std::string why;
    if (unit_->FlushState(&why)) return kOk;
    ReportLostState(why, stateLossReported_);
    return kFileNotWritten;
}

int Session::Close() {
    if (device_ && device_->IsConnected()) device_->CloseHIDDevice(true);
    device_.reset();
    if (!unit_) return kOk;
    std::string why;
    const bool kept = unit_->FlushState(&why);
    backend_.reset();
    unit_.reset();
    if (kept) return kOk;
    ReportLostState(why, stateLossReported_);
    return kFileNotWritten;
}

int Session::Open(bool loaderWelcome) {
    if (opened_) return IsOpen() ? kOk : kUnitError;
    opened_ = true;
    if (options_.virtualUnit) {
        unit_ = std::make_unique<emu::VirtualUnit>(clock_);
        if (!options_.stateFile.empty()) {
            // The unit keeps its flash in the state file and holds the file's lock, so no
            // other process runs it meanwhile; a file it cannot use stops the run. An
            // in-memory unit is nobody else's.
            std::string why;
            bool inUse = false;
            if (!unit_->AttachStateFile(options_.stateFile, &why, options_.replaceDamagedState, &inUse)) {
                std::fprintf(stderr, "%s\n", why.c_str());
                unit_.reset();
                return inUse ? kLocked : kUnitError;
            }
            if (!why.empty()) std::fprintf(stderr, "%s\n", why.c_str());
        }
        backend_ = std::make_unique<emu::VirtualHidBackend>(*unit_, clock_);
    } else {
        if (!lock_.Acquire(platform::InstanceMutexName())) {
            if (!lock_.AlreadyExists()) {
                std::fprintf(stderr, "the single-instance lock cannot be taken: %s\n", lock_.Error().c_str());
                return kLocked;
            }
            std::fprintf(stderr,
                         "the dvdsp program is running and controls the unit; close it first\n");
            return kLocked;
        }
        backend_ = link::MakeHidapiBackend();
    }
    device_ = std::make_unique<link::DspDevice>(*backend_, clock_);
    device_->SetDeviceProfile(static_cast<uint8_t>(kModelId), 10, 8, 1, 0);
    for (int t = 0; t < link::kTargetCount; ++t)
        device_->SetTarget(static_cast<link::Target>(t), &sink_);
    device_->OpenHIDDevice();
    if (!device_->IsConnected()) {
        std::fprintf(
            stderr, "no VTR50 (USB %04x:%04x) was found%s\n", kVendorId, kProductId,
            options_.virtualUnit ? "" : "; is it plugged in, and may you use it (see README)?");
        return kNoUnit;
    }
    {
        link::ExchangeSequence handshake(*device_, "hand-shake");  // sent again when unanswered
        device_->PC_Connect(1);
        device_->Hand_Connect();
    }
    if (!device_->HandshakeOk() && loaderWelcome && device_->IsConnected()) {
        std::fprintf(stderr, "the unit refuses the hand-shake: it runs its loader (an earlier "
                             "firmware upgrade did not finish)\n");
        if (unit_) ArmFaultsFromEnvironment(*unit_, static_cast<emu::VirtualHidBackend&>(*backend_));
        return kOk;
    }
    if (!device_->HandshakeOk()) {
        std::fprintf(stderr, "the unit did not accept the hand-shake\n");
        device_->CloseHIDDevice(true);
        return kUnitError;
    }
    if (device_->Model() != kModelId) {
        std::fprintf(stderr, "the unit reports model %d; this program serves model %d (%s)\n",
                     device_->Model(), kModelId, kModelName);
        device_->CloseHIDDevice(true);
        return kUnitError;
    }
    if (unit_) ArmFaultsFromEnvironment(*unit_, static_cast<emu::VirtualHidBackend&>(*backend_));
    return kOk;
}

std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

void Register(Command c) {
    Registry().push_back(std::move(c));
}

}  // namespace dvdsp::cli
