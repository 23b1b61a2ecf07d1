// The VLAN page: tagging, GVRP and the VLAN ID, held in the page's controls until OK.
#pragma once

#include "platform/controls.h"
#include "platform/registry_api.h"
#include "platform/services.h"

#include <string>

namespace talvex {

struct VlanControls {};

class VlanPage {
  public:
    // driverKeyName is Form1's: set by discovery before the page first loads.
    VlanPage(const VlanControls& controls, Services& services, RegistryApi& registry,
             const std::string& driverKeyName)
        : c_(controls), services_(services), registry_(registry), driverKeyName_(driverKeyName) {}

  private:
    [[maybe_unused]] VlanControls c_;
    [[maybe_unused]] Services& services_;
    [[maybe_unused]] RegistryApi& registry_;
    [[maybe_unused]] const std::string& driverKeyName_;
};

} // namespace talvex
