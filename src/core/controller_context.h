#pragma once
// What the parts of the controller share: the device link, the live settings behind
// their editor, the window's view and prompt, and the worker threads. The controller
// owns all of it; each part keeps a reference.

#include <atomic>

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
    void Send(const Change& change) const { Send(change, SentAtOnce(change.what)); }
    // The same, written at once rather than queued.
    void SendNow(const Change& change) const { Send(change, true); }
    void Send(const Change& change, bool atOnce) const {
        for (link::protocol::Frame& f : FramesOf(change, edit.Unit(), device.Profile())) device.Send(std::move(f), atOnce);
    }
    uint8_t Scene() const { return static_cast<uint8_t>(edit.Live().scene); }
};

}  // namespace dvdsp::core
