// The controller's construction, its attachment to a window and its shutdown.
#include "core/equalizer_manager.h"

#include "base/identity.h"

namespace dvdsp::core {

EqualizerManager::EqualizerManager(link::HidBackend& backend, link::Clock& clock)
    : device_(backend, clock), clock_(clock) {
    device_.SetDeviceProfile(static_cast<uint8_t>(kModelId), kChannels, 8, 1, 0);
    undo_.SetBusy([this] { return Busy(); });
    ab_.SetBusy([this] { return Busy(); });
    ctx_.beginUnitStep = [this](const std::string& name) { undo_.BeginUnitStep(name); };
    ctx_.endUnitStep = [this] {
        undo_.EndUnitStep();
        NotifyUndoSteps();
    };
}

EqualizerManager::~EqualizerManager() { Shutdown(); }

void EqualizerManager::SetValue(const ValueDef& def, const std::vector<double>& idx, const std::vector<double>& val) {
    def.set(ctx_.values, idx, val);
    eq_.UpdateAllCurves();
    CloseStep();
}

void EqualizerManager::Init(SessionView* view, Prompt* prompt) {
    ctx_.view = view;
    ctx_.prompt = prompt;
    editor_.SetView(view);
}

void EqualizerManager::Shutdown() {
    stopping_ = true;
    // Closing the link ends a read-out in progress quickly: every query then fails.
    device_.DisableCmdQueue();
    device_.CloseHIDDevice(false);
    workers_.JoinAll();
}

}  // namespace dvdsp::core
