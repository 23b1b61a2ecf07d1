// The in-memory controls of the Diag page, for the native tests.
#pragma once

#include "diag/diag_page.h"
#include "platform/memory/memory_controls.h"

namespace talvex {

struct MemoryDiagPage {
    ZOrder siblings;

    DiagControls Controls() { return {}; }
};

} // namespace talvex
