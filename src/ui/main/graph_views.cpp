#include "ui/main/graph_views.h"

#include <algorithm>
#include <cmath>

#include "core/channel_format.h"
#include "core/channel_response.h"
#include "core/curve_store.h"
#include "core/equalizer_manager.h"
#include "toolkit/language.h"
#include "toolkit/menu.h"
#include "ui/main/main_wnd.h"

namespace dvdsp::ui {
namespace {

const struct {
    const char* item;
    GraphView view;
} kViewItems[] = {
    {"graph_item_level", GraphView::Level},
    {"graph_item_phase", GraphView::Phase},
    {"graph_item_phase_unwrapped", GraphView::PhaseUnwrapped},
    {"graph_item_group_delay", GraphView::GroupDelay},
    {"graph_item_sum", GraphView::Sum},
};
constexpr const char* kSumChannelItem = "graph_item_sum_ch_";

QString Channel(int ch) { return QStringLiteral("CH%1").arg(ch + 1); }

// The smallest step of the list that labels the range in at most `lines` lines.
double NiceStep(double span, const std::vector<double>& steps, int lines) {
    for (double s : steps)
        if (span / s <= lines) return s;
    return steps.back() * std::ceil(span / (steps.back() * lines));
}

// The axis of values shown between 20 Hz and 20 kHz, always holding 0 and `least` either way.
ViewAxis AxisFor(const CurveData& data, double least, const std::vector<double>& steps, const QString& unit) {
    double lo = -least, hi = least;
    for (size_t k = 0; k < data.freq.size(); ++k)
        if (data.freq[k] >= 20.0 && data.freq[k] <= 20000.0 && std::isfinite(data.level[k])) {
            lo = std::min(lo, data.level[k]);
            hi = std::max(hi, data.level[k]);
        }
    ViewAxis axis;
    axis.tick = NiceStep(hi - lo, steps, 6);
    axis.top = std::max(axis.tick, std::ceil(hi / axis.tick) * axis.tick);
    axis.bottom = std::min(-axis.tick, std::floor(lo / axis.tick) * axis.tick);
    axis.unit = unit;
    return axis;
}

// A wrapped phase drawn as pieces, not joined across its jumps.
std::vector<ViewCurve> WrappedPieces(const CurveData& data, uint32_t color) {
    std::vector<ViewCurve> out(1);
    for (size_t k = 0; k < data.freq.size(); ++k) {
        CurveData& piece = out.back().data;
        if (!piece.level.empty() && std::fabs(data.level[k] - piece.level.back()) > 180.0) out.emplace_back();
        out.back().data.freq.push_back(data.freq[k]);
        out.back().data.level.push_back(data.level[k]);
    }
    for (ViewCurve& c : out) c.color = color;
    return out;
}

QString ChannelTitle(const char* key, int ch, const core::SceneState& s, int unit) {
    const core::ChannelSettings& c = s.channels[static_cast<size_t>(ch)];
    QString title = tk::Lang(QString::fromLatin1(key)) + QStringLiteral("  ") + Channel(ch) + QStringLiteral("  ") +
                    QString::fromStdString(core::DelayText(c.delay, unit));
    if (c.phase) title += QStringLiteral("  ") + tk::Lang(QStringLiteral("${reverse phase}"));
    return title;
}

void ShowChannelView(UIEqualizer& graph, const core::SceneState& s, int ch, GraphView view, int unit) {
    dsp::ComplexCurve r;
    dsp::StandardPhaseGrid().Channel(core::ChannelFiltersOf(s, ch), s.channels[static_cast<size_t>(ch)].bypass != 0,
                                     core::AlignmentOf(s, ch), view == GraphView::GroupDelay, r);
    CurveData data{r.frequencies, {}};
    const QString degrees = QStringLiteral("°");
    if (view == GraphView::Phase) {
        for (const dsp::Complex& h : r.response) data.level.push_back(dsp::PhaseDegreesOf(h));
        graph.SetViewCurves(WrappedPieces(data, kEqHighlightColor), ViewAxis{180, -180, 90, degrees},
                            ChannelTitle("${graph_phase}", ch, s, unit), QString());
    } else if (view == GraphView::PhaseUnwrapped) {
        data.level = dsp::UnwrappedPhaseDegrees(r);
        const ViewAxis axis = AxisFor(data, 90, {90, 180, 360, 720, 1440, 2880, 5760, 11520}, degrees);
        graph.SetViewCurves({ViewCurve{data, kEqHighlightColor}}, axis,
                            ChannelTitle("${graph_phase_unwrapped}", ch, s, unit), QString());
    } else {
        for (double t : r.groupDelay) data.level.push_back(t * 1000.0);
        const ViewAxis axis = AxisFor(data, 0.1, {0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50}, QStringLiteral(" ms"));
        graph.SetViewCurves({ViewCurve{data, kEqHighlightColor}}, axis,
                            ChannelTitle("${graph_group_delay}", ch, s, unit), QString());
    }
}

void ShowSumView(UIEqualizer& graph, core::EqualizerManager& c, const GraphViewState& state) {
    const core::SceneState& s = c.Model().current;
    std::vector<int> channels;
    for (int ch : state.sumChannels)
        if (ch >= 0 && ch < core::kChannels) channels.push_back(ch);
    const ViewAxis levelAxis;
    if (channels.size() < 2) {
        graph.SetViewCurves({}, levelAxis, tk::Lang(QStringLiteral("${graph_sum}")),
                            tk::Lang(QStringLiteral("${graph_sum_choose}")));
        return;
    }
    // The electrical responses; a measured response would take a channel's place here.
    core::ElectricalResponses responses(s);
    core::SumCurves sums;
    core::SumOf(responses, channels, sums);
    const std::vector<uint32_t>& colors = graph.CurveColors();
    const std::vector<double>& grid = dsp::StandardPhaseGrid().Frequencies();
    std::vector<ViewCurve> curves;
    QString title = tk::Lang(QStringLiteral("${graph_sum}")) + QStringLiteral("  ");
    for (size_t i = 0; i < sums.channels.size(); ++i) {
        const int ch = sums.channels[i];
        const uint32_t color = static_cast<size_t>(ch) < colors.size() ? colors[static_cast<size_t>(ch)] : kEqOtherCurveColor;
        curves.push_back(ViewCurve{CurveData{grid, sums.levels[i]}, color, 1.0, false});
        title += (i ? QStringLiteral(" + ") : QString()) + Channel(ch);
    }
    curves.push_back(ViewCurve{CurveData{grid, sums.sum}, 0xFFFFFFFF, 2.0, false});
    QString note;
    if (state.preview) {
        const core::AlignmentProposal p = c.ProposeAlignment(channels[0], channels[1]);
        if (p.valid) {
            curves.push_back(ViewCurve{CurveData{grid, p.alignedSum}, kEqHighlightColor, 2.0, true});
            note = tk::Lang(QStringLiteral("${graph_align_preview}")) + QStringLiteral(": ") + Channel(p.delayChannel) +
                   QStringLiteral(" ") + QString::fromStdString(core::DelayText(p.delayMs, c.DelayUnit())) +
                   QStringLiteral(", ") + Channel(p.second) + QStringLiteral(" ") +
                   tk::Lang(p.secondReversed ? QStringLiteral("${reverse phase}") : QStringLiteral("${positive_phase}")) +
                   QStringLiteral("\n") + tk::Lang(QStringLiteral("${graph_ripple}")) +
                   QString::asprintf(" %.2f dB → %.2f dB (%.0f Hz)", p.rippleBefore, p.rippleAfter, p.crossoverHz);
        }
    }
    graph.SetViewCurves(std::move(curves), levelAxis, title, note);
}

}  // namespace

void ShowGraphView(CMainWnd& wnd, core::EqualizerManager& c) {
    auto* graph = wnd.Find<UIEqualizer>("equalizer");
    if (!graph) return;
    const GraphViewState& state = wnd.GraphViews();
    graph->SetView(state.view);
    const core::SceneState& s = c.Model().current;
    const int ch = s.currOutChannel;
    ShowGraphOverlays(wnd, c);
    if (state.view == GraphView::Sum) {
        ShowSumView(*graph, c, state);
    } else if (state.view != GraphView::Level && ch >= 0 && ch < core::kChannels) {
        ShowChannelView(*graph, s, ch, state.view, c.DelayUnit());
    }
}

void PrepareGraphMenu(tk::Menu& m, const GraphViewState& state) {
    for (const auto& v : kViewItems) m.SetItemChecked(QString::fromLatin1(v.item), v.view == state.view);
    for (int ch = 0; ch < core::kChannels; ++ch)
        m.SetItemChecked(QString::fromLatin1(kSumChannelItem) + QString::number(ch),
                         std::find(state.sumChannels.begin(), state.sumChannels.end(), ch) != state.sumChannels.end());
    const bool two = state.sumChannels.size() >= 2;
    m.SetItemEnabled(QStringLiteral("graph_item_align_preview"), two);
    m.SetItemChecked(QStringLiteral("graph_item_align_preview"), two && state.preview);
    m.SetItemEnabled(QStringLiteral("graph_item_align_apply"), two);
    PrepareOverlayMenu(m, state);
}

bool HandleGraphMenuClick(CMainWnd& wnd, core::EqualizerManager& c, const QString& name) {
    if (HandleOverlayMenuClick(wnd, c, name)) return true;
    GraphViewState& state = wnd.GraphViews();
    bool handled = false;
    for (const auto& v : kViewItems)
        if (name == QLatin1String(v.item)) {
            state.view = v.view;
            handled = true;
        }
    if (name.startsWith(QLatin1String(kSumChannelItem))) {
        bool ok = false;
        const int ch = name.mid(static_cast<int>(std::char_traits<char>::length(kSumChannelItem))).toInt(&ok);
        if (!ok || ch < 0 || ch >= core::kChannels) return false;
        auto it = std::find(state.sumChannels.begin(), state.sumChannels.end(), ch);
        if (it != state.sumChannels.end()) state.sumChannels.erase(it);
        else state.sumChannels.push_back(ch);
        state.view = GraphView::Sum;
        handled = true;
    } else if (name == QLatin1String("graph_item_align_preview")) {
        state.preview = !state.preview;
        state.view = GraphView::Sum;
        handled = true;
    } else if (name == QLatin1String("graph_item_align_apply")) {
        if (state.sumChannels.size() >= 2) c.AlignChannels(state.sumChannels[0], state.sumChannels[1]);
        state.preview = false;
        state.view = GraphView::Sum;
        handled = true;
    }
    if (!handled) return false;
    ShowGraphView(wnd, c);
    return true;
}

}  // namespace dvdsp::ui
