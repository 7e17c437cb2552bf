#include "ui/controls/equalizer_ac.h"

#include <QPainter>
#include <algorithm>

#include "toolkit/scale.h"

namespace dvdsp::ui {

const std::array<uint32_t, kAcSeriesSlots> kAcEqPalette = {
    0xFFFF0000, 0xFFFF8040, 0xFFFFFF37, 0xFFB7FF4A, 0xFF00AEAE, 0xFF0000E3, 0xFF8600FF, 0xFFF00078,
    0xFFFF6600, 0xFFFFFF00, 0xFFAAFF00, 0xFF00FF22, 0xFF00FFFF, 0xFF0088FF, 0xFF0000FF, 0xFF8F00FF};
const std::array<uint32_t, kAcSeriesSlots> kAcSpectrumPalette = {
    0xFFEF0000, 0xFFEF7030, 0xFFEFEF27, 0xFFA7EF3A, 0xFF009E9E, 0xFF0000D3, 0xFF7600EF, 0xFFE00068,
    0xFFFF6600, 0xFFFFFF00, 0xFFAAFF00, 0xFF00FF22, 0xFF00FFFF, 0xFF0088FF, 0xFF0000FF, 0xFF8F00FF};

namespace {

const int kAcFreqGrid[] = {30,   40,   50,   60,   70,   80,   90,   100,  200,
                         300,  400,  500,  600,  700,  800,  900,  1000, 2000,
                         3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000};
const int kAcGainGrid[] = {-15, -10, -5, 5, 10, 15};

}  // namespace

UIEqualizerAc::UIEqualizerAc(QWidget* parent) : QWidget(parent), tk::Control(this) {}

void UIEqualizerAc::Fill(SeriesSet& set, const double* const* grids, const double* const* levels,
                         int count, const int* visible, int points) {
    set = SeriesSet{};
    set.count = std::clamp(count, 0, kAcSeriesSlots);
    for (int i = 0; i < set.count; ++i) {
        auto& s = set.series[static_cast<size_t>(i)];
        s.freq.assign(grids[i], grids[i] + points);
        s.level.assign(levels[i], levels[i] + points);
        set.visible[static_cast<size_t>(i)] = visible ? visible[i] : 0;
    }
}

void UIEqualizerAc::Fill(SeriesSet& set, const std::vector<graph::Series>& series,
                         const std::vector<int>& visible, int points) {
    set = SeriesSet{};
    set.count = std::min(static_cast<int>(series.size()), kAcSeriesSlots);
    for (int i = 0; i < set.count; ++i) {
        auto& s = set.series[static_cast<size_t>(i)];
        s = series[static_cast<size_t>(i)];
        s.freq.resize(static_cast<size_t>(points), 0.0);
        s.level.resize(static_cast<size_t>(points), 0.0);
        if (i < static_cast<int>(visible.size()))
            set.visible[static_cast<size_t>(i)] = visible[static_cast<size_t>(i)];
    }
}

void UIEqualizerAc::SetEqCurves(const double* const* grids, const double* const* levels, int count,
                                const int* visible) {
    Fill(eq_, grids, levels, count, visible, kAcEqPoints);
    update();
}

void UIEqualizerAc::SetEqCurves(const std::vector<graph::Series>& curves,
                                const std::vector<int>& visible) {
    Fill(eq_, curves, visible, kAcEqPoints);
    update();
}

void UIEqualizerAc::SetSpectra(const double* const* grids, const double* const* levels, int count,
                               const int* visible) {
    Fill(spectra_, grids, levels, count, visible, kAcSpectrumPoints);
    update();
}

void UIEqualizerAc::SetSpectra(const std::vector<graph::Series>& spectra,
                               const std::vector<int>& visible) {
    Fill(spectra_, spectra, visible, kAcSpectrumPoints);
    update();
}

graph::Axes UIEqualizerAc::Axes() const {
    return graph::Axes(graph::Rect{0, 0, width(), height()}, 20, -20);
}

void UIEqualizerAc::focusInEvent(QFocusEvent* e) {
    focused_ = true;
    QWidget::focusInEvent(e);
}

void UIEqualizerAc::focusOutEvent(QFocusEvent* e) {
    focused_ = false;
    QWidget::focusOutEvent(e);
}

void UIEqualizerAc::PaintGrid(QPainter& p, const graph::Axes& axes) {
    const graph::Rect& r = axes.Plot();
    QColor grid = tk::ToQColor(kAcGridColor);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(grid, 1));
    p.drawRect(QRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1));
    for (int f : kAcFreqGrid) p.drawLine(axes.XOf(f), r.top, axes.XOf(f), r.bottom);
    p.setPen(QPen(grid, 1, Qt::DotLine));
    for (int g : kAcGainGrid) p.drawLine(r.left, axes.YOf(g), r.right, axes.YOf(g));
}

void UIEqualizerAc::paintEvent(QPaintEvent* e) {
    (void)e;
    QPainter p(this);
    AcPaintRecord rec;
    rec.paints = paint_.paints + 1;
    if (BkColor()) p.fillRect(rect(), tk::ToQColor(BkColor()));
    graph::Axes axes = Axes();
    PaintGrid(p, axes);
    p.setRenderHint(QPainter::Antialiasing, true);
    const double scale = Dpi() / static_cast<double>(tk::kBaseDpi);
    for (int i = 0; i < eq_.count; ++i) {
        if (!eq_.visible[static_cast<size_t>(i)]) continue;
        std::vector<QPointF> pts = graph::CurvePoints(axes, eq_.series[static_cast<size_t>(i)]);
        uint32_t colour = kAcEqPalette[static_cast<size_t>(i)];
        p.setPen(QPen(tk::ToQColor(colour), 1.5 * scale, Qt::DashLine));
        if (!pts.empty()) p.drawPath(graph::BezierChain(pts, pts.size() - 1));
        rec.eqCurves.push_back(i);
        rec.eqColors.push_back(colour);
    }
    for (int i = 0; i < spectra_.count; ++i) {
        if (!spectra_.visible[static_cast<size_t>(i)]) continue;
        std::vector<QPointF> pts =
            graph::CurvePoints(axes, spectra_.series[static_cast<size_t>(i)]);
        uint32_t colour = kAcSpectrumPalette[static_cast<size_t>(i)];
        p.setPen(QPen(tk::ToQColor(colour), 2.0 * scale));
        p.drawPath(graph::CardinalSpline(pts));
        rec.spectra.push_back(i);
        rec.spectrumColors.push_back(colour);
    }
    paint_ = rec;
}

}  // namespace dvdsp::ui
