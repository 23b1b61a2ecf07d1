// The in-memory controls of the Advanced page, for the native tests.
#pragma once

#include "platform/memory/memory_controls.h"
#include "settings/advanced_page.h"

namespace talvex {

struct MemoryAdvancedPage {
    ZOrder siblings;
    MemoryList lstAdv_AdaptInfo{siblings};
    // The two value editors share one rectangle; the list box starts on top.
    MemoryTextBox txtAdv_KeyValue{siblings};
    MemoryList cbAdv_KeyValue{siblings, "Property Value"};

    AdvancedControls Controls() { return {&lstAdv_AdaptInfo, &cbAdv_KeyValue, &txtAdv_KeyValue}; }
};

} // namespace talvex
