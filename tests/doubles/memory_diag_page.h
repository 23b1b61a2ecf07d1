// The in-memory controls of the Diag page, for the native tests.
#pragma once

#include "diag/diag_page.h"
#include "platform/memory/memory_controls.h"

namespace talvex {

struct MemoryDiagPage {
    ZOrder siblings;
    // Start Test and Stop Test share one rectangle; Start Test lies in front at first.
    ZOrder buttons;

    MemoryControl txtTotalTestCount{siblings, "1"};
    MemoryUpDown UpDown1{siblings, 1, 50, 1};
    MemoryListView lvwBasicDiag{siblings};
    MemoryControl txtCurrentTestCount{siblings};
    MemoryControl cbStopBasicDiagTest{buttons, "Stop Test"};
    MemoryControl cbStartBasicDiagTest{buttons, "Start Test"};
    MemoryControl txtNAinSROM{siblings};

    DiagControls Controls() {
        return {&txtTotalTestCount,    &UpDown1,
                &lvwBasicDiag,         &txtCurrentTestCount,
                &cbStartBasicDiagTest, &cbStopBasicDiagTest,
                &txtNAinSROM};
    }
};

} // namespace talvex
