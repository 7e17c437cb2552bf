#pragma once
// The work of the firmware update windows, off the window thread: preparing the files of a
// firmware archive and running the update with them, reported to the window only through
// posted messages.
//
// Two roads lead to the unit. Where the vendor's download tool can run (a Windows
// program), the archive is unpacked with the tool's files and the tool's batch file is run
// hidden, its outcome judged from its output. Elsewhere the archive's MCU image
// ("app.bin") is sent over the device link itself (UpgradeStart, UpgradeStep), with its
// real progress; the unit restarts into the new image when the transfer is complete.

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "ui/update/tool_road.h"

namespace dvdsp::core {
class EqualizerManager;
}
namespace dvdsp::tk {
class Mailbox;
}

namespace dvdsp::ui {

// Messages of the update windows (posted by their workers to the window).
inline constexpr uint32_t WM_UPG_FACTORY_DONE = 1240;
inline constexpr uint32_t WM_UPG_PROGRESS = 1255;  // wparam 0 to 100
inline constexpr uint32_t WM_UPG_SUCCEEDED = 1256;
inline constexpr uint32_t WM_UPG_FAILED = 1257;
inline constexpr uint32_t WM_UPG_FILES_NOT_READY = 1258;
inline constexpr uint32_t WM_UPG_START_MCU = 1259;
inline constexpr uint32_t WM_UPG_START_FLASH = 1260;
inline constexpr uint32_t WM_UPG_TOOL_FINISHED = 1261;
inline constexpr uint32_t WM_UPG_PSEUDO_STEP = 1262;
inline constexpr uint32_t WM_UPG_PROGRESS_ZERO = 1263;  // wparam 1: the tool runs (pseudo-progress)
inline constexpr uint32_t WM_UPG_RESTARTING = 1264;     // waiting for the unit's restart into its loader

inline constexpr int kPseudoProgressTimer = 4113;
inline constexpr int kPseudoProgressMs = 500;

// The name the direct road gives the archive's MCU image, so that the upgrade takes it as one.
inline constexpr const char* kDirectImageName = "MCU_UPG.BIN";

// One step of the pseudo-progress that creeps towards 80 while the tool runs: the bar's
// value after one tick. `counter` is the window kind's own.
int PseudoProgressStep(int value, int& counter);

// The files of an archive made ready for the update.
struct PreparedUpdate {
    int result = 1;       // 0 ready; else the piece that is missing
    QString folder;       // the working folder
    QString startPath;    // the download batch file, or the MCU image of the direct road
};
// Unpacks `archive` for the road this system takes, into a new working folder of this run
// (MakeWorkFolder), which the caller removes (DeleteWorkFolder) when the update is over. On
// failure the folder is removed again and `folder` is empty.
PreparedUpdate PrepareUpdate(const QString& archive);
// Whether this system takes the road of the vendor's download tool.
bool UsesDownloadTool();

// One update run on its own thread.
class UpdateJob {
  public:
    UpdateJob(core::EqualizerManager& controller, std::shared_ptr<tk::Mailbox> mailbox);
    ~UpdateJob();
    UpdateJob(const UpdateJob&) = delete;
    UpdateJob& operator=(const UpdateJob&) = delete;

    // Prepares `archive` first (the user's update); `*folder` receives the working folder
    // once the job has ended.
    void StartWithArchive(const QString& archive);
    // Runs the update from a prepared start path; `startMessage` (0 for none) is posted
    // once the update has started.
    void StartPrepared(const QString& startPath, uint32_t startMessage);
    // The factory reset after a forced update: waits a second, sends it, posts 1240.
    void StartFactoryReset();
    bool Running() const { return running_; }
    // After WM_UPG_SUCCEEDED: the firmware version of the MCU image sent, -1 when the
    // update sent none (a DSP image, the vendor's tool).
    int InstalledMain() const { return installedMain_; }
    int InstalledSub() const { return installedSub_; }
    void Join();
    QString Folder() const;

  private:
    void Run(const QString& startPath, uint32_t startMessage);
    void Post(uint32_t msg, int64_t wparam = 0);

    core::EqualizerManager& controller_;
    std::shared_ptr<tk::Mailbox> mailbox_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<int> installedMain_{-1}, installedSub_{-1};
    QString folder_;
};

}  // namespace dvdsp::ui
