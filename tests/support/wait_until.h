#pragma once
// Waiting for another thread to get somewhere: polls an observable state until it holds,
// with a deadline far beyond what the wait should take.

#include <chrono>
#include <functional>
#include <thread>

namespace dvdsp::testing {

inline bool WaitUntil(const std::function<bool()>& cond,
                      std::chrono::milliseconds deadline = std::chrono::milliseconds(20000)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace dvdsp::testing
