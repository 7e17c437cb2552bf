#pragma once
// The graph's views on the main page: what the graph's menu chose (the view, the channels
// of the sum, whether the alignment helper's proposal is previewed) and what each view
// hands to the graph, from the live settings. The graph only shows; the one value change
// here, applying the alignment, is the controller's operation (AlignChannels).

#include <QString>
#include <array>
#include <vector>

#include "core/response_overlay.h"

#include "ui/controls/equalizer.h"

namespace dvdsp::core {
class EqualizerManager;
}
namespace dvdsp::tk {
class Menu;
}

namespace dvdsp::ui {

class CMainWnd;

struct GraphViewState {
    GraphView view = GraphView::Level;
    std::vector<int> sumChannels;  // in the order chosen; the helper aligns the first two
    bool preview = false;
    // Per channel its measurement and target (graph_overlays.cpp): the working session's
    // alone, never sent to the unit nor written into a profile.
    std::array<core::ChannelOverlay, core::kChannels> overlays;
    int smoothing = 6;  // 1/N octave for every measurement, 0 none
};

// The current view's curves to the graph (the levels are ShowCurves' own).
void ShowGraphView(CMainWnd& wnd, core::EqualizerManager& c);
// Check marks of the graph menu: the view and the channels of the sum; the helper's items
// need two channels.
void PrepareGraphMenu(tk::Menu& m, const GraphViewState& state);
// The graph menu's items ("graph_item_..."); false for other items.
bool HandleGraphMenuClick(CMainWnd& wnd, core::EqualizerManager& c, const QString& name);

// The shown channel's measurement, target and prediction over the level view (nothing in
// the other views), in the channel's colour; computed from the live settings each time.
void ShowGraphOverlays(CMainWnd& wnd, core::EqualizerManager& c);
void PrepareOverlayMenu(tk::Menu& m, const GraphViewState& state);
// The overlay items of the graph menu ("graph_item_measurement_...", "graph_item_target_...",
// "graph_item_smooth_N", "graph_item_overlay_clear"); false for other items.
bool HandleOverlayMenuClick(CMainWnd& wnd, core::EqualizerManager& c, const QString& name);

}  // namespace dvdsp::ui
