#pragma once
// The unit's peaking band against the audio-cookbook peaking filter that measurement and
// equaliser programs write. The unit designs its band from the lower band edge, so the
// same frequency, gain and Q give a different curve (up to 3.5 dB apart at -12 dB, Q 1);
// these functions find the Q of one that matches the other and say how closely, on a
// grid of 20 Hz to 20 kHz. Plain numerics at the response's sample rate (48000 Hz).

#include <vector>

#include "dsp/filters.h"

namespace dvdsp::dsp {

// The cookbook peaking filter: A = 10^(gain/40), alpha = sin(w0) / (2 Q).
Biquad DesignCookbookPeaking(double sampleRate, double frequency, double gainDb, double q);

// Level of a section in dB at `frequency` (the response's sample rate).
double BiquadLevelDb(const Biquad& bq, double frequency);

// The frequencies differences are measured on: log-spaced, 20 Hz to 20 kHz, 480 points.
const std::vector<double>& MatchGrid();

// Largest difference in dB between two cascades of sections over MatchGrid.
double WorstDifferenceDb(const std::vector<Biquad>& a, const std::vector<Biquad>& b);

struct PeakingMatch {
    double q = 0.0;        // the Q found
    double worstDb = 0.0;  // the largest difference that remains over MatchGrid
};

// The unit's Q, in whole tenths from 0.1 to 40, whose band at `freq` and `gainDb` comes
// closest to `target` (largest difference over MatchGrid). The caller decides whether the
// Q is in the unit's range.
PeakingMatch UnitQFor(const Biquad& target, double freq, double gainDb);

// The cookbook Q (0.05 to 50, to three decimals) whose filter at `freq` and `gainDb`
// comes closest to the unit's band of `unitQ`.
PeakingMatch CookbookQFor(double freq, double gainDb, double unitQ);

}  // namespace dvdsp::dsp
