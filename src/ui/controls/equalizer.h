#pragma once
// UIEqualizer (tag "Curve"): a channel's response curves on a logarithmic frequency axis
// (20 Hz to 20 kHz) and a gain axis from +12 dB (top) to -18 dB (bottom), a numbered
// handle per band, the current band's information label, its two Q handles in
// parametric mode and the "H"/"L" crossover markers. Dragging (and the keyboard) change
// only the control's own copy of the values and notify the owner:
//   "equalizer_eq" / "equalizer_eq_release"   a band (or its Q) moved / was let go
//   "equalizer_hp" / "equalizer_hp_release"   the high-pass marker
//   "equalizer_lp" / "equalizer_lp_release"   the low-pass marker
// A press and release at one point without moving only chooses: no value changes and
// no release is notified. The owner reads the band slots, the current index (user-data text) and mHpFreq /
// mLpFreq back and hands everything in again (SetBands, SetCrossoverMarkers, SetCurves).
// Views (equalizer_views.cpp), switched by the owner from the graph's menu: the levels
// (the default), the current channel's phase (wrapped or unwrapped) and group delay, each
// on its own axis, where the graph only shows (no handle, no drag, no key); and the sum
// of chosen channels on the level axis, with the current channel's handles as usual.

#include <QWidget>
#include <array>
#include <vector>

#include "base/band.h"
#include "toolkit/control.h"
#include "ui/controls/graph_geometry.h"
#include "ui/controls/graph_paths.h"
#include "ui/controls/graph_text.h"

namespace dvdsp::ui {

using BandPoint = dvdsp::Band;
using CurveData = graph::Series;

inline constexpr int kEqBandSlots = 31;
inline constexpr int kEqCurveSlots = 10;
inline constexpr int kEqCurvePoints = 512;
inline constexpr uint32_t kEqOtherCurveColor = 0xFF646464;
inline constexpr uint32_t kEqHighlightColor = 0xFF026DF9;

enum class GraphView { Level = 0, Phase, PhaseUnwrapped, GroupDelay, Sum };

// A curve of a view other than the levels.
struct ViewCurve {
    CurveData data;  // grid Hz and the view's values
    uint32_t color = 0xFFFFFFFF;
    double width = 2.0;  // at 96 dpi
    bool dashed = false;
};

// The vertical axis of a view: its range (top above 0 above bottom), the step of its
// labelled lines and the unit written after each label.
struct ViewAxis {
    double top = 12, bottom = -18, tick = 5;
    QString unit;
};

// What the last paint drew, for tests and diagnostics.
struct EqPaintRecord {
    GraphView view = GraphView::Level;
    int viewCurves = 0;             // curves of a view other than the levels
    int overlayCurves = 0;          // pieces of measurement, target and prediction drawn over the levels
    std::vector<uint32_t> overlayColors;
    std::vector<QString> axisLabels;
    QString title, note;
    int paints = 0;
    bool logo = false;
    bool bypassText = false;
    std::vector<int> curves;             // secondary curves drawn, in order
    std::vector<uint32_t> curveColors;   // their pen colours
    double curveWidth = 0;               // their pen width
    int highlighted = -1;                // the highlighted curve drawn, -1 none
    std::vector<uint32_t> numberColors;  // band number labels, by band
    bool qHandles = false;
    bool hpMarker = false, lpMarker = false;
    uint32_t hpColor = 0, lpColor = 0;
};

class UIEqualizer : public QWidget, public tk::Control {
  public:
    enum Capture { kIdle = 0, kBand = 1, kFactor = 2, kHighPass = 3, kLowPass = 4 };

    explicit UIEqualizer(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("Curve"); }
    bool SetAttribute(const QString& name, const QString& value) override;

    // The first `count` (at most 31) bands and the current one (-1: none; an index in
    // [0, count) also goes to the user-data text). Every handle is placed anew.
    void SetBands(const BandPoint* bands, int count, int selected);
    void SetBands(const std::vector<BandPoint>& bands, int selected) {
        SetBands(bands.data(), static_cast<int>(bands.size()), selected);
    }
    // Marker frequencies; one outside [20, 20000] (owners pass -1) hides its marker.
    void SetCrossoverMarkers(int hpFreq, int lpFreq);
    // Up to ten curves of 512 points (grid Hz, level dB); `visible[i]` non-zero shows
    // curve i; the highlighted one is drawn on top whether visible or not.
    void SetCurves(const double* const* grids, const double* const* levels, int count,
                   int highlighted, const int* visible);
    void SetCurves(const std::vector<CurveData>& curves, int highlighted,
                   const std::vector<int>& visible);
    // The view and what a view other than the levels draws (kept until replaced).
    void SetView(GraphView view);
    GraphView View() const { return view_; }
    bool OnlyShows() const { return view_ != GraphView::Level && view_ != GraphView::Sum; }
    void SetViewCurves(std::vector<ViewCurve> curves, const ViewAxis& axis, const QString& title, const QString& note);
    const std::vector<ViewCurve>& ViewCurves() const { return viewCurves_; }
    // Curves drawn over the level view (a measurement, a target, a prediction) on its gain
    // axis; NaN where a curve has no value. They only show.
    void SetOverlayCurves(std::vector<ViewCurve> curves);
    const std::vector<ViewCurve>& OverlayCurves() const { return overlayCurves_; }
    const ViewAxis& CurrentAxis() const { return axis_; }
    // On: parametric mode (drag both ways, Q handles); off: graphic mode (gain only).
    void SetDragAllDirection(bool on);
    bool DragAllDirection() const { return mDragAllDirection; }

    // The band slots as the last drag or key left them.
    int BandCount() const { return bandCount_; }
    const BandPoint& BandAt(int i) const { return bands_[static_cast<size_t>(i)]; }
    std::vector<BandPoint> Bands() const;
    int CurrentBand() const { return mCurrentControlIndex; }
    int HpFreq() const { return mHpFreq; }
    int LpFreq() const { return mLpFreq; }

    // Layout state, in widget coordinates.
    graph::Axes Axes() const;
    QPoint HandlePoint(int i) const;
    graph::Rect HandleRect(int i) const { return handleRects_[static_cast<size_t>(i)]; }
    const QString& InfoText() const { return infoText_; }
    graph::Rect InfoRect() const { return infoRect_; }
    graph::Rect QHandleRect(bool upper) const { return upper ? qUpper_ : qLower_; }
    graph::Rect MarkerRect(bool lowPass) const { return lowPass ? lpRect_ : hpRect_; }
    Capture CaptureState() const { return capture_; }
    bool AllBypass() const { return allBypass_; }
    const std::vector<uint32_t>& CurveColors() const { return curveColors_; }
    const EqPaintRecord& LastPaint() const { return paint_; }

    // Assistive technology sets a band's gain or a marker's frequency as the keys and the
    // mouse do (the same notifications follow).
    void SetGainFromAssistant(int band, double gain);
    void SetMarkerFromAssistant(bool lowPass, int freq);

    // Marker frequencies, read by owners after a marker notification.
    int mHpFreq = -1;
    int mLpFreq = -1;

  protected:
    bool PaintsOwnColors() const override { return true; }
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

  private:
    bool HasCurrentBand() const {
        return mCurrentControlIndex >= 0 && mCurrentControlIndex < bandCount_;
    }
    void MakeCurrent(int index);
    void FullLayout();
    void LightLayout();
    void LayoutCurrentBand(const graph::Axes& axes);
    void LayoutMarkers(const graph::Axes& axes);
    void PlaceHandle(int i, const graph::Axes& axes);
    // Mouse: one step of the capture state machine each.
    void Press(QPoint pos);
    void Hover(QPoint pos);
    void Drag(QPoint pos);
    void Release(QPoint pos);
    bool InQHandle(QPoint pos) const;
    int BandUnder(QPoint pos) const;
    // Keyboard: a finished change of the current band.
    bool StepKey(int key, Qt::KeyboardModifiers mods);
    void KeyChanged();
    void Paint(QPainter& p);
    void PaintCurves(QPainter& p, const graph::Axes& axes);
    void PaintTexts(QPainter& p);
    void PaintViewGrid(QPainter& p, const graph::Axes& axes);
    void PaintViewCurves(QPainter& p, const graph::Axes& axes);
    void PaintOverlayCurves(QPainter& p, const graph::Axes& axes);

    std::array<BandPoint, kEqBandSlots> bands_{};
    std::array<QPoint, kEqBandSlots> handles_{};
    std::array<graph::Rect, kEqBandSlots> handleRects_{};
    int bandCount_ = 0;
    int mCurrentControlIndex = -1;
    bool mDragAllDirection = false;
    Capture capture_ = kIdle;
    QPoint pressPos_;     // where the capture began
    bool moved_ = false;  // the pointer left that point while captured
    bool allBypass_ = false;
    bool layoutValid_ = false;
    bool focused_ = false;
    QString infoText_;
    graph::Rect infoRect_, qLower_, qUpper_, hpRect_, lpRect_;

    std::array<CurveData, kEqCurveSlots> curves_{};
    std::array<int, kEqCurveSlots> visible_{};
    int curveCount_ = 0;
    int highlighted_ = -1;

    std::vector<uint32_t> curveColors_;
    uint32_t gridColor_ = 0xFF596274;
    graph::TextStyle textStyle_;
    QString logo_;
    int bypassFont_ = -1;
    EqPaintRecord paint_;

    GraphView view_ = GraphView::Level;
    std::vector<ViewCurve> viewCurves_;
    std::vector<ViewCurve> overlayCurves_;
    ViewAxis axis_;
    QString viewTitle_, viewNote_;
};

}  // namespace dvdsp::ui
