#include "dsp/response.h"

#include <cmath>
#include <vector>

namespace dvdsp::dsp {

void MakeFrequencyGrid(double sampleRate, int count, double* grid) {
    if (count <= 0) return;
    const double top = std::log10(sampleRate / 2.0);
    for (int k = 0; k + 1 < count; ++k) grid[k] = std::pow(10.0, (k + 1) * top / (count - 1));
    // The formula's point count-2 is half the sample rate; hold it exactly.
    if (count >= 2) grid[count - 2] = sampleRate / 2.0;
    grid[count - 1] = sampleRate;
}

void EvaluateSectionsDb(const double* numerator, const double* denominator, int order, int sections,
                        double* levels, double* grid, int count) {
    if (count < 2) return;
    const double nyquist = grid[count - 2];
    const double twoPi = 8.0 * std::atan(1.0);
    const int stride = order + 1;
    for (int k = 0; k < count; ++k) {
        const double w = -twoPi * (grid[k] * 0.5 / nyquist);
        const double cw = std::cos(w);
        const double sw = std::sin(w);
        double accRe = 1.0;
        double accIm = 0.0;
        for (int j = 0; j < sections; ++j) {
            const double* b = numerator + j * stride;
            const double* a = denominator + j * stride;
            double nr = 0.0, ni = 0.0, dr = 0.0, di = 0.0;
            for (int m = order; m >= 1; --m) {
                const double xn = nr + b[m];
                const double yn = ni;
                nr = xn * cw - yn * sw;
                ni = xn * sw + yn * cw;
                const double xd = dr + a[m];
                const double yd = di;
                dr = xd * cw - yd * sw;
                di = xd * sw + yd * cw;
            }
            nr += b[0];
            dr += 1.0;
            const double den = dr * dr + di * di;
            const double qr = (nr * dr + ni * di) / den;
            const double qi = (ni * dr - nr * di) / den;
            const double re = accRe * qr - accIm * qi;
            const double im = accRe * qi + accIm * qr;
            accRe = re;
            accIm = im;
        }
        double power = accRe * accRe + accIm * accIm;
        double phase = 0.0;
        if (std::fabs(power) > kFloorPower) {
            phase = std::atan2(accIm, accRe);
        } else {
            power = kFloorReplacement;
        }
        levels[k] = 10.0 * std::log10(power);
        grid[k] = phase;
    }
}

void PeakingBandResponseDb(double sampleRate, double frequency, double gainDb, double q,
                           const double* grid, double* levels, int count) {
    std::vector<double> work(grid, grid + count);
    const Biquad bq = DesignPeakingBand(sampleRate, frequency, gainDb, q);
    EvaluateSectionsDb(bq.b.data(), bq.a.data(), 2, 1, levels, work.data(), count);
}

void CrossoverResponseDb(bool lowPass, double /*sampleRate*/, double frequency, int order, int type,
                         int count, const double* grid, double* levels) {
    for (int k = 0; k < count; ++k) levels[k] = 0.0;
    const CrossoverSections design = DesignCrossoverSections(lowPass, frequency, order, type);
    std::vector<double> work(static_cast<size_t>(count));
    std::vector<double> sectionLevels(static_cast<size_t>(count));
    for (const CrossoverSlot& slot : design.slot) {
        Biquad bq;
        if (!CrossoverSlotBiquad(lowPass, slot, bq)) continue;
        work.assign(grid, grid + count);
        EvaluateSectionsDb(bq.b.data(), bq.a.data(), 2, 1, sectionLevels.data(), work.data(),
                           count);
        for (int k = 0; k < count; ++k) levels[k] += sectionLevels[k];
    }
}

}  // namespace dvdsp::dsp
