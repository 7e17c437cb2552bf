#pragma once
// The unit's moving values: input noise levels and input and output clip flags. They are
// a function of time, channel and the mix only, so tests that set the clock see the same
// values every run.

#include <cstdint>

namespace dvdsp::emu {

// Noise level of an input channel in tenths of a dB (-800 to -601).
int InputNoiseTenths(int input, uint64_t nowMs);
// Clip (distortion) flags, 0 or 1.
uint8_t InputClip(int source, int input, uint64_t nowMs);
// An output whose routed inputs' mix trims add up past kClipLoad (full is 100 each) is
// driven into clipping and stays there; below it, it clips now and then like the inputs.
inline constexpr int kClipLoad = 150;
uint8_t OutputClip(int source, int output, uint64_t nowMs, int mixLoad);

}  // namespace dvdsp::emu
