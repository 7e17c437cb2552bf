// UIEqualizer: painting, back to front: frame and grid, logo or the all-bypass text,
// the other curves, the highlighted curve, band numbers, the current band's label and
// Q handles, the crossover markers.
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>

#include "base/log.h"
#include "toolkit/language.h"
#include "toolkit/scale.h"
#include "toolkit/skin.h"
#include "ui/controls/equalizer.h"

namespace dvdsp::ui {
namespace {

const int kFreqGrid[] = {20,   30,   40,   50,   60,   70,   80,    90,   100,  200,
                         300,  400,  500,  600,  700,  800,  900,   1000, 2000, 3000,
                         4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000};
const int kGainGrid[] = {-15, -10, -5, 5, 10};
constexpr uint32_t kBypassTextColor = 0x77777777;
constexpr uint32_t kRed = 0xFFFF0000, kWhite = 0xFFFFFFFF;

QRect Outline(const graph::Rect& r) {
    return QRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1);
}

}  // namespace

void UIEqualizer::paintEvent(QPaintEvent* e) {
    (void)e;
    QPainter p(this);
    Paint(p);
}

void UIEqualizer::Paint(QPainter& p) {
    LogWriteNarrow("DoPaint!!\n");
    if (layoutValid_)
        LightLayout();
    else
        FullLayout();
    EqPaintRecord rec;
    rec.paints = paint_.paints + 1;
    graph::Axes axes = Axes();
    const graph::Rect& plot = axes.Plot();

    if (BkColor()) p.fillRect(rect(), tk::ToQColor(BkColor()));
    QColor grid = tk::ToQColor(gridColor_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(grid, 1));
    p.drawRect(Outline(plot));
    p.drawLine(QLineF(plot.left, axes.ZeroY(), plot.right, axes.ZeroY()));
    p.setPen(QPen(grid, 1, Qt::DotLine));
    if (OnlyShows()) {
        PaintViewGrid(p, axes);
    } else {
        for (int g : kGainGrid) p.drawLine(plot.left, axes.YOf(g), plot.right, axes.YOf(g));
    }
    p.setPen(QPen(grid, 1));
    for (int f : kFreqGrid) {
        if (f == graph::kFreqMax) continue;
        p.drawLine(axes.XOf(f), plot.top, axes.XOf(f), plot.bottom);
    }

    if (!logo_.isEmpty()) {
        QPixmap logo = tk::CurrentSkin().Image(logo_, Dpi());
        if (!logo.isNull()) p.drawPixmap(rect(), logo);
        rec.logo = true;
    } else if (allBypass_ && view_ == GraphView::Level) {
        p.save();
        p.setFont(tk::CurrentSkin().Font(bypassFont_, Dpi()));
        QRect r(QPoint(plot.left, plot.top + 40), QPoint(plot.right - 1, plot.bottom - 1));
        graph::DrawStyledText(p, r, tk::Lang(QStringLiteral("${all_bypass}")), textStyle_,
                              tk::ToQColor(kBypassTextColor), Dpi());
        p.restore();
        rec.bypassText = true;
    }
    rec.view = view_;
    rec.axisLabels = std::move(paint_.axisLabels);
    paint_ = rec;
    if (view_ == GraphView::Level) {
        PaintOverlayCurves(p, axes);
        PaintCurves(p, axes);
    } else {
        PaintViewCurves(p, axes);
    }
    if (!OnlyShows()) PaintTexts(p);
}

void UIEqualizer::PaintCurves(QPainter& p, const graph::Axes& axes) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    const int colours = static_cast<int>(curveColors_.size());
    const double scale = Dpi() / static_cast<double>(tk::kBaseDpi);
    const double width = (highlighted_ < colours ? 2.0 : 3.0) * scale;
    for (int i = 0; i < curveCount_; ++i) {
        if (i == highlighted_ || !visible_[static_cast<size_t>(i)]) continue;
        std::vector<QPointF> pts =
            graph::Smoothed(axes, graph::CurvePoints(axes, curves_[static_cast<size_t>(i)]));
        uint32_t colour = i < colours ? curveColors_[static_cast<size_t>(i)] : kEqOtherCurveColor;
        p.setPen(QPen(tk::ToQColor(colour), width));
        if (!pts.empty()) p.drawPath(graph::BezierChain(pts, pts.size() - 1));
        paint_.curves.push_back(i);
        paint_.curveColors.push_back(colour);
        paint_.curveWidth = width;
    }
    if (highlighted_ >= 0 && highlighted_ < kEqCurveSlots) {
        std::vector<QPointF> pts =
            graph::Rounded(graph::CurvePoints(axes, curves_[static_cast<size_t>(highlighted_)]));
        if (pts.size() >= 2) {
            p.setPen(QPen(tk::ToQColor(kEqHighlightColor), 2.0 * scale));
            p.drawPolyline(QPolygonF(QList<QPointF>(pts.begin(), pts.end())));
            paint_.highlighted = highlighted_;
        }
    }
    p.restore();
}

void UIEqualizer::PaintTexts(QPainter& p) {
    p.setFont(font());
    const std::vector<QPoint> points(handles_.begin(), handles_.begin() + std::max(0, bandCount_));
    const std::vector<graph::Rect> numbers = graph::NumberRects(Axes(), points, Dpi());
    for (int i = 0; i < bandCount_; ++i) {
        uint32_t colour = i == mCurrentControlIndex ? kRed : kWhite;
        graph::DrawStyledText(p, numbers[static_cast<size_t>(i)].ToQRect(), QString::number(i + 1), textStyle_,
                              tk::ToQColor(colour), Dpi());
        paint_.numberColors.push_back(colour);
    }
    if (mCurrentControlIndex >= 0 && mCurrentControlIndex < kEqBandSlots) {
        graph::DrawStyledText(p, infoRect_.ToQRect(), infoText_, textStyle_, tk::ToQColor(kRed),
                              Dpi());
        if (mDragAllDirection) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(tk::ToQColor(kRed), 1));
            p.drawRect(Outline(qLower_));
            p.drawRect(Outline(qUpper_));
            paint_.qHandles = true;
        }
    }
    if (mHpFreq != -1) {
        paint_.hpMarker = true;
        paint_.hpColor = capture_ == kHighPass ? kRed : kWhite;
        graph::DrawStyledText(p, hpRect_.ToQRect(), QStringLiteral("H"), textStyle_,
                              tk::ToQColor(paint_.hpColor), Dpi());
    }
    if (mLpFreq != -1) {
        paint_.lpMarker = true;
        paint_.lpColor = capture_ == kLowPass ? kRed : kWhite;
        graph::DrawStyledText(p, lpRect_.ToQRect(), QStringLiteral("L"), textStyle_,
                              tk::ToQColor(paint_.lpColor), Dpi());
    }
}

}  // namespace dvdsp::ui
