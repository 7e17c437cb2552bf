#pragma once
// Time source of the link. The program uses the steady system clock; tests use a manual
// clock whose sleeps advance time at once, so time-outs are exercised without waiting.

#include <atomic>
#include <cstdint>

namespace dvdsp::link {

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start.
    virtual uint64_t NowMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;
};

class SystemClock final : public Clock {
  public:
    uint64_t NowMs() override;
    void SleepMs(uint32_t ms) override;
};

class ManualClock final : public Clock {
  public:
    explicit ManualClock(uint64_t start = 100000) : now_(start) {}
    uint64_t NowMs() override { return now_.load(); }
    void SleepMs(uint32_t ms) override { now_ += ms; }
    void Advance(uint64_t ms) { now_ += ms; }

  private:
    std::atomic<uint64_t> now_;
};

Clock& DefaultClock();

}  // namespace dvdsp::link
