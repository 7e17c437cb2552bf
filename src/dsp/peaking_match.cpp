#include "dsp/peaking_match.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dvdsp::dsp {
namespace {

constexpr double kMatchTwoPi = 2.0 * std::numbers::pi;
constexpr int kMatchGridPoints = 480;
constexpr int kMatchCoarseStride = 8;  // the search's first pass looks at every 8th point

// cos w and cos 2w of each grid point.
struct Angles {
    std::vector<double> c1, c2;
};

const Angles& AnglesOf(bool coarse) {
    static const Angles fine = [] {
        Angles a;
        for (double f : MatchGrid()) {
            const double w = kMatchTwoPi * f / RESPONSE_SAMPLE_RATE;
            a.c1.push_back(std::cos(w));
            a.c2.push_back(std::cos(2.0 * w));
        }
        return a;
    }();
    static const Angles few = [] {
        Angles a;
        for (size_t i = 0; i < fine.c1.size(); i += kMatchCoarseStride) {
            a.c1.push_back(fine.c1[i]);
            a.c2.push_back(fine.c2[i]);
        }
        return a;
    }();
    return coarse ? few : fine;
}

double PowerOf(const std::array<double, 3>& p, double c1, double c2) {
    return p[0] * p[0] + p[1] * p[1] + p[2] * p[2] + 2.0 * (p[0] * p[1] + p[1] * p[2]) * c1 + 2.0 * p[0] * p[2] * c2;
}

double LevelAt(const Biquad& bq, double c1, double c2) {
    const double num = PowerOf(bq.b, c1, c2);
    const double den = PowerOf(bq.a, c1, c2);
    if (!(num > 0.0) || !(den > 0.0)) return kLevelFloorDb;
    return 10.0 * std::log10(num / den);
}

std::vector<double> LevelsOf(const Biquad& bq, const Angles& g) {
    std::vector<double> out(g.c1.size());
    for (size_t i = 0; i < out.size(); ++i) out[i] = LevelAt(bq, g.c1[i], g.c2[i]);
    return out;
}

double Worst(const Biquad& bq, const std::vector<double>& target, const Angles& g) {
    double worst = 0.0;
    for (size_t i = 0; i < target.size(); ++i) worst = std::max(worst, std::fabs(LevelAt(bq, g.c1[i], g.c2[i]) - target[i]));
    return worst;
}

}  // namespace

Biquad DesignCookbookPeaking(double sampleRate, double frequency, double gainDb, double q) {
    const double A = std::pow(10.0, gainDb / 40.0);
    const double w0 = kMatchTwoPi * frequency / sampleRate;
    const double alpha = std::sin(w0) / (2.0 * q);
    const double a0 = 1.0 + alpha / A;
    Biquad bq;
    bq.b = {(1.0 + alpha * A) / a0, -2.0 * std::cos(w0) / a0, (1.0 - alpha * A) / a0};
    bq.a = {1.0, -2.0 * std::cos(w0) / a0, (1.0 - alpha / A) / a0};
    return bq;
}

double BiquadLevelDb(const Biquad& bq, double frequency) {
    const double w = kMatchTwoPi * frequency / RESPONSE_SAMPLE_RATE;
    return LevelAt(bq, std::cos(w), std::cos(2.0 * w));
}

const std::vector<double>& MatchGrid() {
    static const std::vector<double> grid = [] {
        std::vector<double> g(kMatchGridPoints);
        for (int i = 0; i < kMatchGridPoints; ++i) g[static_cast<size_t>(i)] = 20.0 * std::pow(1000.0, i / double(kMatchGridPoints - 1));
        return g;
    }();
    return grid;
}

double WorstDifferenceDb(const std::vector<Biquad>& a, const std::vector<Biquad>& b) {
    const Angles& g = AnglesOf(false);
    double worst = 0.0;
    for (size_t i = 0; i < g.c1.size(); ++i) {
        double la = 0.0, lb = 0.0;
        for (const Biquad& x : a) la += LevelAt(x, g.c1[i], g.c2[i]);
        for (const Biquad& x : b) lb += LevelAt(x, g.c1[i], g.c2[i]);
        worst = std::max(worst, std::fabs(la - lb));
    }
    return worst;
}

PeakingMatch UnitQFor(const Biquad& target, double freq, double gainDb) {
    const Angles& coarse = AnglesOf(true);
    const Angles& fine = AnglesOf(false);
    const std::vector<double> few = LevelsOf(target, coarse);
    const std::vector<double> all = LevelsOf(target, fine);
    auto unit = [&](int tenths) { return DesignPeakingBand(RESPONSE_SAMPLE_RATE, freq, gainDb, tenths / 10.0); };
    int best = 1;
    double bestWorst = 1e300;
    for (int k = 1; k <= 400; ++k)
        if (const double w = Worst(unit(k), few, coarse); w < bestWorst) {
            bestWorst = w;
            best = k;
        }
    PeakingMatch m{best / 10.0, 1e300};
    for (int k = std::max(1, best - 3); k <= std::min(400, best + 3); ++k)
        if (const double w = Worst(unit(k), all, fine); w < m.worstDb) m = {k / 10.0, w};
    return m;
}

PeakingMatch CookbookQFor(double freq, double gainDb, double unitQ) {
    const Angles& coarse = AnglesOf(true);
    const Angles& fine = AnglesOf(false);
    const Biquad target = DesignPeakingBand(RESPONSE_SAMPLE_RATE, freq, gainDb, unitQ);
    const std::vector<double> few = LevelsOf(target, coarse);
    const std::vector<double> all = LevelsOf(target, fine);
    auto book = [&](double q) { return DesignCookbookPeaking(RESPONSE_SAMPLE_RATE, freq, gainDb, q); };
    constexpr int kSteps = 300;
    auto qAt = [](double i) { return 0.05 * std::pow(1000.0, i / kSteps); };
    int best = 0;
    double bestWorst = 1e300;
    for (int i = 0; i <= kSteps; ++i)
        if (const double w = Worst(book(qAt(i)), few, coarse); w < bestWorst) {
            bestWorst = w;
            best = i;
        }
    // Golden-section search between the neighbours of the best step, on every point.
    double lo = std::max(0.0, best - 1.0), hi = std::min<double>(kSteps, best + 1.0);
    constexpr double kRatio = 0.6180339887498949;
    for (int n = 0; n < 40; ++n) {
        const double x1 = hi - kRatio * (hi - lo), x2 = lo + kRatio * (hi - lo);
        if (Worst(book(qAt(x1)), all, fine) < Worst(book(qAt(x2)), all, fine)) hi = x2;
        else lo = x1;
    }
    const double q = std::round(qAt((lo + hi) / 2.0) * 1000.0) / 1000.0;
    return {q, Worst(book(q), all, fine)};
}

}  // namespace dvdsp::dsp
