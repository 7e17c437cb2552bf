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

// The labelled ticks of the axes.
struct FreqLabel {
    int freq;
    const char* text;
};
const FreqLabel kAcFreqLabels[] = {{20, "20 Hz"},   {50, "50"},   {100, "100 Hz"}, {200, "200"},  {500, "500"},
                                   {1000, "1 kHz"}, {2000, "2k"}, {5000, "5k"},    {10000, "10 kHz"}, {20000, "20 kHz"}};
const int kAcGainLabels[] = {20, 10, 0, -10, -20};

// Room around the plot at 96 dpi: the gain labels on the left, the frequency labels
// below, the legend above.
constexpr int kAcLeftMargin = 40, kAcRightMargin = 8, kAcTopMargin = 18, kAcBottomMargin = 16;
constexpr int kAcLabelPixels = 10;
constexpr uint32_t kAcLabelColor = 0xFFA0A8B8;

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
    const int dpi = Dpi();
    return graph::Axes(graph::Rect{tk::Scaled(kAcLeftMargin, dpi), tk::Scaled(kAcTopMargin, dpi),
                                   width() - tk::Scaled(kAcRightMargin, dpi), height() - tk::Scaled(kAcBottomMargin, dpi)},
                       20, -20);
}

void UIEqualizerAc::SetSeriesNames(const QStringList& names) {
    names_ = names;
    update();
}

QString UIEqualizerAc::SeriesName(int i) const {
    if (i >= 0 && i < names_.size() && !names_[i].isEmpty()) return names_[i];
    return QStringLiteral("CH%1").arg(i + 1);
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

void UIEqualizerAc::PaintAxisLabels(QPainter& p, const graph::Axes& axes, AcPaintRecord& rec) {
    const graph::Rect& r = axes.Plot();
    const int dpi = Dpi();
    QFont f = font();
    f.setPixelSize(tk::Scaled(kAcLabelPixels, dpi));
    p.setFont(f);
    p.setPen(tk::ToQColor(kAcLabelColor));
    const int gap = tk::Scaled(3, dpi);
    const int textHeight = p.fontMetrics().height();
    for (const FreqLabel& l : kAcFreqLabels) {
        const QString text = QString::fromLatin1(l.text);
        const int w = p.fontMetrics().horizontalAdvance(text);
        // Centred under its tick, kept inside the widget.
        const int x = std::clamp(axes.XOf(l.freq) - w / 2, 0, std::max(0, width() - w));
        p.drawText(QRect(x, r.bottom + gap / 2, w, textHeight), Qt::AlignCenter, text);
        rec.freqLabels.push_back(text);
    }
    for (int g : kAcGainLabels) {
        const QString text = QStringLiteral("%1 dB").arg(g > 0 ? QStringLiteral("+%1").arg(g) : QString::number(g));
        const int y = std::clamp(axes.YOf(g) - textHeight / 2, 0, std::max(0, height() - textHeight));
        p.drawText(QRect(0, y, r.left - gap, textHeight), Qt::AlignRight | Qt::AlignVCenter, text);
        rec.gainLabels.push_back(text);
    }
}

void UIEqualizerAc::PaintLegend(QPainter& p, const graph::Axes& axes, AcPaintRecord& rec) {
    const graph::Rect& r = axes.Plot();
    const int dpi = Dpi();
    const int sample = tk::Scaled(14, dpi), gap = tk::Scaled(4, dpi), spacing = tk::Scaled(12, dpi);
    const int textHeight = p.fontMetrics().height();
    const int y = std::max(0, r.top - textHeight - tk::Scaled(2, dpi));
    int x = r.left;
    for (int i = 0; i < kAcSeriesSlots; ++i) {
        const size_t k = static_cast<size_t>(i);
        const bool shown = (i < eq_.count && eq_.visible[k]) || (i < spectra_.count && spectra_.visible[k]);
        if (!shown) continue;
        const QString name = SeriesName(i);
        const QColor colour = tk::ToQColor(kAcEqPalette[k]);
        p.setPen(QPen(colour, std::max(1, tk::Scaled(2, dpi))));
        p.drawLine(x, y + textHeight / 2, x + sample, y + textHeight / 2);
        x += sample + gap;
        const int w = p.fontMetrics().horizontalAdvance(name);
        p.drawText(QRect(x, y, w, textHeight), Qt::AlignLeft | Qt::AlignVCenter, name);
        x += w + spacing;
        rec.legend.push_back(name);
        rec.legendColors.push_back(kAcEqPalette[k]);
    }
}

void UIEqualizerAc::paintEvent(QPaintEvent* e) {
    (void)e;
    QPainter p(this);
    AcPaintRecord rec;
    rec.paints = paint_.paints + 1;
    if (BkColor()) p.fillRect(rect(), tk::ToQColor(BkColor()));
    graph::Axes axes = Axes();
    PaintGrid(p, axes);
    PaintAxisLabels(p, axes, rec);
    p.setClipRect(axes.Plot().ToQRect());
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
    p.setClipping(false);
    p.setRenderHint(QPainter::Antialiasing, false);
    PaintLegend(p, axes, rec);
    paint_ = rec;
}

}  // namespace dvdsp::ui
