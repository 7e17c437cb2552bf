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

// ---- What a calibration run measures ---------------------------------------------------
// A speaker of a given role in the cabin: where it sits (its distance from the listening
// position), which band it plays (the role's crossover) and how the cabin colours it.
// The measured spectrum, the correction bands and the level and delay corrections all
// follow from that, so a tweeter measures quiet below its crossover and gets no
// correction there, and the nearest speaker is delayed and turned down the most.
namespace dvdsp::emu {

inline constexpr int kIrcPoints = 121;
inline constexpr int kIrcBands = 11;

struct SpeakerModel {
    int distanceCm = 0;       // from the listening position
    int hpFreq = 20, lpFreq = 20000;  // the band the driver plays
};
SpeakerModel SpeakerFor(int role, int ch);
// Frequency of spectrum point i (0 to 120) in hundredths of a Hz.
int IrcSpectrumFreq100(int i);
// Level the microphone hears at `freqHz`, in hundredths of a dB.
int IrcSpectrumLevel100(const SpeakerModel& s, int ch, double freqHz);
// Centre frequency of correction band b (0 to 10).
int IrcBandFreq(int b);
// Correction of band b in tenths of a dB: the cabin's deviation at the band's centre
// turned round, inside the driver's band only, within -9 to +6 dB.
int IrcBandGain10(const SpeakerModel& s, int ch, int b);
inline constexpr int kIrcBandQ100 = 141;
// Level correction in whole dB of attenuation that brings a speaker at `distanceCm` to
// the level of one at `farthestCm`.
int IrcTrimDb(int distanceCm, int farthestCm);

}  // namespace dvdsp::emu
