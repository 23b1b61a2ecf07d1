// The in-memory controls of the General page, for the native tests.
#pragma once

#include "platform/memory/memory_controls.h"
#include "shell/general_page.h"

namespace talvex {

struct MemoryGeneralPage {
    ZOrder siblings;
    MemoryTextBox txtLocalHostName{siblings}, txtEthernetAddress{siblings}, txtIPAddress{siblings};
    MemoryPicture TransImg1{siblings};
    MemoryControl lblChange{siblings}, cbConfirmChange{siblings, "Keep"};

    GeneralControls Controls() {
        return {&txtLocalHostName, &txtEthernetAddress, &txtIPAddress, &TransImg1,
                &lblChange,        &cbConfirmChange};
    }
};

} // namespace talvex
