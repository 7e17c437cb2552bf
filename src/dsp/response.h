#pragma once
// Straightforward evaluation of filter responses on a frequency grid: complex
// evaluation of each section at each grid point. This is the reference the fast
// channel-curve path (response_grid.h) is checked against.

#include "dsp/filters.h"

namespace dvdsp::dsp {

// Point k (0 to count-2) is 10^((k+1) * log10(sampleRate/2) / (count-1)); the last
// point is the sample rate itself.
void MakeFrequencyGrid(double sampleRate, int count, double* grid);

// Evaluates a cascade of `sections` sections of `order` (coefficients order+1 per
// section, section after section; a0 is taken as 1) at each grid frequency. Writes
// the level in dB into levels and overwrites grid with the phase in radians. A
// squared magnitude not above kFloorPower reports kLevelFloorDb.
void EvaluateSectionsDb(const double* numerator, const double* denominator, int order, int sections,
                        double* levels, double* grid, int count);

// One peaking band's level at each grid frequency; grid is left unchanged.
void PeakingBandResponseDb(double sampleRate, double frequency, double gainDb, double q,
                           const double* grid, double* levels, int count);

// Summed level of a crossover's sections at each grid frequency; grid is left
// unchanged. The sample rate is accepted for symmetry: designs assume 48000 Hz.
void CrossoverResponseDb(bool lowPass, double sampleRate, double frequency, int order, int type,
                         int count, const double* grid, double* levels);

}  // namespace dvdsp::dsp
