#pragma once
// The firmware archives a build may carry as program resources: "IDR_MCU_BIN" (the
// unit's firmware) and "ID_MCU_OTHER" (the vendor's download tool and its files). They
// are build inputs; a build made without them registers neither.

namespace dvdsp::core {

inline constexpr const char* kFirmwareResource = "IDR_MCU_BIN";
inline constexpr const char* kFirmwareToolsResource = "ID_MCU_OTHER";
inline constexpr const char* kFirmwareResourceType = "BIN";

// Shown and logged when an action needs the built-in firmware and the build has none.
inline constexpr const char* kNoBuiltInFirmwareText = "this build carries no built-in firmware";

// True when both archives are registered and not empty.
bool BuiltInFirmwarePresent();

}  // namespace dvdsp::core
