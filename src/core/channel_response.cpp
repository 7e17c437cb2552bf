#include "core/channel_response.h"

#include <algorithm>
#include <cmath>

#include "core/channel_format.h"
#include "core/curve_store.h"
#include "core/part_helpers.h"

namespace dvdsp::core {
namespace {

// Standard deviation of the sum's level over the window of grid points.
double Ripple(const std::vector<dsp::Complex>& a, const std::vector<dsp::Complex>& b, const std::vector<size_t>& window,
              const std::vector<dsp::Complex>& turn) {
    double sum = 0, squares = 0;
    for (size_t i = 0; i < window.size(); ++i) {
        const size_t k = window[i];
        const double level = dsp::LevelDbOf(a[k] + b[k] * turn[i]);
        sum += level;
        squares += level * level;
    }
    const double n = static_cast<double>(window.size());
    return std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
}

bool CrossoverOn(const CrossoverFilter& f) { return f.bypass == 0 && f.slope > 0; }

}  // namespace

dsp::ChannelAlignment AlignmentOf(const SceneState& s, int ch) {
    if (!ChannelOk(ch)) return {};
    const ChannelSettings& c = s.channels[Z(ch)];
    return {static_cast<double>(c.delay), c.phase != 0};
}

const dsp::ComplexCurve& ElectricalResponses::Response(int ch) {
    const int c = std::clamp(ch, 0, kChannels - 1);
    std::optional<dsp::ComplexCurve>& slot = curves_[Z(c)];
    if (!slot) {
        slot.emplace();
        dsp::StandardPhaseGrid().Channel(ChannelFiltersOf(s_, c), s_.channels[Z(c)].bypass != 0, AlignmentOf(s_, c),
                                         false, *slot);
    }
    return *slot;
}

void SumOf(ChannelResponses& responses, const std::vector<int>& channels, SumCurves& out) {
    const size_t n = dsp::StandardPhaseGrid().Frequencies().size();
    out.channels.clear();
    out.levels.clear();
    std::vector<dsp::Complex> total(n);
    for (int ch : channels) {
        if (!ChannelOk(ch)) continue;
        const dsp::ComplexCurve& r = responses.Response(ch);
        std::vector<double> level(n);
        for (size_t k = 0; k < n; ++k) {
            level[k] = dsp::LevelDbOf(r.response[k]);
            total[k] += r.response[k];
        }
        out.channels.push_back(ch);
        out.levels.push_back(std::move(level));
    }
    out.sum.resize(n);
    for (size_t k = 0; k < n; ++k) out.sum[k] = dsp::LevelDbOf(total[k]);
}

double CrossoverBetween(const SceneState& s, ChannelResponses& responses, int a, int b) {
    const ChannelSettings& x = s.channels[Z(a)];
    const ChannelSettings& y = s.channels[Z(b)];
    if (CrossoverOn(x.lp) && CrossoverOn(y.hp)) return std::sqrt(double(x.lp.freq) * double(y.hp.freq));
    if (CrossoverOn(x.hp) && CrossoverOn(y.lp)) return std::sqrt(double(x.hp.freq) * double(y.lp.freq));
    const dsp::ComplexCurve& ra = responses.Response(a);
    const dsp::ComplexCurve& rb = responses.Response(b);
    double best = 1000.0, closest = 1e300;
    for (size_t k = 0; k < ra.frequencies.size(); ++k) {
        const double f = ra.frequencies[k];
        if (f < 20.0 || f > 20000.0) continue;
        const double d = std::fabs(dsp::LevelDbOf(ra.response[k]) - dsp::LevelDbOf(rb.response[k]));
        if (d < closest) {
            closest = d;
            best = f;
        }
    }
    return best;
}

AlignmentProposal ProposeAlignment(const SceneState& s, ChannelResponses& responses, int a, int b, int unit) {
    AlignmentProposal p;
    if (!ChannelOk(a) || !ChannelOk(b) || a == b) return p;
    p.valid = true;
    p.first = a;
    p.second = b;
    p.crossoverHz = CrossoverBetween(s, responses, a, b);
    const dsp::ComplexCurve& ra = responses.Response(a);
    const dsp::ComplexCurve& rb = responses.Response(b);
    // Two octaves around the crossover.
    std::vector<size_t> window;
    for (size_t k = 0; k < ra.frequencies.size(); ++k)
        if (ra.frequencies[k] >= p.crossoverHz / 2.0 && ra.frequencies[k] <= p.crossoverHz * 2.0) window.push_back(k);
    const float delayA = s.channels[Z(a)].delay, delayB = s.channels[Z(b)].delay;
    const bool reversedB = s.channels[Z(b)].phase != 0;
    std::vector<dsp::Complex> turn(window.size(), dsp::Complex(1.0, 0.0));
    p.rippleBefore = window.empty() ? 0.0 : Ripple(ra.response, rb.response, window, turn);
    p.delayChannel = b;
    p.delayMs = delayB;
    p.secondReversed = reversedB;
    p.rippleAfter = p.rippleBefore;
    if (window.empty()) return p;
    // b's delay relative to a's: b moves while it can, else a does.
    double bestChange = 0;
    float last = -1;
    for (int us = 0; us <= static_cast<int>(kMaxDelayMs * 1000.0f); us += 10) {
        const float step = NormalizeDelay(static_cast<float>(us) / 1000.0f, unit);
        if (step == last) continue;
        last = step;
        for (int side = 0; side < 2; ++side) {
            // side 0: b takes `step`; side 1: a takes it (only where b would need less than none).
            const double relative = side == 0 ? double(step) - delayB : double(delayA) - step;
            if (side == 1 && double(delayB) + relative >= 0) continue;
            for (size_t i = 0; i < window.size(); ++i)
                turn[i] = dsp::AlignmentFactor(ra.frequencies[window[i]], {relative, false});
            for (bool reversed : {reversedB, !reversedB}) {
                // The other polarity is the same turn, negated.
                if (reversed != reversedB)
                    for (dsp::Complex& t : turn) t = -t;
                const double ripple = Ripple(ra.response, rb.response, window, turn);
                const double change = std::fabs(relative) + (reversed != reversedB ? 1e-6 : 0.0);
                if (ripple < p.rippleAfter - 1e-9 || (std::fabs(ripple - p.rippleAfter) <= 1e-9 && change < bestChange)) {
                    p.rippleAfter = ripple;
                    bestChange = change;
                    p.delayChannel = side == 0 ? b : a;
                    p.delayMs = step;
                    p.secondReversed = reversed;
                }
            }
        }
    }
    // The preview: the sum as the proposal leaves it.
    const dsp::ChannelAlignment extra{p.delayChannel == b ? double(p.delayMs) - delayB : double(delayA) - p.delayMs,
                                      p.secondReversed != reversedB};
    p.alignedSum.resize(ra.frequencies.size());
    for (size_t k = 0; k < ra.frequencies.size(); ++k)
        p.alignedSum[k] = dsp::LevelDbOf(ra.response[k] + rb.response[k] * dsp::AlignmentFactor(ra.frequencies[k], extra));
    return p;
}

}  // namespace dvdsp::core
