#include "link/clock.h"

#include <chrono>
#include <thread>

namespace dvdsp::link {

uint64_t SystemClock::NowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::SleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Clock& DefaultClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace dvdsp::link
