// A diagnostic run as both programs start it, the Diagnostic page and the console tool alike.
#pragma once

#include "diag/runner.h"
#include "platform/registry_api.h"
#include "platform/services.h"

#include <cstdint>
#include <string>

namespace talvex {

enum class DiagSessionEnd {
    Busy,           // another program is running the tests; the user was told so
    NotOpened,      // the hardware could not be opened; the user was told why
    Ran,            // the run ended: passed, failed or stopped
    LibraryFaulted, // the hardware library faulted during the run
};

// One program at a time drives the hardware: the session takes the hardware mark, opens the
// hardware, clears the stop request and runs the checked tests shown through display, between
// its RunStarting and RunEnded. After a fault nothing the library handed out is trusted: the
// hardware access is reset, so that the next run opens it afresh.
DiagSessionEnd RunDiagSession(Services& services, RegistryApi& registry,
                              const std::string& driverKeyName, std::int16_t adapter,
                              DiagDisplay& display);

} // namespace talvex
