// The in-memory controls of the Advanced page, for the native tests.
#pragma once

#include "platform/memory/memory_controls.h"
#include "settings/advanced_page.h"

namespace talvex {

struct MemoryAdvancedPage {
    ZOrder siblings;

    AdvancedControls Controls() { return {}; }
};

} // namespace talvex
