#pragma once
// dvdsp-cli: commands registered by name, run one after another ("--" between them)
// against one unit session.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/numbers.h"
#include "emulator/virtual_transport.h"
#include "emulator/virtual_unit.h"
#include "link/dsp_device.h"
#include "link/messages.h"
#include "platform/control_socket.h"
#include "platform/instance_lock.h"

struct cJSON;

namespace dvdsp::cli {

enum ExitCode : int {
    kOk = 0,
    kUsage = 1,
    kNoUnit = 2,
    kLocked = 3,
    kUnitError = 4,
    kFileRefused = 5,    // a profile file that was refused
    kFileNotWritten = 6, // a file that could not be written (profile, image, plot, sheet, state)
};

// The exit codes as --help and the README list them.
inline constexpr const char* kExitCodeHelp =
    "exit codes: 0 done, 1 usage, 2 no unit, 3 unit in use, 4 unit error,\n"
    "            5 file refused, 6 file not written";

// Collects what the link posts while a command runs.
class RecordingSink final : public link::MessageSink {
  public:
    void Post(link::Message m) override;
    std::vector<link::Message> Take();

  private:
    std::mutex mutex_;
    std::vector<link::Message> messages_;
};

struct GlobalOptions {
    bool virtualUnit = false;
    std::string stateFile;  // empty: an in-memory virtual unit
    bool replaceDamagedState = false;
    bool direct = false;  // never through a running program's control interface
};

// The unit a CLI run talks to, opened on first use and kept for every command of the run.
class Session {
  public:
    // `clock`: the time of the link and of a virtual unit (tests pass a manual clock).
    explicit Session(GlobalOptions options, link::Clock& clock = link::DefaultClock());
    ~Session();

    // Opens the unit, attaches and shakes hands. On failure prints why and returns the
    // exit code to use; kOk when the unit is ready. With `loaderWelcome` a unit that
    // refuses the hand-shake is kept open (a unit in its loader, left there by an
    // unfinished firmware upgrade, refuses it and still takes the upgrade).
    int Open(bool loaderWelcome = false);
    bool IsOpen() const { return device_ && device_->IsConnected(); }
    link::DspDevice& Device() { return *device_; }
    RecordingSink& Sink() { return sink_; }
    // The virtual unit, when one is in use (null for a real unit).
    emu::VirtualUnit* VirtualUnit() { return unit_.get(); }
    // Its side of the link, for tests that inject faults (null for a real unit).
    emu::VirtualHidBackend* VirtualBackend() {
        return unit_ ? static_cast<emu::VirtualHidBackend*>(backend_.get()) : nullptr;
    }
    const GlobalOptions& Options() const { return options_; }
    // The time of the link and of a virtual unit.
    link::Clock& Clock() { return clock_; }
    // Writes a virtual unit's state file now, before a command says it is done: kOk, or
    // kFileNotWritten (said why) when the changes could not be kept.
    int KeepState();
    // Ends the session: closes the unit and writes a virtual unit's state file. kOk, or
    // kFileNotWritten (said why) when changes of this run could not be kept.
    int Close();
    // The control interface of the running program that holds this unit, greeted; null
    // when none answers (or with --direct, or for an in-memory virtual unit).
    platform::ControlClient* Remote();
    // One request through Remote(): the result (owned by the caller, cJSON_Delete), or
    // null after saying on stderr why, with the exit code in `code`.
    cJSON* RemoteCall(const char* method, cJSON* params, int& code);

  private:
    std::unique_ptr<platform::ControlClient> remote_;
    bool remoteTried_ = false;
    int nextId_ = 1;
    GlobalOptions options_;
    link::Clock& clock_;
    platform::NamedMutex lock_;  // the real unit: the program's single-instance lock
    std::unique_ptr<emu::VirtualUnit> unit_;
    std::unique_ptr<link::HidBackend> backend_;
    std::unique_ptr<link::DspDevice> device_;
    RecordingSink sink_;
    bool opened_ = false;
    bool stateLossReported_ = false;
};

using Words = std::vector<std::string>;

struct Command {
    std::string name;
    std::string usage;  // argument synopsis
    std::string help;   // one or more lines
    std::function<int(Session&, const Words&)> run;
    // Checks the arguments without a unit: kOk, or kUsage after saying on stderr what is
    // wrong (a bare kUsage: the synopsis tells). Every command of a run is checked before
    // the first one runs.
    std::function<int(const Words&)> check;
    // The words that may follow the command's arguments typed so far (for the shell's
    // completion); when not given, they come from the synopsis (see CompletionsAfter).
    std::function<std::vector<std::string>(const Words&)> complete = nullptr;
};

std::vector<Command>& Registry();
void Register(Command c);

// The global options, in the order --help shows them.
const std::vector<std::string>& GlobalOptionNames();
// What may come next after the words of a command line (without the program's name):
// global options and command names before a command, after "--" a command name again,
// else what the command offers for its arguments. Sorted, without repeats.
std::vector<std::string> CompletionsAfter(const Words& words);
// The words a synopsis offers: the first word of each alternative ("check FILE | diff A B"
// gives check and diff) and every option ("--whole").
std::vector<std::string> SynopsisCompletions(const std::string& usage, const Words& typed);

// Each cmd_*.cpp file registers its commands at start-up with one of these:
//   static const Registrar registrar([] { Register({...}); });
struct Registrar {
    explicit Registrar(void (*fn)()) { fn(); }
};

}  // namespace dvdsp::cli
