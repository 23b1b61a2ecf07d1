// vbNetBiosInfo: the machine's current MAC address as NetBIOS reports it for one LAN adapter.
#pragma once

#include "platform/services.h"

#include <cstdint>
#include <string>

namespace talvex::vbNetBiosInfo {

// The six address bytes as "02 1A 3B 4C 5D 6E " (18 characters), or the empty text when no
// status could be had.
std::string ReadMacAddress(Services& services, std::int32_t lana);

} // namespace talvex::vbNetBiosInfo
