#pragma once
// The skin archive compiled into the program (generated at build time).

namespace dvdsp::ui {

// Registers the archive as resource "IDR_ZIPRES" of type "ZIPRES".
void RegisterSkinResource();

}  // namespace dvdsp::ui
