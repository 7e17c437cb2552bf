#pragma once
// The session part of the controller: connecting and disconnecting, plug events, the
// read-out thread with its firmware decision, the factory reset, the input source and
// the main-volume poll that follows it.

#include <atomic>

#include "core/controller_context.h"
#include "core/firmware_upgrade.h"

namespace dvdsp::core {

class Eq;

class Session {
public:
    Session(ControllerContext& ctx, FirmwareUpgrade& upgrade, Eq& eq) : ctx_(ctx), upgrade_(upgrade), eq_(eq) {}

    void Connect(bool showFailure);
    void DevicePlugin();
    void DevicePlugOut();
    void ShowConnected();
    void ShowDisconnected();
    // The read-out that follows a connection: a kReadOut* result of core/readout.h.
    int PC_UI_Status_Init();
    // Disables the queue, posts the busy window and reads the unit out on a worker.
    void StartReadOut();
    void ResetMcuFactoryDefault();

    // The hand-shake reply: what the unit says it is.
    void SetHandshake(const DeviceInfo& info);
    const DeviceInfo& Info() const { return info_; }
    int ModelNumber() const { return modelNumber_; }

    void SetInputSource(int index);
    void StartMainVolumePoll();
    void OnMainVolumeTimer();
    // The volume reply ends the poll.
    void StopMainVolumePoll();
    int MainVolumePollsLeft() const { return getMainVolumeTimer_; }

    void SetReadOutPauseMs(int ms) { readOutPauseMs_ = ms; }
    int ReadOutPauseMs() const { return readOutPauseMs_; }

private:
    void ReadMcuValueThread();
    void FactoryDefaultThread();

    ControllerContext& ctx_;
    FirmwareUpgrade& upgrade_;
    Eq& eq_;
    DeviceInfo info_;
    std::atomic<int> modelNumber_{-1};
    int getMainVolumeTimer_ = 0;
    std::atomic<int> readOutPauseMs_{1000};
};

}  // namespace dvdsp::core
