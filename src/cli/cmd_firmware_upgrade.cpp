// firmware upgrade FILE: the direct road of the upgrade, from the image check to the unit
// coming back with the new firmware.

#include <cstdio>
#include <string>

#include "base/log.h"
#include "cli/cli.h"
#include "cli/firmware_upgrade.h"
#include "firmware/firmware_images.h"
#include "firmware/image.h"
#include "platform/paths.h"
#include "core/upgrade_run.h"
#include "firmware/upgrade_transfer.h"
#include "link/dsp_device.h"

namespace dvdsp::cli {

namespace {

const char* StartFailure(int r) {
    switch (r) {
    case fw::UPG_FILE_OPEN_FAIL: return "the file could not be opened";
    case fw::UPG_FILE_INVALID: return "the file is not a valid image for this unit";
    case fw::UPG_CONNECT_FAIL: return "the unit went away and did not come back in its loader";
    case fw::kUpgradeRefused: return "the unit did not enter upgrade mode or refused the start";
    default: return "the upgrade could not start";
    }
}

// Shows the progress: a bar on a terminal, one percentage per line otherwise.
class ProgressOut {
  public:
    ProgressOut() : tty_(platform::IsTerminal(stdout)) {}
    void Show(int percent) {
        if (percent == last_) return;
        last_ = percent;
        if (!tty_) {
            std::printf("%d%%\n", percent);
        } else {
            const int filled = percent * 40 / 100;
            std::printf("\r[%s%s] %3d%%", std::string(static_cast<size_t>(filled), '#').c_str(),
                        std::string(static_cast<size_t>(40 - filled), ' ').c_str(), percent);
        }
        std::fflush(stdout);
    }
    void End() {
        if (tty_ && last_ >= 0) std::printf("\n");
    }

  private:
    bool tty_;
    int last_ = -1;
};

}  // namespace

int CheckUpgrade(const Words& args) {
    // upgrade FILE [--erase]
    if (args.size() < 2 || args.size() > 3) return kUsage;
    if (args.size() == 3 && args[2] != "--erase") {
        std::fprintf(stderr, "unexpected argument '%s'\n", args[2].c_str());
        return kUsage;
    }
    return kOk;
}

int RunUpgrade(Session& s, const Words& args) {
    const std::string& path = args[1];
    const bool erase = args.size() == 3;
    // The file is checked before anything reaches the unit.
    const fw::ImageKind kind = fw::ImageKindFromFileName(path);
    if (kind == fw::ImageKind::kNone) {
        std::fprintf(stderr,
                     "%s: the name selects no image kind (it must contain MCU_UPG.BIN, "
                     "FLASH_UPG.BIN, BL_UPG.BIN or UPG_FW.BIN)\n",
                     path.c_str());
        return kFileRefused;
    }
    {
        fw::FirmwareImages offline;
        if (const int r = offline.CheckFileOffline(kind, Utf8ToWide(path)); r != fw::UPG_FILE_VALID) {
            std::fprintf(stderr, "%s: %s; nothing was sent (see `firmware check`)\n", path.c_str(),
                         StartFailure(r));
            return kFileRefused;
        }
    }
    int r = s.Open(true);
    if (r != kOk) return r;
    link::DspDevice& d = s.Device();
    d.DisableCmdQueue();
    std::printf("upgrading %s (%s)\n", path.c_str(), fw::ImageKindName(kind));
    std::fflush(stdout);
    core::UpgradeRun run(d, s.Clock());
    ProgressOut progress;
    core::UpgradeEvents events;
    events.progress = [&progress](int percent) { progress.Show(percent); };
    r = run.Start(path, erase, events);
    if (r != 0) {
        std::fprintf(stderr, "upgrade not started: %s\n", StartFailure(r));
        return r == fw::UPG_FILE_INVALID || r == fw::UPG_FILE_OPEN_FAIL ? kFileRefused : kUnitError;
    }
    const bool sent = run.Transfer(events);
    progress.End();
    if (!sent) {
        std::fprintf(stderr,
                     "upgrade failed: the unit stopped answering or went away. It stays in its "
                     "loader; run the upgrade again\n");
        return kUnitError;
    }
    std::printf("transfer complete; waiting for the unit to restart\n");
    std::fflush(stdout);
    if (!run.AwaitReturn()) {
        std::fprintf(stderr, "the unit did not come back after the upgrade\n");
        return kUnitError;
    }
    if (!d.HandshakeOk()) {
        std::fprintf(stderr, "the unit came back in its loader: the new firmware was not taken\n");
        return kUnitError;
    }
    std::printf("the unit is back: model %d, firmware %d.%d\n", d.Model(), d.MasterVersion(),
                d.SlaveVersion());
    return s.KeepState();
}

}  // namespace dvdsp::cli
