#pragma once
// Bulk transfers between the model and the unit: writing the live settings, writing every
// stored scene and the live settings, reading a stored scene into its copy, and storing
// the live settings as a scene. Each command is sent at once and waits for the unit's
// answer; each transfer is one exchange sequence (link/exchange.h), so a command whose
// answer does not come is sent again. A transfer returns true when every command was
// answered; otherwise `why` (when given) says what was not, and the transfer ends at once
// when the unit goes away.

#include <functional>
#include <string>

#include "core/unit_model.h"
#include "link/clock.h"
#include "link/dsp_device.h"

namespace dvdsp::core {

// Called after each command with the commands sent so far and the total.
using TransferProgress = std::function<void(int done, int total)>;

// Writes the live settings `s` to the unit (scene 0): the master values, then per channel
// the filters and bands, the roles and channel values, the routing of `s`'s current source
// and the mix trims; after these the routing of the other sources, the cross-source feeds,
// the bridge pairs, the lock and the stereo link with its pairs, so that the unit holds
// everything `s` holds whatever it held before.
bool SetReadCurProfileToMCU(link::DspDevice& dev, const SceneState& s,
                            const TransferProgress& progress = nullptr, std::string* why = nullptr);

// Writes scene copies 1-10 (each as the live settings are written, with scene number n)
// with their names and stores each in the unit's flash, then the live settings.
bool SetReadWholeProfileToMCU(link::DspDevice& dev, const UnitModel& m,
                              const TransferProgress& progress = nullptr, std::string* why = nullptr);

// Asks the unit for stored scene n (1-10); the replies, applied to the model, fill scene
// copy n. The unit is given a second to prepare the scene (slept on `clock`).
bool ReadStoredScene(link::DspDevice& dev, int n, link::Clock& clock, std::string* why = nullptr);

// Names stored scene n (1-10) `name` and stores the unit's live settings in it.
bool StoreLiveAsScene(link::DspDevice& dev, int n, const SceneName& name, std::string* why = nullptr);

// Number of commands the two writes send, for progress display.
int CurProfileCommandCount(const SceneState& s);
int WholeProfileCommandCount(const UnitModel& m);

}  // namespace dvdsp::core
