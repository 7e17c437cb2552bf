#pragma once
// One parametric EQ band as every layer holds it: the settings model, the reply records,
// the response computation and the graph. Plain data, no dependencies.

#include <cstdint>

namespace dvdsp {

struct Band {
    float gain = 0.0f;    // dB, -18 to +12
    float q = 5.8f;       // 0.5 to 9.0
    int32_t freq = 1000;  // Hz, 20 to 20000
    uint8_t enable = 1;   // 0 leaves the band out of the response
    bool operator==(const Band&) const = default;
};

}  // namespace dvdsp
