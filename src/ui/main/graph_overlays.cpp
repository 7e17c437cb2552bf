// The graph's overlays: per channel a measurement (with a microphone calibration), a
// target (a file, flat or a bass lift with a treble tilt) and the predicted response, the
// measurement with the channel's current EQ and crossovers on it. The files come through
// the controller's prompt like every file dialog; a refused file changes nothing and says
// why with its line.
#include <cmath>

#include "core/equalizer_manager.h"
#include "toolkit/language.h"
#include "toolkit/menu.h"
#include "ui/main/graph_views.h"
#include "ui/main/main_wnd.h"

namespace dvdsp::ui {
namespace {

constexpr const char* kSmoothItem = "graph_item_smooth_";
constexpr int kSmoothings[] = {0, 3, 6, 12, 24};
// The built-in target with a lift and a tilt: 6 dB below 80 Hz, -0.5 dB an octave above 1 kHz.
constexpr core::BuiltinTarget kLiftTarget{6.0, 80.0, -0.5, 1000.0};

int ShownChannel(core::EqualizerManager& c) {
    const int ch = c.Model().current.currOutChannel;
    return ch >= 0 && ch < core::kChannels ? ch : -1;
}

// A curve file chosen and read; nothing when cancelled or refused (the reason shown).
std::optional<core::MeasuredCurve> ChooseCurve(core::EqualizerManager& c, const char* title) {
    const auto path = c.Prompting().ChooseFile(core::FileMode::Open, title,
                                               tk::Lang(QStringLiteral("${graph_curve_files}")).toStdString(), "");
    if (!path) return std::nullopt;
    const core::CurveRead r = core::ReadCurveFile(*path);
    if (!r.ok) {
        c.Prompting().ShowTips("${graph_curve_refused}\n" + r.Message());
        return std::nullopt;
    }
    return r.curve;
}

// The colour with the alpha given.
uint32_t WithAlpha(uint32_t rgb, uint32_t alpha) { return (rgb & 0x00FFFFFFu) | (alpha << 24); }

}  // namespace

void ShowGraphOverlays(CMainWnd& wnd, core::EqualizerManager& c) {
    auto* graph = wnd.Find<UIEqualizer>("equalizer");
    if (!graph) return;
    GraphViewState& state = wnd.GraphViews();
    const int ch = ShownChannel(c);
    if (state.view != GraphView::Level || ch < 0 || state.overlays[static_cast<size_t>(ch)].Empty()) {
        if (!graph->OverlayCurves().empty()) graph->SetOverlayCurves({});
        return;
    }
    core::ChannelOverlay& o = state.overlays[static_cast<size_t>(ch)];
    o.smoothing = state.smoothing;
    const core::OverlayTraces t = core::ComputeOverlayTraces(c.Model().current, ch, &o);
    const std::vector<uint32_t>& colors = graph->CurveColors();
    const uint32_t color = static_cast<size_t>(ch) < colors.size() ? colors[static_cast<size_t>(ch)] : kEqOtherCurveColor;
    const std::vector<double>& grid = dsp::StandardPhaseGrid().Frequencies();
    std::vector<ViewCurve> curves;
    if (!t.target.empty()) curves.push_back(ViewCurve{CurveData{grid, t.target}, WithAlpha(color, 0xC0), 1.5, true});
    if (!t.measured.empty()) curves.push_back(ViewCurve{CurveData{grid, t.measured}, WithAlpha(color, 0x90), 1.0, false});
    if (!t.predicted.empty()) curves.push_back(ViewCurve{CurveData{grid, t.predicted}, WithAlpha(color, 0xFF), 2.5, false});
    graph->SetOverlayCurves(std::move(curves));
}

void PrepareOverlayMenu(tk::Menu& m, const GraphViewState& state) {
    for (int n : kSmoothings)
        m.SetItemChecked(QString::fromLatin1(kSmoothItem) + QString::number(n), n == state.smoothing);
}

bool HandleOverlayMenuClick(CMainWnd& wnd, core::EqualizerManager& c, const QString& name) {
    if (!name.startsWith(QLatin1String("graph_item_measurement_")) && !name.startsWith(QLatin1String("graph_item_target_")) &&
        !name.startsWith(QLatin1String(kSmoothItem)) && name != QLatin1String("graph_item_overlay_clear"))
        return false;
    GraphViewState& state = wnd.GraphViews();
    const int ch = ShownChannel(c);
    if (ch < 0) return true;
    core::ChannelOverlay& o = state.overlays[static_cast<size_t>(ch)];
    if (name == QLatin1String("graph_item_measurement_load")) {
        if (auto m = ChooseCurve(c, "${graph_measurement_load}")) o.measurement = std::move(*m);
    } else if (name == QLatin1String("graph_item_measurement_calibration")) {
        if (auto m = ChooseCurve(c, "${graph_measurement_calibration}")) o.calibration = std::move(*m);
    } else if (name == QLatin1String("graph_item_target_load")) {
        if (auto m = ChooseCurve(c, "${graph_target_load}")) o.targetFile = std::move(*m);
    } else if (name == QLatin1String("graph_item_target_flat")) {
        o.targetFile.reset();
        o.builtinTarget = core::BuiltinTarget{};
    } else if (name == QLatin1String("graph_item_target_lift")) {
        o.targetFile.reset();
        o.builtinTarget = kLiftTarget;
    } else if (name == QLatin1String("graph_item_overlay_clear")) {
        o = core::ChannelOverlay();
    } else if (name.startsWith(QLatin1String(kSmoothItem))) {
        bool ok = false;
        const int n = name.mid(static_cast<int>(std::char_traits<char>::length(kSmoothItem))).toInt(&ok);
        if (ok) state.smoothing = n;
    }
    state.view = GraphView::Level;
    ShowGraphView(wnd, c);
    return true;
}

}  // namespace dvdsp::ui
