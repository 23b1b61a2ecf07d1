// Sleep and clock of the hardware procedures, replaceable so that tests can count the sleeps
// and bound the waits without real time passing.
#pragma once

#include <chrono>
#include <cstdint>

namespace talvex {

class HardwareTiming {
  public:
    virtual ~HardwareTiming() = default;
    virtual void Sleep(uint32_t milliseconds) = 0;
    // A monotonic clock; only differences are meaningful.
    virtual std::chrono::microseconds Now() = 0;
    // Make Sleep(1) last about a millisecond instead of a scheduler tick. Calls nest.
    virtual void BeginFineSleeps() {}
    virtual void EndFineSleeps() {}
};

// The timing in use: the standard library's sleep and steady clock unless replaced.
HardwareTiming& Timing();
// Replaces it; nullptr restores the default. The object must outlive its installation.
void SetTiming(HardwareTiming* timing);

// Holds fine sleeps for its lifetime; the diagnostic runner keeps one for a whole run.
class FineSleepScope {
  public:
    FineSleepScope() : timing_(Timing()) { timing_.BeginFineSleeps(); }
    ~FineSleepScope() { timing_.EndFineSleeps(); }
    FineSleepScope(const FineSleepScope&) = delete;
    FineSleepScope& operator=(const FineSleepScope&) = delete;

  private:
    HardwareTiming& timing_;
};

} // namespace talvex
