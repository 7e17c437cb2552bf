#pragma once
// UIEqualizerAc (tag "CurveAc"): the display-only graph of the calibration window. The
// same logarithmic frequency axis as UIEqualizer, a gain axis from +20 dB (top) to
// -20 dB (bottom), and two independent sets of up to 16 series: EQ curves (512 points,
// dashed Bezier chains) and measured spectra (121 points, cardinal splines). Series
// colours come from a fixed palette per set, by series index. The axes are labelled
// (Hz below the plot, dB left of it) and a legend above the plot names each series shown
// (by default "CH1" to "CH16") in its colour.

#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "toolkit/control.h"
#include "ui/controls/graph_geometry.h"
#include "ui/controls/graph_paths.h"

namespace dvdsp::ui {

inline constexpr int kAcSeriesSlots = 16;
inline constexpr int kAcEqPoints = 512;
inline constexpr int kAcSpectrumPoints = 121;
inline constexpr uint32_t kAcGridColor = 0xFF444444;

extern const std::array<uint32_t, kAcSeriesSlots> kAcEqPalette;
extern const std::array<uint32_t, kAcSeriesSlots> kAcSpectrumPalette;

// What the last paint drew, for tests and diagnostics.
struct AcPaintRecord {
    int paints = 0;
    std::vector<int> eqCurves, spectra;  // series drawn, in order
    std::vector<uint32_t> eqColors, spectrumColors;
    std::vector<QString> freqLabels, gainLabels;  // the axes' labels, left to right, top down
    std::vector<QString> legend;                  // names of the series shown, in order
    std::vector<uint32_t> legendColors;
};

class UIEqualizerAc : public QWidget, public tk::Control {
  public:
    explicit UIEqualizerAc(QWidget* parent = nullptr);
    QString Tag() const override { return QStringLiteral("CurveAc"); }

    // Each call empties all 16 slots of its set, copies the given series (512 or 121
    // points each; visible[i] non-zero shows series i) and repaints.
    void SetEqCurves(const double* const* grids, const double* const* levels, int count,
                     const int* visible);
    void SetEqCurves(const std::vector<graph::Series>& curves, const std::vector<int>& visible);
    void SetSpectra(const double* const* grids, const double* const* levels, int count,
                    const int* visible);
    void SetSpectra(const std::vector<graph::Series>& spectra, const std::vector<int>& visible);

    // The legend's names of the series by index (the channels' names).
    void SetSeriesNames(const QStringList& names);
    QString SeriesName(int i) const;

    int EqCurveCount() const { return eq_.count; }
    int SpectrumCount() const { return spectra_.count; }
    graph::Axes Axes() const;
    const AcPaintRecord& LastPaint() const { return paint_; }

  protected:
    bool PaintsOwnColors() const override { return true; }
    void paintEvent(QPaintEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

  private:
    struct SeriesSet {
        std::array<graph::Series, kAcSeriesSlots> series{};
        std::array<int, kAcSeriesSlots> visible{};
        int count = 0;
    };
    static void Fill(SeriesSet& set, const double* const* grids, const double* const* levels,
                     int count, const int* visible, int points);
    static void Fill(SeriesSet& set, const std::vector<graph::Series>& series,
                     const std::vector<int>& visible, int points);
    void PaintGrid(QPainter& p, const graph::Axes& axes);
    void PaintAxisLabels(QPainter& p, const graph::Axes& axes, AcPaintRecord& rec);
    void PaintLegend(QPainter& p, const graph::Axes& axes, AcPaintRecord& rec);

    SeriesSet eq_, spectra_;
    QStringList names_;
    bool focused_ = false;
    AcPaintRecord paint_;
};

}  // namespace dvdsp::ui
