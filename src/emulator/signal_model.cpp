#include "emulator/signal_model.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "emulator/unit_state.h"

namespace dvdsp::emu {

int InputNoiseTenths(int input, uint64_t nowMs) {
    // A new reading every 500 ms, wandering over 20 dB.
    const uint64_t step = nowMs / 500;
    return -800 + static_cast<int>((step * 17 + static_cast<uint64_t>(input) * 131) % 200);
}

uint8_t InputClip(int source, int input, uint64_t nowMs) {
    const uint64_t second = nowMs / 1000;
    return (second * 7 + static_cast<uint64_t>(input) * 3 + static_cast<uint64_t>(source)) % 11 == 0
               ? 1
               : 0;
}

uint8_t OutputClip(int source, int output, uint64_t nowMs, int mixLoad) {
    if (mixLoad > kClipLoad) return 1;
    const uint64_t second = nowMs / 1000;
    return (second * 5 + static_cast<uint64_t>(output) * 3 + static_cast<uint64_t>(source)) % 13 ==
                   0
               ? 1
               : 0;
}

}  // namespace dvdsp::emu

// ---- Calibration measurements -------------------------------------------------------------

namespace dvdsp::emu {
namespace {

constexpr std::array<int, kIrcBands> kIrcBandFreqs = {20, 40, 80, 160, 315, 630, 1250, 2500, 5000, 10000, 20000};

// Distance by the role's place: front left (driver's side), front right, rear, centre,
// subwoofer in the boot.
int PlaceCm(int role) {
    if (role >= 1 && role <= 6) return 95;
    if (role >= 7 && role <= 12) return 135;
    if (role >= 13 && role <= 15) return 170;
    if (role >= 16 && role <= 18) return 195;
    if (role >= 19 && role <= 21) return 80;
    if (role >= 22 && role <= 24) return 240;
    return 100;
}

// The cabin's colouring in dB at f: a low-frequency boost (cabin gain), a dip in the
// midrange and ripples that depend on where the speaker sits.
double CabinDb(int ch, double f) {
    const double octave = std::log2(std::max(f, 20.0) / 20.0);  // 0 to ~10
    const double gain = f < 120 ? 4.0 * (1.0 - f / 120.0) : 0.0;
    const double dip = -3.0 * std::exp(-std::pow((octave - 5.5) / 0.8, 2));
    const double ripple = 2.0 * std::sin(octave * 2.1 + ch * 0.9);
    return gain + dip + ripple;
}

// The driver's own response in dB: 12 dB per octave outside its band.
double DriverDb(const SpeakerModel& s, double f) {
    double db = 0;
    if (f < s.hpFreq) db -= 12.0 * std::log2(s.hpFreq / f);
    if (f > s.lpFreq) db -= 12.0 * std::log2(f / s.lpFreq);
    return db;
}

}  // namespace

SpeakerModel SpeakerFor(int role, int ch) {
    SpeakerModel s;
    s.distanceCm = PlaceCm(role) + 3 * (ch % 4);
    Filter hp, lp;
    RoleCrossover(role, hp, lp);
    s.hpFreq = hp.slope ? hp.freq : 20;
    s.lpFreq = lp.slope ? lp.freq : 20000;
    return s;
}

int IrcSpectrumFreq100(int i) { return 2000 + 1998000 * i / kIrcPoints; }

int IrcSpectrumLevel100(const SpeakerModel& s, int ch, double freqHz) {
    const double distance = -20.0 * std::log10(std::max(s.distanceCm, 10) / 100.0);
    const double db = std::clamp(DriverDb(s, freqHz) + CabinDb(ch, freqHz) + distance, -60.0, 20.0);
    return static_cast<int>(std::lround(db * 100));
}

int IrcBandFreq(int b) { return kIrcBandFreqs[static_cast<size_t>(std::clamp(b, 0, kIrcBands - 1))]; }

int IrcBandGain10(const SpeakerModel& s, int ch, int b) {
    const double f = IrcBandFreq(b);
    if (f < s.hpFreq || f > s.lpFreq) return 0;
    return static_cast<int>(std::lround(std::clamp(-CabinDb(ch, f), -9.0, 6.0) * 10));
}

int IrcTrimDb(int distanceCm, int farthestCm) {
    if (distanceCm <= 0 || farthestCm <= distanceCm) return 0;
    return static_cast<int>(std::lround(20.0 * std::log10(static_cast<double>(farthestCm) / distanceCm)));
}

}  // namespace dvdsp::emu
