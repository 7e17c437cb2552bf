#include "ui/controls/equalizer.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "toolkit/scale.h"

namespace dvdsp::ui {
namespace {

const double kFreqGrid[] = {20,   30,   40,   50,   60,   70,   80,   90,   100,
                            200,  300,  400,  500,  600,  700,  800,  900,  1000,
                            2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000};
const double kGainGrid[] = {-15, -10, -5, 5, 10};
const uint32_t kDefaultColors[] = {0xFFFF5A5A, 0xFFFFA53B, 0xFFFFE14D, 0xFF7CDD5A, 0xFF3BD6C6,
                                   0xFF3BA4FF, 0xFF7A7CFF, 0xFFC77DFF, 0xFFFF7DD3, 0xFFB0B8C4};

QString FreqLabel(double f) {
    return f >= 1000 ? QStringLiteral("%1k").arg(f / 1000) : QString::number(f);
}

}  // namespace

double CurveAxes::XOf(double freq) const {
    double f = std::clamp(freq, kFreqMin, kFreqMax);
    return plot.left() + plot.width() * (std::log10(f) - std::log10(kFreqMin)) /
                             (std::log10(kFreqMax) - std::log10(kFreqMin));
}

double CurveAxes::YOf(double gain) const {
    return plot.top() + plot.height() * (kGainTop - gain) / (kGainTop - kGainBottom);
}

double CurveAxes::FreqAt(double x) const {
    double t = plot.width() > 0 ? (x - plot.left()) / plot.width() : 0;
    return std::pow(10.0, std::log10(kFreqMin) + t * (std::log10(kFreqMax) - std::log10(kFreqMin)));
}

double CurveAxes::GainAt(double y) const {
    double t = plot.height() > 0 ? (y - plot.top()) / plot.height() : 0;
    return kGainTop - t * (kGainTop - kGainBottom);
}

CurveView::CurveView(QWidget* parent) : QWidget(parent), tk::Control(this) {
    colors_.assign(std::begin(kDefaultColors), std::end(kDefaultColors));
}

bool CurveView::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("curvecolor")) {
        colors_.clear();
        for (const QString& c : value.split(QLatin1Char(','))) colors_.push_back(tk::ParseColor(c));
    } else if (name == QLatin1String("gridcolor")) {
        gridColor_ = tk::ParseColor(value);
    } else {
        return tk::Control::SetAttribute(name, value);
    }
    update();
    return true;
}

void CurveView::SetCurves(std::vector<CurveData> curves, int current, std::vector<bool> shown) {
    curves_ = std::move(curves);
    current_ = current;
    shown_ = std::move(shown);
    update();
}

QColor CurveView::CurveColor(int i) const {
    if (colors_.empty()) return QColor(0x2D, 0x9C, 0xDB);
    return tk::ToQColor(colors_[static_cast<size_t>(i) % colors_.size()]);
}

void CurveView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    int left = tk::Scaled(30, Dpi()), bottom = tk::Scaled(16, Dpi()), pad = tk::Scaled(6, Dpi());
    axes_.plot =
        QRectF(left, pad, std::max(1, width() - left - pad), std::max(1, height() - pad - bottom));
}

void CurveView::PaintGrid(QPainter& p) {
    QColor grid = tk::ToQColor(gridColor_);
    QColor faint = grid;
    faint.setAlpha(90);
    const QRectF& r = axes_.plot;
    p.fillRect(r, QColor(0x10, 0x14, 0x1A));
    QFont f = font();
    f.setPixelSize(std::max(7, tk::Scaled(9, Dpi())));
    p.setFont(f);
    for (double fr : kFreqGrid) {
        double x = axes_.XOf(fr);
        bool major = fr == 100 || fr == 1000 || fr == 10000;
        p.setPen(QPen(major ? grid : faint, 1));
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
        if (fr == 20 || fr == 50 || fr == 100 || fr == 200 || fr == 500 || fr == 1000 ||
            fr == 2000 || fr == 5000 || fr == 10000) {
            p.setPen(QColor(0x8A, 0x94, 0xA6));
            p.drawText(QRectF(x - 20, r.bottom() + 1, 40, tk::Scaled(14, Dpi())), Qt::AlignCenter,
                       FreqLabel(fr));
        }
    }
    p.setPen(QColor(0x8A, 0x94, 0xA6));
    p.drawText(QRectF(r.right() - 40, r.bottom() + 1, 40, tk::Scaled(14, Dpi())),
               Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("20k"));
    for (double g : kGainGrid) {
        double y = axes_.YOf(g);
        p.setPen(QPen(faint, 1));
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
        p.setPen(QColor(0x8A, 0x94, 0xA6));
        p.drawText(QRectF(0, y - 8, r.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(g));
    }
    double y0 = axes_.YOf(0);
    p.setPen(QPen(grid, 1.5));
    p.drawLine(QPointF(r.left(), y0), QPointF(r.right(), y0));
    p.setPen(QColor(0x8A, 0x94, 0xA6));
    p.drawText(QRectF(0, y0 - 8, r.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("0"));
    p.setPen(QPen(grid, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

void CurveView::PaintCurves(QPainter& p) {
    p.save();
    p.setClipRect(axes_.plot);
    auto draw = [&](int i, qreal width) {
        const CurveData& c = curves_[static_cast<size_t>(i)];
        size_t n = std::min(c.freq.size(), c.level.size());
        if (n < 2) return;
        QPainterPath path;
        path.moveTo(axes_.XOf(c.freq[0]), axes_.YOf(c.level[0]));
        for (size_t k = 1; k < n; ++k) path.lineTo(axes_.XOf(c.freq[k]), axes_.YOf(c.level[k]));
        p.setPen(QPen(CurveColor(i), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
    };
    for (int i = 0; i < static_cast<int>(curves_.size()); ++i) {
        bool visible = i < static_cast<int>(shown_.size()) ? shown_[static_cast<size_t>(i)] : false;
        if (i != current_ && visible) draw(i, 1.2);
    }
    if (current_ >= 0 && current_ < static_cast<int>(curves_.size())) draw(current_, 2.4);
    p.restore();
}

void CurveView::paintEvent(QPaintEvent* e) {
    (void)e;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    PaintGrid(p);
    PaintCurves(p);
    PaintOverlay(p);
}

void UIEqualizer::SetBands(std::vector<BandPoint> bands, int selected) {
    bands_ = std::move(bands);
    selected_ = selected;
    SetUserData(selected);
    update();
}

void UIEqualizer::SetCrossover(int hpFreq, int lpFreq) {
    hpFreq_ = hpFreq;
    lpFreq_ = lpFreq;
    update();
}

void UIEqualizer::PaintOverlay(QPainter& p) {
    const CurveAxes& ax = Axes();
    int r = std::max(5, tk::Scaled(7, Dpi()));
    QFont f = font();
    f.setPixelSize(std::max(7, tk::Scaled(8, Dpi())));
    p.setFont(f);
    for (size_t i = 0; i < bands_.size(); ++i) {
        const BandPoint& b = bands_[i];
        QPointF c(ax.XOf(b.freq), ax.YOf(b.enable ? b.gain : 0));
        bool sel = static_cast<int>(i) == selected_;
        p.setPen(QPen(sel ? QColor(0xFF, 0xFF, 0xFF) : QColor(0x2D, 0x9C, 0xDB), 1.2));
        p.setBrush(sel ? QColor(0x2D, 0x7F, 0xB8) : QColor(0x1A, 0x1F, 0x28, 220));
        p.drawEllipse(c, r, r);
        p.setPen(QColor(0xD8, 0xDE, 0xE9));
        p.drawText(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), Qt::AlignCenter,
                   QString::number(i + 1));
    }
    auto marker = [&](int freq, const QString& letter, QColor color) {
        if (freq < 0) return;
        double x = ax.XOf(freq);
        p.setPen(QPen(color, 1, Qt::DashLine));
        p.drawLine(QPointF(x, ax.plot.top()), QPointF(x, ax.plot.bottom()));
        QRectF box(x - r, ax.plot.top() + 2, 2 * r, 2 * r);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawRoundedRect(box, 3, 3);
        p.setPen(QColor(0x12, 0x16, 0x1C));
        p.drawText(box, Qt::AlignCenter, letter);
    };
    marker(hpFreq_, QStringLiteral("H"), QColor(0xFF, 0xA5, 0x3B));
    marker(lpFreq_, QStringLiteral("L"), QColor(0x7C, 0xDD, 0x5A));
}

}  // namespace dvdsp::ui
