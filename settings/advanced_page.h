// The Advanced page: the driver's five advanced parameters, kept in memory until OK.
#pragma once

#include "platform/controls.h"
#include "platform/registry_api.h"
#include "platform/services.h"

#include <string>

namespace talvex {

struct AdvancedControls {};

class AdvancedPage {
  public:
    // driverKeyName is Form1's: set by discovery before the page first loads.
    AdvancedPage(const AdvancedControls& controls, Services& services, RegistryApi& registry,
                 const std::string& driverKeyName)
        : c_(controls), services_(services), registry_(registry), driverKeyName_(driverKeyName) {}

  private:
    [[maybe_unused]] AdvancedControls c_;
    [[maybe_unused]] Services& services_;
    [[maybe_unused]] RegistryApi& registry_;
    [[maybe_unused]] const std::string& driverKeyName_;
};

} // namespace talvex
