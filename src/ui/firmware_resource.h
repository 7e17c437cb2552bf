#pragma once
// The firmware archives compiled into the program when the build was given them
// (generated at build time; see docs/FIRMWARE.md).

namespace dvdsp::ui {

// Registers "IDR_MCU_BIN" and "ID_MCU_OTHER" of type "BIN" for the archives the build
// carries; registers nothing for an archive it was not given.
void RegisterFirmwareResources();

}  // namespace dvdsp::ui
