// Adapter discovery, shared by the window (Form1::FindAdapter) and the console tool.
#pragma once

#include "platform/registry_api.h"

#include <cstdint>
#include <optional>
#include <string>

namespace talvex {

struct AdapterRecord {
    std::int16_t entry = 0;    // the NetworkCards entry, 1 to 5
    std::string driverKeyName; // the driver's service name
    std::string title;
};

// The first NetworkCards entry (1 to 5) whose product name is the supported driver's and whose
// service name names a driver key; nullopt when there is none.
std::optional<AdapterRecord> FindSupportedAdapter(RegistryApi& api);

} // namespace talvex
