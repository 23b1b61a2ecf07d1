// The Diagnostic page: the test list, the cycle count, Start Test and Stop Test.
#pragma once

#include "platform/controls.h"
#include "platform/registry_api.h"
#include "platform/services.h"

#include <cstdint>
#include <string>

namespace talvex {

struct DiagControls {};

class DiagPage {
  public:
    // window, driverKeyName and currentAdapter are Form1's; the adapter record is set by
    // discovery before the page can be reached.
    DiagPage(const DiagControls& controls, Services& services, RegistryApi& registry,
             FormWindow& window, const std::string& driverKeyName,
             const std::int16_t& currentAdapter)
        : c_(controls), services_(services), registry_(registry), window_(window),
          driverKeyName_(driverKeyName), currentAdapter_(currentAdapter) {}

  private:
    [[maybe_unused]] DiagControls c_;
    [[maybe_unused]] Services& services_;
    [[maybe_unused]] RegistryApi& registry_;
    [[maybe_unused]] FormWindow& window_;
    [[maybe_unused]] const std::string& driverKeyName_;
    [[maybe_unused]] const std::int16_t& currentAdapter_;
};

} // namespace talvex
