// The restart that makes new driver settings count, as YES after OK asks for it.
#pragma once

#include "platform/services.h"

namespace talvex {

// Enables the shutdown privilege and asks Windows to restart; when Windows refuses, the user is
// told so. True when Windows took the request.
bool RequestRestart(Services& services);

} // namespace talvex
