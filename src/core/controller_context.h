#pragma once
// What the parts of the controller share: the device link, the live settings behind
// their editor, the window's view and prompt, and the worker threads. The controller
// owns all of it; each part keeps a reference.

#include <atomic>
#include <functional>
#include <string>

#include "core/model_editor.h"
#include "core/outgoing.h"
#include "core/value_ops.h"
#include "core/prompt.h"
#include "core/session_view.h"
#include "core/unit_model.h"
#include "core/workers.h"
#include "link/dsp_device.h"

namespace dvdsp::core {

struct ControllerContext {
    link::DspDevice& device;
    link::Clock& clock;
    const UnitModel& model;  // read-only: the editor is its one writer
    ModelEditor& edit;
    WorkerSet& workers;
    std::atomic<bool>& stopping;
    SessionView* view = nullptr;  // set once by Init, before anything else
    Prompt* prompt = nullptr;
    // The value operations, sending through this context.
    ValueOps values{edit, [this](const Change& change) { Send(change); }};

    const SceneState& Live() const { return edit.Live(); }
    // Sends what `change` names as the live settings now hold it, through the queue: the
    // parts name what they changed and never build a frame themselves.
    // False when a frame was refused (the queue is held, or the unit is gone).
    bool Send(const Change& change) const { return Send(change, SentAtOnce(change.what)); }
    // The same, written at once rather than queued.
    bool SendNow(const Change& change) const { return Send(change, true); }
    bool Send(const Change& change, bool atOnce) const {
        bool sent = true;
        for (link::protocol::Frame& f : FramesOf(change, edit.Unit(), device.Profile()))
            sent = device.Send(std::move(f), atOnce) && sent;
        return sent;
    }
    // A change the unit makes by itself (a scene load, a calibration's apply) begins or
    // ends: the undo history takes the live settings before and after.
    std::function<void(const std::string& name)> beginUnitStep = [](const std::string&) {};
    std::function<void()> endUnitStep = [] {};
    uint8_t Scene() const { return static_cast<uint8_t>(edit.Live().scene); }
};

}  // namespace dvdsp::core
