// Test doubles for the hardware procedures: a recording bus in front of a simulated adapter,
// and a fake clock whose time moves only when the code sleeps.
#pragma once

#include "hardware/driver_agent.h"
#include "hardware/timing.h"
#include "simulator/sim_adapter.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace talvex::test {

struct BusCall {
    std::string op; // "OpenLib", "CloseLib", "CloseRange", "CloseDevice", "R8", "R16", "W16", "W32"
    uint32_t offset = 0;
    uint32_t value = 0; // written, or read back
    uint32_t handle = 0;
    bool operator==(const BusCall&) const = default;
};

// Installs itself as the library while it lives. Register calls go to a simulated adapter and
// are recorded with their results; readOverride may replace any read's result. A call whose op
// is faultOn is recorded, then faults (a C++ exception, as the in-memory guard expects).
class RecordingBus {
  public:
    static constexpr uint32_t kRangeHandle = 0x77;

    explicit RecordingBus(sim::EepromTiming timing = {0, std::chrono::microseconds{0}});
    ~RecordingBus();

    std::vector<BusCall> Registers() const; // only the register reads and writes
    std::vector<uint16_t> EepromCommands() const;

    sim::Adapter adapter;
    std::vector<BusCall> calls;
    std::function<std::optional<uint32_t>(const BusCall&)> readOverride;
    std::string faultOn;

    static RecordingBus* current;
};

class FakeTiming final : public HardwareTiming {
  public:
    FakeTiming() { SetTiming(this); }
    ~FakeTiming() override { SetTiming(nullptr); }
    void Sleep(uint32_t milliseconds) override {
        sleeps.push_back(milliseconds);
        now += std::chrono::milliseconds(milliseconds);
    }
    std::chrono::microseconds Now() override { return now; }

    std::vector<uint32_t> sleeps;
    std::chrono::microseconds now{1000000};
};

} // namespace talvex::test
