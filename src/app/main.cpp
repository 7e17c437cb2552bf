// The dvdsp program. With the windowed build it opens the main window (start-up in
// ui/main/startup.cpp); without it, it reports the unit it finds and exits.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "base/identity.h"
#include "base/log.h"
#include "emulator/fault_spec.h"
#include "emulator/virtual_transport.h"
#include "platform/control_socket.h"
#include "platform/paths.h"
#include "link/dsp_device.h"
#include "platform/file_access.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#ifdef DVDSP_HAVE_GUI
#include "ui/main/startup.h"
#endif

#ifndef DVDSP_BUILD_COMMIT
#define DVDSP_BUILD_COMMIT "unknown"
#endif

namespace {
constexpr const char* kUsage =
    "usage: dvdsp [--virtual-unit[=STATEFILE] [--replace-damaged-state]] [--script FILE] [--screenshot FILE.png]"
    " [--language en|cn_zh|ru] [--scale N]\n"
    "       dvdsp --help | --version\n";

// A wrong command line: what is wrong and the usage line on stderr; the exit code 2.
int RefuseCommandLine(const char* why) {
    std::fprintf(stderr, "dvdsp: %s\n%s", why, kUsage);
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    // A file-size limit makes a write fail with its message, as a full disk does.
    dvdsp::platform::TreatFileSizeLimitAsWriteError();
    bool virtualUnit = false;
    std::string stateFile;  // empty: an in-memory virtual unit
    bool replaceDamagedState = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--replace-damaged-state") == 0) replaceDamagedState = true;
        if (std::strcmp(argv[i], "--virtual-unit") == 0 || std::strncmp(argv[i], "--virtual-unit=", 15) == 0) {
            virtualUnit = true;
            if (argv[i][14] == '=') stateFile = argv[i] + 15;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("%s%s", kUsage, dvdsp::emu::kVirtualFaultHelp);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("dvdsp %s (commit %s)\n", dvdsp::kSoftwareVersion, DVDSP_BUILD_COMMIT);
            return 0;
        }
    }
#ifdef DVDSP_HAVE_GUI
    dvdsp::ui::StartOptions options;
    QString optionError;
    if (!dvdsp::ui::ParseStartOptions(argc, argv, &options, &optionError))
        return RefuseCommandLine(optionError.toLocal8Bit().constData());
#else
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--replace-damaged-state") != 0 && std::strcmp(argv[i], "--virtual-unit") != 0 &&
            std::strncmp(argv[i], "--virtual-unit=", 15) != 0) {
            const std::string why = std::string("unknown option '") + argv[i] + "'";
            return RefuseCommandLine(why.c_str());
        }
#endif
    dvdsp::platform::StartLogIfEnabled();
#ifdef DVDSP_HAVE_GUI
    // A screenshot may be taken while the program runs.
    options.checkSingleInstance = options.screenshot.isEmpty();
    if (virtualUnit) {
        // A virtual unit is held by its state file's lock (taken when the file is attached
        // below), so that programs on two of them run side by side; an in-memory one is
        // nobody else's.
        options.checkSingleInstance = !stateFile.empty();
        options.onVirtualUnit = true;
    }
    // The control interface, for the CLI and scripts while the window holds the unit: one
    // socket per unit (an in-memory virtual unit has none unless DVDSP_CONTROL_SOCKET names one).
    if (options.checkSingleInstance || !dvdsp::platform::EnvironmentValue("DVDSP_CONTROL_SOCKET").empty())
        options.controlSocket = QString::fromStdString(dvdsp::platform::ControlSocketPath(stateFile));
#endif

#ifndef DVDSP_HAVE_GUI
    dvdsp::platform::NamedMutex instance;
    if (!instance.Acquire(dvdsp::platform::InstanceMutexName())) {
        std::fprintf(stderr, "dvdsp is already running\n");
        return 0;
    }
#endif
    std::unique_ptr<dvdsp::emu::VirtualUnit> unit;
    std::unique_ptr<dvdsp::link::HidBackend> backend;
    if (virtualUnit) {
        unit = std::make_unique<dvdsp::emu::VirtualUnit>();
        std::string why;
        if (!stateFile.empty()) {
            // A state file the unit cannot use stops the program; nothing of it is changed.
            bool inUse = false;
            const bool attached = unit->AttachStateFile(stateFile, &why, replaceDamagedState, &inUse);
#ifdef DVDSP_HAVE_GUI
            // Another program on the same unit: the window tells the user, as for the
            // program's own second start.
            options.unitInUse = inUse;
            if (inUse) why.clear();
#endif
            if (!why.empty()) std::fprintf(stderr, "%s\n", why.c_str());
            if (!attached && !inUse) return 1;
#ifndef DVDSP_HAVE_GUI
            if (inUse) return 1;
#endif
        }
        auto virtualBackend = std::make_unique<dvdsp::emu::VirtualHidBackend>(*unit);
        // Faults for checks of the failure paths from outside (emulator/fault_spec.h).
        if (const std::string faults = dvdsp::platform::EnvironmentValue("DVDSP_VIRTUAL_FAULT"); !faults.empty()) {
            std::string faultWhy;
            if (!dvdsp::emu::ArmVirtualFaults(faults, *unit, *virtualBackend, &faultWhy))
                std::fprintf(stderr, "DVDSP_VIRTUAL_FAULT=%s: %s; ignored from there on\n", faults.c_str(),
                             faultWhy.c_str());
        }
#ifdef DVDSP_HAVE_GUI
        // The virtual unit can be unplugged and plugged back from the demo menu.
        dvdsp::emu::VirtualHidBackend* vb = virtualBackend.get();
        options.plug.addListener = [vb](std::function<void(bool)> l) { return vb->AddPlugListener(std::move(l)); };
        options.plug.removeListener = [vb](int id) { vb->RemovePlugListener(id); };
        options.plug.setPlugged = [vb](bool on) { on ? vb->Plug() : vb->Unplug(); };
        options.plug.poll = [vb] { vb->Poll(); };
#endif
        backend = std::move(virtualBackend);
    } else {
        backend = dvdsp::link::MakeHidapiBackend();
    }
#ifdef DVDSP_HAVE_GUI
    return dvdsp::ui::RunProgram(argc, argv, options, backend.get());
#else
    dvdsp::link::DspDevice device(*backend);
    device.SetDeviceProfile(dvdsp::kModelId, 10, 8, 1, 0);
    device.OpenHIDDevice();
    if (!device.IsConnected()) {
        std::printf("no VTR50 (USB 0483:5750) found\n");
        return 0;
    }
    device.PC_Connect(1);
    device.Hand_Connect();
    if (device.HandshakeOk())
        std::printf("VTR50 model %d, firmware %d.%d\n", device.Model(), device.MasterVersion(),
                    device.SlaveVersion());
    else
        std::printf("the unit did not accept the hand-shake\n");
    device.CloseHIDDevice(true);
    return 0;
#endif
}
