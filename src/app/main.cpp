// The dvdsp program. Until the main window exists it starts, logs, takes the
// single-instance lock, reports the unit it finds and exits.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/identity.h"
#include "app/log.h"
#include "emulator/virtual_transport.h"
#include "link/dsp_device.h"
#include "platform/instance_lock.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    bool virtualUnit = false;
    std::string stateFile;  // empty: an in-memory virtual unit
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--virtual-unit", 14) == 0) {
            virtualUnit = true;
            if (argv[i][14] == '=') stateFile = argv[i] + 15;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: dvdsp [--virtual-unit[=STATEFILE]]\n");
            return 0;
        }
    }
    LogStartIfEnabled();

    dvdsp::platform::NamedMutex instance;
    if (!instance.Acquire(dvdsp::platform::InstanceMutexName())) {
        std::fprintf(stderr, "dvdsp is already running\n");
        return 0;
    }
    std::unique_ptr<dvdsp::emu::VirtualUnit> unit;
    std::unique_ptr<dvdsp::link::HidBackend> backend;
    if (virtualUnit) {
        unit = std::make_unique<dvdsp::emu::VirtualUnit>();
        std::string why;
        if (!stateFile.empty() && !unit->AttachStateFile(stateFile, &why))
            std::fprintf(stderr, "%s\n", why.c_str());
        backend = std::make_unique<dvdsp::emu::VirtualHidBackend>(*unit);
    } else {
        backend = dvdsp::link::MakeHidapiBackend();
    }
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
}
