#pragma once
// The tool road of the firmware update: the vendor's download tool and the firmware
// files are unpacked from their password-protected archives into one working folder,
// and the tool's batch file is run there as a hidden process whose output is kept.
// Everything here blocks; the update windows call it from their worker threads.

#include <QString>

namespace dvdsp::ui {

// The traditional ZIP password of both firmware archives and of firmware files picked
// for the tool road.
inline constexpr const char* kFirmwarePassword = "vorpal-tesk-fwzp";

// Time the windows give the tool to finish.
inline constexpr int kToolTimeLimitMs = 300000;

// Results of PrepareDownloadFolder.
enum PrepareResult : int {
    kPrepareOk = 0,
    kPrepareNoTools = 1,    // the tool archive could not be written out or unpacked
    kPrepareNoIsdBin = 2,   // no "jl_isd.bin" (also: the firmware archive could not be unpacked)
    kPrepareNoIsdFw = 3,    // no "jl_isd.fw"
    kPrepareNoApp = 4,      // no "app.bin"
    kPrepareNoDspImage = 5, // no "dsp_image.bin"
    kPrepareNoBatch = 6,    // no "download.bat"
};

// Makes the working folder of one update: a new folder "dvdsp-upgrade-" and a random part
// in the temporary folder ($TMP, else $TMPDIR, else /tmp), which only this user may enter.
// False when it cannot be made.
bool MakeWorkFolder(QString* folder);

// Unpacks every file member of the archive flat into `outFolder` (created when missing):
// each under the part of its name after the last "/" or "\", a later member replacing an
// earlier one of the same name. Names that are empty, "." or ".." after that are skipped.
// The folder is addressed by path; the process's current folder is left alone. False when
// the archive cannot be opened or a member cannot be read (a wrong password shows as a
// CRC error) or written; the member that failed leaves no file behind.
bool UnzipToWorkFolder(const QString& archivePath, const QString& outFolder,
                       const QString& password = QString::fromLatin1(kFirmwarePassword));

// Prepares a new working folder (MakeWorkFolder) for the tool from the tool archive among
// the resources and the firmware archive at `archivePath`. Returns a PrepareResult;
// `outFolder` receives the folder, also when a piece is missing (the caller removes it),
// and `outBatchPath` the batch file's path (both may be null).
int PrepareDownloadFolder(const QString& archivePath, QString* outFolder, QString* outBatchPath);

// Removes a working folder made by MakeWorkFolder with what is in it; a link inside is
// removed as a link, never followed. Any other folder is left alone.
void DeleteWorkFolder(const QString& folder);

// Runs `commandLine` with `workFolder` as its current folder and without a window, waits
// at most `limitMs` and kills it if it still runs. Returns everything it wrote to standard
// output and standard error, in the order written; empty when it cannot be started.
QString RunHiddenTool(const QString& commandLine, int limitMs, const QString& workFolder);

// The command line that runs the batch file, its path quoted.
QString ToolCommandLine(const QString& batchPath);

// Whether this system can run the batch file: a ".bat" only on Windows, anything else
// when it is an executable file.
bool ToolCanRun(const QString& batchPath);

// Whether the tool's output reports a finished download: its last non-empty line
// contains "download ok", "succeed" or "success", and no line contains "fail" or
// "error" (all compared without regard to case). Empty output is no success.
bool ToolOutputSucceeded(const QString& output);

}  // namespace dvdsp::ui
