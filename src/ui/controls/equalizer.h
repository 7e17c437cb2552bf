#pragma once
// The EQ graph controls: UIEqualizer (tag "Curve") shows a channel's response curves,
// its band handles and the crossover markers; UIEqualizerAc (tag "CurveAc") shows
// curves only. Both draw a logarithmic frequency axis from 20 Hz to 20 kHz and a gain
// axis from +12 dB (top) to -18 dB (bottom). Editing by dragging is added on top.

#include <QWidget>
#include <vector>

#include "base/band.h"
#include "toolkit/control.h"

namespace dvdsp::ui {

struct CurveData {
    std::vector<float> freq;   // Hz
    std::vector<float> level;  // dB
};

// A band the graph draws: the band of the model as it is.
using BandPoint = dvdsp::Band;

// Mapping shared by the graph controls.
struct CurveAxes {
    static constexpr double kFreqMin = 20, kFreqMax = 20000;
    static constexpr double kGainTop = 12, kGainBottom = -18;
    QRectF plot;
    double XOf(double freq) const;
    double YOf(double gain) const;
    double FreqAt(double x) const;
    double GainAt(double y) const;
};

class CurveView : public QWidget, public tk::Control {
  public:
    explicit CurveView(QWidget* parent = nullptr);
    bool SetAttribute(const QString& name, const QString& value) override;

    // Up to ten curves; `current` is drawn on top and thicker; `shown` hides others.
    void SetCurves(std::vector<CurveData> curves, int current, std::vector<bool> shown);
    int CurveCount() const { return static_cast<int>(curves_.size()); }
    const CurveAxes& Axes() const { return axes_; }

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    virtual void PaintOverlay(QPainter& p) { (void)p; }
    void PaintGrid(QPainter& p);
    void PaintCurves(QPainter& p);
    QColor CurveColor(int i) const;
    uint32_t gridColor_ = 0xFF596274;

  private:
    CurveAxes axes_;
    std::vector<CurveData> curves_;
    std::vector<bool> shown_;
    int current_ = -1;
    std::vector<uint32_t> colors_;
};

class UIEqualizer : public CurveView {
  public:
    explicit UIEqualizer(QWidget* parent = nullptr) : CurveView(parent) {}
    QString Tag() const override { return QStringLiteral("Curve"); }

    // The current channel's bands and the selected one (-1: none); the user data holds
    // the selected index as text.
    void SetBands(std::vector<BandPoint> bands, int selected);
    const std::vector<BandPoint>& Bands() const { return bands_; }
    int CurrentBand() const { return selected_; }
    // Crossover markers; -1 hides a marker.
    void SetCrossover(int hpFreq, int lpFreq);
    int HpFreq() const { return hpFreq_; }
    int LpFreq() const { return lpFreq_; }
    // 1: parametric (drag in both directions), 0: graphic (gain only).
    void SetDragAllDirection(bool all) { dragAll_ = all; }
    bool DragAllDirection() const { return dragAll_; }

  protected:
    void PaintOverlay(QPainter& p) override;

  private:
    std::vector<BandPoint> bands_;
    int selected_ = -1;
    int hpFreq_ = -1, lpFreq_ = -1;
    bool dragAll_ = false;
};

class UIEqualizerAc : public CurveView {
  public:
    explicit UIEqualizerAc(QWidget* parent = nullptr) : CurveView(parent) {}
    QString Tag() const override { return QStringLiteral("CurveAc"); }
};

}  // namespace dvdsp::ui
