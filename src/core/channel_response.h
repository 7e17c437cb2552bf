#pragma once
// What the graph's phase and sum views show, from the live settings: a channel's complex
// response with its delay and polarity, the complex sum of chosen channels, and the
// alignment helper (the delay and polarity that make two channels sum flattest around
// their crossover).

#include <array>
#include <optional>
#include <vector>

#include "core/model.h"
#include "dsp/phase_response.h"

namespace dvdsp::core {

// The delay (ms) and polarity of channel ch.
dsp::ChannelAlignment AlignmentOf(const SceneState& s, int ch);

// Every sum and the alignment helper read the channels through this seam: a measured
// response (with its phase) may stand for a channel's computed one here, on the standard
// grid, with the channel's delay and polarity in it as `alignment` says.
class ChannelResponses {
public:
    virtual ~ChannelResponses() = default;
    virtual const dsp::ComplexCurve& Response(int ch) = 0;
};

// The electrical responses: each channel's filters, delay and polarity from the settings,
// computed on first use.
class ElectricalResponses final : public ChannelResponses {
public:
    explicit ElectricalResponses(const SceneState& s) : s_(s) {}
    const dsp::ComplexCurve& Response(int ch) override;

private:
    const SceneState& s_;
    std::array<std::optional<dsp::ComplexCurve>, kChannels> curves_;
};

// The levels (dB) of chosen channels and of their complex sum, on the standard grid.
struct SumCurves {
    std::vector<int> channels;
    std::vector<std::vector<double>> levels;
    std::vector<double> sum;
};
void SumOf(ChannelResponses& responses, const std::vector<int>& channels, SumCurves& out);

// The alignment helper's proposal for channels a and b: one delay changes (b's, or a's
// when b would need less than none) and b's polarity is set. `valid` is false for channels
// that cannot be aligned (the same, or out of range).
struct AlignmentProposal {
    bool valid = false;
    int first = -1, second = -1;
    double crossoverHz = 0;
    int delayChannel = -1;
    float delayMs = 0;           // the new delay of delayChannel
    bool secondReversed = false;  // the new polarity of the second channel
    double rippleBefore = 0, rippleAfter = 0;  // standard deviation of the sum's level (dB) around the crossover
    std::vector<double> alignedSum;  // the sum's level with the proposal (dB), the preview
};

// The crossover of two channels: between one's low-pass and the other's high-pass when
// both are on, else where their levels come closest within 20 Hz - 20 kHz.
double CrossoverBetween(const SceneState& s, ChannelResponses& responses, int a, int b);

// Delays are tried on the steps of `unit` (kDelayMs, kDelayCm, kDelayInch) over the whole
// range, with b's polarity as it is and inverted; the flattest sum over the two octaves
// around the crossover wins, the smallest change among equals.
AlignmentProposal ProposeAlignment(const SceneState& s, ChannelResponses& responses, int a, int b, int unit);

}  // namespace dvdsp::core
