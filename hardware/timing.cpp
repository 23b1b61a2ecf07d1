#include "hardware/timing.h"

#include <thread>

namespace talvex {

namespace {

class StandardTiming final : public HardwareTiming {
  public:
    void Sleep(uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    std::chrono::microseconds Now() override {
        return std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

StandardTiming standardTiming;
HardwareTiming* current = &standardTiming;

} // namespace

HardwareTiming& Timing() {
    return *current;
}

void SetTiming(HardwareTiming* timing) {
    current = timing ? timing : &standardTiming;
}

} // namespace talvex
