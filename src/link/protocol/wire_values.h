#pragma once
// Number encodings of the wire: 16-bit big-endian, integer part and fraction digits.

#include <cmath>
#include <cstdint>
#include <vector>

namespace dvdsp::link::wire {

// Largest magnitude an encoder turns into an integer; every wire field is far smaller, so
// this only keeps a wild value (1e30, infinity) from overflowing the conversion.
inline constexpr double kMaxScaled = 1e9;

// trunc(v * scale), robust against binary fractions that land just below an integer
// (0.7f * 10 is 6.99999988...): within a thousandth of an integer the integer is meant.
// NaN counts as 0 and a value beyond the largest magnitude as that magnitude.
inline long TruncScaled(double v, double scale) {
    double x = v * scale;
    if (std::isnan(x)) return 0;
    if (x > kMaxScaled) x = kMaxScaled;
    if (x < -kMaxScaled) x = -kMaxScaled;
    double r = std::round(x);
    if (std::fabs(x - r) < 1e-3) return static_cast<long>(r);
    return static_cast<long>(std::trunc(x));
}

inline uint8_t Byte(long v) {
    return static_cast<uint8_t>(v & 0xFF);
}

// Integer part as a byte (sign kept in two's complement).
inline uint8_t IntPart(double v) {
    return Byte(TruncScaled(v, 1.0));
}

// Tenths digit: trunc(v * 10) mod 10 as a signed remainder (negative for negative v).
inline uint8_t TenthsDigit(double v) {
    return Byte(TruncScaled(v, 10.0) % 10);
}

// Hundredths: trunc((v - trunc(v)) * 100).
inline uint8_t Hundredths(double v) {
    long whole = TruncScaled(v, 1.0);
    return Byte(TruncScaled(v - static_cast<double>(whole), 100.0));
}

// Thousandths as a count from 0 to 999: trunc(v * 1000) mod 1000.
inline uint16_t Thousandths(double v) {
    return static_cast<uint16_t>(TruncScaled(v, 1000.0) % 1000);
}

inline void PutBe16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    out.push_back(static_cast<uint8_t>(v & 0xFF));
}

inline int32_t Be16(const uint8_t* b) {
    return (b[0] << 8) | b[1];
}

inline int32_t S8(uint8_t b) {
    return static_cast<int8_t>(b);
}

inline float F(int v) {
    return static_cast<float>(v);
}

inline void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}

}  // namespace dvdsp::link::wire
