#pragma once
// Shows what a reply stored in the live settings on the controls of the main page.

#include "core/apply.h"
#include "core/unit_model.h"

namespace dvdsp::ui {

class CMainWnd;

// On/off buttons: "on" text, selected, white; "off" text, not selected, red.
void SetOnOffButton(CMainWnd& wnd, const char* name, bool on, const char* onKey, const char* offKey);

// `delayUnit`: the unit of the delay edits (core::kDelayCm, kDelayInch, else ms).
void RefreshControls(CMainWnd& wnd, const core::UnitModel& model, const core::Change& change, int delayUnit);

// The controls of the controller's own state (current channel, selectors, speaker focus,
// EQ mode, bypass button, link and delay-link groups); false for other changes.
bool RefreshPageState(CMainWnd& wnd, const core::UnitModel& model, const core::Change& change);

}  // namespace dvdsp::ui
