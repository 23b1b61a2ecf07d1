// The in-memory controls of the Support page, for the native tests.
#pragma once

#include "platform/memory/memory_controls.h"
#include "support/support_page.h"

namespace talvex {

struct MemorySupportPage {
    ZOrder siblings;

    SupportControls Controls() { return {}; }
};

} // namespace talvex
