#pragma once
// Shows what a reply stored in the live settings on the controls of the main page.

#include "core/apply.h"
#include "core/curve_store.h"
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

// The EQ panel of the current channel: band controls (frequency and Q editable in the
// parametric mode only), crossover selectors, slope items, curve boxes, the graph's mode.
void RefreshEqControls(CMainWnd& wnd, const core::UnitModel& model, const core::Change& change, bool parametric);

// Hands the graph the current channel's bands (flat when bypassed or disabled) with the
// selected one (-1: none), its two crossover markers and the ten channels' curves.
void ShowCurves(CMainWnd& wnd, const core::UnitModel& model, const core::CurveStore& curves, int band);

}  // namespace dvdsp::ui
