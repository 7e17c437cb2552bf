#include "dsp/filters.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dvdsp::dsp {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Linkwitz-Riley damping by order / 2 (orders 2, 4, 6, 8).
constexpr double kLinkwitzRileyDamping[5][4] = {
    {0.0, 0.0, 0.0, 0.0},
    {2.0, 0.0, 0.0, 0.0},
    {1.4142135624, 1.4142135624, 0.0, 0.0},
    {2.0, 1.0, 1.0, 0.0},
    {1.847759065, 0.7653668647, 1.847759065, 0.7653668647},
};

// Bessel reciprocal quality factors of the second-order sections, by order.
constexpr double kBesselDamping[9][4] = {
    {0.0, 0.0, 0.0, 0.0},
    {0.0, 0.0, 0.0, 0.0},
    {1.7320508076, 0.0, 0.0, 0.0},
    {1.4470803599, 0.0, 0.0, 0.0},
    {1.9159489237, 1.2414059301, 0.0, 0.0},
    {1.7745107195, 1.0911344114, 0.0, 0.0},
    {1.9595631418, 1.6361402521, 0.9772172032, 0.0},
    {1.8784433114, 1.5132682086, 0.8878963849, 0.0},
    {1.9763194659, 1.7869614419, 1.4067624418, 0.8158806765},
};

// Bessel pole magnitudes of the second-order sections, by order.
constexpr double kBesselFrequency[9][4] = {
    {0.0, 0.0, 0.0, 0.0},
    {0.0, 0.0, 0.0, 0.0},
    {1.7320508076, 0.0, 0.0, 0.0},
    {2.5415414011, 0.0, 0.0, 0.0},
    {3.0232649388, 3.3893657927, 0.0, 0.0},
    {3.7778936609, 4.2610228013, 0.0, 0.0},
    {4.3360270513, 4.5664891522, 5.1491771521, 0.0},
    {5.0662061498, 5.3792700335, 6.0495276805, 0.0},
    {5.6548408694, 5.8253532155, 6.2104149036, 6.9593116508},
};

// Bessel real pole magnitude, by the slot that holds the first-order section.
constexpr double kBesselFirstOrder[4] = {1.0, 2.3221853546, 3.6467385953, 4.9717868586};

// Brings a delay-normalised Bessel filter to the cut-off used by the unit, by order.
constexpr double kBesselNormalisation[9] = {
    0.0,          1.0,          0.5773502692, 0.4030076571, 0.3086066999,
    0.2496411504, 0.2093977333, 0.1802208568, 0.1581178777,
};

double ClampDesignFrequency(double w) {
    const double lowest = kTwoPi * kLowestDesignFactor;
    const double highest = kTwoPi * kHighestDesignFactor;
    if (w < lowest) w = lowest;
    if (w > highest) w = highest;
    return w;
}

bool ValidSlot(int slot) {
    return slot >= 0 && slot < CROSSOVER_SECTIONS;
}
bool ValidOrder(int order) {
    return order >= 1 && order <= CROSSOVER_MAX_ORDER;
}

}  // namespace

double LinkwitzRileyDamping(int order, int slot) {
    if (!ValidOrder(order) || order % 2 != 0 || !ValidSlot(slot)) return 0.0;
    return kLinkwitzRileyDamping[order / 2][slot];
}

double BesselDamping(int order, int slot) {
    return ValidOrder(order) && ValidSlot(slot) ? kBesselDamping[order][slot] : 0.0;
}

double BesselFrequencyFactor(int order, int slot) {
    return ValidOrder(order) && ValidSlot(slot) ? kBesselFrequency[order][slot] : 0.0;
}

double BesselFirstOrderFactor(int slot) {
    return ValidSlot(slot) ? kBesselFirstOrder[slot] : 0.0;
}

double BesselNormalisation(int order) {
    return ValidOrder(order) ? kBesselNormalisation[order] : 0.0;
}

Biquad DesignPeakingBand(double sampleRate, double frequency, double gainDb, double q) {
    const double A = std::pow(10.0, gainDb / 20.0);
    const double w0 = kTwoPi * frequency / sampleRate;
    const double s0 = std::sin(w0);
    const double c0 = std::cos(w0);
    // Lower band edge.
    const double w1 = (std::sqrt(4.0 * q * q + 1.0) - 1.0) * w0 / (2.0 * q);
    double t = std::sin(w1) * s0 / (2.0 * (std::cos(w1) - c0));
    // A cut narrows like the boost it mirrors.
    if (A < 1.0) t = t * A;
    const double D = 2.0 * t + s0;

    Biquad bq;
    bq.a[0] = 1.0;
    bq.a[1] = -4.0 * t * c0 / D;
    bq.a[2] = (2.0 * t - s0) / D;
    bq.b[0] = (2.0 * t + A * s0) / D;
    bq.b[1] = bq.a[1];
    bq.b[2] = (2.0 * t - A * s0) / D;
    return bq;
}

int CrossoverDesignOrder(int order, int type) {
    int n = order;
    if (type == kLinkwitzRiley && std::fmod(static_cast<double>(n), 2.0) != 0.0) n = n + 1;
    return std::clamp(n, 1, CROSSOVER_MAX_ORDER);
}

CrossoverSections DesignCrossoverSections(bool lowPass, double frequency, int order, int type) {
    const int n = CrossoverDesignOrder(order, type);
    const float sampleRate = static_cast<float>(RESPONSE_SAMPLE_RATE);

    double w = ClampDesignFrequency(kTwoPi * frequency / sampleRate);
    if (type == kBessel) w = lowPass ? w * kBesselNormalisation[n] : w / kBesselNormalisation[n];

    CrossoverSections out;
    int remaining = n;
    for (int i = 0; i < CROSSOVER_SECTIONS; ++i) {
        CrossoverSlot& s = out.slot[i];
        double wi = w;
        if (remaining == 0) {
            s.kind = -1;
            s.coef = 0.0;
            s.cosw = std::cos(wi);
        } else if (remaining == 1) {
            if (type == kBessel) {
                wi = lowPass ? wi * kBesselFirstOrder[i] : wi / kBesselFirstOrder[i];
                wi = ClampDesignFrequency(wi);
            }
            const double c = std::cos(wi);
            const double sn = std::sin(wi);
            s.coef = (c + sn - 1.0) / (c - sn - 1.0);
            s.cosw = c;
            s.kind = 0;
            remaining -= 1;
        } else {
            double damping = 0.0;
            if (type == kButterworth) {
                damping = 2.0 * std::sin((2.0 * (n / 2 - 1 - i) + 1.0) * kPi / (2.0 * n));
            } else if (type == kLinkwitzRiley) {
                damping = kLinkwitzRileyDamping[n / 2][i];
            } else if (type == kBessel) {
                damping = kBesselDamping[n][i];
                wi = lowPass ? wi * kBesselFrequency[n][i] : wi / kBesselFrequency[n][i];
                wi = ClampDesignFrequency(wi);
            }
            const double sn = std::sin(wi);
            s.coef = (2.0 - damping * sn) / (2.0 + damping * sn);
            s.cosw = std::cos(wi);
            s.kind = 1;
            remaining -= 2;
        }
    }
    return out;
}

bool CrossoverSlotBiquad(bool lowPass, const CrossoverSlot& slot, Biquad& out) {
    if (slot.kind == 0) {
        const double p = slot.coef;
        out.a = {1.0, p, 0.0};
        if (lowPass) {
            out.b = {(1.0 + p) / 2.0, (1.0 + p) / 2.0, 0.0};
        } else {
            out.b = {(1.0 - p) / 2.0, -(1.0 - p) / 2.0, 0.0};
        }
        return true;
    }
    if (slot.kind == 1) {
        const double c = slot.coef;
        out.a = {1.0, -(1.0 + c) * slot.cosw, c};
        if (lowPass) {
            const double e = (1.0 + c) * (1.0 - slot.cosw) / 4.0;
            out.b = {e, 2.0 * e, e};
        } else {
            const double e = (1.0 + c) * (1.0 + slot.cosw) / 4.0;
            out.b = {e, -2.0 * e, e};
        }
        return true;
    }
    return false;
}

}  // namespace dvdsp::dsp
