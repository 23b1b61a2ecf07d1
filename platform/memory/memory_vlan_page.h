// The in-memory controls of the Vlan page, for the native tests.
#pragma once

#include "platform/memory/memory_controls.h"
#include "settings/vlan_page.h"

namespace talvex {

struct MemoryVlanPage {
    ZOrder siblings;

    VlanControls Controls() { return {}; }
};

} // namespace talvex
