#pragma once
// The graph's views on the main page: what the graph's menu chose (the view, the channels
// of the sum, whether the alignment helper's proposal is previewed) and what each view
// hands to the graph, from the live settings. The graph only shows; the one value change
// here, applying the alignment, is the controller's operation (AlignChannels).

#include <QString>
#include <vector>

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
};

// The current view's curves to the graph (the levels are ShowCurves' own).
void ShowGraphView(CMainWnd& wnd, core::EqualizerManager& c);
// Check marks of the graph menu: the view and the channels of the sum; the helper's items
// need two channels.
void PrepareGraphMenu(tk::Menu& m, const GraphViewState& state);
// The graph menu's items ("graph_item_..."); false for other items.
bool HandleGraphMenuClick(CMainWnd& wnd, core::EqualizerManager& c, const QString& name);

}  // namespace dvdsp::ui
