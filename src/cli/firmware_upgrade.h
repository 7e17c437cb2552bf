#pragma once
// The `firmware upgrade` sub-command (cmd_firmware_upgrade.cpp).

#include "cli/cli.h"

namespace dvdsp::cli {

int CheckUpgrade(const Words& args);
int RunUpgrade(Session& s, const Words& args);

}  // namespace dvdsp::cli
