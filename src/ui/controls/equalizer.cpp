// UIEqualizer: attributes, the operations of the owner and the layout of handles,
// information label and markers. Mouse and keys are in equalizer_input.cpp, painting
// in equalizer_paint.cpp.
#include "ui/controls/equalizer.h"
#include "ui/controls/equalizer_access.h"

#include <QFontMetrics>
#include <algorithm>

#include "base/log.h"
#include "toolkit/scale.h"

namespace dvdsp::ui {

UIEqualizer::UIEqualizer(QWidget* parent) : QWidget(parent), tk::Control(this) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    InstallGraphAccessible();
}

bool UIEqualizer::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("curvecolor")) {
        curveColors_ = graph::ParseCurveColors(value);
    } else if (name == QLatin1String("curvelogo")) {
        logo_ = value;
    } else if (name == QLatin1String("bypassfont")) {
        bypassFont_ = value.toInt();
    } else if (graph::ApplyTextAttribute(textStyle_, name, value)) {
        if (name == QLatin1String("textcolor")) SetTextColor(textStyle_.textColor);
    } else {
        return tk::Control::SetAttribute(name, value);
    }
    update();
    return true;
}

void UIEqualizer::SetBands(const BandPoint* bands, int count, int selected) {
    bandCount_ = std::clamp(count, 0, kEqBandSlots);
    bands_.fill(BandPoint{});
    allBypass_ = true;
    for (int i = 0; i < bandCount_; ++i) {
        bands_[static_cast<size_t>(i)] = bands[i];
        if (bands[i].gain != 0.0f) allBypass_ = false;
    }
    mCurrentControlIndex = selected;
    if (selected >= 0 && selected < bandCount_) SetUserData(selected);
    FullLayout();
    update();
}

void UIEqualizer::SetCrossoverMarkers(int hpFreq, int lpFreq) {
    auto shown = [](int f) { return f >= graph::kFreqMin && f <= graph::kFreqMax; };
    mHpFreq = shown(hpFreq) ? hpFreq : -1;
    mLpFreq = shown(lpFreq) ? lpFreq : -1;
    if (mHpFreq != -1) LogWriteNarrow("setCurEqHpLp mHpFreq(%d)\n", mHpFreq);
    LayoutMarkers(Axes());
    update();
}

void UIEqualizer::SetCurves(const double* const* grids, const double* const* levels, int count,
                            int highlighted, const int* visible) {
    curves_.fill(CurveData{});
    visible_.fill(0);
    curveCount_ = std::clamp(count, 0, kEqCurveSlots);
    for (int i = 0; i < curveCount_; ++i) {
        auto& c = curves_[static_cast<size_t>(i)];
        c.freq.assign(grids[i], grids[i] + kEqCurvePoints);
        c.level.assign(levels[i], levels[i] + kEqCurvePoints);
        visible_[static_cast<size_t>(i)] = visible ? visible[i] : 0;
    }
    highlighted_ = highlighted;
    update();
}

void UIEqualizer::SetCurves(const std::vector<CurveData>& curves, int highlighted,
                            const std::vector<int>& visible) {
    curves_.fill(CurveData{});
    visible_.fill(0);
    curveCount_ = std::min(static_cast<int>(curves.size()), kEqCurveSlots);
    for (int i = 0; i < curveCount_; ++i) {
        auto& c = curves_[static_cast<size_t>(i)];
        c = curves[static_cast<size_t>(i)];
        c.freq.resize(kEqCurvePoints, 0.0);
        c.level.resize(kEqCurvePoints, 0.0);
        if (i < static_cast<int>(visible.size()))
            visible_[static_cast<size_t>(i)] = visible[static_cast<size_t>(i)];
    }
    highlighted_ = highlighted;
    update();
}

void UIEqualizer::SetDragAllDirection(bool on) {
    mDragAllDirection = on;
    update();
}

std::vector<BandPoint> UIEqualizer::Bands() const {
    return std::vector<BandPoint>(bands_.begin(), bands_.begin() + bandCount_);
}

graph::Axes UIEqualizer::Axes() const {
    if (OnlyShows()) return graph::Axes(graph::Rect{0, 0, width(), height()}, axis_.top, axis_.bottom);
    return graph::Axes(graph::Rect{0, 0, width(), height()}, limits::kBandGain.max, limits::kBandGain.min);
}

QPoint UIEqualizer::HandlePoint(int i) const {
    return handles_[static_cast<size_t>(i)];
}

void UIEqualizer::MakeCurrent(int index) {
    mCurrentControlIndex = index;
    if (index >= 0) SetUserData(index);
}

void UIEqualizer::PlaceHandle(int i, const graph::Axes& axes) {
    const BandPoint& b = bands_[static_cast<size_t>(i)];
    handles_[static_cast<size_t>(i)] = QPoint(axes.XOf(b.freq), axes.YOf(b.gain));
}

void UIEqualizer::FullLayout() {
    graph::Axes axes = Axes();
    if (axes.Height() != 0 && axes.Width() != 0 && axes.ZeroY() != 0) layoutValid_ = true;
    for (int i = 0; i < bandCount_; ++i) {
        PlaceHandle(i, axes);
        QPoint h = handles_[static_cast<size_t>(i)];
        handleRects_[static_cast<size_t>(i)] = graph::HandleRect(axes, h.x(), h.y(), Dpi());
    }
    LayoutCurrentBand(axes);
    LayoutMarkers(axes);
}

void UIEqualizer::LightLayout() {
    graph::Axes axes = Axes();
    if (HasCurrentBand()) {
        QPoint h = handles_[static_cast<size_t>(mCurrentControlIndex)];
        handleRects_[static_cast<size_t>(mCurrentControlIndex)] =
            graph::HandleRect(axes, h.x(), h.y(), Dpi());
    }
    LayoutCurrentBand(axes);
    LayoutMarkers(axes);
}

void UIEqualizer::LayoutCurrentBand(const graph::Axes& axes) {
    infoText_.clear();
    infoRect_ = qLower_ = qUpper_ = graph::Rect{};
    if (mCurrentControlIndex < 0 || mCurrentControlIndex >= kEqBandSlots) return;
    const BandPoint& b = bands_[static_cast<size_t>(mCurrentControlIndex)];
    QPoint h = handles_[static_cast<size_t>(mCurrentControlIndex)];
    if (mDragAllDirection) {
        QString q = QString::asprintf("%0.2f", static_cast<double>(b.q));
        infoText_ = QString::asprintf("%d Hz %s Q %.1f dB", b.freq, q.toUtf8().constData(),
                                      static_cast<double>(b.gain));
        infoRect_ = graph::InfoRect(axes, h.x(), h.y(), true, Dpi());
        graph::QHandleRects(axes, h.x(), h.y(), b.q, Dpi(), &qLower_, &qUpper_);
    } else {
        infoText_ = QString::asprintf("%.1f dB", static_cast<double>(b.gain));
        infoRect_ = graph::InfoRect(axes, h.x(), h.y(), false, Dpi());
    }
    // The label holds its whole text at every scale (the font does not shrink with the
    // scale as far as the sizes do), and stays inside the plot.
    const int needed = QFontMetrics(font()).horizontalAdvance(infoText_) + tk::Scaled(6, Dpi());
    if (infoRect_.right - infoRect_.left < needed) {
        const graph::Rect& p = axes.Plot();
        graph::SpanInside(h.x(), std::min(needed, p.right - p.left), p.left, p.right, &infoRect_.left, &infoRect_.right);
    }
}

void UIEqualizer::LayoutMarkers(const graph::Axes& axes) {
    auto shown = [](int f) { return f >= graph::kFreqMin && f <= graph::kFreqMax; };
    hpRect_ = shown(mHpFreq) ? graph::MarkerRect(axes, mHpFreq, false, Dpi()) : graph::Rect{};
    lpRect_ = shown(mLpFreq) ? graph::MarkerRect(axes, mLpFreq, true, Dpi()) : graph::Rect{};
}

void UIEqualizer::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // The next paint places every handle for the new size.
    layoutValid_ = false;
}

}  // namespace dvdsp::ui
