#pragma once
// Filter design for the response display: peaking EQ bands and the crossover families
// (Butterworth, Linkwitz-Riley, Bessel, orders 1 to 8) as second-order sections.
// Plain numerics in double precision; every design assumes a 48000 Hz sample rate.

#include <array>
#include <cstdint>

namespace dvdsp::dsp {

inline constexpr int CURVE_POINTS = 512;
inline constexpr double RESPONSE_SAMPLE_RATE = 48000.0;
inline constexpr int CROSSOVER_MAX_ORDER = 8;
inline constexpr int CROSSOVER_SECTIONS = 4;

// Lowest and highest design frequency, as fractions of the sample rate (0.0025 Hz and
// 22000 Hz at 48000 Hz).
inline constexpr double kLowestDesignFactor = 5.208333333333333e-8;
inline constexpr double kHighestDesignFactor = 0.4583333333333333;

// Level reported for a section whose squared magnitude is not above kFloorPower.
inline constexpr double kFloorPower = 1e-8;
inline constexpr double kFloorReplacement = 1e-40;
inline constexpr double kLevelFloorDb = -400.0;

// Crossover families (CrossoverFilter type).
enum CrossoverType : int32_t {
    kButterworth = 1,
    kLinkwitzRiley = 2,
    kBessel = 3,
};

// H(z) = (b0 + b1 z^-1 + b2 z^-2) / (a0 + a1 z^-1 + a2 z^-2); a0 is always 1.
struct Biquad {
    std::array<double, 3> b{};
    std::array<double, 3> a{};
};

// One slot of a crossover design.
struct CrossoverSlot {
    double coef = 0.0;  // first order: pole p; second order: a2
    double cosw = 1.0;  // cos of the slot's design frequency; a1 = -(1 + coef) * cosw
    int32_t kind = -1;  // 0 first order, 1 second order, -1 empty
};

struct CrossoverSections {
    std::array<CrossoverSlot, CROSSOVER_SECTIONS> slot{};
};

// Peaking band of gain gainDb at frequency with quality q. Gain 0 gives b == a exactly.
Biquad DesignPeakingBand(double sampleRate, double frequency, double gainDb, double q);

// Order after the family rules: Linkwitz-Riley orders are made even, then 1 to 8.
int CrossoverDesignOrder(int order, int type);

// Designs a crossover of the given order and type (1, 2, 3; other types give damping
// 0). Second-order slots come first, an odd order's first-order slot last.
CrossoverSections DesignCrossoverSections(bool lowPass, double frequency, int order, int type);

// The section a used slot stands for (unity pass-band gain). Returns false for an
// empty slot.
bool CrossoverSlotBiquad(bool lowPass, const CrossoverSlot& slot, Biquad& out);

// Family tables (exposed for tests).
double LinkwitzRileyDamping(int order, int slot);
double BesselDamping(int order, int slot);
double BesselFrequencyFactor(int order, int slot);
double BesselFirstOrderFactor(int slot);
double BesselNormalisation(int order);

}  // namespace dvdsp::dsp
