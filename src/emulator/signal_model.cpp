#include "emulator/signal_model.h"

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
