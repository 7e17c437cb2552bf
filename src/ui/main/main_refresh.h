#pragma once
// Shows what a reply stored in the live settings on the controls of the main page.

#include "core/apply.h"
#include "core/unit_model.h"

namespace dvdsp::ui {

class CMainWnd;

// On/off buttons: "on" text, selected, white; "off" text, not selected, red.
void SetOnOffButton(CMainWnd& wnd, const char* name, bool on, const char* onKey, const char* offKey);

void RefreshControls(CMainWnd& wnd, const core::UnitModel& model, const core::Change& change);

}  // namespace dvdsp::ui
