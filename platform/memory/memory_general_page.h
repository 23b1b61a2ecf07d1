// The in-memory controls of the General page, for the native tests.
#pragma once

#include "platform/memory/memory_controls.h"
#include "shell/general_page.h"

namespace talvex {

struct MemoryGeneralPage {
    ZOrder siblings;

    GeneralControls Controls() { return {}; }
};

} // namespace talvex
