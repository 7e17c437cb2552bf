#pragma once
// Every value whose unit on the wire differs from the user's, in both directions: what an
// encoder puts on the wire for a value in the user's units, and, next to it, how a decoder
// turns the reply bytes back into the user's units.

#include <cstdint>
#include <vector>

#include "base/limits.h"
#include "link/protocol/wire_values.h"

namespace dvdsp::link::units {

using namespace wire;

// ---- Main volume: the user's volume in dB travels as 6 - volume (a signed byte). -------
inline double MainVolumeToWire(double volumeDb) {
    return 6.0 - limits::kMainVolume.Clamp(volumeDb);
}
inline int MainVolumeFromWire(int wire) {
    return 6 - wire;
}

// ---- Output trim: a gain in dB, 0 or below. ------------------------------------------------
// Units that take attenuation get the positive attenuation (integer byte and hundredths);
// the others get the gain itself as one signed byte. Subtracting from +0 keeps a zero trim
// from travelling (and being logged) as -0.
inline double TrimToWire(double gainDb, bool attenuation) {
    gainDb = limits::kTrim.Clamp(gainDb);
    return attenuation ? 0.0 - gainDb : gainDb;
}
inline void PutTrim(std::vector<uint8_t>& d, double onWire, bool attenuation) {
    d.push_back(IntPart(onWire));
    if (attenuation) d.push_back(Hundredths(onWire));
}
inline int TrimWidth(bool attenuation) {
    return attenuation ? 2 : 1;
}
inline float TrimFromWire(const uint8_t* b, bool attenuation) {
    return attenuation ? 0.0f - (F(b[0]) + F(b[1]) / 100.0f) : F(S8(b[0]));
}

// ---- EQ band: frequency (16-bit), Q (integer, tenths), gain + 18 dB (integer, tenths). ---
// The unit reports Q with hundredths.
inline void PutEqBand(std::vector<uint8_t>& d, int32_t freq, double q, double gainDb) {
    using namespace limits;
    PutBe16(d, static_cast<unsigned>(kBandFreq.Clamp(freq)));
    q = kBandQ.Clamp(q);
    d.push_back(IntPart(q));
    d.push_back(TenthsDigit(q));
    const double g = kBandGain.Clamp(gainDb) + kBandGainWireOffset;
    d.push_back(IntPart(g));
    d.push_back(TenthsDigit(g));
}
inline float EqQFromWire(const uint8_t* b) {
    return F(b[0]) + F(b[1]) / 100.0f;
}
inline float EqGainFromWire(const uint8_t* b) {
    return F(b[0]) + F(b[1]) / 10.0f - static_cast<float>(limits::kBandGainWireOffset);
}

// ---- Delay in ms: integer byte, then thousandths (16-bit). --------------------------------
inline void PutDelay(std::vector<uint8_t>& d, double ms) {
    ms = limits::kDelayMs.Clamp(ms);
    d.push_back(IntPart(ms));
    PutBe16(d, Thousandths(ms));
}
inline float DelayFromWire(const uint8_t* b) {
    return F(b[0]) + F(Be16(b + 1)) / 1000.0f;
}

// ---- Integer byte and tenths (compressor ratio and soft knee). -----------------------------
inline void PutTenths(std::vector<uint8_t>& d, double v) {
    d.push_back(IntPart(v));
    d.push_back(TenthsDigit(v));
}
inline float TenthsFromWire(const uint8_t* b) {
    return F(b[0]) + F(b[1]) / 10.0f;
}

// ---- Compressor threshold in dB: + 100, then as integer byte and tenths. -------------------
inline void PutCompressorThreshold(std::vector<uint8_t>& d, double db) {
    PutTenths(d, db + 100.0);
}
inline float CompressorThresholdFromWire(const uint8_t* b) {
    return TenthsFromWire(b) - 100.0f;
}

// ---- Simple compressor: threshold as signed integer and tenths; release in ms as seconds
// (integer, tenths). ---------------------------------------------------------------------------
inline double ReleaseSeconds(uint32_t ms) {
    return static_cast<double>(ms) / 1000.0;
}
inline float Compressor2ThresholdFromWire(const uint8_t* b) {
    return F(S8(b[0])) + F(S8(b[1])) * 0.1f;
}
inline int32_t Compressor2ReleaseFromWire(const uint8_t* b) {
    return b[0] * 1000 + b[1] * 100;
}

}  // namespace dvdsp::link::units
