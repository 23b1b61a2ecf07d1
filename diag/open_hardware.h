// Opening the adapter's hardware for a diagnostic run, shared by the Diagnostic page and the
// console tool: the library from the program's folder, the adapter's device, its I/O range.
#pragma once

#include "platform/registry_api.h"
#include "platform/services.h"

#include <cstdint>
#include <optional>
#include <string>

namespace talvex {

inline constexpr char kDriverAgentNotLoaded[] = "DriverAgent is not loaded!";
inline constexpr char kDiagComponentFailed[] =
    "Some diagnostic component initial fail. You can not running diagnostic function.";
inline constexpr char kHardwareBusy[] =
    "The diagnostic tests are running in another program. Try again when they have finished.";

// Opens the library, the adapter's device and its control registers the first time, and again
// after any failure: whatever a failed attempt opened is closed first. When it fails the user
// is told why (kDriverAgentNotLoaded or kDiagComponentFailed) and false comes back.
bool OpenDiagHardware(Services& services, RegistryApi& registry, const std::string& driverKeyName,
                      std::int16_t adapter);

// The I/O base the driver was given: BaseAddress under its Parameters key, a REG_DWORD. Any
// other type is no base at all (the text "300" is not the number 0x300), nor is 0.
std::optional<std::uint32_t> ReadBaseAddress(RegistryApi& registry,
                                             const std::string& driverKeyName);

// The system-wide mark held for the length of a run, so that the window and the console tool
// never drive the hardware at once. Given back when this goes.
class HardwareMark {
  public:
    explicit HardwareMark(Services& services)
        : services_(services), held_(services.TakeHardwareMark()) {}
    ~HardwareMark() {
        if (held_) services_.ReleaseHardwareMark();
    }
    HardwareMark(const HardwareMark&) = delete;
    HardwareMark& operator=(const HardwareMark&) = delete;
    explicit operator bool() const { return held_; }

  private:
    Services& services_;
    bool held_;
};

} // namespace talvex
