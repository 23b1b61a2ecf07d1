// The in-memory controls of the Vlan page, for the native tests.
#pragma once

#include "platform/memory/memory_controls.h"
#include "settings/vlan_page.h"

namespace talvex {

struct MemoryVlanPage {
    ZOrder siblings;
    MemoryCheckBox chkEnableVLAN{siblings, "  Enable  Virtual  LAN"};
    MemoryCheckBox chkEnableGVRP{siblings, " Enable GVRP"};
    MemoryControl lblVLAN_ID{siblings, "VLAN ID:"};
    MemoryTextBox txtVLAN_ID{siblings};
    MemoryUpDown UpDownVLAN_ID{siblings, 0, kMaxVlanId, 0};
    MemoryTextBox txtVLANDescription{siblings, "VLAN ID is use to identify the Virtual LAN Group.",
                                     true};

    VlanControls Controls() {
        return {&chkEnableVLAN, &chkEnableGVRP, &lblVLAN_ID,
                &txtVLAN_ID,    &UpDownVLAN_ID, &txtVLANDescription};
    }
};

} // namespace talvex
