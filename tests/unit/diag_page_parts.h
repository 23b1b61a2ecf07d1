// The Diagnostic page on in-memory parts, its hardware procedures on a fake clock: what the tests
// that drive the page share.
#pragma once

#include "diag/diag_page.h"
#include "tests/doubles/memory_diag_page.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "tests/unit/hardware_doubles.h"

#include <cstdint>
#include <string>

namespace talvex::test {

struct DiagPageParts {
    // The page as the window's load leaves it: the three items, all checked.
    DiagPageParts() { page.Load(); }

    FakeTiming timing;
    MemoryRegistry registry;
    MemoryServices services;
    MemoryDiagPage ui;
    std::string driverKeyName = "TVR8Q1";
    std::int16_t currentAdapter = 1;
    DiagPage page{ui.Controls(), services, registry, driverKeyName, currentAdapter};
};

} // namespace talvex::test
