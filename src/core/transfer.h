#pragma once
// Bulk transfers between the model and the unit: writing the live settings, writing every
// stored scene and the live settings, and reading a stored scene into its copy. Each
// command is sent at once and waits for the unit's answer.

#include <functional>

#include "core/unit_model.h"
#include "link/clock.h"
#include "link/dsp_device.h"

namespace dvdsp::core {

// Called after each command with the commands sent so far and the total.
using TransferProgress = std::function<void(int done, int total)>;

// Writes the live settings `s` to the unit (scene 0). Routing masks are sent for `s`'s
// current source only.
void SetReadCurProfileToMCU(link::DspDevice& dev, const SceneState& s,
                            const TransferProgress& progress = nullptr);

// Writes scene copies 1-10 with their names and stores each in the unit's flash, then the
// live settings.
void SetReadWholeProfileToMCU(link::DspDevice& dev, const UnitModel& m,
                              const TransferProgress& progress = nullptr);

// Asks the unit for stored scene n (1-10); the replies, applied to the model, fill scene
// copy n. The unit is given a second to prepare the scene (slept on `clock`).
void ReadStoredScene(link::DspDevice& dev, int n, link::Clock& clock);

// Number of commands the two writes send, for progress display.
int CurProfileCommandCount(const SceneState& s);
int WholeProfileCommandCount(const UnitModel& m);

}  // namespace dvdsp::core
