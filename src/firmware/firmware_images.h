#pragma once
// The image checks of the upgrade as the device link runs them: each entry point reads a
// file, checks it and, when it is valid, keeps its payload and header for the transfer.
// The object holds those buffers together with upg_device and sys_upg_status; what it
// needs of the connected unit comes through UpgradeLink.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "firmware/image.h"
#include "link/upgrade_status.h"

namespace dvdsp::fw {

// What the checks need of the device link.
class UpgradeLink {
  public:
    virtual ~UpgradeLink() = default;
    virtual bool IsConnected() const = 0;
    // Resets the read and write positions of the receive ring.
    virtual void ResetReceiveRing() = 0;
};

class FirmwareImages {
  public:
    // Without a link no unit counts as connected.
    explicit FirmwareImages(UpgradeLink* link = nullptr) : link_(link) {}

    void SetLink(UpgradeLink* link) { link_ = link; }
    void SetPcModelId(uint8_t id) { pc_model_id_ = id; }
    uint8_t PcModelId() const { return pc_model_id_; }
    void SetNoCheckID(bool on) { noCheckID_ = on; }
    bool NoCheckID() const { return noCheckID_; }

    // Entry points; each returns an UpgResult.
    int CopyFileToBuffer(const std::wstring& path);
    int MCUUpgParsingFile(const std::wstring& path);
    int MCUUpgBLParsingFile(const std::wstring& path);
    int FlashUpgParsingFile(const std::wstring& path);
    int ParsingUpgFWFile(const std::wstring& path);

    // The check of the given kind without the connected-unit test, leaving upg_device and
    // sys_upg_status alone (the offline check of a file). kNone gives UPG_FILE_INVALID.
    int CheckFileOffline(ImageKind kind, const std::wstring& path);

    // What the last check found.
    const CheckReport& LastReport() const { return report_; }

    int32_t UpgDeviceValue() const { return upg_device_; }
    void SetUpgDevice(int32_t d) { upg_device_ = d; }
    int32_t SysUpgStatus() const { return status_->Get(); }
    void SetSysUpgStatus(int32_t s) { status_->Set(s); }
    // Shares the upgrade status of the device link (by default the checks keep their own,
    // for a file checked with no unit).
    void SetStatus(link::UpgradeStatus& status) { status_ = &status; }

    // Buffers left by the last successful checks.
    const std::vector<uint8_t>& McuPayload() const { return mcu_payload_; }
    size_t McuPayloadLength() const { return mcu_payload_length_; }
    size_t McuRemaining() const { return mcu_remaining_; }
    void SetMcuRemaining(size_t n) { mcu_remaining_ = n; }
    const std::array<uint8_t, 4>& McuImageHeader() const { return mcu_header_; }
    const std::vector<uint8_t>& DspPayload() const { return dsp_payload_; }
    const std::array<uint8_t, 4>& DspImageHeader() const { return dsp_header_; }
    void FreePayloads();

  private:
    bool Connected() const { return link_ && link_->IsConnected(); }
    ModelCheck Model() const { return {pc_model_id_, noCheckID_}; }
    // Steps of the flash check after the connected-unit test.
    int FlashCheckFile(const std::wstring& path);
    bool KeepMcu(const std::vector<uint8_t>& file, const ImageFields& image);
    bool KeepDsp(const std::vector<uint8_t>& file, const ImageFields& image);

    UpgradeLink* link_;
    uint8_t pc_model_id_ = 98;
    bool noCheckID_ = false;
    std::atomic<int32_t> upg_device_{UPG_DEVICE_NONE};
    link::UpgradeStatus ownStatus_;
    link::UpgradeStatus* status_ = &ownStatus_;
    CheckReport report_;

    std::vector<uint8_t> mcu_payload_;
    size_t mcu_payload_length_ = 0;
    size_t mcu_remaining_ = 0;
    std::array<uint8_t, 4> mcu_header_{};
    std::vector<uint8_t> dsp_payload_;
    std::array<uint8_t, 4> dsp_header_{};
};

}  // namespace dvdsp::fw
